// The size of the page store and the page arrangements that fill it: the
// settings accept only these, the emulator switches between them and the
// screen buffer allocates for them.
#pragma once

namespace tamsivane {

inline constexpr int kPageStoreLines = 144; // lines of all pages together
inline constexpr int kStride = 132;         // cells per line, whatever the width

struct PageArrangement {
    int lines;
    int pages;
};
inline constexpr PageArrangement kPageArrangements[] = {{24, 6}, {25, 5}, {36, 4},
                                                        {48, 3}, {72, 2}, {144, 1}};

// The pages of the arrangement with that many lines per page; 0 when none has it.
constexpr int PagesForLines(int lines) {
    for (const PageArrangement& a : kPageArrangements)
        if (a.lines == lines) return a.pages;
    return 0;
}

constexpr bool IsColumnCount(int columns) { return columns == 80 || columns == kStride; }

} // namespace tamsivane

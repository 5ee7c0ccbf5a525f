#include "emulator/ScreenBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <exception>

namespace tamsivane {

namespace {

constexpr int kLastColumn = kStride - 1;

// One blank line to copy from: a block copy is the cheapest way to blank
// the line that every scroll brings in.
struct BlankLine {
    uint16_t codes[kStride];
    uint16_t attrs[kStride];
    constexpr BlankLine() : codes(), attrs() {
        for (int i = 0; i < kStride; ++i) {
            codes[i] = kBlankCode;
            attrs[i] = kBlankAttribute;
        }
    }
};
constexpr BlankLine kBlankLine;

void FillBlanks(uint16_t* codes, uint16_t* attrs, int left, int right) {
    const size_t bytes = static_cast<size_t>(right - left + 1) * sizeof(uint16_t);
    std::memcpy(codes + left, kBlankLine.codes, bytes);
    std::memcpy(attrs + left, kBlankLine.attrs, bytes);
}

// A band of columns after clamping.
struct ColumnBand {
    int left;
    int right;
    bool whole;
    bool empty;
};

// Last row of a run of count rows, saturated instead of overflowing.
int LastRow(int first, int count) {
    return static_cast<int>(std::min<int64_t>(int64_t{first} + count - 1, INT32_MAX));
}

inline ColumnBand MakeBand(int left, int right) {
    const int l = std::clamp(left, 0, kLastColumn);
    const int r = std::clamp(right, 0, kLastColumn);
    return {l, r, l == 0 && r == kLastColumn, left > right || right < 0 || left > kLastColumn};
}

// Upper-case ranges of the scripts a terminal commonly shows, with the
// distance to their lower-case letters.
struct CaseRange {
    char16_t first;
    char16_t last;
    char16_t delta;
};
constexpr CaseRange kUpperCase[] = {
    {u'A', u'Z', 0x20},     {0x00C0, 0x00D6, 0x20}, {0x00D8, 0x00DE, 0x20}, {0x0391, 0x03A1, 0x20},
    {0x03A3, 0x03AB, 0x20}, {0x0400, 0x040F, 0x50}, {0x0410, 0x042F, 0x20},
};

char16_t FoldCase(char16_t c) {
    for (const CaseRange& range : kUpperCase) {
        if (c >= range.first && c <= range.last) return static_cast<char16_t>(c + range.delta);
    }
    return c;
}

bool MatchesAt(const uint16_t* codes, int column, std::u16string_view text,
               ScreenBuffer::LetterCase letterCase) {
    const bool exact = letterCase == ScreenBuffer::LetterCase::Exact;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t cell = static_cast<char16_t>(codes[column + static_cast<int>(i)]);
        const bool same = exact ? cell == text[i] : FoldCase(cell) == FoldCase(text[i]);
        if (!same) return false;
    }
    return true;
}

} // namespace

bool ScreenBuffer::Create(int historyLines) {
    const int capacity = std::max(historyLines, 0);
    const size_t lines = static_cast<size_t>(kPageStoreLines) + static_cast<size_t>(capacity);
    try {
        std::vector<uint16_t> codes(lines * kStride, kBlankCode);
        std::vector<uint16_t> attrs(lines * kStride, kBlankAttribute);
        std::vector<uint16_t> lineAttrs(lines, 0);
        codes_.swap(codes);
        attrs_.swap(attrs);
        lineAttrs_.swap(lineAttrs);
    } catch (const std::exception&) { // bad_alloc or length_error: too large
        codes_ = {};
        attrs_ = {};
        lineAttrs_ = {};
        historyCapacity_ = 0;
        ClearHistory();
        return false;
    }
    for (int i = 0; i < kPageStoreLines; ++i) rowMap_[i] = i;
    FillBlanks(statusCodes_, statusAttrs_, 0, kLastColumn);
    statusChanged_ = false;
    historyCapacity_ = capacity;
    ClearHistory();
    return true;
}

void ScreenBuffer::SetGeometry(int pages, int lines) {
    lines_ = std::clamp(lines, 1, kPageStoreLines);
    pages_ = std::clamp(pages, 1, kPageStoreLines / lines_);
    displayedPage_ = std::min(displayedPage_, pages_ - 1);
}

void ScreenBuffer::ResetPageStore() {
    for (int i = 0; i < kPageStoreLines; ++i) rowMap_[i] = i;
    if (Empty()) return;
    for (size_t slot = 0; slot < kPageStoreLines; ++slot) {
        BlankSlot(slot, 0, kLastColumn);
        lineAttrs_[slot] = LineSize::Changed;
    }
}

void ScreenBuffer::ClearHistory() {
    historyCount_ = 0;
    historyStart_ = kPageStoreLines;
    historyNext_ = kPageStoreLines;
    historyChanged_ = false;
}

void ScreenBuffer::ResizeHistory(int newLength) {
    if (newLength < 0 || newLength == historyCapacity_ || Empty()) return;
    const size_t lines = static_cast<size_t>(kPageStoreLines) + static_cast<size_t>(newLength);
    std::vector<uint16_t> codes;
    std::vector<uint16_t> attrs;
    std::vector<uint16_t> lineAttrs;
    try {
        codes.assign(lines * kStride, kBlankCode);
        attrs.assign(lines * kStride, kBlankAttribute);
        lineAttrs.assign(lines, 0);
    } catch (const std::exception&) { // bad_alloc or length_error: keep the current ring
        return;
    }
    const size_t pageCells = static_cast<size_t>(kPageStoreLines) * kStride;
    std::memcpy(codes.data(), codes_.data(), pageCells * sizeof(uint16_t));
    std::memcpy(attrs.data(), attrs_.data(), pageCells * sizeof(uint16_t));
    std::memcpy(lineAttrs.data(), lineAttrs_.data(), kPageStoreLines * sizeof(uint16_t));

    const int kept = std::min(newLength, historyCount_);
    const int skipped = historyCount_ - kept;
    for (int i = 0; i < kept; ++i) {
        const size_t from = HistorySlot(skipped + i);
        const size_t to = static_cast<size_t>(kPageStoreLines + i);
        std::memcpy(codes.data() + to * kStride, SlotCodes(from), kStride * sizeof(uint16_t));
        std::memcpy(attrs.data() + to * kStride, SlotAttrs(from), kStride * sizeof(uint16_t));
        lineAttrs[to] = lineAttrs_[from];
    }
    codes_.swap(codes);
    attrs_.swap(attrs);
    lineAttrs_.swap(lineAttrs);

    historyCapacity_ = newLength;
    historyCount_ = kept;
    historyStart_ = kPageStoreLines;
    historyNext_ = kPageStoreLines + kept;
    if (historyNext_ == kPageStoreLines + newLength) historyNext_ = kPageStoreLines;
}

bool ScreenBuffer::ClipPageRows(int& top, int& bottom) const {
    if (top > bottom || bottom < 0 || top >= lines_) return false;
    top = std::max(top, 0);
    bottom = std::min(bottom, lines_ - 1);
    return true;
}

size_t ScreenBuffer::HistorySlot(int index) const {
    const int offset = (historyStart_ - kPageStoreLines + index) % historyCapacity_;
    return static_cast<size_t>(kPageStoreLines + offset);
}

void ScreenBuffer::BlankSlot(size_t slot, int left, int right) {
    FillBlanks(SlotCodes(slot), SlotAttrs(slot), left, right);
}

void ScreenBuffer::WriteCell(int row, int column, uint16_t code, CellAttribute attribute) {
    column = std::clamp(column, 0, kLastColumn);
    const Cells cells = ChangeRow(row);
    cells.codes[column] = code;
    cells.attrs[column] = attribute.Word();
}

uint16_t ScreenBuffer::Code(int row, int column) const {
    row = Clamp(row);
    column = std::clamp(column, 0, kLastColumn);
    if (row == lines_) return statusCodes_[column];
    return Empty() ? kBlankCode : SlotCodes(LineIndex(row))[column];
}

CellAttribute ScreenBuffer::Attribute(int row, int column) const {
    row = Clamp(row);
    column = std::clamp(column, 0, kLastColumn);
    if (row == lines_) return CellAttribute::FromWord(statusAttrs_[column]);
    return Empty() ? CellAttribute() : CellAttribute::FromWord(SlotAttrs(LineIndex(row))[column]);
}

void ScreenBuffer::SetLineSize(int row, uint16_t size) {
    row = Clamp(row);
    if (row == lines_ || Empty()) return; // the status line is always single width
    uint16_t& word = lineAttrs_[LineIndex(row)];
    word = static_cast<uint16_t>((size & LineSize::SizeMask) | LineSize::Changed);
}

uint16_t ScreenBuffer::GetLineSize(int row) const {
    row = Clamp(row);
    if (row == lines_ || Empty()) return LineSize::Single;
    return lineAttrs_[LineIndex(row)] & LineSize::SizeMask;
}

void ScreenBuffer::Erase(int firstRow, int rowCount, int left, int right) {
    const ColumnBand band = MakeBand(left, right);
    if (band.empty || rowCount <= 0) return;
    if (firstRow == lines_) {
        FillBlanks(statusCodes_, statusAttrs_, band.left, band.right);
        statusChanged_ = true;
        return;
    }
    int lastRow = LastRow(firstRow, rowCount);
    if (Empty() || !ClipPageRows(firstRow, lastRow)) return;
    for (int row = firstRow; row <= lastRow; ++row) {
        const size_t slot = LineIndex(row);
        BlankSlot(slot, band.left, band.right);
        lineAttrs_[slot] |= LineSize::Changed;
    }
}

void ScreenBuffer::EraseLines(int firstRow, int rowCount) {
    Erase(firstRow, rowCount, 0, kLastColumn);
    int lastRow = LastRow(firstRow, rowCount);
    if (rowCount <= 0 || firstRow == lines_ || Empty() || !ClipPageRows(firstRow, lastRow)) return;
    for (int row = firstRow; row <= lastRow; ++row) lineAttrs_[LineIndex(row)] = LineSize::Changed;
}

void ScreenBuffer::SelectiveErase(int firstRow, int rowCount, int left, int right) {
    const ColumnBand band = MakeBand(left, right);
    int lastRow = LastRow(firstRow, rowCount);
    if (band.empty || rowCount <= 0 || Empty() || !ClipPageRows(firstRow, lastRow)) return;
    for (int row = firstRow; row <= lastRow; ++row) {
        const size_t slot = LineIndex(row);
        uint16_t* codes = SlotCodes(slot);
        uint16_t* attrs = SlotAttrs(slot);
        for (int column = band.left; column <= band.right; ++column) {
            if (CellAttribute::FromWord(attrs[column]).Has(CellAttribute::Protected)) continue;
            codes[column] = kBlankCode;
            attrs[column] = kBlankAttribute;
        }
        lineAttrs_[slot] |= LineSize::Changed;
    }
}

void ScreenBuffer::MoveCells(int row, int rowCount, int fromLeft, int fromRight, int toColumn) {
    const ColumnBand source = MakeBand(fromLeft, fromRight);
    if (source.empty || rowCount <= 0) return;
    const int target = std::clamp(toColumn, 0, kLastColumn);
    const int width = std::min(source.right - source.left + 1, kStride - target);
    // The status line is a row of its own; page rows stop at the page end.
    int lastRow = row == lines_ ? row : LastRow(row, rowCount);
    if (row != lines_ && !ClipPageRows(row, lastRow)) return;
    for (int r = row; r <= lastRow; ++r) {
        const auto [codes, attrs] = ChangeRow(r);
        std::memmove(codes + target, codes + source.left, width * sizeof(uint16_t));
        std::memmove(attrs + target, attrs + source.left, width * sizeof(uint16_t));
    }
}

void ScreenBuffer::CopyLineBand(int fromRow, int toRow, int left, int right) {
    const size_t from = LineIndex(fromRow);
    const size_t to = LineIndex(toRow);
    const size_t bytes = static_cast<size_t>(right - left + 1) * sizeof(uint16_t);
    std::memcpy(SlotCodes(to) + left, SlotCodes(from) + left, bytes);
    std::memcpy(SlotAttrs(to) + left, SlotAttrs(from) + left, bytes);
    lineAttrs_[to] |= LineSize::Changed;
}

void ScreenBuffer::MoveWholeLinesByMap(int fromRow, int toRow, int count) {
    int* map = rowMap_ + displayedPage_ * lines_;
    const int distance = std::abs(toRow - fromRow);
    if (distance <= count) {
        // Source and target overlap or touch (every scroll): one rotation of
        // the band hands the target rows their lines and the vacated rows
        // the lines that dropped out.
        const bool up = toRow < fromRow;
        const int low = up ? toRow : fromRow;
        const int high = (up ? fromRow : toRow) + count;
        std::rotate(map + low, map + (up ? fromRow : fromRow + count), map + high);
        movedFirst_ = std::min(movedFirst_, low);
        movedLast_ = std::max(movedLast_, high - 1);
        const int vacated = up ? toRow + count : fromRow;
        for (int row = vacated; row < vacated + distance; ++row) {
            BlankSlot(map[row], 0, kLastColumn);
            lineAttrs_[map[row]] = LineSize::Changed;
        }
        return;
    }
    // Apart: the target rows take the source rows' lines, and the source rows
    // the target rows' former lines, blanked.
    for (int i = 0; i < count; ++i) {
        std::swap(map[fromRow + i], map[toRow + i]);
        lineAttrs_[map[toRow + i]] |= LineSize::Changed;
        BlankSlot(map[fromRow + i], 0, kLastColumn);
        lineAttrs_[map[fromRow + i]] = LineSize::Changed;
    }
}

void ScreenBuffer::MoveLines(int fromRow, int toRow, int count, int left, int right) {
    const ColumnBand band = MakeBand(left, right);
    if (band.empty || count <= 0 || Empty()) return;
    if (fromRow >= lines_ || toRow >= lines_) return;
    fromRow = std::max(fromRow, 0);
    toRow = std::max(toRow, 0);
    count = std::min({count, lines_ - fromRow, lines_ - toRow});
    if (fromRow == toRow) return;

    if (band.whole) {
        MoveWholeLinesByMap(fromRow, toRow, count);
        return;
    }
    if (toRow > fromRow) {
        for (int i = count - 1; i >= 0; --i) {
            CopyLineBand(fromRow + i, toRow + i, band.left, band.right);
        }
    } else {
        for (int i = 0; i < count; ++i) {
            CopyLineBand(fromRow + i, toRow + i, band.left, band.right);
        }
    }
    for (int row = fromRow; row < fromRow + count; ++row) {
        if (row >= toRow && row < toRow + count) continue;
        const size_t slot = LineIndex(row);
        BlankSlot(slot, band.left, band.right);
        lineAttrs_[slot] |= LineSize::Changed;
    }
}

void ScreenBuffer::CopyRect(int sourcePage, int top, int left, int bottom, int right,
                            int targetPage, int targetTop, int targetLeft) {
    if (Empty()) return;
    sourcePage = std::clamp(sourcePage, 0, pages_ - 1);
    targetPage = std::clamp(targetPage, 0, pages_ - 1);
    const ColumnBand band = MakeBand(left, right);
    if (band.empty || !ClipPageRows(top, bottom)) return;
    targetTop = std::clamp(targetTop, 0, lines_ - 1);
    targetLeft = std::clamp(targetLeft, 0, kLastColumn);
    const int height = std::min(bottom - top + 1, lines_ - targetTop);
    const int width = std::min(band.right - band.left + 1, kStride - targetLeft);
    const size_t bytes = static_cast<size_t>(width) * sizeof(uint16_t);

    const int sourceLine = sourcePage * lines_ + top;
    const int targetLine = targetPage * lines_ + targetTop;
    const auto copyRow = [&](int i) {
        const size_t from = static_cast<size_t>(rowMap_[sourceLine + i]);
        const size_t to = static_cast<size_t>(rowMap_[targetLine + i]);
        std::memmove(SlotCodes(to) + targetLeft, SlotCodes(from) + band.left, bytes);
        std::memmove(SlotAttrs(to) + targetLeft, SlotAttrs(from) + band.left, bytes);
        lineAttrs_[to] |= LineSize::Changed;
    };
    // Copy away from the overlap so that no source row is overwritten first.
    if (targetLine > sourceLine) {
        for (int i = height - 1; i >= 0; --i) copyRow(i);
    } else {
        for (int i = 0; i < height; ++i) copyRow(i);
    }
}

template <typename Edit>
void ScreenBuffer::EditRect(int top, int left, int bottom, int right, Edit edit) {
    const ColumnBand band = MakeBand(left, right);
    if (band.empty || Empty() || !ClipPageRows(top, bottom)) return;
    for (int row = top; row <= bottom; ++row) {
        const size_t slot = LineIndex(row);
        edit(SlotCodes(slot) + band.left, SlotAttrs(slot) + band.left, band.right - band.left + 1);
        lineAttrs_[slot] |= LineSize::Changed;
    }
}

void ScreenBuffer::FillRect(int top, int left, int bottom, int right, uint16_t code,
                            CellAttribute attribute) {
    EditRect(top, left, bottom, right, [&](uint16_t* codes, uint16_t* attrs, int width) {
        std::fill_n(codes, width, code);
        std::fill_n(attrs, width, attribute.Word());
    });
}

void ScreenBuffer::ToggleRectFlags(int top, int left, int bottom, int right, uint16_t flags) {
    EditRect(top, left, bottom, right, [&](uint16_t*, uint16_t* attrs, int width) {
        for (int i = 0; i < width; ++i) attrs[i] ^= flags;
    });
}

void ScreenBuffer::PushLineToHistory(int row) {
    row = Clamp(row);
    if (historyCapacity_ == 0 || row == lines_ || Empty()) return;
    const size_t from = LineIndex(row);
    const size_t to = static_cast<size_t>(historyNext_);
    std::memcpy(SlotCodes(to), SlotCodes(from), kStride * sizeof(uint16_t));
    std::memcpy(SlotAttrs(to), SlotAttrs(from), kStride * sizeof(uint16_t));
    lineAttrs_[to] = lineAttrs_[from] & LineSize::SizeMask;

    const int end = kPageStoreLines + historyCapacity_;
    if (++historyNext_ == end) historyNext_ = kPageStoreLines;
    if (historyCount_ < historyCapacity_) {
        ++historyCount_;
    } else if (++historyStart_ == end) {
        historyStart_ = kPageStoreLines;
    }
    historyChanged_ = true;
}

void ScreenBuffer::PushPageToHistory(int width) {
    if (Empty()) return;
    width = std::clamp(width, 0, kStride);
    int lastRow = -1;
    for (int row = 0; row < lines_; ++row) {
        const uint16_t* codes = SlotCodes(LineIndex(row));
        if (std::any_of(codes, codes + width, [](uint16_t c) { return c != kBlankCode; })) {
            lastRow = row;
        }
    }
    for (int row = 0; row <= lastRow; ++row) PushLineToHistory(row);
}

bool ScreenBuffer::LineForDisplay(int index, DisplayLine& out) const {
    if (index < 0 || index > historyCount_ + lines_ || Empty()) return false;
    if (index == historyCount_ + lines_) {
        out = {LineSize::Single, statusCodes_, statusAttrs_};
        return true;
    }
    const size_t slot =
        index < historyCount_ ? HistorySlot(index) : LineIndex(index - historyCount_);
    out = {static_cast<uint16_t>(lineAttrs_[slot] & LineSize::SizeMask), SlotCodes(slot),
           SlotAttrs(slot)};
    return true;
}

void ScreenBuffer::TakeChangedRange(int& first, int& last) {
    first = -1;
    last = -1;
    if (!Empty()) {
        for (int row = 0; row < lines_; ++row) {
            uint16_t& word = lineAttrs_[LineIndex(row)];
            if (!(word & LineSize::Changed)) continue;
            word &= static_cast<uint16_t>(~LineSize::Changed);
            if (first < 0) first = row;
            last = row;
        }
    }
    if (movedLast_ >= 0) {
        first = first < 0 ? movedFirst_ : std::min(first, movedFirst_);
        last = std::max(last, std::min(movedLast_, lines_ - 1));
        movedFirst_ = kPageStoreLines;
        movedLast_ = -1;
    }
    if (statusChanged_) {
        statusChanged_ = false;
        if (first < 0) first = lines_;
        last = lines_;
    }
}

bool ScreenBuffer::TakeHistoryChanged() {
    const bool changed = historyChanged_;
    historyChanged_ = false;
    return changed;
}

void ScreenBuffer::MarkAllChanged() {
    for (int row = 0; row <= lines_; ++row) MarkRowChanged(row);
}

void ScreenBuffer::SelectDisplayedPage(int index) {
    if (index < 0 || index >= pages_) return;
    displayedPage_ = index;
    for (int row = 0; row < lines_; ++row) MarkRowChanged(row);
}

bool ScreenBuffer::AnyBlinkingCell(int firstDisplayLine, int lastDisplayLine) const {
    firstDisplayLine = std::max(firstDisplayLine, 0);
    lastDisplayLine = std::min(lastDisplayLine, DisplayLineCount() - 1);
    DisplayLine line;
    for (int index = firstDisplayLine; index <= lastDisplayLine; ++index) {
        if (!LineForDisplay(index, line)) return false;
        if (std::any_of(line.attrs, line.attrs + kStride, [](uint16_t a) {
                return CellAttribute::FromWord(a).Has(CellAttribute::Blink);
            })) {
            return true;
        }
    }
    return false;
}

int ScreenBuffer::FindText(int displayLine, std::u16string_view text, int startColumn,
                           Direction direction, LetterCase letterCase) const {
    DisplayLine line;
    if (text.empty() || text.size() > static_cast<size_t>(kStride) ||
        !LineForDisplay(displayLine, line)) {
        return -1;
    }
    const int length = static_cast<int>(text.size());
    const int lastStart = kStride - length;
    if (direction == Direction::Forward) {
        for (int column = std::max(startColumn, 0); column <= lastStart; ++column) {
            if (MatchesAt(line.codes, column, text, letterCase)) return column;
        }
    } else {
        const int first = std::clamp(startColumn, -1, kLastColumn) - length + 1;
        for (int column = std::min(first, lastStart); column >= 0; --column) {
            if (MatchesAt(line.codes, column, text, letterCase)) return column;
        }
    }
    return -1;
}

std::u16string ScreenBuffer::TextOfRegion(int top, int left, int bottom, int right) const {
    std::u16string text;
    const ColumnBand band = MakeBand(left, right);
    if (Empty() || band.empty || !ClipPageRows(top, bottom)) return text;
    for (int row = top; row <= bottom; ++row) {
        if (row > top) text += u"\n\r";
        const uint16_t* codes = SlotCodes(LineIndex(row));
        for (int column = band.left; column <= band.right; ++column) {
            text.push_back(static_cast<char16_t>(codes[column]));
        }
    }
    return text;
}

} // namespace tamsivane

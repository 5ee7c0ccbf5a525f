// The emulator's command set: the character writer with its deferred wrap,
// cursor movement, scrolling, editing, erasing, pages, modes, attributes and
// the soft reset.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "emulator/EmulatorHost.h"
#include "emulator/ExtendedColours.h"
#include "emulator/VtEmulator.h"

namespace tamsivane {

namespace {
// Counts from the host are 31-bit; clamp them before any arithmetic.
constexpr int kMaxCount = 1000;
int Count(int n) { return std::clamp(n, 0, kMaxCount); }

// Colour indexes of SGR 30-37 and 40-47, and of the bright 90-97 and
// 100-107: sixteen distinct colours, as the terminal description says.
constexpr uint8_t kBasicColours[8] = {0, 1, 2, 4, 3, 5, 6, 7};
constexpr uint8_t kBrightColours[8] = {8, 9, 10, 12, 11, 13, 14, 15};

// The DEC private modes by which a host asks for mouse tracking.
struct TrackingMode {
    int mode;
    MouseTracking tracking;
};
constexpr TrackingMode kTrackingModes[] = {
    {1000, MouseTracking::Buttons},
    {1002, MouseTracking::Drags},
    {1003, MouseTracking::Motion},
};

std::optional<MouseTracking> TrackingOfMode(int mode) {
    for (const TrackingMode& t : kTrackingModes)
        if (t.mode == mode) return t.tracking;
    return std::nullopt;
}

// Writes count printable ASCII bytes into cells with one attribute word:
// the path every plain-text byte takes.  Runs are mostly short, so a tail is
// not written cell by cell (a loop whose length the data decides costs a
// mispredicted branch per run) but by two stores of 16, 8 or 4 cells that
// overlap, the second ending at count; nothing past count is touched.
#if defined(__SSE2__)
// Cells for sixteen bytes of text.
inline void WriteSixteenCells(const uint8_t* text, uint16_t* codes, uint16_t* attrs,
                              __m128i attributes) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(codes), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(codes + 8), _mm_unpackhi_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(attrs), attributes);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(attrs + 8), attributes);
}

// Cells for eight bytes of text.
inline void WriteEightCells(const uint8_t* text, uint16_t* codes, uint16_t* attrs, __m128i attributes) {
    const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(text));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(codes), _mm_unpacklo_epi8(v, _mm_setzero_si128()));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(attrs), attributes);
}

// Cells for four bytes of text.
inline void WriteFourCells(const uint8_t* text, uint16_t* codes, uint16_t* attrs, __m128i attributes) {
    int32_t word;
    std::memcpy(&word, text, sizeof word);
    const __m128i v = _mm_cvtsi32_si128(word);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(codes), _mm_unpacklo_epi8(v, _mm_setzero_si128()));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(attrs), attributes);
}

void WritePrintableCells(const uint8_t* text, size_t count, uint16_t* codes, uint16_t* attrs,
                         uint16_t attribute) {
    const __m128i attributes = _mm_set1_epi16(static_cast<short>(attribute));
    if (count >= 16) {
        size_t n = 0;
        for (; n + 16 <= count; n += 16) WriteSixteenCells(text + n, codes + n, attrs + n, attributes);
        if (n < count) {
            n = count - 16;
            WriteSixteenCells(text + n, codes + n, attrs + n, attributes);
        }
    } else if (count >= 8) {
        WriteEightCells(text, codes, attrs, attributes);
        WriteEightCells(text + count - 8, codes + count - 8, attrs + count - 8, attributes);
    } else if (count >= 4) {
        WriteFourCells(text, codes, attrs, attributes);
        WriteFourCells(text + count - 4, codes + count - 4, attrs + count - 4, attributes);
    } else if (count > 0) {
        // One to three cells: first, middle and last cover them all.
        for (const size_t n : {size_t{0}, count / 2, count - 1}) {
            codes[n] = text[n];
            attrs[n] = attribute;
        }
    }
}
#else
void WritePrintableCells(const uint8_t* text, size_t count, uint16_t* codes, uint16_t* attrs,
                         uint16_t attribute) {
    for (size_t n = 0; n < count; ++n) {
        codes[n] = text[n];
        attrs[n] = attribute;
    }
}
#endif

// A colour landing in the foreground bits: colours 1-7 are bright while bold,
// as SGR 1 makes a foreground set before it.
CellAttribute SetForegroundBits(CellAttribute a, int colour) {
    const bool brightened = colour >= 1 && colour <= 7 && a.Has(CellAttribute::Bold);
    return a.WithForeground(brightened ? colour + 8 : colour);
}
} // namespace

// --- geometry helpers --------------------------------------------------------

// The last column the cursor may reach: the right margin, or the last column
// when the cursor is already right of it or on the status line.
int VtEmulator::RightLimit() const {
    if (statusActive_ || cursorColumn_ > right_) return columns_ - 1;
    return right_;
}

int VtEmulator::LeftLimit() const {
    if (statusActive_ || cursorColumn_ < left_) return 0;
    return left_;
}

// Moves that span the page's full width take all 132 cells, so that whole
// lines move as one.
int VtEmulator::ScreenRight(int right) const { return right >= columns_ - 1 ? kStride - 1 : right; }

void VtEmulator::ResetMargins() {
    top_ = 0;
    bottom_ = lines_ - 1;
    left_ = 0;
    right_ = columns_ - 1;
}

void VtEmulator::CursorHome() {
    if (!statusActive_) cursorRow_ = absolute_ ? 0 : top_;
    cursorColumn_ = absolute_ || statusActive_ ? 0 : left_;
    pendingWrap_ = false;
}

// --- the character writer ----------------------------------------------------

void VtEmulator::WrapIfPending() {
    if (!pendingWrap_) return;
    if (settings_.GetNumber(P::AutoWrap)) {
        Index();
        cursorColumn_ = LeftLimit();
    }
    pendingWrap_ = false;
}

void VtEmulator::WriteCharacter(uint16_t code) {
    if (code == 0) return;
    const CellCode cell = Classify(code);
    code = cell.code;
    const int width = cell.cls == CharClass::DoubleWidth ? 2 : 1;

    const bool autoWrap = settings_.GetNumber(P::AutoWrap) != 0;
    WrapIfPending();
    if (width == 2 && cursorColumn_ + 1 > RightLimit()) {
        // A double-width character never straddles the margin: wrap first,
        // or without auto-wrap take the last two cells.
        if (autoWrap) {
            Index();
            cursorColumn_ = LeftLimit();
        } else {
            cursorColumn_ = std::max(RightLimit() - 1, 0);
        }
    }
    if (captureOpen_ && !statusActive_ && !settings_.GetNumber(P::CaptureDebug))
        CaptureCharacter(code);

    const int row = statusActive_ ? lines_ : cursorRow_;
    const int col = cursorColumn_;
    // Inside the margins insertion pushes cells up to the right margin only,
    // as ICH does; text right of it stays.
    const int last = !statusActive_ && col >= left_ && col <= right_ ? right_ : columns_ - 1;
    if (insertMode_ && col + width <= last)
        screen_.MoveCells(row, 1, col, last - width, col + width);
    const CellAttribute attribute = attribute_.WithClass(cell.cls);
    screen_.WriteCell(row, col, code, attribute);
    if (width == 2) screen_.WriteCell(row, col + 1, 0, attribute);

    const int limit = RightLimit();
    if (col + width <= limit) {
        cursorColumn_ = col + width;
    } else {
        cursorColumn_ = col + width - 1;
        pendingWrap_ = true;
    }
}

// Writes translated codes in order: those that stay on the cursor's row
// straight into its cells, the others through WriteCharacter.
void VtEmulator::WriteCharacters(const uint16_t* codes, size_t count) {
    size_t i = 0;
    while (i < count) {
        i += WriteOnCursorRow(codes + i, count - i);
        if (i < count) WriteCharacter(codes[i++]);
    }
}

// The codes at the start of codes that WriteCharacter would only write and
// step past: no wrap is pending or comes of them, no insertion, capture or
// status line.  Writes them into the row's cells; returns how many.
size_t VtEmulator::WriteOnCursorRow(const uint16_t* codes, size_t count) {
    if (pendingWrap_ || insertMode_ || captureOpen_ || statusActive_) return 0;
    const int limit = RightLimit();
    int col = cursorColumn_;
    ScreenBuffer::Cells cells{nullptr, nullptr};
    size_t i = 0;
    for (; i < count && codes[i] != 0; ++i) {
        const CellCode cell = Classify(codes[i]);
        const int width = cell.cls == CharClass::DoubleWidth ? 2 : 1;
        if (col + width > limit) break;
        if (!cells.codes) cells = screen_.ChangeRow(cursorRow_);
        const uint16_t attribute = attribute_.WithClass(cell.cls).Word();
        cells.codes[col] = cell.code;
        cells.attrs[col] = attribute;
        if (width == 2) {
            cells.codes[col + 1] = 0;
            cells.attrs[col + 1] = attribute;
        }
        col += width;
    }
    cursorColumn_ = col;
    return i;
}

// Writes printable ASCII straight into the row, as many characters as fit
// before the margin at a time.  Returns the bytes written; stops early only
// at the margin without auto-wrap (the general writer overwrites there).
size_t VtEmulator::WritePrintableRun(const uint8_t* data, size_t length) {
    size_t done = 0;
    const bool autoWrap = settings_.GetNumber(P::AutoWrap) != 0;
    const uint16_t attribute = attribute_.Word();
    while (done < length) {
        if (pendingWrap_) {
            if (!autoWrap) break;
            WrapIfPending();
        }
        const int row = statusActive_ ? lines_ : cursorRow_;
        const int col = cursorColumn_;
        const int limit = RightLimit();
        const size_t n = std::min(length - done, static_cast<size_t>(limit - col + 1));
        const ScreenBuffer::Cells cells = screen_.ChangeRow(row);
        WritePrintableCells(data + done, n, cells.codes + col, cells.attrs + col, attribute);
        if (col + static_cast<int>(n) <= limit) {
            cursorColumn_ = col + static_cast<int>(n);
        } else {
            cursorColumn_ = limit;
            pendingWrap_ = true;
        }
        done += n;
    }
    return done;
}

void VtEmulator::CaptureCharacter(uint16_t code) {
    const std::string bytes = codePages_.FromUnicode(SystemAnsiCodePage(), static_cast<char16_t>(code));
    if (!bytes.empty()) host_->Capture(bytes);
}

// --- vertical movement with scrolling ---------------------------------------

// Moves rows first..last of the band between the left and right margins by
// `by` rows (down when positive); the vacated rows become blank.  Whole-width
// moves hand over the lines themselves, so line sizes travel with them.
void VtEmulator::ShiftLines(int first, int last, int by) {
    const int height = last - first + 1;
    const int n = std::min(by < 0 ? -by : by, height);
    if (n <= 0) return;
    const int right = ScreenRight(right_);
    const int kept = height - n;
    if (kept > 0) {
        const int from = by > 0 ? first : first + n;
        const int to = by > 0 ? first + n : first;
        screen_.MoveLines(from, to, kept, left_, right);
    }
    // The move blanks only the source rows it leaves; when more rows are
    // vacated than kept, the rows between source and target need it too.
    if (n > kept) {
        if (left_ == 0 && right == kStride - 1)
            screen_.EraseLines(first + kept, n - kept);
        else
            screen_.Erase(first + kept, n - kept, left_, right);
    }
}

void VtEmulator::ScrollRegionUp(int count) {
    count = std::min(count, bottom_ - top_ + 1);
    // Only lines leaving the top of the screen whole belong in the history;
    // a region lower down or narrower scrolls lines that stay on the screen.
    const bool offTop = top_ == 0 && left_ == 0 && ScreenRight(right_) == kStride - 1;
    if (offTop && settings_.GetNumber(P::History))
        for (int i = 0; i < count; ++i) screen_.PushLineToHistory(top_ + i);
    ShiftLines(top_, bottom_, -count);
}

void VtEmulator::ScrollRegionDown(int count) { ShiftLines(top_, bottom_, count); }

// The cursor is inside the scrolling region (both margins pairs).
static bool InsideRegion(int row, int col, int top, int bottom, int left, int right) {
    return row >= top && row <= bottom && col >= left && col <= right;
}

void VtEmulator::Index() {
    pendingWrap_ = false;
    if (statusActive_) return;
    if (autoPrint_) host_->AutoPrintLine(cursorRow_);
    const int limit = cursorRow_ > bottom_ ? lines_ - 1 : bottom_;
    if (cursorRow_ < limit) {
        ++cursorRow_;
    } else if (InsideRegion(cursorRow_, cursorColumn_, top_, bottom_, left_, right_)) {
        ScrollRegionUp(1);
    }
}

void VtEmulator::NextLine() {
    Index();
    CarriageReturn();
}

void VtEmulator::ReverseIndex() {
    pendingWrap_ = false;
    if (statusActive_) return;
    const int limit = cursorRow_ < top_ ? 0 : top_;
    if (cursorRow_ > limit) {
        --cursorRow_;
    } else if (InsideRegion(cursorRow_, cursorColumn_, top_, bottom_, left_, right_)) {
        ScrollRegionDown(1);
    }
}

void VtEmulator::LineFeed(bool formFeed) {
    Index();
    if (captureOpen_ && !settings_.GetNumber(P::CaptureDebug)) host_->Capture(formFeed ? "\f" : "\n");
    if (settings_.GetNumber(P::NewLine) != 0) CarriageReturn();
}

void VtEmulator::CarriageReturn() {
    cursorColumn_ = LeftLimit();
    pendingWrap_ = false;
}

void VtEmulator::CursorLeftOne() {
    if (cursorColumn_ > LeftLimit()) --cursorColumn_;
    pendingWrap_ = false;
}

void VtEmulator::ForwardIndex() {
    if (cursorColumn_ < RightLimit()) ++cursorColumn_;
    pendingWrap_ = false;
}

void VtEmulator::HorizontalTab() {
    const int limit = RightLimit();
    int next = settings_.NextTabStop(cursorColumn_);
    if (next < 0 || next > limit) next = limit;
    next = std::max(next, cursorColumn_);
    if (captureOpen_ && !settings_.GetNumber(P::CaptureDebug) && next > cursorColumn_)
        host_->Capture(std::string(static_cast<size_t>(next - cursorColumn_), ' '));
    cursorColumn_ = next;
    pendingWrap_ = false;
}

// --- save, restore, alignment, line size ---------------------------------------

void VtEmulator::SaveCursor() {
    saved_.row = statusActive_ ? savedMainRow_ : cursorRow_;
    saved_.column = cursorColumn_;
    saved_.cursorVisible = settings_.GetNumber(P::CursorVisible);
    saved_.cursorType = settings_.GetNumber(P::CursorType);
    saved_.attribute = attribute_;
    saved_.charsets = charsets_.SaveState();
}

void VtEmulator::RestoreCursor() {
    if (!statusActive_) cursorRow_ = std::clamp(saved_.row, 0, lines_ - 1);
    cursorColumn_ = std::clamp(saved_.column, 0, columns_ - 1);
    pendingWrap_ = false;
    SetParameter(P::CursorVisible, saved_.cursorVisible);
    SetParameter(P::CursorType, saved_.cursorType);
    attribute_ = saved_.attribute;
    charsets_.RestoreState(saved_.charsets);
}

// DECALN: the page filled with "E", margins reset, cursor home.
void VtEmulator::ScreenAlignment() {
    screen_.FillRect(0, 0, lines_ - 1, columns_ - 1, 'E', CellAttribute());
    ResetMargins();
    statusActive_ = false;
    cursorRow_ = 0;
    cursorColumn_ = 0;
    pendingWrap_ = false;
}

void VtEmulator::SetLineSizeAtCursor(uint16_t size) {
    if (!statusActive_) screen_.SetLineSize(cursorRow_, size);
}

// --- cursor movement -------------------------------------------------------------

void VtEmulator::CursorUp(int count) {
    pendingWrap_ = false;
    if (statusActive_) return;
    const int limit = cursorRow_ < top_ ? 0 : top_;
    cursorRow_ = std::max(cursorRow_ - Count(count), limit);
}

void VtEmulator::CursorDown(int count) {
    pendingWrap_ = false;
    if (statusActive_) return;
    const int limit = cursorRow_ > bottom_ ? lines_ - 1 : bottom_;
    cursorRow_ = std::min(cursorRow_ + Count(count), limit);
}

void VtEmulator::CursorForward(int count) {
    pendingWrap_ = false;
    cursorColumn_ = std::min(cursorColumn_ + Count(count), RightLimit());
}

void VtEmulator::CursorBackward(int count) {
    pendingWrap_ = false;
    cursorColumn_ = std::max(cursorColumn_ - Count(count), LeftLimit());
}

// Values below 1 count as 1.
void VtEmulator::SetCursorPosition(int row, int column) {
    const int r = std::max(row, 1);
    const int c = std::max(column, 1);
    pendingWrap_ = false;
    if (absolute_ || statusActive_) {
        if (!statusActive_) cursorRow_ = std::min(r, lines_) - 1;
        cursorColumn_ = std::min(c, columns_) - 1;
    } else {
        cursorRow_ = std::min(top_ + Count(r) - 1, bottom_);
        cursorColumn_ = std::min(left_ + Count(c) - 1, right_);
    }
}

// --- erasing --------------------------------------------------------------------

void VtEmulator::EraseCells(int row, int left, int right, bool selective) {
    if (left > right) return;
    if (selective)
        screen_.SelectiveErase(row, 1, left, right);
    else
        screen_.Erase(row, 1, left, right);
}

// Whole lines; a plain erase also returns them to single width.
void VtEmulator::EraseLines(int firstRow, int count, bool selective) {
    if (count <= 0) return;
    if (selective)
        screen_.SelectiveErase(firstRow, count, 0, kStride - 1);
    else
        screen_.EraseLines(firstRow, count);
}

void VtEmulator::EraseInDisplay(int mode, bool selective) {
    if (statusActive_) {
        EraseInLine(mode, selective);
        return;
    }
    const int row = cursorRow_;
    const int col = cursorColumn_;
    const bool wholePage = mode >= 2 || (mode == 0 && row == 0 && col == 0);
    if (wholePage && !selective && settings_.GetNumber(P::SaveAll)) screen_.PushPageToHistory(columns_);
    if (mode == 0) {
        if (col != 0) {
            EraseCells(row, col, columns_ - 1, selective);
            EraseLines(row + 1, lines_ - row - 1, selective);
        } else {
            EraseLines(row, lines_ - row, selective);
        }
    } else if (mode == 1) {
        EraseLines(0, row, selective);
        if (col >= columns_ - 1)
            EraseLines(row, 1, selective);
        else
            EraseCells(row, 0, col, selective);
    } else {
        EraseLines(0, lines_, selective);
    }
}

void VtEmulator::EraseInLine(int mode, bool selective) {
    const int row = statusActive_ ? lines_ : cursorRow_;
    if (mode == 0)
        EraseCells(row, cursorColumn_, columns_ - 1, selective);
    else if (mode == 1)
        EraseCells(row, 0, cursorColumn_, selective);
    else if (mode == 2)
        EraseCells(row, 0, columns_ - 1, selective);
}

void VtEmulator::EraseCharacters(int count) {
    const int n = Count(count);
    if (n == 0) return;
    const int row = statusActive_ ? lines_ : cursorRow_;
    EraseCells(row, cursorColumn_, std::min(cursorColumn_ + n - 1, columns_ - 1), false);
}

// --- insertion and deletion ---------------------------------------------------------

// ICH / DCH (one row) and DECIC / DECDC (the rows of the scrolling region):
// cells between the cursor column and the right margin move right or left
// by count; blanks fill what they leave.  Nothing happens when the cursor is
// outside the margins.
void VtEmulator::ShiftCells(int firstRow, int rows, int count, bool insert) {
    const int right = statusActive_ ? columns_ - 1 : right_;
    const int left = statusActive_ ? 0 : left_;
    const int col = cursorColumn_;
    if (col < left || col > right) return;
    const int n = std::min(Count(count), right - col + 1);
    if (n == 0) return;
    if (col + n <= right) {
        if (insert)
            screen_.MoveCells(firstRow, rows, col, right - n, col + n);
        else
            screen_.MoveCells(firstRow, rows, col + n, right, col);
    }
    const int first = insert ? col : right - n + 1;
    screen_.Erase(firstRow, rows, first, first + n - 1);
}

void VtEmulator::InsertCharacters(int count) {
    ShiftCells(statusActive_ ? lines_ : cursorRow_, 1, count, true);
}

void VtEmulator::DeleteCharacters(int count) {
    ShiftCells(statusActive_ ? lines_ : cursorRow_, 1, count, false);
}

void VtEmulator::InsertLines(int count) {
    if (statusActive_ || !InsideRegion(cursorRow_, cursorColumn_, top_, bottom_, left_, right_)) return;
    ShiftLines(cursorRow_, bottom_, Count(count));
}

void VtEmulator::DeleteLines(int count) {
    if (statusActive_ || !InsideRegion(cursorRow_, cursorColumn_, top_, bottom_, left_, right_)) return;
    ShiftLines(cursorRow_, bottom_, -Count(count));
}

void VtEmulator::InsertColumns(int count) {
    if (!statusActive_) ShiftCells(top_, bottom_ - top_ + 1, count, true);
}

void VtEmulator::DeleteColumns(int count) {
    if (!statusActive_) ShiftCells(top_, bottom_ - top_ + 1, count, false);
}

// --- margins ----------------------------------------------------------------------

// DECSTBM: both 0 mean the whole page; a top of 0 keeps the current top.
void VtEmulator::SetScrollingRegion(std::optional<int> topArgument, std::optional<int> bottomArgument) {
    int top = topArgument.value_or(1);
    int bottom = bottomArgument.value_or(lines_);
    if (top == 0 && bottom == 0) {
        top = 1;
        bottom = lines_;
    } else if (top == 0) {
        top = top_ + 1;
    } else if (bottom == 0) {
        bottom = lines_;
    }
    SetTopBottomMargins(top, bottom);
}

// 1-based pair; a pair outside the page or not increasing is ignored.
void VtEmulator::SetTopBottomMargins(int top, int bottom) {
    if (top < 1 || bottom > lines_ || top >= bottom) return;
    top_ = top - 1;
    bottom_ = bottom - 1;
    left_ = 0;
    right_ = columns_ - 1;
    CursorHome();
}

// DECSLRM: 0 (or nothing) keeps the left margin and takes the last column
// as the right one.
void VtEmulator::SetHorizontalMargins(int left, int right) {
    if (left == 0) left = left_ + 1;
    if (right == 0) right = columns_;
    SetLeftRightMargins(left, right);
}

void VtEmulator::SetLeftRightMargins(int left, int right) {
    if (left < 1 || right > columns_ || left >= right) return;
    left_ = left - 1;
    right_ = right - 1;
    CursorHome();
}

// --- tabs, modes ------------------------------------------------------------------

void VtEmulator::TabClear(int mode) {
    if (mode == 0)
        settings_.SetTabStop(cursorColumn_, false);
    else if (mode == 3)
        settings_.ClearAllTabs();
}

// The stops become exactly the listed columns ("9/17/25", counted from 1);
// an entry that is not a column of the page is skipped.
void VtEmulator::RestoreTabStops(std::string_view data) {
    settings_.ClearAllTabs();
    while (!data.empty()) {
        const size_t slash = data.find('/');
        const std::string_view entry = data.substr(0, slash);
        data = slash == std::string_view::npos ? std::string_view() : data.substr(slash + 1);
        int column = 0;
        const auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), column);
        if (error == std::errc() && end == entry.data() + entry.size() && column >= 1 &&
            column <= columns_)
            settings_.SetTabStop(column - 1, true);
    }
}

void VtEmulator::SetMode(int mode, bool dec, bool set) {
    if (!dec) {
        switch (mode) {
        case 4: insertMode_ = set; break;
        case 12: SetParameter(P::LocalEcho, set ? 0 : 1); break;
        case 20: SetParameter(P::NewLine, set ? 1 : 0); break;
        default: break;
        }
        return;
    }
    switch (mode) {
    case 1: SetParameter(P::CursorKeys, set ? 0 : 1); break;
    case 3: SetPageArrangement(set ? kStride : 80, lines_); break;
    case 5: SetParameter(P::DarkScreen, set ? 0 : 1); break;
    case 6:
        absolute_ = !set;
        CursorHome();
        break;
    case 7: SetParameter(P::AutoWrap, set ? 1 : 0); break;
    case 25: SetParameter(P::CursorVisible, set ? 1 : 0); break;
    case 66: SetParameter(P::NumericKeypad, set ? 0 : 1); break;
    case 67: SetParameter(P::BackArrow, set ? 0 : 1); break;
    case 1006: inputModes_.sgrEncoding = set; break;
    case 2004: inputModes_.bracketedPaste = set; break;
    default:
        // Tracking modes exclude each other; resetting any of them ends
        // tracking, so a program never leaves the mouse half taken.
        if (const std::optional<MouseTracking> tracking = TrackingOfMode(mode)) {
            inputModes_.tracking = set ? *tracking : MouseTracking::Off;
        }
        break;
    }
}

void VtEmulator::ReportDecMode(int mode) {
    std::optional<bool> on;
    if (mode == 1006) {
        on = inputModes_.sgrEncoding;
    } else if (mode == 2004) {
        on = inputModes_.bracketedPaste;
    } else if (const std::optional<MouseTracking> tracking = TrackingOfMode(mode)) {
        on = inputModes_.tracking == *tracking;
    }
    if (!on) return; // not a mode this report knows
    char reply[32];
    const int n = std::snprintf(reply, sizeof reply, "\x1b[?%d;%d$y", mode, *on ? 1 : 2);
    Send(std::string_view(reply, static_cast<size_t>(n)));
}

// --- attributes -------------------------------------------------------------------

CellAttribute VtEmulator::ApplySgr(CellAttribute a, int p) {
    using A = CellAttribute;
    switch (p) {
    case 0: return a.Has(A::Protected) ? A().With(A::Protected) : A();
    case 1:
        if (a.Has(A::Bold)) return a;
        a = a.With(A::Bold);
        if (a.Foreground() >= 1 && a.Foreground() <= 7) a = a.WithForeground(a.Foreground() + 8);
        return a;
    case 4: return a.With(A::Underline);
    case 5: return a.With(A::Blink);
    case 7: return a.Has(A::Inverse) ? a : a.ColoursExchanged().With(A::Inverse);
    case 22:
        a = a.Without(A::Bold);
        if (a.Foreground() >= 9) a = a.WithForeground(a.Foreground() - 8);
        return a;
    case 24: return a.Without(A::Underline);
    case 25: return a.Without(A::Blink);
    case 27: return a.Has(A::Inverse) ? a.ColoursExchanged().Without(A::Inverse) : a;
    case 39: return WithColour(a, 7, true);
    case 49: return WithColour(a, 0, false);
    default: break;
    }
    if (p >= 30 && p <= 37) return WithColour(a, kBasicColours[p - 30], true);
    if (p >= 40 && p <= 47) return WithColour(a, kBasicColours[p - 40], false);
    if (p >= 90 && p <= 97) return WithColour(a, kBrightColours[p - 90], true);
    if (p >= 100 && p <= 107) return WithColour(a, kBrightColours[p - 100], false);
    return a;
}

// While inverse, the colours sit exchanged in the word.
CellAttribute VtEmulator::WithColour(CellAttribute a, int colour, bool foreground) {
    if (foreground != a.Has(CellAttribute::Inverse)) return SetForegroundBits(a, colour);
    return a.WithBackground(colour);
}

// The SGR parameters from `first` on, applied in order.  SGR 38 and 48 take
// their colour arguments with them: the first sixteen indexes act as the
// basic and bright colour parameters, any other colour becomes the nearest
// palette entry.  Sub-parameters of other renditions are skipped, except
// that 4:0 means no underline.
CellAttribute VtEmulator::ApplyRenditions(CellAttribute a, const SequenceCollector& s, int first) const {
    for (int i = first; i < s.Count();) {
        const int p = s.Parameter(i, 0);
        int next = i + 1;
        if (p == 38 || p == 48) {
            const bool foreground = p == 38;
            if (const auto colour = ReadExtendedColour(s, i, next)) {
                const int basic = colour->basicIndex;
                if (basic >= 0)
                    a = ApplySgr(a, (foreground ? 30 : 40) + (basic < 8 ? basic : 60 + basic - 8));
                else
                    a = WithColour(a, NearestPaletteColour(settings_.GetBlock(P::Palette), colour->rgb),
                                   foreground);
            }
        } else {
            const bool off = p == 4 && s.IsSubParameter(next) && s.Parameter(next, 0) == 0;
            a = ApplySgr(a, off ? 24 : p);
            while (s.IsSubParameter(next)) ++next;
        }
        i = next;
    }
    return a;
}

// No parameter counts as 0.
void VtEmulator::SelectGraphicRendition(const SequenceCollector& sequence) {
    if (sequence.Count() == 0) attribute_ = ApplySgr(attribute_, 0);
    attribute_ = ApplyRenditions(attribute_, sequence, 0);
}

void VtEmulator::SelectCharacterProtection(bool on) {
    attribute_ = on ? attribute_.With(CellAttribute::Protected)
                    : attribute_.Without(CellAttribute::Protected);
}

void VtEmulator::SelectAttributeChangeExtent(int extent) { rectangleExtent_ = extent == 2; }

// --- pages --------------------------------------------------------------------------

void VtEmulator::SetPageArrangement(int columns, int lines) {
    if (columns == columns_ && lines == lines_) return;
    const int pages = PagesForLines(lines);
    if (!IsColumnCount(columns) || pages == 0) return;
    const bool columnsChanged = columns != columns_;
    if (!settings_.SetPageGeometry(columns, lines, pages)) return;
    ChangeSet changes;
    RecordChange(changes, P::Lines);
    RecordChange(changes, P::Pages);
    if (columnsChanged) RecordChange(changes, P::Columns);
    ApplyChangeSet(changes);
}

void VtEmulator::SetLinesPerPage(std::optional<int> lines) {
    SetPageArrangement(columns_, lines.value_or(lines_));
}

void VtEmulator::SetColumnsPerPage(std::optional<int> columns) {
    SetPageArrangement(columns.value_or(columns_), lines_);
}

void VtEmulator::DisplayPage(int page) {
    if (page < 0 || page >= screen_.Pages() || page == screen_.DisplayedPage()) return;
    screen_.SelectDisplayedPage(page);
}

// Displays the page `delta` pages on, when it exists; NP and PP then also
// home the cursor.
void VtEmulator::StepPage(int delta, bool home) {
    const int before = screen_.DisplayedPage();
    DisplayPage(before + delta);
    if (!home || screen_.DisplayedPage() == before) return;
    cursorRow_ = 0;
    cursorColumn_ = 0;
    pendingWrap_ = false;
}

void VtEmulator::PagePositionRelative(int count) { StepPage(Count(count), false); }
void VtEmulator::PagePositionBackward(int count) { StepPage(-Count(count), false); }
void VtEmulator::NextPage(int count) { StepPage(Count(count), true); }
void VtEmulator::PrecedingPage(int count) { StepPage(-Count(count), true); }

// --- the status line --------------------------------------------------------------------

void VtEmulator::SelectStatusDisplayType(int type) {
    if (type == 2) {
        if (settings_.GetNumber(P::StatusLine) != 0) return;
        screen_.EraseLines(lines_, 1);
        statusColumn_ = 0;
        SetParameter(P::StatusLine, 1);
    } else if (settings_.GetNumber(P::StatusLine) == 1) {
        if (statusActive_) {
            statusActive_ = false;
            cursorRow_ = savedMainRow_;
            cursorColumn_ = savedMainColumn_;
            pendingWrap_ = false;
        }
        SetParameter(P::StatusLine, 0);
    }
}

void VtEmulator::SelectActiveStatusDisplay(int display) {
    if (display == 1) {
        if (statusActive_ || settings_.GetNumber(P::StatusLine) != 1) return;
        savedMainRow_ = cursorRow_;
        savedMainColumn_ = cursorColumn_;
        statusActive_ = true;
        cursorRow_ = lines_;
        cursorColumn_ = std::min(statusColumn_, columns_ - 1);
    } else {
        if (!statusActive_) return;
        statusColumn_ = cursorColumn_;
        statusActive_ = false;
        cursorRow_ = std::min(savedMainRow_, lines_ - 1);
        cursorColumn_ = std::min(savedMainColumn_, columns_ - 1);
    }
    pendingWrap_ = false;
}

// --- media copy -----------------------------------------------------------------------------

void VtEmulator::MediaCopy(int mode, bool dec) {
    if (dec) {
        if (mode == 1) host_->PrintCursorLine(statusActive_ ? lines_ : cursorRow_);
        if (mode == 4 || mode == 5) {
            autoPrint_ = mode == 5;
            host_->SetAutoPrint(autoPrint_);
        }
        return;
    }
    if (mode == 0) {
        host_->PrintPage();
    } else if (mode == 5) {
        parser_.StartPrinterController();
        host_->PrinterControllerStarted();
    }
}

// --- resets ----------------------------------------------------------------------------------

void VtEmulator::SoftResetState() {
    SelectStatusDisplayType(1);
    EraseInDisplay(2, false);
    SetParameter(P::AutoWrap, 0);
    SetParameter(P::CursorKeys, 1);
    insertMode_ = false;
    SetParameter(P::NumericKeypad, 1);
    absolute_ = true;
    SetParameter(P::CursorVisible, 1);
    charsets_.Reset();
    cursorRow_ = 0;
    cursorColumn_ = 0;
    pendingWrap_ = false;
    attribute_ = CellAttribute();
    ResetMargins();
    parser_.Reset();
    inputModes_ = HostInputModes{};
}

void VtEmulator::SoftReset() {
    SoftResetState();
    UpdateViews();
}

} // namespace tamsivane

// The cells of all pages, the scroll-back history ring and the host-writable
// status line of one session.  Lines live in flat arrays with a fixed stride
// of 132 cells: the 144-line page store first, the history ring after it, so
// scrolling and rectangle operations are block moves.
//
// Rows are relative to the displayed page (0 .. Lines-1); row Lines addresses
// the status line.  Every operation clamps rows and columns to the page so
// that nothing is written outside the arrays.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/CellAttribute.h"
#include "config/PageGeometry.h"

namespace tamsivane {

// Line-attribute word.
namespace LineSize {
inline constexpr uint16_t Single = 0;
inline constexpr uint16_t DoubleWidth = 1;
inline constexpr uint16_t DoubleHeightTop = 3;
inline constexpr uint16_t DoubleHeightBottom = 5;
inline constexpr uint16_t SizeMask = 0x00FF;
inline constexpr uint16_t Changed = 0x8000;
} // namespace LineSize

inline constexpr uint16_t kBlankCode = 0x20;
inline constexpr uint16_t kBlankAttribute = CellAttribute().Word();

// One line as the view shows it.
struct DisplayLine {
    uint16_t size = 0;              // line size, changed bit masked
    const uint16_t* codes = nullptr; // kStride codes
    const uint16_t* attrs = nullptr; // kStride attribute words
};

class ScreenBuffer {
public:
    ScreenBuffer() = default;
    ScreenBuffer(const ScreenBuffer&) = delete;
    ScreenBuffer& operator=(const ScreenBuffer&) = delete;

    // Allocates 144 + historyLines lines of blanks; empty history.  False when
    // the allocation fails (the buffer is then left empty).
    bool Create(int historyLines);
    // pages x lines must fit the page store; out-of-range values are clamped.
    void SetGeometry(int pages, int lines);
    int Pages() const { return pages_; }
    int Lines() const { return lines_; }
    int DisplayedPage() const { return displayedPage_; }
    int HistoryCapacity() const { return historyCapacity_; }

    void ResetPageStore();
    void ClearHistory();
    void ResizeHistory(int newLength);

    // Cell operations; row Lines() addresses the status line.
    void WriteCell(int row, int column, uint16_t code, CellAttribute attribute);
    uint16_t Code(int row, int column) const;
    CellAttribute Attribute(int row, int column) const;
    void SetLineSize(int row, uint16_t size);
    uint16_t GetLineSize(int row) const;
    // Blanks columns left..right of the rows; line sizes stay.
    void Erase(int firstRow, int rowCount, int left, int right);
    // Blanks whole lines, which also return to single width.
    void EraseLines(int firstRow, int rowCount);
    void SelectiveErase(int firstRow, int rowCount, int left, int right);
    // Copies columns fromLeft..fromRight of the rows to start at toColumn;
    // the cells the block leaves keep their codes for the caller to erase.
    void MoveCells(int row, int rowCount, int fromLeft, int fromRight, int toColumn);
    // Moves the band left..right of count rows from fromRow to toRow; the
    // source rows that the moved block does not cover become blank.
    void MoveLines(int fromRow, int toRow, int count, int left, int right);

    // Rectangles on the page store, inclusive coordinates, rows relative to a page.
    void CopyRect(int sourcePage, int top, int left, int bottom, int right, int targetPage,
                  int targetTop, int targetLeft);
    void FillRect(int top, int left, int bottom, int right, uint16_t code, CellAttribute attribute);
    // Exclusive-or of the attribute words with CellAttribute flags.
    void ToggleRectFlags(int top, int left, int bottom, int right, uint16_t flags);

    // Direct row access for the character writer; the row is clamped.  The
    // caller marks the row changed.
    struct Cells {
        uint16_t* codes;
        uint16_t* attrs;
    };
    Cells RowCells(int row) {
        row = Clamp(row);
        if (row == lines_) return {statusCodes_, statusAttrs_};
        if (Empty()) return {scratchCodes_, scratchAttrs_};
        const size_t slot = LineIndex(row);
        return {SlotCodes(slot), SlotAttrs(slot)};
    }
    // The cells of a row for writing, the row marked changed (the path of
    // every written character: the row is looked up once).
    Cells ChangeRow(int row) {
        row = Clamp(row);
        if (row == lines_) {
            statusChanged_ = true;
            return {statusCodes_, statusAttrs_};
        }
        if (Empty()) return {scratchCodes_, scratchAttrs_};
        const size_t slot = LineIndex(row);
        lineAttrs_[slot] |= LineSize::Changed;
        return {SlotCodes(slot), SlotAttrs(slot)};
    }
    void MarkRowChanged(int row) {
        row = Clamp(row);
        if (row == lines_)
            statusChanged_ = true;
        else if (!Empty())
            lineAttrs_[LineIndex(row)] |= LineSize::Changed;
    }

    void PushLineToHistory(int row);
    void PushPageToHistory(int width);
    int HistoryCount() const { return historyCount_; }

    // 0..count-1 history (oldest first), then the page rows, then the status
    // line.  False outside that range.
    bool LineForDisplay(int index, DisplayLine& out) const;
    int DisplayLineCount() const { return historyCount_ + lines_ + 1; }

    // First and last changed row of the displayed page (status line included
    // as row Lines()); clears those flags.  -1, -1 when nothing changed.
    void TakeChangedRange(int& first, int& last);
    bool TakeHistoryChanged();
    void MarkAllChanged();

    void SelectDisplayedPage(int index);
    bool AnyBlinkingCell(int firstDisplayLine, int lastDisplayLine) const;
    // Column of the match in the display line, or -1.  Forward: candidates
    // from startColumn rightwards; Backward: the match must end at or before
    // startColumn and candidates run leftwards.
    enum class Direction : uint8_t { Forward, Backward };
    enum class LetterCase : uint8_t { Exact, Ignored };
    int FindText(int displayLine, std::u16string_view text, int startColumn, Direction direction,
                 LetterCase letterCase) const;
    // Codes of the region of the displayed page, rows joined by "\n\r".
    std::u16string TextOfRegion(int top, int left, int bottom, int right) const;

private:
    int Clamp(int row) const { return row < 0 ? 0 : row > lines_ ? lines_ : row; }
    bool Empty() const { return codes_.empty(); }
    // Inclusive rows top .. bottom clipped to the page rows 0 .. Lines()-1;
    // false when nothing is left.
    bool ClipPageRows(int& top, int& bottom) const;
    uint16_t* SlotCodes(size_t slot) { return codes_.data() + slot * kStride; }
    uint16_t* SlotAttrs(size_t slot) { return attrs_.data() + slot * kStride; }
    const uint16_t* SlotCodes(size_t slot) const { return codes_.data() + slot * kStride; }
    const uint16_t* SlotAttrs(size_t slot) const { return attrs_.data() + slot * kStride; }
    void BlankSlot(size_t slot, int left, int right);
    size_t HistorySlot(int index) const;
    void MoveWholeLinesByMap(int fromRow, int toRow, int count);
    void CopyLineBand(int fromRow, int toRow, int left, int right);
    // Calls edit(codes, attrs, width) for the band of every row of a clipped
    // rectangle of the displayed page and marks those rows changed.
    template <typename Edit>
    void EditRect(int top, int left, int bottom, int right, Edit edit);
    // Array line (slot) that holds a displayed-page row.  Page-store lines are
    // reached through rowMap_, so that moving whole lines (left 0, right 131)
    // rotates map entries instead of copying cells.
    size_t LineIndex(int row) const {
        return static_cast<size_t>(rowMap_[displayedPage_ * lines_ + row]);
    }
    int rowMap_[kPageStoreLines] = {};
    // Rows whose lines were handed over by a rotation: changed as a band,
    // so a scroll does not visit every line's flag.
    int movedFirst_ = kPageStoreLines;
    int movedLast_ = -1;

    std::vector<uint16_t> codes_;
    std::vector<uint16_t> attrs_;
    std::vector<uint16_t> lineAttrs_;
    uint16_t statusCodes_[kStride] = {};
    uint16_t statusAttrs_[kStride] = {};
    bool statusChanged_ = false;
    // Handed out by RowCells while the arrays do not exist.
    uint16_t scratchCodes_[kStride] = {};
    uint16_t scratchAttrs_[kStride] = {};

    int pages_ = 1;
    int lines_ = 24;
    int displayedPage_ = 0;

    int historyCapacity_ = 0;
    int historyStart_ = kPageStoreLines;
    int historyNext_ = kPageStoreLines;
    int historyCount_ = 0;
    bool historyChanged_ = false;
};

} // namespace tamsivane

// What the user selected on a terminal view, in buffer rows (history first)
// and columns: a stream of text between two cells, or a block of columns.
// Follows a mouse drag from its anchor, says which cells a step changed, and
// yields the selected text.  Needs no widget; the view feeds it cells.
#pragma once

#include <cstdint>
#include <string>

namespace tamsivane {

class ScreenBuffer;

// A selection; start is not after end (for a block, the start column is not
// after the end column either).  The default selects nothing.
struct Selection {
    int startRow = -1;
    int startColumn = 0;
    int endRow = -1;
    int endColumn = 0;
    bool rectangular = false;

    bool Exists() const { return startRow >= 0; }
    bool operator==(const Selection&) const = default;
};

struct CellPosition {
    int row = 0;
    int column = 0;
    bool operator==(const CellPosition&) const = default;
};

// Cells to repaint: rows first..last, columns first..last of each (a whole
// row is columns 0..kStride-1).  Empty when last row < first row.
struct CellArea {
    int firstRow = 0;
    int lastRow = -1;
    int firstColumn = 0;
    int lastColumn = -1;

    bool Empty() const { return lastRow < firstRow || lastColumn < firstColumn; }
    static CellArea Rows(int first, int last);
};

class TextSelection {
public:
    const Selection& Current() const { return selection_; }
    bool Exists() const { return selection_.Exists(); }
    bool Dragging() const { return dragging_; }

    // Selects nothing; the rows that were selected need repainting.
    CellArea Clear();
    // A drag begins at a cell: nothing is selected yet.
    CellArea BeginDrag(CellPosition anchor, bool rectangular);
    // The drag reached a cell.  A stream runs from the earlier of anchor and
    // cell to just before the later one (the far cell is not included); a
    // block spans both.  What changed needs repainting; nothing when the
    // cell is the one reached last.
    CellArea DragTo(CellPosition cell);
    void EndDrag() { dragging_ = false; }
    // Every row shown, as a stream.
    void SelectAll(int rows, int columns);
    // The word around a cell of a row whose codes are given (columns of
    // them): a run of letters, digits and the characters of names, paths
    // and addresses; else a run of blanks; else the one character.
    static Selection WordAt(const uint16_t* codes, int columns, CellPosition cell);
    // Any selection (a found text, one the caller made).
    void Set(const Selection& selection);

    // The selected text: rows joined by CR LF, clipped to columns, cells
    // holding 0 (right halves of wide characters) left out.  Without
    // copySpace a stream's rows lose their trailing blanks; a block keeps
    // them.  Stops at a row the buffer does not hold.
    std::u16string Text(const ScreenBuffer& screen, int columns, bool copySpace) const;

private:
    CellArea SelectedRows() const;

    Selection selection_;
    CellPosition anchor_;
    CellPosition current_;
    bool dragging_ = false;
};

} // namespace tamsivane

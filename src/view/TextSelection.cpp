#include "view/TextSelection.h"

#include <algorithm>
#include <string_view>

#include "emulator/LineText.h"
#include "emulator/ScreenBuffer.h"

namespace tamsivane {

CellArea CellArea::Rows(int first, int last) { return {first, last, 0, kStride - 1}; }

CellArea TextSelection::SelectedRows() const {
    return Exists() ? CellArea::Rows(selection_.startRow, selection_.endRow) : CellArea{};
}

CellArea TextSelection::Clear() {
    const CellArea changed = SelectedRows();
    selection_ = Selection{};
    return changed;
}

CellArea TextSelection::BeginDrag(CellPosition anchor, bool rectangular) {
    const CellArea changed = Clear();
    anchor_ = anchor;
    current_ = anchor;
    selection_.rectangular = rectangular;
    dragging_ = true;
    return changed;
}

CellArea TextSelection::DragTo(CellPosition cell) {
    if (!dragging_ || cell == current_) return {};
    const CellPosition previous = current_;
    current_ = cell;
    Selection next;
    next.rectangular = selection_.rectangular;
    if (next.rectangular) {
        next.startRow = std::min(anchor_.row, cell.row);
        next.endRow = std::max(anchor_.row, cell.row);
        next.startColumn = std::min(anchor_.column, cell.column);
        next.endColumn = std::max(anchor_.column, cell.column);
        selection_ = next;
        // Every row of the block may have gained or lost columns.
        return CellArea::Rows(std::min({previous.row, cell.row, anchor_.row}),
                              std::max({previous.row, cell.row, anchor_.row}));
    }
    const bool backwards =
        cell.row < anchor_.row || (cell.row == anchor_.row && cell.column <= anchor_.column);
    const CellPosition from = backwards ? cell : anchor_;
    const CellPosition to = backwards ? anchor_ : cell;
    next.startRow = from.row;
    next.startColumn = from.column;
    next.endRow = to.row;
    next.endColumn = to.column - 1;
    if (next.startRow == next.endRow && next.endColumn < next.startColumn) {
        next.startRow = next.endRow = -1;
    }
    selection_ = next;
    // A stream changes only between the cell reached before and this one
    // (crossing the anchor passes over it, so it is covered too).
    if (previous.row != cell.row) {
        return CellArea::Rows(std::min(previous.row, cell.row), std::max(previous.row, cell.row));
    }
    return {cell.row, cell.row, std::min(previous.column, cell.column),
            std::max(previous.column, cell.column)};
}

void TextSelection::SelectAll(int rows, int columns) {
    dragging_ = false;
    selection_ = rows > 0 ? Selection{0, 0, rows - 1, columns - 1, false} : Selection{};
}

namespace {

enum class CodeKind { Word, Blank, Other };

CodeKind KindOf(uint16_t code) {
    constexpr std::u16string_view kWordPunctuation = u"_-.~/:@%+=#?&";
    // 0 is the right half of a wide character, a part of its word.
    if (code == 0 || code >= 0x80 || (code >= u'0' && code <= u'9') ||
        ((code | 0x20) >= u'a' && (code | 0x20) <= u'z') ||
        kWordPunctuation.find(static_cast<char16_t>(code)) != std::u16string_view::npos) {
        return CodeKind::Word;
    }
    return code == kBlankCode ? CodeKind::Blank : CodeKind::Other;
}

} // namespace

Selection TextSelection::WordAt(const uint16_t* codes, int columns, CellPosition cell) {
    const int last = std::min(columns, kStride) - 1;
    if (last < 0) return {};
    const int column = std::clamp(cell.column, 0, last);
    const CodeKind kind = KindOf(codes[column]);
    int first = column;
    int end = column;
    if (kind != CodeKind::Other) {
        while (first > 0 && KindOf(codes[first - 1]) == kind) --first;
        while (end < last && KindOf(codes[end + 1]) == kind) ++end;
    }
    return Selection{cell.row, first, cell.row, end, false};
}

void TextSelection::Set(const Selection& selection) {
    dragging_ = false;
    selection_ = selection;
}

std::u16string TextSelection::Text(const ScreenBuffer& screen, int columns, bool copySpace) const {
    std::u16string text;
    if (!Exists()) return text;
    const Selection& s = selection_;
    const int lastColumn = std::min(columns, kStride) - 1;
    DisplayLine line;
    for (int row = s.startRow; row <= s.endRow; ++row) {
        if (!screen.LineForDisplay(row, line)) break;
        const int first = s.rectangular || row == s.startRow ? s.startColumn : 0;
        const int last =
            std::min(s.rectangular || row == s.endRow ? s.endColumn : lastColumn, lastColumn);
        std::u16string cells = LineText(line, first, last);
        // Trailing blanks of a stream's row go, but never past what was
        // selected: a partly selected last row keeps its own end.
        if (!s.rectangular && !copySpace) cells.erase(cells.find_last_not_of(u' ') + 1);
        text += cells;
        if (row != s.endRow) text += u"\r\n";
    }
    return text;
}

} // namespace tamsivane

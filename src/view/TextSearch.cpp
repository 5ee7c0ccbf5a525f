#include "view/TextSearch.h"

#include <QChar>
#include <algorithm>

#include "emulator/ScreenBuffer.h"

namespace tamsivane {
namespace {

bool IsWordCharacter(uint16_t code) { return code == u'_' || QChar(code).isLetterOrNumber(); }

bool StandsAlone(const ScreenBuffer& screen, int row, int column, int length, int columns) {
    DisplayLine line;
    if (!screen.LineForDisplay(row, line)) return false;
    const int after = column + length;
    return (column == 0 || !IsWordCharacter(line.codes[column - 1])) &&
           (after >= columns || !IsWordCharacter(line.codes[after]));
}

} // namespace

std::optional<CellPosition> FindInRows(const ScreenBuffer& screen, const FindRequest& request,
                                       CellPosition start, int lastRow, int columns) {
    columns = std::min(columns, kStride);
    const int length = static_cast<int>(request.text.size());
    if (length == 0 || length > columns) return std::nullopt;
    const int lastColumn = columns - 1;
    const auto accept = [&](int row, int column) {
        return !request.wholeWord || StandsAlone(screen, row, column, length, columns);
    };
    const auto letterCase =
        request.caseSensitive ? ScreenBuffer::LetterCase::Exact : ScreenBuffer::LetterCase::Ignored;
    if (request.down) {
        for (int row = std::max(start.row, 0); row <= lastRow; ++row) {
            int from = row == start.row ? start.column : 0;
            while (from <= lastColumn) {
                const int column = screen.FindText(row, request.text, from,
                                                   ScreenBuffer::Direction::Forward, letterCase);
                if (column < 0 || column + length - 1 > lastColumn) break;
                if (accept(row, column)) return CellPosition{row, column};
                from = column + 1;
            }
        }
        return std::nullopt;
    }
    for (int row = std::min(start.row, lastRow); row >= 0; --row) {
        // The last column a match may end at.
        int to = row == start.row ? std::min(start.column, lastColumn) : lastColumn;
        while (to >= length - 1) {
            const int column = screen.FindText(row, request.text, to,
                                               ScreenBuffer::Direction::Backward, letterCase);
            if (column < 0) break;
            if (accept(row, column)) return CellPosition{row, column};
            to = column + length - 2;
        }
    }
    return std::nullopt;
}

} // namespace tamsivane

// Finding a text in the rows of the screen and its history, from a cell
// downwards or upwards, as the Find command does.
#pragma once

#include <optional>
#include <string>

#include "view/TextSelection.h"

namespace tamsivane {

class ScreenBuffer;

struct FindRequest {
    std::u16string text;
    // Up by default: the text sought is usually in what came before.
    bool down = false;
    bool caseSensitive = false;
    // No letter, digit or "_" right before or after the match.
    bool wholeWord = false;
};

// The first cell of the first match.  Down: the match starts at or right of
// start on start's row, anywhere on the rows below it through lastRow.  Up:
// it ends at or left of start on start's row, anywhere on the rows above.
// Matches lie wholly within columns; candidates are tried in the direction
// of the search.
std::optional<CellPosition> FindInRows(const ScreenBuffer& screen, const FindRequest& request,
                                       CellPosition start, int lastRow, int columns);

} // namespace tamsivane

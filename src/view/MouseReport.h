// The bytes that tell the host about a mouse event on a page cell, in the
// two reporting modes a host may ask for (MouseSupport 1 and 2).
#pragma once

#include <string>

namespace tamsivane {

// The event numbers of mode 2.
enum class MouseEvent : int {
    Move = 1,
    LeftPress = 2,
    LeftRelease = 3,
    RightPress = 6,
    RightRelease = 7,
};

// The buttons held, as mode 2 reports them.
namespace MouseButtons {
inline constexpr int Right = 1;
inline constexpr int Left = 4;
} // namespace MouseButtons

// row and column: 0-based cells of the page.  Empty when the mode reports
// nothing for the event (mode 1 moves, modes other than 1 and 2).
std::string MouseReportBytes(int mode, MouseEvent event, int buttons, int row, int column);

} // namespace tamsivane

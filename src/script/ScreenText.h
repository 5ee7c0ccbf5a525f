// The text of a rectangle of the displayed page, as term.Screen returns it.
#pragma once

#include <string>

namespace tamsivane {

class VtEmulator;

// Rows and columns from 1, inclusive, clipped to the page, in the session's
// encoding; rows joined by LF CR with nothing after the last.
std::string ScreenRectangleText(const VtEmulator& emulator, int top, int left, int bottom,
                                int right);

} // namespace tamsivane

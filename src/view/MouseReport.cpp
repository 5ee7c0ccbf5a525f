#include "view/MouseReport.h"

#include <cstdio>

namespace tamsivane {

std::string MouseReportBytes(int mode, MouseEvent event, int buttons, int row, int column) {
    if (mode == 1) {
        // Button code, column and row, each one byte offset by 32 (cells from 1).
        char button;
        switch (event) {
        case MouseEvent::LeftPress:
            button = '#';
            break;
        case MouseEvent::RightPress:
            button = '!';
            break;
        case MouseEvent::LeftRelease:
        case MouseEvent::RightRelease:
            button = ' ';
            break;
        default:
            return {};
        }
        return std::string("\x1b[M") + button + static_cast<char>(column + 33) +
               static_cast<char>(row + 33);
    }
    if (mode == 2) {
        char text[64];
        const int n = std::snprintf(text, sizeof text, "\x1b[%d;%d;%d;%d&w",
                                    static_cast<int>(event), buttons, row + 1, column + 1);
        return std::string(text, static_cast<size_t>(n));
    }
    return {};
}

} // namespace tamsivane

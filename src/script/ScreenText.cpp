#include "script/ScreenText.h"

#include <algorithm>

#include "emulator/VtEmulator.h"

namespace tamsivane {

std::string ScreenRectangleText(const VtEmulator& emulator, int top, int left, int bottom,
                                int right) {
    const int lines = emulator.Settings().GetNumber(P::Lines);
    const int columns = emulator.Settings().GetNumber(P::Columns);
    const int firstRow = std::max(top, 1), lastRow = std::min(bottom, lines);
    const int firstColumn = std::max(left, 1), lastColumn = std::min(right, columns);
    std::string text;
    for (int row = firstRow; row <= lastRow; ++row) {
        if (row > firstRow) text += "\n\r";
        for (int column = firstColumn; column <= lastColumn; ++column) {
            text += static_cast<char>(emulator.Screen().Code(row - 1, column - 1) & 0xFF);
        }
    }
    return text;
}

} // namespace tamsivane

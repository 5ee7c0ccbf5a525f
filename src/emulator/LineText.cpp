#include "emulator/LineText.h"

#include <algorithm>

#include "emulator/VtEmulator.h"
#include "platform/Utf8.h"

namespace tamsivane {

std::u16string LineText(const DisplayLine& line, int first, int last) {
    std::u16string text;
    if (!line.codes || !line.attrs) return text;
    first = std::max(first, 0);
    last = std::min(last, kStride - 1);
    // Whether a 0 code is a right half depends on the cells before it, so
    // the walk starts at the line's first cell even when the text does not.
    bool afterLeftHalf = false;
    for (int column = 0; column <= last; ++column) {
        const uint16_t code = line.codes[column];
        const bool rightHalf = code == 0 && afterLeftHalf;
        afterLeftHalf = !rightHalf && CellAttribute::FromWord(line.attrs[column]).Class() ==
                                          CharClass::DoubleWidth;
        if (column >= first && !rightHalf) text += code == 0 ? u' ' : static_cast<char16_t>(code);
    }
    return text;
}

std::string DisplayLineText(const DisplayLine& line, int columns) {
    std::string out;
    AppendUtf8Text(out, LineText(line, 0, columns - 1));
    out.erase(out.find_last_not_of(' ') + 1);
    return out;
}

int ShownColumns(const VtEmulator& emulator) {
    return std::clamp(static_cast<int>(emulator.Settings().GetNumber(P::Columns)), 1, kStride);
}

std::string TextDump(const VtEmulator& emulator) {
    const ScreenBuffer& screen = emulator.Screen();
    const int columns = ShownColumns(emulator);
    std::string out;
    DisplayLine line;
    for (int row = 0; row < screen.Lines(); ++row) {
        if (screen.LineForDisplay(screen.HistoryCount() + row, line)) {
            out += DisplayLineText(line, columns);
        }
        out += '\n';
    }
    return out;
}

} // namespace tamsivane

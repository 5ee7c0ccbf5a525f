#include "script/ScreenText.h"

#include <algorithm>

#include "emulator/CharsetTranslator.h"
#include "emulator/LineText.h"
#include "emulator/VtEmulator.h"
#include "platform/Utf8.h"

namespace tamsivane {

namespace {

// A script's strings hold the bytes the host sends and receives, so screen
// text is put in the session's encoding: a double-byte session's code page
// (UTF-8 among them) for every character; otherwise a Latin-1 character is
// its own byte and any other goes through the ANSI code page.
std::string InSessionEncoding(std::u16string_view text, const SettingsStore& settings) {
    std::string bytes;
    if (settings.GetNumber(P::DBCS) != 0) {
        const int codePage = Charset::DoubleByteCodePage(settings.GetNumber(P::DBCSSet));
        if (codePage == kUtf8CodePage) {
            AppendUtf8Text(bytes, text);
            return bytes;
        }
        return CodePageService().FromUnicode(codePage, text);
    }
    for (const char16_t ch : text) {
        if (ch < 0x100) {
            bytes += static_cast<char>(ch);
        } else {
            const std::string ansi = CodePageService().FromUnicode(SystemAnsiCodePage(), ch);
            bytes += ansi.empty() ? std::string("?") : ansi;
        }
    }
    return bytes;
}

} // namespace

std::string ScreenRectangleText(const VtEmulator& emulator, int top, int left, int bottom,
                                int right) {
    const ScreenBuffer& screen = emulator.Screen();
    const int lines = std::min(static_cast<int>(emulator.Settings().GetNumber(P::Lines)),
                               screen.Lines());
    const int firstRow = std::max(top, 1), lastRow = std::min(bottom, lines);
    const int lastColumn = std::min(right, ShownColumns(emulator));
    std::u16string text;
    DisplayLine line;
    for (int row = firstRow; row <= lastRow; ++row) {
        if (row > firstRow) text += u"\n\r";
        if (screen.LineForDisplay(screen.HistoryCount() + row - 1, line)) {
            text += LineText(line, left - 1, lastColumn - 1);
        }
    }
    return InSessionEncoding(text, emulator.Settings());
}

} // namespace tamsivane

#include "cli/ScreenDump.h"

#include <cstdio>

#include "emulator/ControlNames.h"
#include "emulator/LineText.h"
#include "emulator/VtEmulator.h"
#include "platform/Utf8.h"

namespace tamsivane {

namespace {

void AppendNumber(std::string& out, long long value) { out += std::to_string(value); }

void AppendAttrs(std::string& out, const DisplayLine& line, int columns) {
    out += '[';
    for (int column = 0; column < columns; ++column) {
        if (column) out += ',';
        AppendNumber(out, line.attrs[column]);
    }
    out += ']';
}

DisplayLine LineAt(const ScreenBuffer& screen, int index) {
    DisplayLine line;
    screen.LineForDisplay(index, line);
    return line;
}

} // namespace

void AppendJsonString(std::string& out, std::string_view text, bool bytesAreLatin1) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else if (byte >= 0x80 && bytesAreLatin1) {
            AppendUtf8(out, byte);
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string JsonDump(const VtEmulator& emulator, std::string_view replies) {
    const ScreenBuffer& screen = emulator.Screen();
    const int columns = ShownColumns(emulator);
    const int history = screen.HistoryCount();
    const CursorPosition cursor = emulator.Cursor();

    std::string out = "{\"columns\":";
    AppendNumber(out, columns);
    out += ",\"lines\":";
    AppendNumber(out, screen.Lines());
    out += ",\"page\":";
    AppendNumber(out, screen.DisplayedPage());
    out += ",\"pages\":";
    AppendNumber(out, screen.Pages());
    out += ",\"cursor\":[";
    AppendNumber(out, cursor.row);
    out += ',';
    AppendNumber(out, cursor.column);
    out += "],\n\"rows\":[";
    for (int row = 0; row < screen.Lines(); ++row) {
        const DisplayLine line = LineAt(screen, history + row);
        if (!line.codes) break;
        out += row ? ",\n" : "\n";
        out += "{\"text\":";
        AppendJsonString(out, DisplayLineText(line, columns));
        out += ",\"size\":";
        AppendNumber(out, line.size);
        out += ",\"attrs\":";
        AppendAttrs(out, line, columns);
        out += '}';
    }
    out += "],\n\"status\":{\"text\":";
    const DisplayLine status = LineAt(screen, history + screen.Lines());
    AppendJsonString(out, DisplayLineText(status, columns));
    if (status.attrs) {
        out += ",\"attrs\":";
        AppendAttrs(out, status, columns);
    }
    out += "},\n\"replies\":";
    AppendJsonString(out, ControlNotation(replies), true);
    out += ",\n\"history\":[";
    for (int index = 0; index < history; ++index) {
        out += index ? ",\n" : "\n";
        AppendJsonString(out, DisplayLineText(LineAt(screen, index), columns));
    }
    out += "]}\n";
    return out;
}

} // namespace tamsivane

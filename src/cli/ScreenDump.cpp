#include "cli/ScreenDump.h"

#include <algorithm>
#include <cstdio>

#include "emulator/ControlNames.h"
#include "emulator/VtEmulator.h"
#include "platform/Utf8.h"

namespace tamsivane {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(uint16_t code) { return code >= 0xD800 && code <= 0xDBFF; }
bool IsLowSurrogate(uint16_t code) { return code >= 0xDC00 && code <= 0xDFFF; }

// Columns shown by the emulator, within the 132-cell stride.
int ColumnCount(const VtEmulator& emulator) {
    return std::clamp(static_cast<int>(emulator.Settings().GetNumber(P::Columns)), 1, kStride);
}

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

// Text of a line that may be missing (no cells): empty.
std::string TextAt(const ScreenBuffer& screen, int index, int columns) {
    const DisplayLine line = LineAt(screen, index);
    return line.codes ? DisplayLineText(line, columns) : std::string();
}

} // namespace

std::string DisplayLineText(const DisplayLine& line, int columns) {
    std::string out;
    if (!line.codes || !line.attrs) return out;
    columns = std::clamp(columns, 0, kStride);
    bool afterLeftHalf = false;
    for (int column = 0; column < columns; ++column) {
        const uint16_t code = line.codes[column];
        const bool rightHalf = code == 0 && afterLeftHalf;
        afterLeftHalf = !rightHalf && CellAttribute::FromWord(line.attrs[column]).Class() ==
                                          CharClass::DoubleWidth;
        if (rightHalf) continue;
        if (code == 0) {
            out += ' ';
        } else if (IsHighSurrogate(code) && column + 1 < columns &&
                   IsLowSurrogate(line.codes[column + 1])) {
            const char32_t high = code - 0xD800;
            const char32_t low = line.codes[column + 1] - 0xDC00;
            AppendUtf8(out, 0x10000 + (high << 10) + low);
            ++column;
        } else if (IsSurrogate(code)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, code);
        }
    }
    out.erase(out.find_last_not_of(' ') + 1);
    return out;
}

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

std::string TextDump(const VtEmulator& emulator) {
    const ScreenBuffer& screen = emulator.Screen();
    const int columns = ColumnCount(emulator);
    std::string out;
    for (int row = 0; row < screen.Lines(); ++row) {
        out += TextAt(screen, screen.HistoryCount() + row, columns);
        out += '\n';
    }
    return out;
}

std::string JsonDump(const VtEmulator& emulator, std::string_view replies) {
    const ScreenBuffer& screen = emulator.Screen();
    const int columns = ColumnCount(emulator);
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
    AppendJsonString(out, status.codes ? DisplayLineText(status, columns) : std::string());
    if (status.attrs) {
        out += ",\"attrs\":";
        AppendAttrs(out, status, columns);
    }
    out += "},\n\"replies\":";
    AppendJsonString(out, ControlNotation(replies), true);
    out += ",\n\"history\":[";
    for (int index = 0; index < history; ++index) {
        out += index ? ",\n" : "\n";
        AppendJsonString(out, TextAt(screen, index, columns));
    }
    out += "]}\n";
    return out;
}

} // namespace tamsivane

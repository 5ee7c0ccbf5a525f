// Pictures of an emulator's displayed page for the headless program: plain
// text, one line per row, and a JSON object with cells, attributes, cursor,
// status line, history and the replies sent to the host.
#pragma once

#include <string>
#include <string_view>

namespace tamsivane {

class VtEmulator;
struct DisplayLine;

// The first `columns` cells of a line as UTF-8: surrogate pairs joined, the
// right half of a double-width character left out, other 0 codes as spaces,
// trailing blanks removed.
std::string DisplayLineText(const DisplayLine& line, int columns);

// Appends text as a quoted JSON string.  bytesAreLatin1: every byte is one
// character U+0000-U+00FF; otherwise the text is already UTF-8.
void AppendJsonString(std::string& out, std::string_view text, bool bytesAreLatin1 = false);

// One line per row of the displayed page, each ending in "\n".
std::string TextDump(const VtEmulator& emulator);
// The JSON object, ending in "\n"; replies are the raw bytes sent to the host.
std::string JsonDump(const VtEmulator& emulator, std::string_view replies);

} // namespace tamsivane

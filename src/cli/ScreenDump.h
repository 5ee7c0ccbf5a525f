// The JSON picture of an emulator's displayed page for the headless program:
// cells, attributes, cursor, status line, history and the replies sent to the
// host.  The plain text picture is TextDump (emulator/LineText.h).
#pragma once

#include <string>
#include <string_view>

namespace tamsivane {

class VtEmulator;

// Appends text as a quoted JSON string.  bytesAreLatin1: every byte is one
// character U+0000-U+00FF; otherwise the text is already UTF-8.
void AppendJsonString(std::string& out, std::string_view text, bool bytesAreLatin1 = false);

// The JSON object, ending in "\n"; replies are the raw bytes sent to the host.
std::string JsonDump(const VtEmulator& emulator, std::string_view replies);

} // namespace tamsivane

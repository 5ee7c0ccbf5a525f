// Names of the C0 and C1 control codes ("NUL" .. "US", "DEL", "80" .. "APC")
// and the notation in which users write byte sequences ("<ESC>", "^C", "\x1b").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamsivane {

inline constexpr int kControlNameCount = 65;

// Whether a byte is a control (0-31 or 127-159).
constexpr bool IsControl(uint8_t byte) { return byte < 32 || (byte >= 127 && byte < 160); }
// The control's name, or nullptr for a byte that is not a control.
const char* ControlName(uint8_t byte);
// The byte a control name stands for (exact, case-sensitive), or 255 when unknown.
uint8_t ControlByName(std::string_view name);

// Decodes the user-string notation; false (out untouched) on a malformed "\x"
// escape.  A "<NAME>" that names no control stays as written; unknownName,
// when given, receives the first such "<NAME>" (empty when there is none).
bool DecodeNotation(std::string_view text, std::string& out,
                    std::string_view* unknownName = nullptr);
// Encodes bytes so that DecodeNotation gives them back.
std::string EncodeNotation(std::string_view bytes);
// Every control byte as "<NAME>", every other byte as itself (used to show
// what was sent to the host).
std::string ControlNotation(std::string_view bytes);

} // namespace tamsivane

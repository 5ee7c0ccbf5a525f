#pragma once

#include <cstdint>

namespace tamsivane {

// The introducers that readers of host bytes look for outside the parser.
inline constexpr uint8_t kEsc = 0x1B;
inline constexpr uint8_t kCsi = 0x9B;

// The value of one hexadecimal digit, or -1 for any other character.
constexpr int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace tamsivane

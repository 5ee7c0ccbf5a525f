// Case-insensitive comparison of ASCII names (key names, menu texts).
#pragma once

#include <algorithm>
#include <string_view>

namespace tamsivane {

constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

} // namespace tamsivane

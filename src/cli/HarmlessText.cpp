#include "cli/HarmlessText.h"

#include <cstdint>

namespace tamsivane {
namespace {

// The length of the valid UTF-8 sequence of a printable character at the
// start of text; 0 when the first byte must be escaped.
size_t PrintableLength(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    if (lead < 0x80) return (lead >= 0x20 && lead != 0x7F) || lead == '\n' || lead == '\t' ? 1 : 0;
    // The range of the second byte by lead byte excludes overlong forms,
    // surrogates, code points past U+10FFFF and the C1 controls (C2 80-9F).
    uint8_t low = 0x80;
    uint8_t high = 0xBF;
    size_t length;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        if (lead == 0xC2) low = 0xA0;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    }
    return length;
}

} // namespace

std::string HarmlessText(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        size_t length = PrintableLength(text);
        if (length > 0) {
            out.append(text.substr(0, length));
        } else {
            const auto byte = static_cast<uint8_t>(text[0]);
            out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
            length = 1;
        }
        text.remove_prefix(length);
    }
    return out;
}

} // namespace tamsivane

// The one UTF-8 encoder: dumps, captures and code-page conversion of sent
// characters all write text through it.
#pragma once

#include <string>
#include <string_view>

namespace tamsivane {

inline bool IsSurrogate(char32_t code) { return code >= 0xD800 && code <= 0xDFFF; }

// Appends the encoding of one code point; a surrogate or a value beyond
// U+10FFFF has none and appends nothing.
inline void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        if (IsSurrogate(code)) return;
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x110000) {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Appends UTF-16 text; a surrogate without its partner becomes U+FFFD.
inline void AppendUtf8Text(std::string& out, std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (IsSurrogate(code)) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
    }
}

} // namespace tamsivane

// Conversions between the system's code pages and Unicode, over iconv.
// Windows code-page numbers name the encodings (1252, 932, 936, 949, 950,
// 65001 ...), so settings and files stay interchangeable with other systems.
#pragma once

#include <string>
#include <string_view>

namespace tamsivane {

class CodePageService {
public:
    // Whether byte is a lead byte of a double-byte code page (932, 936, 949, 950).
    static bool IsLeadByte(int codePage, unsigned char byte);
    // Bytes in codePage to UTF-16; an unconvertible sequence yields an empty result.
    std::u16string ToUnicode(int codePage, std::string_view bytes) const;
    // One character to codePage bytes; empty when it has no representation.
    std::string FromUnicode(int codePage, char16_t ch) const;
    // UTF-16 text to codePage bytes; characters without a representation become '?'.
    std::string FromUnicode(int codePage, std::u16string_view text) const;
    // codePage bytes to UTF-8 (for files and the user), '?' for what cannot be converted.
    std::string ToUtf8(int codePage, std::string_view bytes) const;
};

} // namespace tamsivane

// Conversions between the system's code pages and Unicode, over iconv.
// Windows code-page numbers name the encodings (1252, 932, 936, 949, 950,
// 65001 ...), so settings and files stay interchangeable with other systems.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamsivane {

inline constexpr int kUtf8CodePage = 65001;

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

// Decodes received characters of one code page at a time, one character per
// call: an upper-half single byte or a lead byte with its trail byte.  The
// conversion descriptor stays open while the code page is the same, and every
// answer is kept in a table (64 KiB at most), so each distinct character is
// converted once; a change of code page starts afresh.  One decoder per
// session: a descriptor must not be shared between threads.
class CodePageDecoder {
public:
    CodePageDecoder() = default;
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    // The UTF-16 code unit of the character; 0 when the bytes are no single
    // character of the basic plane in codePage (invalid, unknown code page).
    uint16_t Single(int codePage, uint8_t byte);
    uint16_t Pair(int codePage, uint8_t lead, uint8_t trail);

private:
    void Select(int codePage);
    uint16_t Convert(const char* bytes, size_t length);

    int codePage_ = 0;
    void* handle_ = nullptr; // the open descriptor, null when codePage_ has none
    std::vector<uint16_t> singles_; // by byte - 0x80
    std::vector<uint16_t> pairs_;   // by (lead - 0x80) * 256 + trail
};

} // namespace tamsivane

#include "emulator/ControlNames.h"

#include <array>

#include "emulator/ControlBytes.h"

namespace tamsivane {

namespace {

// C0 codes 0-31 are entries 0-31; codes 127-159 are entries 32-64.
constexpr std::array<const char*, kControlNameCount> kControlNames = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",  "VT",  "FF",
    "CR",  "SO",  "SI",  "DLO", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM",
    "SUB", "ESC", "FS",  "GS",  "RS",  "US",  "DEL", "80",  "81",  "82",  "83",  "IND", "NEL",
    "SSA", "ESA", "HTS", "HTJ", "VTS", "PLD", "PLU", "RI",  "SS2", "SS3", "DCS", "PU1", "PU2",
    "STS", "CRH", "MW",  "SPA", "EPA", "98",  "99",  "9A",  "CSI", "ST",  "OSC", "PM",  "APC",
};

constexpr int kC1Offset = 127 - 32;

constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kCr = 0x0D;

void AppendName(std::string& out, const char* name) {
    out += '<';
    out += name;
    out += '>';
}

} // namespace

const char* ControlName(uint8_t byte) {
    if (byte < 32) return kControlNames[byte];
    if (byte >= 127 && byte < 160) return kControlNames[byte - kC1Offset];
    return nullptr;
}

uint8_t ControlByName(std::string_view name) {
    for (int i = 0; i < kControlNameCount; ++i) {
        if (name == kControlNames[i]) return static_cast<uint8_t>(i < 32 ? i : i + kC1Offset);
    }
    return 255;
}

bool DecodeNotation(std::string_view text, std::string& out, std::string_view* unknownName) {
    std::string_view firstUnknown;
    std::string result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\\') {
            if (i + 1 >= text.size()) {
                result += c;
                break;
            }
            const char next = text[i + 1];
            if (next == '\\' || next == '<' || next == '^') {
                result += next;
                i += 2;
            } else if (next == 'x') {
                const int high = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
                const int low = i + 3 < text.size() ? HexDigit(text[i + 3]) : -1;
                if (high < 0 || low < 0) return false;
                result += static_cast<char>(high * 16 + low);
                i += 4;
            } else {
                result += c;
                result += next;
                i += 2;
            }
        } else if (c == '<') {
            const size_t close = text.find('>', i + 1);
            if (close == std::string_view::npos) {
                // No closing bracket: the rest of the text is kept as written.
                result += text.substr(i);
                break;
            }
            const std::string_view name = text.substr(i + 1, close - i - 1);
            const uint8_t byte = ControlByName(name);
            if (byte != 255) {
                result += static_cast<char>(byte);
            } else {
                if (firstUnknown.empty()) firstUnknown = text.substr(i, close - i + 1);
                result += text.substr(i, close - i + 1);
            }
            i = close + 1;
        } else if (c == '^') {
            if (i + 1 >= text.size()) {
                result += c;
                break;
            }
            const char next = text[i + 1];
            if (next >= '@' && next <= '_') {
                result += static_cast<char>(next - 0x40);
            } else {
                result += c;
                result += next;
            }
            i += 2;
        } else {
            result += c;
            ++i;
        }
    }
    out = std::move(result);
    if (unknownName) *unknownName = firstUnknown;
    return true;
}

std::string EncodeNotation(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (byte == '\\' || byte == '<' || byte == '^') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte <= 0x7E) {
            out += c;
        } else if (byte == kLf || byte == kCr || byte == kEsc || byte == kCsi) {
            AppendName(out, ControlName(byte));
        } else if (byte < 0x20) {
            out += '^';
            out += static_cast<char>(byte + 0x40);
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string ControlNotation(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const char* name = ControlName(static_cast<uint8_t>(c));
        if (name) {
            AppendName(out, name);
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace tamsivane

#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace tamsivane {

namespace {

struct CodePageName {
    int codePage;
    const char* name;
};

// Windows code-page numbers and the iconv names of the same encodings.
constexpr CodePageName kNames[] = {
    {437, "CP437"},         {737, "CP737"},         {775, "CP775"},        {850, "CP850"},
    {852, "CP852"},         {855, "CP855"},         {857, "CP857"},        {860, "CP860"},
    {861, "CP861"},         {862, "CP862"},         {863, "CP863"},        {864, "CP864"},
    {865, "CP865"},         {866, "CP866"},         {869, "CP869"},        {874, "CP874"},
    {932, "CP932"},         {936, "CP936"},         {949, "CP949"},        {950, "CP950"},
    {1250, "CP1250"},       {1251, "CP1251"},       {1252, "CP1252"},      {1253, "CP1253"},
    {1254, "CP1254"},       {1255, "CP1255"},       {1256, "CP1256"},      {1257, "CP1257"},
    {1258, "CP1258"},       {20866, "KOI8-R"},      {21866, "KOI8-U"},     {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"}, {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"}, {28599, "ISO-8859-9"},
    {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"}, {54936, "GB18030"},    {65001, "UTF-8"},
};

struct LeadRange {
    int codePage;
    unsigned char first;
    unsigned char last;
};

constexpr LeadRange kLeadRanges[] = {
    {932, 0x81, 0x9F}, {932, 0xE0, 0xFC}, {936, 0x81, 0xFE}, {949, 0x81, 0xFE}, {950, 0x81, 0xFE},
};

const char* NameOf(int codePage) {
    for (const auto& entry : kNames) {
        if (entry.codePage == codePage) return entry.name;
    }
    return nullptr;
}

// One conversion descriptor, opened and closed by each call: a descriptor
// carries shift state and must not be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from)
        : handle_(to && from ? iconv_open(to, from) : kInvalid) {}
    ~Converter() {
        if (ok()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return handle_ != kInvalid; }

    // Appends the conversion of in to out and consumes in.  Stops at an
    // invalid or incomplete sequence and returns false with in at that sequence.
    bool Run(std::string_view& in, std::string& out) {
        char* source = const_cast<char*>(in.data());
        size_t sourceLeft = in.size();
        bool complete = false;
        for (;;) {
            char buffer[256];
            char* target = buffer;
            size_t targetLeft = sizeof buffer;
            const size_t result = iconv(handle_, &source, &sourceLeft, &target, &targetLeft);
            const int error = errno;
            out.append(buffer, target);
            if (result != static_cast<size_t>(-1)) {
                complete = true;
                break;
            }
            if (error != E2BIG) break;
        }
        in.remove_prefix(in.size() - sourceLeft);
        if (complete) Flush(out);
        return complete;
    }

    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

private:
    // Writes what a stateful encoding needs to return to its initial state.
    void Flush(std::string& out) {
        char buffer[16];
        char* target = buffer;
        size_t targetLeft = sizeof buffer;
        iconv(handle_, nullptr, nullptr, &target, &targetLeft);
        out.append(buffer, target);
    }

    iconv_t handle_;
};

std::string Utf16Bytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Table entries not yet converted; U+FFFF is no character of any code page.
constexpr uint16_t kNotConverted = 0xFFFF;
constexpr size_t kSingleCount = 0x80;
constexpr size_t kPairCount = 0x80 * 0x100;

uint16_t& Entry(std::vector<uint16_t>& table, size_t count, size_t index) {
    if (table.empty()) table.assign(count, kNotConverted);
    return table[index];
}

} // namespace

CodePageDecoder::~CodePageDecoder() {
    if (handle_ != nullptr) iconv_close(static_cast<iconv_t>(handle_));
}

void CodePageDecoder::Select(int codePage) {
    if (codePage == codePage_) return;
    if (handle_ != nullptr) iconv_close(static_cast<iconv_t>(handle_));
    handle_ = nullptr;
    codePage_ = codePage;
    // Emptied, not freed: the next code page refills the same storage.
    singles_.clear();
    pairs_.clear();
    const char* name = NameOf(codePage);
    const iconv_t handle = name != nullptr ? iconv_open("UTF-16LE", name) : Converter::kInvalid;
    if (handle != Converter::kInvalid) handle_ = handle;
}

uint16_t CodePageDecoder::Convert(const char* bytes, size_t length) {
    if (handle_ == nullptr) return 0;
    const auto handle = static_cast<iconv_t>(handle_);
    char* source = const_cast<char*>(bytes);
    size_t sourceLeft = length;
    char target[4]; // room for a surrogate pair, which is refused below
    char* out = target;
    size_t targetLeft = sizeof target;
    const size_t result = iconv(handle, &source, &sourceLeft, &out, &targetLeft);
    iconv(handle, nullptr, nullptr, nullptr, nullptr); // back to the initial state
    if (result == static_cast<size_t>(-1) || sourceLeft != 0 || out != target + 2) return 0;
    return static_cast<uint16_t>(static_cast<uint8_t>(target[0]) |
                                 static_cast<uint8_t>(target[1]) << 8);
}

uint16_t CodePageDecoder::Single(int codePage, uint8_t byte) {
    Select(codePage);
    const char bytes[1] = {static_cast<char>(byte)};
    if (byte < 0x80) return Convert(bytes, 1);
    uint16_t& entry = Entry(singles_, kSingleCount, byte - 0x80u);
    if (entry == kNotConverted) entry = Convert(bytes, 1);
    return entry;
}

uint16_t CodePageDecoder::Pair(int codePage, uint8_t lead, uint8_t trail) {
    Select(codePage);
    const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    if (lead < 0x80) return Convert(bytes, 2); // no code page has such a lead byte
    uint16_t& entry = Entry(pairs_, kPairCount, (lead - 0x80u) * 0x100u + trail);
    if (entry == kNotConverted) entry = Convert(bytes, 2);
    return entry;
}

bool CodePageService::IsLeadByte(int codePage, unsigned char byte) {
    for (const auto& range : kLeadRanges) {
        if (range.codePage == codePage && byte >= range.first && byte <= range.last) return true;
    }
    return false;
}

std::u16string CodePageService::ToUnicode(int codePage, std::string_view bytes) const {
    Converter converter("UTF-16LE", NameOf(codePage));
    std::string utf16;
    if (!converter.ok() || !converter.Run(bytes, utf16)) return {};
    std::u16string text;
    text.reserve(utf16.size() / 2);
    for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<uint8_t>(utf16[i]) |
                                      static_cast<uint8_t>(utf16[i + 1]) << 8);
    }
    return text;
}

std::string CodePageService::FromUnicode(int codePage, char16_t ch) const {
    Converter converter(NameOf(codePage), "UTF-16LE");
    const std::string source = Utf16Bytes(std::u16string_view(&ch, 1));
    std::string_view in = source;
    std::string out;
    if (!converter.ok() || !converter.Run(in, out)) return {};
    return out;
}

std::string CodePageService::FromUnicode(int codePage, std::u16string_view text) const {
    Converter converter(NameOf(codePage), "UTF-16LE");
    if (!converter.ok()) return std::string(text.size(), '?');
    const std::string source = Utf16Bytes(text);
    std::string_view in = source;
    std::string out;
    while (!converter.Run(in, out) && !in.empty()) {
        // Skip the unit (or the surrogate pair) that has no representation.
        const size_t unit = (source.size() - in.size()) / 2;
        const bool pair =
            IsHighSurrogate(text[unit]) && unit + 1 < text.size() && IsLowSurrogate(text[unit + 1]);
        out += '?';
        in.remove_prefix(std::min(in.size(), size_t{pair ? 4u : 2u}));
    }
    return out;
}

std::string CodePageService::ToUtf8(int codePage, std::string_view bytes) const {
    Converter converter("UTF-8", NameOf(codePage));
    std::string out;
    if (!converter.ok()) {
        for (char byte : bytes) out += static_cast<uint8_t>(byte) < 0x80 ? byte : '?';
        return out;
    }
    while (!converter.Run(bytes, out) && !bytes.empty()) {
        out += '?';
        bytes.remove_prefix(1);
    }
    return out;
}

} // namespace tamsivane

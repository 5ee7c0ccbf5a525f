#include "emulator/UserDefinedKeys.h"

#include <algorithm>
#include <optional>

#include "emulator/ControlBytes.h"

namespace tamsivane {

namespace {

constexpr int kSelectors[UserDefinedKeys::kKeys] = {17, 18, 19, 20, 21, 23, 24, 25,
                                                    26, 28, 29, 31, 32, 33, 34};

// A selector of one or two decimal digits, or -1.
int ParseSelector(std::string_view digits) {
    if (digits.empty() || digits.size() > 2) return -1;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<std::string> ParseHexString(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high << 4 | low);
    }
    return bytes;
}

} // namespace

int UserDefinedKeys::SlotOf(int selector) {
    const int* hit = std::find(std::begin(kSelectors), std::end(kSelectors), selector);
    return hit == std::end(kSelectors) ? -1 : static_cast<int>(hit - std::begin(kSelectors));
}

void UserDefinedKeys::Define(std::string_view data) {
    // A device control string arrives with a terminating zero byte.
    data = data.substr(0, data.find('\0'));
    while (!data.empty()) {
        const size_t end = data.find(';');
        const std::string_view entry = data.substr(0, end);
        data.remove_prefix(end == std::string_view::npos ? data.size() : end + 1);

        const size_t slash = entry.find('/');
        if (slash == std::string_view::npos) continue;
        const int slot = SlotOf(ParseSelector(entry.substr(0, slash)));
        if (slot < 0) continue;
        std::optional<std::string> bytes = ParseHexString(entry.substr(slash + 1));
        if (!bytes) continue;
        const size_t others = BytesUsed() - strings_[slot].size();
        if (others + bytes->size() > kCapacity) continue;
        strings_[slot] = std::move(*bytes);
    }
}

void UserDefinedKeys::Clear() {
    for (std::string& s : strings_) s.clear();
}

std::string_view UserDefinedKeys::Lookup(int selector) const {
    const int slot = SlotOf(selector);
    return slot < 0 ? std::string_view() : std::string_view(strings_[slot]);
}

size_t UserDefinedKeys::BytesUsed() const {
    size_t total = 0;
    for (const std::string& s : strings_) total += s.size();
    return total;
}

} // namespace tamsivane

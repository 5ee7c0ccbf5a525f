// Strings the host programs into the function keys F6-F20 (DECUDK).
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tamsivane {

class UserDefinedKeys {
public:
    // Key selectors are the codes that F6-F20 send in "CSI code ~": 17, 18,
    // 19, 20, 21, 23, 24, 25, 26, 28, 29, 31, 32, 33, 34.
    static constexpr int kKeys = 15;
    // Room for all definitions together, as on the terminal.
    static constexpr size_t kCapacity = 1024;

    // Data "Ky/St;Ky/St;...": Ky a key selector, St the string as pairs of
    // hexadecimal digits.  Malformed or unknown entries are skipped; an entry
    // that does not fit the remaining room is refused.
    void Define(std::string_view data);
    void Clear();
    // The string for a key selector; empty when none is defined.
    std::string_view Lookup(int selector) const;
    size_t BytesUsed() const;

private:
    static int SlotOf(int selector);
    std::array<std::string, kKeys> strings_;
};

} // namespace tamsivane

#include "print/DeviceMode.h"

#include <algorithm>

#include "config/SettingsStore.h"
#include "platform/CodePage.h"

namespace tamsivane {
namespace {

constexpr size_t kNameSize = 32;
constexpr size_t kMaskOffset = 40;

// Where each 16-bit field lives and its bit in the 32-bit field mask.
struct FieldPlace {
    std::optional<int> DeviceModeFields::* field;
    size_t offset;
    uint32_t bit;
};
constexpr FieldPlace kFields[] = {
    {&DeviceModeFields::orientation, 44, 0x0001}, {&DeviceModeFields::paperSize, 46, 0x0002},
    {&DeviceModeFields::copies, 54, 0x0100},      {&DeviceModeFields::colour, 60, 0x0800},
    {&DeviceModeFields::duplex, 62, 0x1000},
};
constexpr size_t kCollateOffset = 68;
constexpr uint32_t kCollateBit = 0x8000;

int16_t Read16(const std::vector<uint8_t>& block, size_t at) {
    return static_cast<int16_t>(block[at] | (block[at + 1] << 8));
}
void Write16(std::vector<uint8_t>& block, size_t at, int value) {
    block[at] = static_cast<uint8_t>(value & 0xFF);
    block[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}
uint32_t ReadMask(const std::vector<uint8_t>& block) {
    uint32_t mask = 0;
    for (size_t i = 0; i < 4; ++i) mask |= static_cast<uint32_t>(block[kMaskOffset + i]) << (8 * i);
    return mask;
}
void WriteMask(std::vector<uint8_t>& block, uint32_t mask) {
    for (size_t i = 0; i < 4; ++i) block[kMaskOffset + i] = static_cast<uint8_t>(mask >> (8 * i));
}

} // namespace

DeviceModeFields ReadDeviceMode(const std::vector<uint8_t>& block) {
    DeviceModeFields fields;
    if (block.size() != static_cast<size_t>(kPrinterParamSize)) return fields;
    const auto nameEnd = std::find(block.begin(), block.begin() + kNameSize, 0);
    const CodePageService codePages;
    fields.name = codePages.ToUtf8(SystemAnsiCodePage(), std::string(block.begin(), nameEnd));
    const uint32_t mask = ReadMask(block);
    for (const FieldPlace& place : kFields) {
        if (mask & place.bit) fields.*place.field = Read16(block, place.offset);
    }
    if (mask & kCollateBit) fields.collate = Read16(block, kCollateOffset) != 0;
    return fields;
}

void WriteDeviceMode(std::vector<uint8_t>& block, const DeviceModeFields& fields) {
    block.resize(static_cast<size_t>(kPrinterParamSize), 0);
    const CodePageService codePages;
    std::string name = codePages.FromUnicode(SystemAnsiCodePage(),
                                             codePages.ToUnicode(kUtf8CodePage, fields.name));
    name.resize(std::min(name.size(), kNameSize - 1));
    std::fill_n(block.begin(), kNameSize, 0);
    std::copy(name.begin(), name.end(), block.begin());
    uint32_t mask = ReadMask(block);
    for (const FieldPlace& place : kFields) {
        if (const std::optional<int>& value = fields.*place.field) {
            Write16(block, place.offset, *value);
            mask |= place.bit;
        }
    }
    if (fields.collate) {
        Write16(block, kCollateOffset, *fields.collate ? 1 : 0);
        mask |= kCollateBit;
    }
    WriteMask(block, mask);
}

} // namespace tamsivane

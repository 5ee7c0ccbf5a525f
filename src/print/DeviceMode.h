// The fields of a session's stored printer block (PrinterParam, 148 bytes,
// little-endian) that printing reads and print setup writes.  Every other
// byte of the block belongs to whoever stored it and is kept as it is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamsivane {

// Values as the block stores them.
namespace DeviceModeValue {
inline constexpr int Portrait = 1, Landscape = 2;
inline constexpr int Monochrome = 1, Colour = 2;
inline constexpr int Simplex = 1, DuplexLongEdge = 2, DuplexShortEdge = 3;
} // namespace DeviceModeValue

// A field is present when the block's field mask says it is set; the name
// is present when it is not empty.
struct DeviceModeFields {
    std::string name; // UTF-8
    std::optional<int> orientation;
    std::optional<int> paperSize; // the block's paper numbers: 1 Letter, 9 A4, ...
    std::optional<int> copies;
    std::optional<int> colour;
    std::optional<int> duplex;
    std::optional<bool> collate;
};

DeviceModeFields ReadDeviceMode(const std::vector<uint8_t>& block);
// Writes the present fields and sets their mask bits; the name (cut to 31
// bytes in the ANSI code page) always.  A block of another size is first
// made 148 bytes, zeros added.
void WriteDeviceMode(std::vector<uint8_t>& block, const DeviceModeFields& fields);

} // namespace tamsivane

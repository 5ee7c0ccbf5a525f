// The modems the user configured: the application profile's array "Modems",
// each with "Name", "Device", "Init" and "Speed" (stored as "Modems/size" and
// "Modems/<n>/<value>", n from 1).
#pragma once

#include <string>
#include <vector>

#include "config/AppProfile.h"

namespace tamsivane {

struct Modem {
    std::string name;
    std::string device; // the serial device, e.g. /dev/ttyUSB0
    std::string init;   // sent after ATZ, before dialling
    int speed = 115200;
    bool operator==(const Modem&) const = default;
};

// At most this many are read, whatever "size" says.
inline constexpr int kMaxModems = 64;

std::vector<Modem> LoadModems(const AppProfile& profile);
// Replaces the stored list; entries beyond the new size are removed.
void SaveModems(AppProfile& profile, const std::vector<Modem>& modems);

} // namespace tamsivane

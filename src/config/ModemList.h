// The modems the user configured, kept in the text file "Modems.txt" in the
// user's data folder: a line per modem with its name, device, init string
// and speed separated by tabs.  Earlier versions kept the list in the
// application profile's array "Modems" ("Modems/size", "Modems/<n>/Name",
// "Device", "Init", "Speed", n from 1); that list is read while no file
// exists, and the first change moves it into the file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/AppProfile.h"

namespace tamsivane {

inline constexpr const char* kModemListFile = "Modems.txt";

struct Modem {
    std::string name;
    std::string device; // the serial device, e.g. /dev/ttyUSB0
    std::string init;   // sent after ATZ, before dialling
    int speed = 115200;
    bool operator==(const Modem&) const = default;
};

// At most this many are read, whatever the file or the profile hold.
inline constexpr int kMaxModems = 64;

// The file's text; tabs and line breaks inside a field become blanks.
std::string FormatModems(const std::vector<Modem>& modems);
// The modems of a file's text; lines without a name are skipped, a speed
// that is not a number leaves the default.
std::vector<Modem> ParseModems(std::string_view text);

// The list from the file in the user's data folder, else from the profile.
std::vector<Modem> LoadModems(const AppProfile& profile);
// Writes the list to the file when it differs from the one loaded, then
// drops the profile's older array.  False, with the reason in error, when
// the file cannot be written (the profile is left as it was).
bool SaveModems(AppProfile& profile, const std::vector<Modem>& modems, std::string& error);

} // namespace tamsivane

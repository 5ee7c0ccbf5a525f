// A list of recent texts (hosts, phone numbers, setup files), newest first,
// kept in one section of the application profile as numbered values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/AppProfile.h"

namespace tamsivane {

class RecentList {
public:
    // Values are named prefix + number, 0 to capacity - 1.
    RecentList(AppProfile& profile, std::string section, std::string prefix, int capacity);

    // The stored values in order, empty ones left out.
    std::vector<std::string> Load() const;
    // Puts text in front (moving it when it is already listed), stores the
    // first `capacity` entries and removes the values after them.
    void Add(std::string_view text);

private:
    std::string Name(int index) const { return prefix_ + std::to_string(index); }

    AppProfile& profile_;
    std::string section_;
    std::string prefix_;
    int capacity_;
};

// The host list of the Telnet and proxy pages and the phone list of the modem page.
inline constexpr int kRecentConnections = 20;
inline RecentList RecentHosts(AppProfile& profile) {
    return RecentList(profile, "HostMRU", "HostMRU", kRecentConnections);
}
inline RecentList RecentPhoneNumbers(AppProfile& profile) {
    return RecentList(profile, "ModemMRU", "HostMRU", kRecentConnections);
}
// The recent setup files on the Connection menu.
inline constexpr int kRecentFiles = 4;
inline RecentList RecentFiles(AppProfile& profile) {
    return RecentList(profile, "Recent File List", "File", kRecentFiles);
}

} // namespace tamsivane

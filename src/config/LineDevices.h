// The devices behind serial ports and modems.  The application profile
// names the device of port n (0 = COM1) in "SerialPorts/COM<n+1>", by
// default /dev/ttyS<n>, and lists the modems in "Modems".  A session keeps
// a copy taken where the profile may be read, so that its I/O thread never
// reads the profile.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/AppProfile.h"
#include "config/ModemList.h"

namespace tamsivane {

struct LineDevices {
    // Ports the profile is asked about: COM1 to COM<kMaxSerialPorts>.
    static constexpr int kMaxSerialPorts = 64;

    std::map<int, std::string> serialPorts; // port -> device, where the profile names one
    std::vector<Modem> modems;
    // When set, every serial port and modem uses this device instead (one run
    // of the headless program).
    std::string deviceOverride;

    std::string SerialDevice(int port) const;
    // The modem at index in the list; with a device override, a modem on
    // that device even when the list has none there.
    std::optional<Modem> ModemAt(int index) const;
};

LineDevices ReadLineDevices(const AppProfile& profile);

} // namespace tamsivane

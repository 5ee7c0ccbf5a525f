#include "config/LineDevices.h"

namespace tamsivane {

std::string LineDevices::SerialDevice(int port) const {
    if (!deviceOverride.empty()) return deviceOverride;
    const auto named = serialPorts.find(port);
    if (named != serialPorts.end()) return named->second;
    return "/dev/ttyS" + std::to_string(port);
}

std::optional<Modem> LineDevices::ModemAt(int index) const {
    std::optional<Modem> modem;
    if (index >= 0 && static_cast<size_t>(index) < modems.size()) modem = modems[index];
    if (!deviceOverride.empty()) {
        if (!modem) modem = Modem{"Modem", {}, {}};
        modem->device = deviceOverride;
    }
    return modem;
}

LineDevices ReadLineDevices(const AppProfile& profile) {
    LineDevices devices;
    for (int port = 0; port < LineDevices::kMaxSerialPorts; ++port) {
        std::string device = profile.GetString("SerialPorts", "COM" + std::to_string(port + 1), "");
        if (!device.empty()) devices.serialPorts[port] = std::move(device);
    }
    devices.modems = LoadModems(profile);
    return devices;
}

} // namespace tamsivane

#include "config/ModemList.h"

#include <algorithm>

namespace tamsivane {
namespace {

constexpr const char* kSection = "Modems";
constexpr const char* kFields[] = {"Name", "Device", "Init", "Speed"};

std::string Key(int index, const char* field) {
    return std::to_string(index + 1) + "/" + field;
}

} // namespace

std::vector<Modem> LoadModems(const AppProfile& profile) {
    const int size = std::clamp(profile.GetInt(kSection, "size", 0), 0, kMaxModems);
    std::vector<Modem> modems;
    for (int i = 0; i < size; ++i) {
        Modem modem;
        modem.name = profile.GetString(kSection, Key(i, "Name"), "");
        modem.device = profile.GetString(kSection, Key(i, "Device"), "");
        modem.init = profile.GetString(kSection, Key(i, "Init"), "");
        modem.speed = profile.GetInt(kSection, Key(i, "Speed"), modem.speed);
        if (!modem.name.empty()) modems.push_back(std::move(modem));
    }
    return modems;
}

void SaveModems(AppProfile& profile, const std::vector<Modem>& modems) {
    const int old = std::clamp(profile.GetInt(kSection, "size", 0), 0, kMaxModems);
    const int size = std::min(static_cast<int>(modems.size()), kMaxModems);
    for (int i = 0; i < size; ++i) {
        profile.SetString(kSection, Key(i, "Name"), modems[i].name);
        profile.SetString(kSection, Key(i, "Device"), modems[i].device);
        profile.SetString(kSection, Key(i, "Init"), modems[i].init);
        profile.SetInt(kSection, Key(i, "Speed"), modems[i].speed);
    }
    for (int i = size; i < old; ++i) {
        for (const char* field : kFields) profile.Remove(kSection, Key(i, field));
    }
    profile.SetInt(kSection, "size", size);
}

} // namespace tamsivane

#include "config/ModemList.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "platform/Paths.h"
#include "platform/SafeFile.h"

namespace tamsivane {
namespace {

constexpr const char* kSection = "Modems";
constexpr const char* kFields[] = {"Name", "Device", "Init", "Speed"};
constexpr size_t kMaxFileSize = 1024 * 1024;

std::string Key(int index, const char* field) {
    return std::to_string(index + 1) + "/" + field;
}

std::string ModemListPath() {
    const std::string folder = UserDataFolder();
    return folder.empty() ? folder : (std::filesystem::path(folder) / kModemListFile).string();
}

// The list as earlier versions stored it in the profile.
std::vector<Modem> ProfileModems(const AppProfile& profile) {
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

void RemoveProfileModems(AppProfile& profile) {
    const int size = std::clamp(profile.GetInt(kSection, "size", 0), 0, kMaxModems);
    for (int i = 0; i < size; ++i) {
        for (const char* field : kFields) profile.Remove(kSection, Key(i, field));
    }
    profile.Remove(kSection, "size");
}

void AppendField(std::string& text, std::string_view field) {
    for (const char c : field) text += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
}

} // namespace

std::string FormatModems(const std::vector<Modem>& modems) {
    std::string text;
    for (const Modem& modem : modems) {
        AppendField(text, modem.name);
        text += '\t';
        AppendField(text, modem.device);
        text += '\t';
        AppendField(text, modem.init);
        text += '\t' + std::to_string(modem.speed) + '\n';
    }
    return text;
}

std::vector<Modem> ParseModems(std::string_view text) {
    std::vector<Modem> modems;
    while (!text.empty() && modems.size() < static_cast<size_t>(kMaxModems)) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string_view fields[4];
        for (std::string_view& field : fields) {
            const size_t tab = std::min(line.find('\t'), line.size());
            field = line.substr(0, tab);
            line.remove_prefix(std::min(tab + 1, line.size()));
        }
        if (fields[0].empty()) continue;
        Modem modem{std::string(fields[0]), std::string(fields[1]), std::string(fields[2])};
        int speed = 0;
        const auto [rest, failure] =
            std::from_chars(fields[3].data(), fields[3].data() + fields[3].size(), speed);
        if (failure == std::errc() && rest == fields[3].data() + fields[3].size() && speed > 0) {
            modem.speed = speed;
        }
        modems.push_back(std::move(modem));
    }
    return modems;
}

namespace {

// The list from the file when there is one, else from the profile; false
// when the file is there but cannot be read.
bool ReadModems(const AppProfile& profile, std::vector<Modem>& modems, std::string& error) {
    const std::string path = ModemListPath();
    std::error_code missing;
    if (path.empty() || !std::filesystem::exists(path, missing)) {
        modems = ProfileModems(profile);
        return true;
    }
    std::string text;
    if (!ReadWholeFile(path, kMaxFileSize, text, error)) return false;
    modems = ParseModems(text);
    return true;
}

} // namespace

std::vector<Modem> LoadModems(const AppProfile& profile) {
    std::vector<Modem> modems;
    std::string error;
    ReadModems(profile, modems, error);
    return modems;
}

bool SaveModems(AppProfile& profile, const std::vector<Modem>& modems, std::string& error) {
    const std::vector<Modem> kept(modems.begin(),
                                  modems.begin() + std::min<size_t>(modems.size(), kMaxModems));
    std::vector<Modem> stored;
    if (!ReadModems(profile, stored, error)) {
        error += "; it is left as it is";
        return false;
    }
    // Nothing changed: the file, or the older list, stays as it is.
    if (FormatModems(kept) == FormatModems(stored)) return true;
    const std::string path = ModemListPath();
    if (path.empty()) {
        error = "there is no home folder";
        return false;
    }
    if (!MakeFolders(UserDataFolder())) {
        error = "cannot create the folder \"" + UserDataFolder() + "\"";
        return false;
    }
    if (!ReplaceFile(path, FormatModems(kept), error)) return false;
    RemoveProfileModems(profile);
    return true;
}

} // namespace tamsivane

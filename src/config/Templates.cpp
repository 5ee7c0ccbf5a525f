#include "config/Templates.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

#include "config/SetupFile.h"
#include "platform/Paths.h"

namespace tamsivane {
namespace {

constexpr std::string_view kExtension = ".qzv";
constexpr size_t kMaxNameLength = 200;

// The template name of a file name ending in ".qzv" in any letter case.
std::optional<std::string> TemplateNameOf(std::string_view fileName) {
    if (fileName.size() <= kExtension.size()) return std::nullopt;
    const std::string_view extension = fileName.substr(fileName.size() - kExtension.size());
    const bool matches =
        std::equal(extension.begin(), extension.end(), kExtension.begin(),
                   [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    if (!matches) return std::nullopt;
    return std::string(fileName.substr(0, fileName.size() - kExtension.size()));
}

// The file of the named template in folder, or "".
std::string FileIn(const std::string& folder, std::string_view name) {
    for (const std::string& file : FilesIn(folder)) {
        if (TemplateNameOf(file) == name) return folder + "/" + file;
    }
    return {};
}

void AddOnce(std::vector<std::string>& folders, const std::string& folder) {
    if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end()) {
        folders.push_back(folder);
    }
}

} // namespace

TemplateFolders DiscoverTemplateFolders() {
    TemplateFolders folders;
    folders.save = UserDataFolder();
    for (const std::string& folder : {folders.save, ProgramFolder(), SharedDataFolder()}) {
        AddOnce(folders.search, folder);
    }
    return folders;
}

Templates::Templates(TemplateFolders folders) : folders_(std::move(folders)) {}

std::vector<std::string> Templates::Names() const {
    std::vector<std::string> names;
    for (const std::string& folder : folders_.search) {
        for (const std::string& file : FilesIn(folder)) {
            const std::optional<std::string> name = TemplateNameOf(file);
            if (name && IsValidName(*name)) names.push_back(*name);
        }
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string Templates::Find(std::string_view name) const {
    if (!IsValidName(name)) return {};
    for (const std::string& folder : folders_.search) {
        std::string file = FileIn(folder, name);
        if (!file.empty()) return file;
    }
    return {};
}

bool Templates::Load(std::string_view name, SettingsStore& settings, KeyMap& keys) const {
    const std::string file = Find(name);
    return !file.empty() && LoadSetupFile(file, settings, keys).ok;
}

bool Templates::Save(std::string_view name, const SettingsStore& settings,
                     const KeyMap& keys) const {
    if (!IsValidName(name) || !MakeFolders(folders_.save)) return false;
    // An existing file of the template is replaced under its own name.
    std::string file = FileIn(folders_.save, name);
    if (file.empty()) file = folders_.save + "/" + std::string(name) + std::string(kExtension);
    return SaveSetupFile(file, settings, keys).ok;
}

bool Templates::IsValidName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxNameLength && name.front() != '.' &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

} // namespace tamsivane

#include "platform/DefaultHandlers.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/Paths.h"
#include "platform/SafeFile.h"

namespace tamsivane {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxListSize = 1 << 20;
constexpr std::string_view kDefaultGroup = "[Default Applications]";

std::string Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(separator, start), text.size());
        if (end > start) parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// An absolute path from the environment, or fallback.
std::string EnvFolder(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? value : fallback;
}

std::vector<std::string> EnvFolders(const char* name, std::vector<std::string> fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] == '\0') return fallback;
    std::vector<std::string> folders;
    for (std::string& folder : Split(value, ':')) {
        if (folder.front() == '/') folders.push_back(std::move(folder));
    }
    return folders;
}

bool ReadList(const std::string& path, std::string& text) {
    std::string error;
    return ReadWholeFile(path, kMaxListSize, text, error);
}

// The first entry of type's line in the [Default Applications] group, or "".
std::string DefaultIn(const std::string& text, const std::string& type) {
    std::istringstream lines(text);
    bool inGroup = false;
    for (std::string line; std::getline(lines, line);) {
        line = Trim(line);
        if (line.starts_with('[')) {
            inGroup = line == kDefaultGroup;
            continue;
        }
        const size_t equals = line.find('=');
        if (!inGroup || equals == std::string::npos || Trim(line.substr(0, equals)) != type) {
            continue;
        }
        const auto entries = Split(Trim(line.substr(equals + 1)), ';');
        return entries.empty() ? std::string() : Trim(entries.front());
    }
    return {};
}

// text with the lines added to its [Default Applications] group (made at the
// end when it has none).
std::string WithDefaults(const std::string& text, const std::vector<std::string>& lines) {
    std::string added;
    for (const std::string& line : lines) added += line + "\n";
    std::istringstream in(text);
    std::string out;
    bool inGroup = false;
    bool done = false;
    for (std::string line; std::getline(in, line);) {
        const std::string trimmed = Trim(line);
        if (trimmed.starts_with('[')) {
            if (inGroup && !done) {
                out += added;
                done = true;
            }
            inGroup = trimmed == kDefaultGroup;
        }
        out += line + "\n";
    }
    if (!done) {
        if (!inGroup) {
            if (!out.empty() && !out.ends_with("\n\n")) out += "\n";
            out += std::string(kDefaultGroup) + "\n";
        }
        out += added;
    }
    return out;
}

} // namespace

XdgFolders XdgFolders::FromEnvironment() {
    const char* homeValue = std::getenv("HOME");
    const std::string home = homeValue != nullptr && homeValue[0] == '/' ? homeValue : "";
    XdgFolders folders;
    folders.configHome = EnvFolder("XDG_CONFIG_HOME", home.empty() ? "" : home + "/.config");
    folders.configDirs = EnvFolders("XDG_CONFIG_DIRS", {"/etc/xdg"});
    folders.dataHome = EnvFolder("XDG_DATA_HOME", home.empty() ? "" : home + "/.local/share");
    folders.dataDirs = EnvFolders("XDG_DATA_DIRS", {"/usr/local/share", "/usr/share"});
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    for (std::string desktop : Split(desktops != nullptr ? desktops : "", ':')) {
        std::transform(desktop.begin(), desktop.end(), desktop.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        folders.desktops.push_back(std::move(desktop));
    }
    return folders;
}

// In the order the desktop consults them: desktop-specific before general,
// the user's before the system's, configuration before data folders.
std::vector<std::string> DefaultHandlers::ListFiles() const {
    std::vector<std::string> files;
    const auto addFolder = [&](const std::string& folder) {
        if (folder.empty()) return;
        for (const std::string& desktop : folders_.desktops) {
            files.push_back(folder + "/" + desktop + "-mimeapps.list");
        }
        files.push_back(folder + "/mimeapps.list");
    };
    addFolder(folders_.configHome);
    for (const std::string& folder : folders_.configDirs) addFolder(folder);
    if (!folders_.dataHome.empty()) addFolder(folders_.dataHome + "/applications");
    for (const std::string& folder : folders_.dataDirs) addFolder(folder + "/applications");
    return files;
}

std::string DefaultHandlers::UserList() const {
    return folders_.configHome.empty() ? std::string() : folders_.configHome + "/mimeapps.list";
}

std::string DefaultHandlers::DefaultFor(const std::string& type) const {
    for (const std::string& file : ListFiles()) {
        std::string text;
        if (!ReadList(file, text)) continue;
        std::string handler = DefaultIn(text, type);
        if (!handler.empty()) return handler;
    }
    return {};
}

bool DefaultHandlers::IsInstalled(const std::string& desktopId) const {
    std::vector<std::string> folders;
    if (!folders_.dataHome.empty()) folders.push_back(folders_.dataHome);
    folders.insert(folders.end(), folders_.dataDirs.begin(), folders_.dataDirs.end());
    std::error_code error;
    return std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
        return fs::is_regular_file(fs::path(folder) / "applications" / desktopId, error);
    });
}

std::vector<std::string> DefaultHandlers::ClaimUnset(const std::string& desktopId,
                                                    const std::vector<std::string>& types) {
    const std::string list = UserList();
    if (list.empty() || !IsInstalled(desktopId)) return {};
    std::vector<std::string> claimed;
    std::vector<std::string> lines;
    for (const std::string& type : types) {
        if (!DefaultFor(type).empty()) continue;
        claimed.push_back(type);
        lines.push_back(type + "=" + desktopId + ";");
    }
    if (claimed.empty()) return {};
    std::string text;
    std::error_code existsError;
    if (fs::exists(list, existsError) && !ReadList(list, text)) return {};
    std::string error;
    if (!MakeFolders(folders_.configHome) || !ReplaceFile(list, WithDefaults(text, lines), error)) {
        return {};
    }
    return claimed;
}

} // namespace tamsivane

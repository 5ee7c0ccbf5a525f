#include "platform/Terminfo.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <system_error>

#include "platform/Paths.h"

namespace tamsivane {
namespace {

namespace fs = std::filesystem;

// The system's folders, where the curses library looks without being told.
constexpr const char* kSystemFolders[] = {"/etc/terminfo", "/lib/terminfo", "/usr/share/terminfo"};

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string UserTerminfoFolder() {
    const std::string home = Variable("HOME");
    return home.empty() || home[0] != '/' ? std::string() : home + "/.terminfo";
}

// The entry's file in folder, in the first-letter layout or the hexadecimal
// one; empty when it has none.
fs::path EntryFile(const std::string& folder, const std::string& name) {
    constexpr char kDigits[] = "0123456789abcdef";
    const auto first = static_cast<unsigned char>(name[0]);
    const std::string hex{kDigits[first >> 4], kDigits[first & 0xF]};
    for (const std::string& letterFolder : {name.substr(0, 1), hex}) {
        const fs::path file = fs::path(folder) / letterFolder / name;
        std::error_code error;
        if (fs::is_regular_file(file, error)) return file;
    }
    return {};
}

} // namespace

std::vector<std::string> TerminfoSearchFolders() {
    std::vector<std::string> folders;
    if (const std::string own = Variable("TERMINFO"); !own.empty()) folders.push_back(own);
    if (const std::string user = UserTerminfoFolder(); !user.empty()) folders.push_back(user);
    const std::string dirs = Variable("TERMINFO_DIRS");
    if (dirs.empty()) {
        folders.insert(folders.end(), std::begin(kSystemFolders), std::end(kSystemFolders));
        return folders;
    }
    // An empty part of the list stands for the system's folders.
    for (size_t start = 0; start <= dirs.size();) {
        const size_t colon = std::min(dirs.find(':', start), dirs.size());
        if (colon == start) {
            folders.insert(folders.end(), std::begin(kSystemFolders), std::end(kSystemFolders));
        } else {
            folders.push_back(dirs.substr(start, colon - start));
        }
        start = colon + 1;
    }
    return folders;
}

std::vector<std::string> ProgramTerminfoFolders() {
    const std::string program = ProgramFolder();
    if (program.empty()) return {};
    return {program + "/terminfo", (fs::path(program).parent_path() / "share" / "terminfo").string()};
}

std::string FolderWithEntry(const std::vector<std::string>& folders, const std::string& name) {
    if (name.empty()) return {};
    for (const std::string& folder : folders) {
        if (!EntryFile(folder, name).empty()) return folder;
    }
    return {};
}

TerminfoAccess FindOwnTerminfo() {
    TerminfoAccess access;
    if (!FolderWithEntry(TerminfoSearchFolders(), kOwnTerminalName).empty()) {
        access.found = true;
        return access;
    }
    const std::string own = FolderWithEntry(ProgramTerminfoFolders(), kOwnTerminalName);
    if (own.empty()) return access;
    access.found = true;
    // An empty part keeps the system's folders after ours.
    const std::string dirs = Variable("TERMINFO_DIRS");
    access.terminfoDirs = own + ":" + dirs;
    return access;
}

bool InstallOwnTerminfoForUser() {
    const std::string name = kOwnTerminalName;
    if (!FolderWithEntry(TerminfoSearchFolders(), name).empty()) return true;
    const std::string program = ProgramFolder();
    const std::string user = UserTerminfoFolder();
    if (program.empty() || user.empty()) return false;
    // Only the build folder's entry: an installed program has its own place.
    const fs::path built = EntryFile(program + "/terminfo", name);
    if (built.empty()) return false;
    const fs::path target = fs::path(user) / name.substr(0, 1) / name;
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    fs::copy_file(built, target, fs::copy_options::skip_existing, error);
    return !error && fs::is_regular_file(target, error);
}

} // namespace tamsivane

#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace tamsivane {

namespace fs = std::filesystem;

namespace {

std::string Home() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) : std::string();
}

// XDG_DOWNLOAD_DIR as the user's folder list gives it: a quoted "$HOME/..."
// or absolute path on a line of its own; "" when not there.
std::string ListedDownloadFolder(const std::string& home) {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const fs::path config = configHome != nullptr && configHome[0] == '/'
                                ? fs::path(configHome)
                                : fs::path(home) / ".config";
    std::ifstream list(config / "user-dirs.dirs");
    constexpr std::string_view kKey = "XDG_DOWNLOAD_DIR=\"";
    std::string line;
    while (std::getline(list, line)) {
        if (!line.starts_with(kKey) || !line.ends_with('"')) continue;
        std::string value = line.substr(kKey.size(), line.size() - kKey.size() - 1);
        if (value.starts_with("$HOME")) value = home + value.substr(5);
        if (value.starts_with('/')) return value;
    }
    return {};
}

} // namespace

std::string ProgramFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

std::string SharedDataFolder() {
    const std::string program = ProgramFolder();
    if (program.empty()) return {};
    return (fs::path(program).parent_path() / "share" / "tamsivane").string();
}

std::string UserDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    // Relative values are to be ignored, so that the folder never depends on the working folder.
    if (dataHome && dataHome[0] == '/') return (fs::path(dataHome) / "tamsivane").string();
    const std::string home = Home();
    if (home.empty()) return {};
    return (fs::path(home) / ".local" / "share" / "tamsivane").string();
}

std::string DownloadFolder() {
    const char* named = std::getenv("XDG_DOWNLOAD_DIR");
    if (named != nullptr && named[0] == '/') return named;
    const std::string home = Home();
    if (home.empty()) return {};
    std::string listed = ListedDownloadFolder(home);
    return listed.empty() ? home + "/Downloads" : listed;
}

bool IsWritableFolder(const std::string& folder) {
    struct stat info {};
    return !folder.empty() && stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           access(folder.c_str(), W_OK | X_OK) == 0;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return false;
    std::error_code error;
    if (fs::create_directories(folder, error)) {
        // A folder just made holds the user's own files; existing ones keep their rights.
        ::chmod(folder.c_str(), S_IRWXU);
    }
    return fs::is_directory(folder, error);
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
    }
    return names;
}

} // namespace tamsivane

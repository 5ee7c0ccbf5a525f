#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tamsivane {

namespace fs = std::filesystem;

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
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return {};
    return (fs::path(home) / ".local" / "share" / "tamsivane").string();
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

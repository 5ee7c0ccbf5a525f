#include "transfer/ReceiveFolder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Paths.h"
#include "platform/SafeFile.h"
#include "platform/UserAccount.h"

namespace tamsivane {
namespace {

constexpr std::string_view kDefaultReceiveSetting = "Received";

} // namespace

std::string ResolveReceiveFolder(std::string_view setting) {
    std::string folder(setting);
    for (char& c : folder) {
        if (c == '\\') c = '/';
    }
    // The setting's default, or none: the user's download folder, in a
    // folder of the program's own.
    if (folder.empty() || folder == kDefaultReceiveSetting) {
        const std::string downloads = DownloadFolder();
        if (!downloads.empty()) return downloads + "/Tamsivane";
        folder = kDefaultReceiveSetting;
    }
    if (folder.front() == '/') return folder;
    // Never the program's own folder, where its templates and plug-ins lie.
    const std::string home = HomeFolder();
    if (home.empty() || home.front() != '/') return {};
    if (folder == "~") return home;
    return home + "/" + (folder.starts_with("~/") ? folder.substr(2) : folder);
}

std::string ReceiveFolder::SafeName(std::string_view sent) {
    const size_t slash = sent.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? sent : sent.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return {};
    for (unsigned char c : name) {
        if (c < 32 || c == 127) return {};
    }
    return std::string(name);
}

int ReceiveFolder::Create(const std::string& name, mode_t mode, std::string& created,
                          std::string& error) const {
    if (!MakeFolders(path_)) {
        error = "cannot create the folder " + path_;
        return -1;
    }
    const int folder = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        error = "cannot open the folder " + path_ + ": " + std::strerror(errno);
        return -1;
    }
    // O_EXCL makes a new file or fails: a planted link, FIFO or earlier
    // file of the name is left alone and the next number tried.
    int fd = -1;
    int openError = EEXIST;
    for (int number = 0; fd < 0 && openError == EEXIST && number <= kMaxNumber; ++number) {
        created = number == 0 ? name : name + "." + std::to_string(number);
        fd = ::openat(folder, created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        openError = errno;
    }
    ::close(folder);
    if (fd < 0) error = "cannot create " + name + ": " + std::strerror(openError);
    return fd;
}

int ReceiveFolder::Append(const std::string& name, mode_t mode, std::string& created,
                          std::string& error) const {
    const int fd = OpenRegularFile(path_ + "/" + name, O_WRONLY | O_APPEND | O_NOFOLLOW);
    if (fd < 0) return Create(name, mode, created, error);
    created = name;
    return fd;
}

} // namespace tamsivane

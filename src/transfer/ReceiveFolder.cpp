#include "transfer/ReceiveFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/Paths.h"

namespace tamsivane {

std::string ResolveReceiveFolder(std::string_view setting) {
    std::string folder(setting);
    for (char& c : folder) {
        if (c == '\\') c = '/';
    }
    if (folder.empty()) folder = "Received";
    if (folder == "~" || folder.starts_with("~/")) {
        const char* home = std::getenv("HOME");
        return std::string(home ? home : "") + folder.substr(1);
    }
    if (folder.front() == '/') return folder;
    const std::string program = ProgramFolder();
    const std::string base = IsWritableFolder(program) ? program : UserDataFolder();
    return base + "/" + folder;
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

int ReceiveFolder::Create(const std::string& name, std::string& error) const {
    if (!MakeFolders(path_)) {
        error = "cannot create the folder " + path_;
        return -1;
    }
    const int folder = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        error = "cannot open the folder " + path_ + ": " + std::strerror(errno);
        return -1;
    }
    // Not non-blocking, a FIFO planted under the name would hang the open.
    const int fd =
        ::openat(folder, name.c_str(),
                 O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    const int openError = errno;
    ::close(folder);
    if (fd < 0) {
        error = "cannot create " + name + ": " + std::strerror(openError);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = "cannot create " + name + ": not a regular file";
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

} // namespace tamsivane

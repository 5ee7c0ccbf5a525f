#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace tamsivane {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now; false when the close reports an error (a late write failure).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The file a path finally names, so that a symbolic link keeps pointing at
// the replaced file; the path itself when it does not exist yet.
std::string ResolvedTarget(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself durable; a folder that cannot be synced is not an error.
void SyncFolder(const std::string& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) ::fsync(fd.get());
}

} // namespace

int OpenRegularFile(const std::string& path, int flags, mode_t mode) {
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    if (!(flags & O_NONBLOCK)) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool ReadWholeFile(const std::string& path, size_t maxSize, std::string& data, std::string& error) {
    FileDescriptor fd(OpenRegularFile(path, O_RDONLY));
    if (fd.get() < 0) {
        error = errno == EINVAL ? "not a regular file" : Reason(errno);
        return false;
    }
    std::string content;
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            error = Reason(errno);
            return false;
        }
        if (got == 0) break;
        if (content.size() + static_cast<size_t>(got) > maxSize) {
            error = "the file is too large";
            return false;
        }
        content.append(buffer.data(), static_cast<size_t>(got));
    }
    data = std::move(content);
    return true;
}

bool ReplaceFile(const std::string& path, std::string_view data, std::string& error) {
    const std::string target = ResolvedTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    if (exists && static_cast<size_t>(existing.st_size) == data.size()) {
        std::string old;
        std::string unread;
        if (ReadWholeFile(target, data.size(), old, unread) && old == data) return true;
    }
    std::string temporary = target + ".XXXXXX";
    // mkstemp creates the file with owner-only access; a file replaced
    // keeps the access it had.
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        error = Reason(errno);
        return false;
    }
    if ((exists && ::fchmod(fd.get(), existing.st_mode & 07777) != 0) ||
        !WriteAll(fd.get(), data) || ::fsync(fd.get()) != 0 || !fd.Close() ||
        ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = Reason(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
}

} // namespace tamsivane

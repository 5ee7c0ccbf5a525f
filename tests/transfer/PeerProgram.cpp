#include "PeerProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tamsivane::testing {

PeerProgram::PeerProgram(const std::vector<std::string>& arguments, const std::string& folder) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return;
    const std::string log = folder + "/peer.log";
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(pair[1], 0);
        ::dup2(pair[1], 1);
        const int err = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (err >= 0) ::dup2(err, 2);
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pair[1]);
    socket_ = pair[0];
}

PeerProgram::~PeerProgram() {
    stop_.store(true);
    if (reader_.joinable()) reader_.join();
    if (socket_ >= 0) ::close(socket_);
    WaitExit(5s);
}

void PeerProgram::Run(CZModemTransfer& transfer) {
    transfer_ = &transfer;
    transfer.Start();
    reader_ = std::thread([this] { ReadLoop(); });
}

void PeerProgram::ReadLoop() {
    uint8_t buffer[4096];
    while (!stop_.load()) {
        pollfd fd{socket_, POLLIN, 0};
        if (::poll(&fd, 1, 50) <= 0) continue;
        const ssize_t n = ::read(socket_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            transfer_->ConnectionLost();
            return;
        }
        if (!transfer_->Feed(buffer, static_cast<size_t>(n))) {
            ShowReceived(buffer, static_cast<size_t>(n));
        }
    }
}

bool PeerProgram::WaitFinished(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    bool finished = true;
    while (finished && transfer_ && transfer_->Running()) {
        if (std::chrono::steady_clock::now() >= deadline) finished = false;
        std::this_thread::sleep_for(10ms);
    }
    // The transfer may go once this returns: nothing feeds it any more.
    stop_.store(true);
    if (reader_.joinable()) reader_.join();
    return finished;
}

int PeerProgram::WaitExit(std::chrono::milliseconds limit) {
    if (pid_ <= 0 || reaped_) return exitStatus_;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            reaped_ = true;
            return exitStatus_ = -1;
        }
        std::this_thread::sleep_for(10ms);
    }
    reaped_ = true;
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitStatus_;
}

void PeerProgram::WriteRaw(const std::string& bytes) {
    WriteToHost(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

bool PeerProgram::WriteToHost(const uint8_t* bytes, size_t n) {
    std::lock_guard lock(writeMutex_);
    size_t done = 0;
    while (done < n) {
        const ssize_t written = ::send(socket_, bytes + done, n - done, MSG_NOSIGNAL);
        if (written > 0) {
            done += static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno == EAGAIN) {
            pollfd fd{socket_, POLLOUT, 0};
            if (::poll(&fd, 1, 10000) <= 0) return false;
            continue;
        }
        return false;
    }
    return true;
}

void PeerProgram::ShowReceived(const uint8_t* bytes, size_t n) {
    std::lock_guard lock(mutex_);
    shown_.append(reinterpret_cast<const char*>(bytes), n);
}

void PeerProgram::ReportStatus(const TransferStatus& status) {
    std::lock_guard lock(mutex_);
    statuses_.push_back(status);
}

std::vector<TransferStatus> PeerProgram::Statuses() const {
    std::lock_guard lock(mutex_);
    return statuses_;
}

std::vector<std::string> PeerProgram::Finished() const {
    std::vector<std::string> names;
    for (const TransferStatus& status : Statuses()) {
        if (status.code == TransferStatusCode::Received ||
            status.code == TransferStatusCode::Sent) {
            names.push_back(status.name);
        }
    }
    return names;
}

std::string PeerProgram::Shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string AwkwardBytes(size_t n) {
    static const std::string kRuns = std::string("\r\0\r\n\xff\xff", 6) + std::string(8, '\x18') +
                                     "\x11\x13\x91\x93\x10\x90\x8d**\x18"
                                     "B00";
    std::string bytes;
    bytes.reserve(n);
    uint32_t state = 12345;
    for (size_t i = 0; bytes.size() < n; ++i) {
        if (i % 256 == 0) bytes += kRuns;
        bytes += static_cast<char>(i);
        state = state * 1103515245 + 12345;
        if (i % 5 == 0) bytes += static_cast<char>(state >> 16);
    }
    bytes.resize(n);
    return bytes;
}

} // namespace tamsivane::testing

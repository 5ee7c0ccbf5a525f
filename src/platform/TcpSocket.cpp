#include "platform/TcpSocket.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>

#include <algorithm>

#include "platform/NameLookup.h"
#include "platform/PollRetrying.h"

namespace tamsivane {
namespace {

using Clock = std::chrono::steady_clock;

CTcpSocket::ConnectResult FailureOf(int error) {
    using Result = CTcpSocket::ConnectResult;
    switch (error) {
    case ECONNREFUSED: return Result::Refused;
    case ETIMEDOUT: return Result::TimedOut;
    case ENETUNREACH:
    case EHOSTUNREACH: return Result::Unreachable;
    default: return Result::Failed;
    }
}

CTcpSocket::ConnectResult FailureOf(NameLookup::Outcome outcome) {
    using Result = CTcpSocket::ConnectResult;
    switch (outcome) {
    case NameLookup::Outcome::NoSuchHost: return Result::NoSuchHost;
    case NameLookup::Outcome::TimedOut: return Result::TimedOut;
    case NameLookup::Outcome::Stopped: return Result::Stopped;
    default: return Result::Failed;
    }
}

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

} // namespace

CTcpSocket::CTcpSocket(const EventFd& doorbell) : doorbell_(doorbell) {}

CTcpSocket::~CTcpSocket() { Close(); }

void CTcpSocket::SetDrainedCallback(std::function<void()> callback) {
    std::lock_guard lock(mutex_);
    drained_ = std::move(callback);
}

CTcpSocket::ConnectResult CTcpSocket::Connect(const std::string& host, int port,
                                              const std::function<bool()>& stopRequested,
                                              std::chrono::milliseconds timeout) {
    if (host.empty() || port < 1 || port > 65535) return ConnectResult::Failed;
    const auto deadline = Clock::now() + timeout;
    NameLookup lookup;
    const NameLookup::Outcome found = lookup.Resolve(host, port, doorbell_, stopRequested, deadline);
    if (found != NameLookup::Outcome::Found) return FailureOf(found);
    ConnectResult failure = ConnectResult::Failed;
    for (const addrinfo* address = lookup.Addresses(); address; address = address->ai_next) {
        if (stopRequested()) return ConnectResult::Stopped;
        const int fd = socket(address->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) continue;
        bool connected = connect(fd, address->ai_addr, address->ai_addrlen) == 0;
        bool pending = !connected && errno == EINPROGRESS;
        if (!connected && !pending) failure = FailureOf(errno);
        while (pending) {
            pollfd entries[2] = {{fd, POLLOUT, 0}, {doorbell_.Fd(), POLLIN, 0}};
            const int ready =
                PollRetrying(entries, doorbell_.Fd() >= 0 ? 2 : 1, RemainingMs(deadline));
            if (ready < 0 || Clock::now() >= deadline) {
                failure = ready < 0 ? ConnectResult::Failed : ConnectResult::TimedOut;
                break;
            }
            if (entries[1].revents & POLLIN) {
                doorbell_.Drain();
                if (stopRequested()) {
                    close(fd);
                    return ConnectResult::Stopped;
                }
            }
            if (entries[0].revents) {
                int error = 0;
                socklen_t size = sizeof error;
                connected = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
                if (!connected) failure = FailureOf(error);
                pending = false;
            }
        }
        if (connected) {
            std::lock_guard lock(mutex_);
            fd_ = fd;
            return ConnectResult::Connected;
        }
        close(fd);
        if (Clock::now() >= deadline) return ConnectResult::TimedOut;
    }
    return failure;
}

const char* CTcpSocket::Reason(ConnectResult result) {
    switch (result) {
    case ConnectResult::Connected: return "connected";
    case ConnectResult::Stopped: return "stopped";
    case ConnectResult::NoSuchHost: return "no such host";
    case ConnectResult::Refused: return "connection refused";
    case ConnectResult::TimedOut: return "timed out";
    case ConnectResult::Unreachable: return "host unreachable";
    case ConnectResult::Failed: break;
    }
    return "connection failed";
}

CTcpSocket::Readiness CTcpSocket::Wait(bool wantInput, std::chrono::milliseconds timeout) {
    bool wantOutput;
    {
        std::lock_guard lock(mutex_);
        wantOutput = released_ && BacklogSizeLocked() > 0;
    }
    const short socketEvents =
        static_cast<short>((wantInput ? POLLIN : 0) | (wantOutput ? POLLOUT : 0));
    pollfd entries[2] = {{doorbell_.Fd(), POLLIN, 0}, {socketEvents ? fd_ : -1, socketEvents, 0}};
    Readiness readiness;
    if (PollRetrying(entries, 2, static_cast<int>(timeout.count())) <= 0) return readiness;
    if (entries[0].revents & POLLIN) doorbell_.Drain();
    const short events = entries[1].revents;
    if (events & POLLOUT) {
        bool drained = false;
        std::function<void()> callback;
        {
            std::lock_guard lock(mutex_);
            readiness.failed = !FlushLocked(drained);
            if (drained) callback = drained_;
        }
        if (callback) callback();
    }
    if (wantInput && (events & (POLLIN | POLLHUP | POLLERR))) readiness.input = true;
    if (!wantInput && (events & (POLLHUP | POLLERR))) readiness.failed = true;
    return readiness;
}

ptrdiff_t CTcpSocket::Receive(uint8_t* buffer, size_t capacity) {
    if (fd_ < 0) return -1;
    if (capacity == 0) return 0;
    for (;;) {
        const ssize_t count = recv(fd_, buffer, capacity, MSG_DONTWAIT);
        if (count > 0) return count;
        if (count == 0) return -1;
        if (errno == EINTR) continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
}

bool CTcpSocket::Send(const uint8_t* data, size_t length) {
    bool drained = false;
    std::function<void()> callback;
    {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
        if (!released_ || BacklogSizeLocked() > 0) return QueueLocked(data, length);
        size_t sent = 0;
        while (sent < length) {
            const ssize_t count =
                send(fd_, data + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (count >= 0) {
                sent += static_cast<size_t>(count);
            } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return QueueLocked(data + sent, length - sent);
            } else if (errno != EINTR) {
                return false;
            }
        }
        drained = true;
        callback = drained_;
    }
    if (drained && callback) callback();
    return true;
}

bool CTcpSocket::Waiting() const {
    std::lock_guard lock(mutex_);
    return BacklogSizeLocked() > 0;
}

bool CTcpSocket::Release(std::string_view first) {
    bool drained = false;
    bool ok;
    std::function<void()> callback;
    {
        std::lock_guard lock(mutex_);
        if (closed_ || fd_ < 0) return false;
        if (BacklogSizeLocked() + first.size() > kBacklogLimit) return false;
        backlog_.insert(backlog_.begin() + static_cast<ptrdiff_t>(backlogStart_), first.begin(),
                        first.end());
        released_ = true;
        ok = FlushLocked(drained);
        if (drained) callback = drained_;
    }
    if (callback) callback();
    return ok;
}

void CTcpSocket::Close() {
    std::lock_guard lock(mutex_);
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    closed_ = true;
    backlog_.clear();
    backlogStart_ = 0;
}

int CTcpSocket::TakeDescriptor() {
    std::lock_guard lock(mutex_);
    const int fd = fd_;
    fd_ = -1;
    closed_ = true;
    backlog_.clear();
    backlogStart_ = 0;
    return fd;
}

bool CTcpSocket::QueueLocked(const uint8_t* data, size_t length) {
    if (BacklogSizeLocked() + length > kBacklogLimit) return false;
    const bool wasEmpty = BacklogSizeLocked() == 0;
    backlog_.insert(backlog_.end(), data, data + length);
    if (wasEmpty && released_) doorbell_.Signal();
    return true;
}

bool CTcpSocket::FlushLocked(bool& drained) {
    drained = false;
    if (BacklogSizeLocked() == 0) return true;
    while (BacklogSizeLocked() > 0) {
        const size_t piece = std::min(BacklogSizeLocked(), kFlushSize);
        const ssize_t count =
            send(fd_, backlog_.data() + backlogStart_, piece, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count < 0) {
            if (errno == EINTR) continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        backlogStart_ += static_cast<size_t>(count);
    }
    backlog_.clear();
    backlogStart_ = 0;
    drained = true;
    return true;
}

} // namespace tamsivane

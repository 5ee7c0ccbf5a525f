#include "platform/EventFd.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>

namespace tamsivane {

EventFd::EventFd() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

EventFd::~EventFd() {
    if (fd_ >= 0) close(fd_);
}

void EventFd::Signal() const {
    if (fd_ < 0) return;
    const uint64_t one = 1;
    // Fails only when the counter is saturated, which still reads as rung.
    while (write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void EventFd::Drain() const {
    if (fd_ < 0) return;
    uint64_t count;
    while (read(fd_, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

bool EventFd::Wait(std::chrono::milliseconds timeout) const {
    pollfd entry{fd_, POLLIN, 0};
    const int ready = poll(&entry, fd_ >= 0 ? 1 : 0, static_cast<int>(timeout.count()));
    if (ready <= 0 || !(entry.revents & POLLIN)) return false;
    Drain();
    return true;
}

} // namespace tamsivane

// A doorbell for a thread that waits in poll(): any thread rings it, the
// waiting thread sees its descriptor readable and drains it.  What the ring
// means is kept in flags beside it; the bell only ends the wait.
#pragma once

#include <chrono>

namespace tamsivane {

class EventFd {
public:
    EventFd();
    ~EventFd();
    EventFd(const EventFd&) = delete;
    EventFd& operator=(const EventFd&) = delete;

    // Any thread, never blocks.
    void Signal() const;
    // Clears every ring so far.
    void Drain() const;
    // Waits at most timeout for a ring and drains it; true when it rang.
    bool Wait(std::chrono::milliseconds timeout) const;
    // For poll(): readable while rung; -1 when the descriptor could not be made
    // (the waits then only time out).
    int Fd() const { return fd_; }

private:
    int fd_;
};

} // namespace tamsivane

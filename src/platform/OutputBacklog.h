// Output for a sink that never blocks (a pseudo-terminal, an SSH channel):
// any thread sends, what the sink does not take at once waits in order, and
// the I/O thread writes the rest when the sink has room again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/EventFd.h"

namespace tamsivane {

class OutputBacklog {
public:
    // Output the other end has not taken beyond this makes sending fail.
    static constexpr size_t kLimit = 4 * 1024 * 1024;

    // Writes what it can without waiting: the count taken (0 for none now),
    // or -1 when the sink failed.  Called with the backlog's lock held.
    using Sink = std::function<ptrdiff_t(const uint8_t* data, size_t length)>;

    // doorbell: rung when output starts to wait, so the I/O thread watches
    // for room.  Must outlive the backlog.
    explicit OutputBacklog(const EventFd& doorbell) : doorbell_(doorbell) {}

    // Any thread.  Writes at once behind whatever waits; false when closed,
    // when the sink failed, or when the waiting output would pass kLimit.
    bool Send(const uint8_t* data, size_t length, const Sink& sink);
    // I/O thread.  Writes what waits until the sink is full; false when it failed.
    bool Flush(const Sink& sink);
    bool Waiting() const;
    // From now on sending fails; what waits is dropped.
    void Close();
    // Called, without the backlog's lock, each time everything sent so far
    // has been written.
    void SetDrainedCallback(std::function<void()> callback) { drained_ = std::move(callback); }

private:
    // Under mutex_: true when the sink did not fail.
    bool WriteWaitingLocked(const Sink& sink);
    size_t WaitingLocked() const { return bytes_.size() - start_; }
    void NotifyDrained() const;

    const EventFd& doorbell_;
    mutable std::mutex mutex_;
    std::vector<uint8_t> bytes_;
    size_t start_ = 0; // bytes_ before it have been written
    bool closed_ = false;
    std::function<void()> drained_;
};

} // namespace tamsivane

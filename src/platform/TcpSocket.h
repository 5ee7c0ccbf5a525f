// A non-blocking TCP connection for an I/O thread that waits in poll() on the
// socket and its doorbell.  Sending works from any thread and never blocks:
// what the socket does not take joins an ordered backlog that the I/O thread
// flushes when the socket has room.  Until output is released (after the
// connection and any proxy greeting), everything sent is queued.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/EventFd.h"

namespace tamsivane {

class CTcpSocket {
public:
    // Output the peer has not taken beyond this makes sending fail.
    static constexpr size_t kBacklogLimit = 4 * 1024 * 1024;
    // Largest single write when flushing the backlog.
    static constexpr size_t kFlushSize = 4096;

    enum class ConnectResult { Connected, Stopped, NoSuchHost, Refused, TimedOut, Unreachable, Failed };
    // Why a connection failed, for the user: "refused", "no such host" ...
    static const char* Reason(ConnectResult result);
    struct Readiness {
        bool input = false;  // Receive() has something to say (data, end or error)
        bool failed = false; // the backlog could not be written
    };

    // doorbell: rung when output joins the backlog, so a waiting I/O thread
    // starts watching for room.  Must outlive the socket.
    explicit CTcpSocket(const EventFd& doorbell);
    ~CTcpSocket();
    CTcpSocket(const CTcpSocket&) = delete;
    CTcpSocket& operator=(const CTcpSocket&) = delete;

    // Called, without the socket's lock, each time everything given so far
    // has been written.
    void SetDrainedCallback(std::function<void()> callback);

    // I/O thread.  Resolves host (a dotted or textual address, or a name) and
    // tries its addresses in turn; a failure tells the last address's fault.
    // Waits (the name lookup included) on the socket and the doorbell;
    // stopRequested is asked whenever the doorbell rings, and the whole
    // attempt gives up after timeout.
    ConnectResult Connect(const std::string& host, int port,
                          const std::function<bool()>& stopRequested,
                          std::chrono::milliseconds timeout);

    // I/O thread.  Waits at most timeout for input (only when wantInput), the
    // doorbell, or room for the backlog, which it then flushes.
    Readiness Wait(bool wantInput, std::chrono::milliseconds timeout);
    // I/O thread.  Bytes received (> 0), 0 when nothing is waiting, -1 when
    // the peer closed or the connection failed.
    ptrdiff_t Receive(uint8_t* buffer, size_t capacity);

    // Any thread.  Keeps the order of output; false when the connection is
    // closed, has failed, or the backlog would pass its limit.
    bool Send(const uint8_t* data, size_t length);
    bool Send(std::string_view text) {
        return Send(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
    // Any thread: whether output waits to be written.
    bool Waiting() const;
    // I/O thread, once connected: sends `first`, then what was queued meanwhile.
    bool Release(std::string_view first = {});

    void Close();
    // I/O thread, once connected and before anything was sent: hands the
    // connection to another owner (an SSH session), which closes it; the
    // socket is closed from then on.  -1 when not connected.
    int TakeDescriptor();

private:
    // Under mutex_.  Writes from the front of the backlog until it is empty
    // or the socket is full; false on a socket error.
    bool FlushLocked(bool& drained);
    bool QueueLocked(const uint8_t* data, size_t length);
    size_t BacklogSizeLocked() const { return backlog_.size() - backlogStart_; }

    const EventFd& doorbell_;
    mutable std::mutex mutex_;
    int fd_ = -1; // written by the I/O thread under mutex_
    bool released_ = false;
    bool closed_ = false;
    std::vector<uint8_t> backlog_;
    size_t backlogStart_ = 0;
    std::function<void()> drained_;
};

} // namespace tamsivane

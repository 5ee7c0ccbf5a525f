// What a running script receives from outside its thread: the host's bytes,
// queued for its waits, and the request to stop.  The thread that delivers
// host bytes only appends (under the session lock, so it never waits here);
// the script thread takes the bytes and matches them itself.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace tamsivane {

class ScriptInput {
public:
    using Clock = std::chrono::steady_clock;
    // Bytes kept for the script; when full, the oldest go.
    static constexpr size_t kCapacity = 4096;

    enum class Taken { Byte, TimedOut, Cancelled };

    // Any thread.
    void Push(uint8_t byte);
    void Cancel();
    // Cancelled, or past the time limit.
    bool Cancelled() const;
    // Before the script runs: from then on it counts as cancelled.
    void SetTimeLimit(Clock::time_point endBy) { endBy_ = endBy; }
    // Ended by the time limit rather than by Cancel.
    bool TimedOut() const;
    // No more bytes will come: once the queue is empty, waits and sleeps end
    // at once as if their time had passed (for running untrusted text).
    void EndOfInput();

    // Script thread: the oldest byte, waiting for one until the deadline
    // (none: no limit), the time limit or the cancel.
    Taken Take(uint8_t& byte, std::optional<Clock::time_point> deadline);
    // Script thread: false when cancelled before the time was up.
    bool SleepFor(Clock::duration duration);
    size_t Buffered() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<uint8_t> bytes_;
    // Set under the mutex, so that waits see it; read without it.
    std::atomic<bool> cancelled_{false};
    bool ended_ = false;
    std::optional<Clock::time_point> endBy_;
};

} // namespace tamsivane

// Time for the print job's time-out: the clock, and one call at a deadline.
// The session's clock runs the call on a thread of its own; tests move time
// by hand.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace tamsivane {

class JobClock {
public:
    using Clock = std::chrono::steady_clock;
    virtual ~JobClock() = default;
    virtual Clock::time_point Now() const = 0;
    // due() runs once at or after deadline, replacing what was asked before;
    // it runs without any lock of the clock held.
    virtual void CallAt(Clock::time_point deadline, std::function<void()> due) = 0;
    virtual void Cancel() = 0;
};

// The steady clock, with a thread that waits for the deadline; the thread
// starts with the first call asked for and is joined when the clock goes.
class ThreadJobClock final : public JobClock {
public:
    ThreadJobClock() = default;
    ~ThreadJobClock() override;

    Clock::time_point Now() const override { return Clock::now(); }
    void CallAt(Clock::time_point deadline, std::function<void()> due) override;
    void Cancel() override;

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Clock::time_point> deadline_;
    std::function<void()> due_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace tamsivane

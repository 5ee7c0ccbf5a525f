// Print work of one session, run in order on a thread of its own, so that
// whoever hands it over (the I/O thread with the session lock held, the
// GUI) never waits for a printer, a spooler or a port.
//
// What waits is bounded: past kRoom the worker is behind and senders that
// can hold back (received data) do so; past kLimit work is refused.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tamsivane {

class PrintWorker {
public:
    using Task = std::function<void()>;
    using Clock = std::chrono::steady_clock;
    // Bytes of work waiting beyond which the worker is behind, and beyond
    // which new work is refused; each task counts kTaskCost beyond its data.
    static constexpr size_t kRoom = size_t{1} << 20;
    static constexpr size_t kLimit = size_t{4} << 20;
    static constexpr size_t kTaskCost = 64;

    PrintWorker() = default;
    ~PrintWorker() { Finish(); }
    PrintWorker(const PrintWorker&) = delete;
    PrintWorker& operator=(const PrintWorker&) = delete;

    // Any thread, never waiting: task runs after every task posted before
    // it.  False (and task dropped) when the waiting work would pass kLimit.
    // The thread starts with the first task.
    bool Post(Task task, size_t bytes = 0);
    // Whether the waiting work has passed kRoom.
    bool Behind() const;
    // Until every task posted so far has run; false at the deadline.
    bool WaitUntilIdle(Clock::time_point deadline) const;
    // Runs what was handed over (each piece of it bounded), then joins the
    // thread; work posted afterwards is refused.
    void Finish();

private:
    struct Work {
        Task task;
        size_t cost;
    };
    void Run();

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<Work> tasks_;
    size_t waiting_ = 0; // the cost of tasks_ and of the one running
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace tamsivane

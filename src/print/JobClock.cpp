#include "print/JobClock.h"

namespace tamsivane {

ThreadJobClock::~ThreadJobClock() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ThreadJobClock::CallAt(Clock::time_point deadline, std::function<void()> due) {
    {
        std::lock_guard lock(mutex_);
        deadline_ = deadline;
        due_ = std::move(due);
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    changed_.notify_all();
}

void ThreadJobClock::Cancel() {
    {
        std::lock_guard lock(mutex_);
        deadline_.reset();
        due_ = nullptr;
    }
    changed_.notify_all();
}

void ThreadJobClock::Run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!deadline_) {
            changed_.wait(lock, [this] { return stopping_ || deadline_.has_value(); });
            continue;
        }
        const Clock::time_point deadline = *deadline_;
        if (changed_.wait_until(lock, deadline, [&] {
                return stopping_ || !deadline_ || *deadline_ != deadline;
            })) {
            continue;
        }
        std::function<void()> due = std::move(due_);
        due_ = nullptr;
        deadline_.reset();
        lock.unlock();
        if (due) due();
        lock.lock();
    }
}

} // namespace tamsivane

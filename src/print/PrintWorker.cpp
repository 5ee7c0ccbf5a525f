#include "print/PrintWorker.h"

namespace tamsivane {

void PrintWorker::Finish() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool PrintWorker::Post(Task task, size_t bytes) {
    {
        std::lock_guard lock(mutex_);
        const size_t cost = bytes + kTaskCost;
        if (stopping_ || waiting_ + cost > kLimit) return false;
        tasks_.push_back({std::move(task), cost});
        waiting_ += cost;
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    changed_.notify_all();
    return true;
}

bool PrintWorker::Behind() const {
    std::lock_guard lock(mutex_);
    return waiting_ > kRoom;
}

bool PrintWorker::WaitUntilIdle(Clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_until(lock, deadline, [this] { return waiting_ == 0; });
}

void PrintWorker::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        // Stopping still runs what waits: it is the session's last output.
        if (tasks_.empty()) return;
        Work work = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        work.task();
        work.task = nullptr;
        lock.lock();
        waiting_ -= work.cost;
        changed_.notify_all();
    }
}

} // namespace tamsivane

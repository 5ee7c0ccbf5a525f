#include "script/ScriptInput.h"

#include <algorithm>

namespace tamsivane {

void ScriptInput::Push(uint8_t byte) {
    {
        std::lock_guard lock(mutex_);
        if (bytes_.size() >= kCapacity) bytes_.pop_front();
        bytes_.push_back(byte);
    }
    changed_.notify_one();
}

void ScriptInput::Cancel() {
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
}

void ScriptInput::EndOfInput() {
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
}

bool ScriptInput::Cancelled() const {
    return cancelled_.load(std::memory_order_relaxed) || TimedOut();
}

bool ScriptInput::TimedOut() const { return endBy_ && Clock::now() >= *endBy_; }

ScriptInput::Taken ScriptInput::Take(uint8_t& byte, std::optional<Clock::time_point> deadline) {
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return cancelled_.load() || ended_ || !bytes_.empty(); };
    const bool limited = endBy_ && (!deadline || *endBy_ < *deadline);
    if (limited) deadline = endBy_;
    if (deadline) {
        if (!changed_.wait_until(lock, *deadline, ready)) {
            return limited ? Taken::Cancelled : Taken::TimedOut;
        }
    } else {
        changed_.wait(lock, ready);
    }
    if (Cancelled()) return Taken::Cancelled;
    if (bytes_.empty()) return Taken::TimedOut;
    byte = bytes_.front();
    bytes_.pop_front();
    return Taken::Byte;
}

bool ScriptInput::SleepFor(Clock::duration duration) {
    Clock::time_point until = Clock::now() + duration;
    if (endBy_) until = std::min(until, *endBy_);
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, until, [this] { return cancelled_.load() || ended_; });
    return !Cancelled();
}

size_t ScriptInput::Buffered() const {
    std::lock_guard lock(mutex_);
    return bytes_.size();
}

} // namespace tamsivane

#include "platform/OutputBacklog.h"

namespace tamsivane {

bool OutputBacklog::Send(const uint8_t* data, size_t length, const Sink& sink) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
        if (WaitingLocked() + length > kLimit) return false;
        const bool wasEmpty = WaitingLocked() == 0;
        bytes_.insert(bytes_.end(), data, data + length);
        if (!wasEmpty) return true;
        if (!WriteWaitingLocked(sink)) return false;
        if (WaitingLocked() > 0) {
            doorbell_.Signal();
            return true;
        }
    }
    NotifyDrained();
    return true;
}

bool OutputBacklog::Flush(const Sink& sink) {
    {
        std::lock_guard lock(mutex_);
        if (WaitingLocked() == 0) return !closed_;
        if (!WriteWaitingLocked(sink)) return false;
        if (WaitingLocked() > 0) return true;
    }
    NotifyDrained();
    return true;
}

bool OutputBacklog::Waiting() const {
    std::lock_guard lock(mutex_);
    return WaitingLocked() > 0;
}

void OutputBacklog::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    bytes_.clear();
    start_ = 0;
}

bool OutputBacklog::WriteWaitingLocked(const Sink& sink) {
    while (WaitingLocked() > 0) {
        const ptrdiff_t taken = sink(bytes_.data() + start_, WaitingLocked());
        if (taken < 0) return false;
        if (taken == 0) return true;
        start_ += static_cast<size_t>(taken);
    }
    bytes_.clear();
    start_ = 0;
    return true;
}

void OutputBacklog::NotifyDrained() const {
    if (drained_) drained_();
}

} // namespace tamsivane

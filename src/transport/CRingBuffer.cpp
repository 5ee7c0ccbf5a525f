#include "transport/CRingBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tamsivane {

bool CRingBuffer::Allocate(size_t size) {
    std::lock_guard lock(mutex_);
    buffer_.reset(new (std::nothrow) uint8_t[size]);
    size_ = buffer_ ? size : 0;
    free_ = size_;
    read_ = write_ = 0;
    return buffer_ != nullptr;
}

bool CRingBuffer::Put(const uint8_t* bytes, size_t n) {
    std::lock_guard lock(mutex_);
    if (n > free_) return false;
    if (n == 0) return true;
    const size_t first = std::min(n, size_ - write_);
    std::memcpy(buffer_.get() + write_, bytes, first);
    std::memcpy(buffer_.get(), bytes + first, n - first);
    write_ = (write_ + n) % std::max<size_t>(size_, 1);
    free_ -= n;
    return true;
}

size_t CRingBuffer::Get(uint8_t* buffer, size_t max) {
    std::lock_guard lock(mutex_);
    const size_t n = std::min(size_ - free_, max);
    if (n == 0) return 0;
    const size_t first = std::min(n, size_ - read_);
    std::memcpy(buffer, buffer_.get() + read_, first);
    std::memcpy(buffer + first, buffer_.get(), n - first);
    read_ = (read_ + n) % std::max<size_t>(size_, 1);
    free_ += n;
    return n;
}

void CRingBuffer::Reset() {
    std::lock_guard lock(mutex_);
    free_ = size_;
    read_ = write_ = 0;
}

size_t CRingBuffer::Used() const {
    std::lock_guard lock(mutex_);
    return size_ - free_;
}

size_t CRingBuffer::Free() const {
    std::lock_guard lock(mutex_);
    return free_;
}

size_t CRingBuffer::Size() const {
    std::lock_guard lock(mutex_);
    return size_;
}

} // namespace tamsivane

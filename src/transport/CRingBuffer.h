// A fixed-size byte ring between the producers of received data and the I/O
// thread that delivers it.  Every operation takes the ring's own lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace tamsivane {

class CRingBuffer {
public:
    // Frees any old storage and makes an empty ring of size bytes; false when
    // the storage cannot be had (the ring is then empty with size 0).
    bool Allocate(size_t size);
    // All or nothing: false (nothing stored) when n bytes do not fit.
    bool Put(const uint8_t* bytes, size_t n);
    // Copies out up to max bytes, oldest first; returns the count.
    size_t Get(uint8_t* buffer, size_t max);
    void Reset();
    size_t Used() const;
    size_t Free() const;
    size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t size_ = 0;
    size_t free_ = 0;
    size_t read_ = 0;
    size_t write_ = 0;
};

} // namespace tamsivane

// The memory a running script's values hold: string bytes and array
// elements, counted together against one bound, so that no combination of
// long strings and large arrays can take the machine's memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tamsivane {

namespace ScriptMemory {

inline constexpr size_t kLimit = 128u << 20;

// Values made on this thread while a scope lives are counted (one script's
// run) against its limit; values made outside any scope are not.
class Scope {
public:
    explicit Scope(size_t limit = kLimit);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    uint64_t outerId_;
    size_t outerUsed_;
    size_t outerLimit_;
};

} // namespace ScriptMemory

// A share of the count held by one value: taken when the value is made or
// copied, given back when it goes.  Taking more than the bound allows raises
// script error 1071.
class MemoryCharge {
public:
    MemoryCharge() = default;
    explicit MemoryCharge(size_t bytes) { Take(bytes); }
    MemoryCharge(const MemoryCharge& other) { Take(other.bytes_); }
    MemoryCharge(MemoryCharge&& other) noexcept : bytes_(other.bytes_), scope_(other.scope_) {
        other.bytes_ = 0;
    }
    MemoryCharge& operator=(const MemoryCharge& other) {
        if (this != &other) Change(other.bytes_);
        return *this;
    }
    MemoryCharge& operator=(MemoryCharge&& other) noexcept;
    ~MemoryCharge() { GiveBack(); }

    size_t Bytes() const { return bytes_; }
    // Holds bytes from now on; raises 1071 when the growth does not fit.
    void Change(size_t bytes);

private:
    void Take(size_t bytes);
    void GiveBack() noexcept;

    size_t bytes_ = 0;
    uint64_t scope_ = 0; // the scope that counted bytes_; 0: none
};

} // namespace tamsivane

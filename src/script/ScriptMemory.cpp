#include "script/ScriptMemory.h"

#include <atomic>

#include "config/ResourceStrings.h"
#include "script/ScriptError.h"

namespace tamsivane {
namespace {

struct Count {
    uint64_t id = 0; // the running scope; 0: none
    size_t used = 0;
    size_t limit = ScriptMemory::kLimit;
};
thread_local Count tCount;
std::atomic<uint64_t> gNextScope{1};

[[noreturn]] void TooMuch() {
    RaiseScriptError(ScriptErr::NotSupported,
                     FormatResource(Msg::ScriptMemoryFull, {std::to_string(tCount.limit >> 20)}));
}

} // namespace

namespace ScriptMemory {

Scope::Scope(size_t limit)
    : outerId_(tCount.id), outerUsed_(tCount.used), outerLimit_(tCount.limit) {
    tCount.id = gNextScope.fetch_add(1);
    tCount.used = 0;
    tCount.limit = limit;
}

Scope::~Scope() {
    tCount.id = outerId_;
    tCount.used = outerUsed_;
    tCount.limit = outerLimit_;
}

} // namespace ScriptMemory

void MemoryCharge::Take(size_t bytes) {
    if (tCount.id == 0) return;
    if (bytes > tCount.limit - tCount.used) TooMuch();
    tCount.used += bytes;
    bytes_ = bytes;
    scope_ = tCount.id;
}

void MemoryCharge::GiveBack() noexcept {
    // Values that outlive their scope, or go on another thread, were counted
    // by a count that is gone.
    if (bytes_ != 0 && scope_ == tCount.id) tCount.used -= bytes_;
    bytes_ = 0;
}

MemoryCharge& MemoryCharge::operator=(MemoryCharge&& other) noexcept {
    if (this != &other) {
        GiveBack();
        bytes_ = other.bytes_;
        scope_ = other.scope_;
        other.bytes_ = 0;
    }
    return *this;
}

void MemoryCharge::Change(size_t bytes) {
    if (scope_ == 0 || scope_ != tCount.id) {
        MemoryCharge fresh(bytes);
        *this = std::move(fresh);
        return;
    }
    if (bytes > bytes_) {
        if (bytes - bytes_ > tCount.limit - tCount.used) TooMuch();
        tCount.used += bytes - bytes_;
    } else {
        tCount.used -= bytes_ - bytes;
    }
    bytes_ = bytes;
}

} // namespace tamsivane

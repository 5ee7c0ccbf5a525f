// An environment variable set (or removed) for one test and restored after.
// Set it before the test starts threads of its own.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace tamsivane::testing {

class ScopedVariable {
public:
    // value: the variable's value meanwhile; nullopt removes it.
    ScopedVariable(std::string name, const std::optional<std::string>& value)
        : name_(std::move(name)) {
        if (const char* before = getenv(name_.c_str())) saved_ = before;
        if (value) {
            setenv(name_.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
    }
    ~ScopedVariable() {
        if (saved_) {
            setenv(name_.c_str(), saved_->c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

} // namespace tamsivane::testing

#include "script/WaitMatcher.h"

#include <algorithm>

namespace tamsivane {

WaitMatcher::WaitMatcher(std::string_view patterns) {
    size_t start = 0;
    for (;;) {
        const size_t bar = patterns.find('|', start);
        const std::string_view piece = patterns.substr(start, bar - start);
        if (bar == std::string_view::npos) {
            if (!piece.empty()) patterns_.emplace_back(piece);
            break;
        }
        patterns_.emplace_back(piece);
        start = bar + 1;
    }
    for (const std::string& pattern : patterns_) longest_ = std::max(longest_, pattern.size());
}

const std::string* WaitMatcher::Feed(char byte) {
    if (longest_ == 0) return nullptr;
    if (tail_.size() == longest_) tail_.erase(0, 1);
    tail_ += byte;
    for (const std::string& pattern : patterns_) {
        if (!pattern.empty() && tail_.size() >= pattern.size() &&
            tail_.compare(tail_.size() - pattern.size(), pattern.size(), pattern) == 0) {
            return &pattern;
        }
    }
    return nullptr;
}

} // namespace tamsivane

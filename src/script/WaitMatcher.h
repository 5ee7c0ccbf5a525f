// The patterns of one term.Wait: alternatives separated by "|", matched
// against the host's bytes as they come.  A pattern is found wherever it
// ends in the input, also after a partial match ("aab" in "aaab").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tamsivane {

class WaitMatcher {
public:
    // An empty piece at the end is dropped; one elsewhere never matches.
    explicit WaitMatcher(std::string_view patterns);

    // Feeds one byte; the first pattern (in written order) that now ends the
    // input, or nullptr.
    const std::string* Feed(char byte);

private:
    std::vector<std::string> patterns_;
    size_t longest_ = 0;
    std::string tail_; // the last bytes, as many as the longest pattern
};

} // namespace tamsivane

#include "session/HostNotice.h"

#include <algorithm>
#include <limits>

#include "config/ResourceStrings.h"

namespace tamsivane {

int HostNotice::Add(std::string_view text) {
    text = text.substr(0, kMaxText);
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& entry) { return entry.text == text; });
    if (found != entries_.end()) {
        if (found->count < std::numeric_limits<int>::max()) ++found->count;
        return found->count;
    }
    if (entries_.size() >= kMaxEntries) entries_.erase(entries_.begin());
    entries_.push_back({std::string(text), 1});
    return 1;
}

std::string HostNotice::Text() const {
    std::lock_guard lock(mutex_);
    std::string text;
    for (const Entry& entry : entries_) {
        if (!text.empty()) text += "\n\n";
        text += entry.count == 1 ? entry.text
                                 : FormatResource(Msg::RepeatedMessage,
                                                  {entry.text, std::to_string(entry.count)});
    }
    return text;
}

void HostNotice::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

} // namespace tamsivane

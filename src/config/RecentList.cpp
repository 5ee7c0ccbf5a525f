#include "config/RecentList.h"

#include <algorithm>

namespace tamsivane {

RecentList::RecentList(AppProfile& profile, std::string section, std::string prefix, int capacity)
    : profile_(profile), section_(std::move(section)), prefix_(std::move(prefix)),
      capacity_(capacity) {}

std::vector<std::string> RecentList::Load() const {
    std::vector<std::string> entries;
    for (int i = 0; i < capacity_; ++i) {
        std::string entry = profile_.GetString(section_, Name(i), "");
        if (!entry.empty()) entries.push_back(std::move(entry));
    }
    return entries;
}

void RecentList::Add(std::string_view text) {
    if (text.empty()) return;
    std::vector<std::string> entries = Load();
    const auto found = std::find(entries.begin(), entries.end(), text);
    if (found != entries.end()) entries.erase(found);
    entries.insert(entries.begin(), std::string(text));
    const int kept = std::min(static_cast<int>(entries.size()), capacity_);
    for (int i = 0; i < kept; ++i) profile_.SetString(section_, Name(i), entries[i]);
    for (int i = kept; i < capacity_; ++i) profile_.Remove(section_, Name(i));
}

} // namespace tamsivane

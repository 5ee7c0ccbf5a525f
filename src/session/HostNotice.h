// What a session's host caused the user to be told (script errors, script
// files that cannot be loaded, refused scripts, transfer errors), merged
// into one notice: each distinct text once, with how often it came.  The
// host decides how often these come, so the notice never grows past a few
// entries and a window shows it without opening a box per message.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tamsivane {

class HostNotice {
public:
    // Distinct texts kept; a new one beyond them pushes out the oldest.
    static constexpr size_t kMaxEntries = 8;
    // Longest text kept of one message.
    static constexpr size_t kMaxText = 2048;

    // Any thread: how often the text has come now (1 for a new one).
    int Add(std::string_view text);
    // The entries in the order they first came, separated by blank lines; a
    // repeated one as "<text> (<n> times)".  Empty when there is none.
    std::string Text() const;
    // The user has read the notice: it starts afresh.
    void Clear();

private:
    struct Entry {
        std::string text;
        int count = 0;
    };
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

} // namespace tamsivane

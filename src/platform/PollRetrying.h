#pragma once

#include <poll.h>
#include <cerrno>

namespace tamsivane {

// poll() that carries on across signals; the caller's time-out restarts, so a
// caller that needs a hard deadline recomputes it between calls.
inline int PollRetrying(pollfd* entries, nfds_t count, int timeoutMs) {
    int ready;
    do {
        ready = poll(entries, count, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready;
}

} // namespace tamsivane

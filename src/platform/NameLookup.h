// Looks a host name up without holding up the thread that asked: the lookup
// runs on a helper thread while the asker waits on its doorbell, so a stop
// during a slow name server is seen at once.  A lookup given up ends on its
// helper, which then frees the answer; nothing of the asker is touched.
#pragma once

#include <netdb.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/EventFd.h"

namespace tamsivane {

class NameLookup {
public:
    using Function = int (*)(const char* host, const char* service, const addrinfo* hints,
                             addrinfo** result);
    enum class Outcome { Found, NoSuchHost, TimedOut, Stopped, Failed };
    // Lookups that may be under way at once, given up ones included.
    static constexpr int kMaxInFlight = 16;

    NameLookup() = default;
    ~NameLookup();
    NameLookup(const NameLookup&) = delete;
    NameLookup& operator=(const NameLookup&) = delete;

    // The TCP addresses of host (a name or a numeric address) at port.  A
    // numeric address is answered at once; a name waits for the answer, the
    // deadline, or the doorbell, after which stopRequested is asked.
    Outcome Resolve(const std::string& host, int port, const EventFd& doorbell,
                    const std::function<bool()>& stopRequested,
                    std::chrono::steady_clock::time_point deadline);
    // After Found: the addresses, in the order to try them.
    const addrinfo* Addresses() const;

    // The function that looks names up: getaddrinfo, unless a test puts one
    // that hangs in its place.  Returns the one it replaces.
    static Function SetFunction(Function function);
    // Helper threads still running.
    static int InFlight();

private:
    struct Request;
    std::shared_ptr<Request> request_;
};

} // namespace tamsivane

#include "platform/NameLookup.h"

#include <poll.h>
#include <cerrno>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

namespace tamsivane {

namespace {

std::atomic<NameLookup::Function> gFunction{&getaddrinfo};
std::atomic<int> gInFlight{0};

NameLookup::Outcome OutcomeOf(int error) {
    switch (error) {
    case 0: return NameLookup::Outcome::Found;
    case EAI_NONAME:
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
    case EAI_FAIL:
    case EAI_AGAIN: return NameLookup::Outcome::NoSuchHost;
    default: return NameLookup::Outcome::Failed;
    }
}

addrinfo Hints(int extraFlags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | extraFlags;
    return hints;
}

} // namespace

// Shared by the asker and the helper thread; whichever lets go last frees
// the answer.
struct NameLookup::Request {
    std::string host;
    std::string service;
    EventFd answered;
    std::mutex mutex;
    bool finished = false; // guarded by mutex, like the two below
    int error = 0;
    addrinfo* list = nullptr;

    ~Request() {
        if (list != nullptr) freeaddrinfo(list);
    }

    // Helper thread.
    void Run(Function function) {
        const addrinfo hints = Hints(0);
        addrinfo* answer = nullptr;
        const int result = function(host.c_str(), service.c_str(), &hints, &answer);
        {
            std::lock_guard lock(mutex);
            error = result;
            list = result == 0 ? answer : nullptr;
            finished = true;
        }
        answered.Signal();
    }
};

NameLookup::~NameLookup() = default;

NameLookup::Outcome NameLookup::Resolve(const std::string& host, int port,
                                        const EventFd& doorbell,
                                        const std::function<bool()>& stopRequested,
                                        std::chrono::steady_clock::time_point deadline) {
    request_ = std::make_shared<Request>();
    request_->host = host;
    request_->service = std::to_string(port);
    // A numeric address needs no name server and never waits.
    const addrinfo numeric = Hints(AI_NUMERICHOST);
    const int error = getaddrinfo(host.c_str(), request_->service.c_str(), &numeric,
                                  &request_->list);
    if (error != EAI_NONAME) return OutcomeOf(error);

    if (gInFlight.fetch_add(1) >= kMaxInFlight) {
        gInFlight.fetch_sub(1);
        return Outcome::Failed;
    }
    try {
        // Detached: getaddrinfo cannot be interrupted, and waiting for it is
        // exactly what a stop must not do.  The thread owns its share of the
        // request and nothing else.
        std::thread([request = request_, function = gFunction.load()]() mutable {
            request->Run(function);
            request.reset(); // the answer is freed here when the asker has gone
            gInFlight.fetch_sub(1);
        }).detach();
    } catch (const std::system_error&) {
        gInFlight.fetch_sub(1);
        return Outcome::Failed;
    }

    for (;;) {
        if (stopRequested()) return Outcome::Stopped;
        {
            std::lock_guard lock(request_->mutex);
            if (request_->finished) return OutcomeOf(request_->error);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return Outcome::TimedOut;
        pollfd entries[2] = {{request_->answered.Fd(), POLLIN, 0}, {doorbell.Fd(), POLLIN, 0}};
        const int ready = poll(entries, 2, static_cast<int>(std::min<long long>(left.count(), 500)));

        if (ready < 0 && errno != EINTR) return Outcome::Failed;
        if (ready > 0 && (entries[1].revents & POLLIN)) doorbell.Drain();
    }
}

const addrinfo* NameLookup::Addresses() const {
    if (!request_) return nullptr;
    std::lock_guard lock(request_->mutex);
    return request_->list;
}

NameLookup::Function NameLookup::SetFunction(Function function) {
    return gFunction.exchange(function);
}

int NameLookup::InFlight() { return gInFlight.load(); }

} // namespace tamsivane

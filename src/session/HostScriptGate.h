// Decides what becomes of a script the host asks to run (a script text or
// the name of a script file): the user's standing choice, the question put
// to the user about one request, and the rule that a session runs at most
// one host script at a time.  Requests that come while one is asked about
// or running are dropped and counted.  Session lock held throughout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tamsivane {

// The user's standing choice for scripts the host starts.
enum class HostScriptPolicy : uint8_t { Ask, Refuse, Allow };
// The user's answer to one request.
enum class HostScriptAnswer : uint8_t { RunOnce, AllowSession, Refuse };

struct HostScriptRequest {
    std::string data; // the script text, or the file name
    bool isFileName = false;
};

// What the user is shown of a request: the first line of the text, or the
// file name, cut to a line's length, with control characters as \xNN.
std::string HostScriptSummary(const HostScriptRequest& request);

class HostScriptGate {
public:
    static constexpr size_t kSummaryLimit = 120;

    enum class Verdict : uint8_t {
        Run,     // start it now
        Ask,     // ask the user; the request waits for the answer
        Refused, // the user's choice refuses it
        Busy,    // dropped: one runs already
        Dropped, // dropped: one waits for the user's answer
    };

    void SetPolicy(HostScriptPolicy policy) { policy_ = policy; }
    HostScriptPolicy Policy() const { return policy_; }

    // A request from the host; running: whether a host script runs now.
    Verdict Request(const HostScriptRequest& request, bool running);

    // The request waiting for the user's answer, if any.
    struct Question {
        std::string summary;
        int dropped = 0; // requests that came meanwhile
    };
    std::optional<Question> Pending() const;
    // The user's answer: the request to start now, if the answer runs it.
    // Nothing when no request waits.
    std::optional<HostScriptRequest> Answer(HostScriptAnswer answer);

private:
    HostScriptPolicy policy_ = HostScriptPolicy::Refuse;
    bool allowedForSession_ = false;
    std::optional<HostScriptRequest> pending_;
    int dropped_ = 0;
};

} // namespace tamsivane

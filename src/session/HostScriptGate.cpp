#include "session/HostScriptGate.h"

#include <cstdio>
#include <utility>

namespace tamsivane {

std::string HostScriptSummary(const HostScriptRequest& request) {
    std::string_view text = request.data;
    if (!request.isFileName) {
        // Blank lines before the first statement say nothing.
        const size_t start = text.find_first_not_of(" \t\r\n");
        text = start == std::string_view::npos ? std::string_view{} : text.substr(start);
        text = text.substr(0, text.find_first_of("\r\n"));
    }
    std::string summary;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            summary += escaped;
        } else {
            summary += c;
        }
        if (summary.size() >= HostScriptGate::kSummaryLimit) {
            summary += "...";
            break;
        }
    }
    return summary;
}

HostScriptGate::Verdict HostScriptGate::Request(const HostScriptRequest& request, bool running) {
    if (pending_) {
        ++dropped_;
        return Verdict::Dropped;
    }
    if (policy_ == HostScriptPolicy::Refuse) return Verdict::Refused;
    if (running) return Verdict::Busy;
    if (policy_ == HostScriptPolicy::Allow || allowedForSession_) return Verdict::Run;
    pending_ = request;
    dropped_ = 0;
    return Verdict::Ask;
}

std::optional<HostScriptGate::Question> HostScriptGate::Pending() const {
    if (!pending_) return std::nullopt;
    return Question{HostScriptSummary(*pending_), dropped_};
}

std::optional<HostScriptRequest> HostScriptGate::Answer(HostScriptAnswer answer) {
    std::optional<HostScriptRequest> request = std::exchange(pending_, std::nullopt);
    dropped_ = 0;
    if (!request || answer == HostScriptAnswer::Refuse) return std::nullopt;
    if (answer == HostScriptAnswer::AllowSession) allowedForSession_ = true;
    return request;
}

} // namespace tamsivane

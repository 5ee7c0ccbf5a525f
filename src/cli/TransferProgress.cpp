#include "cli/TransferProgress.h"

#include "cli/HarmlessText.h"

namespace tamsivane {

void TransferProgress::TransferReport(const TransferStatus& status) {
    std::lock_guard lock(mutex_);
    // The names and error texts come from the other end.
    const std::string shownName = HarmlessText(status.name);
    const char* name = shownName.c_str();
    const long long value = static_cast<long long>(status.value);
    switch (status.code) {
    case TransferStatusCode::FileSize:
        std::fprintf(out_, "zmodem: %s %s %lld\n", status.sending ? "sending" : "receiving", name,
                     value);
        break;
    case TransferStatusCode::Position: {
        const auto now = std::chrono::steady_clock::now();
        if (now - lastPosition_ < kPositionInterval) return;
        lastPosition_ = now;
        std::fprintf(out_, "zmodem: %s %lld\n", name, value);
        break;
    }
    case TransferStatusCode::Received:
    case TransferStatusCode::Sent:
        std::fprintf(out_, "zmodem: %s finished\n", name);
        break;
    case TransferStatusCode::Error:
        std::fprintf(out_, "zmodem: error: %s\n", HarmlessText(status.text).c_str());
        break;
    default:
        return;
    }
    std::fflush(out_);
}

} // namespace tamsivane

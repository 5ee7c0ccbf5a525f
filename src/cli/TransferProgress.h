// The headless program's view of file transfers: progress lines on standard
// error ("zmodem: receiving NAME SIZE", "zmodem: NAME POSITION" at most twice
// a second, "zmodem: NAME finished", "zmodem: error: TEXT").
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>

#include "session/SessionObserver.h"

namespace tamsivane {

class TransferProgress final : public SessionObserver {
public:
    static constexpr std::chrono::milliseconds kPositionInterval{500};

    explicit TransferProgress(std::FILE* out = stderr) : out_(out) {}
    void TransferReport(const TransferStatus& status) override;

private:
    std::FILE* out_;
    std::mutex mutex_;
    std::chrono::steady_clock::time_point lastPosition_{};
};

} // namespace tamsivane

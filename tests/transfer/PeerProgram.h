// Stands where the transport stands: runs a ZModem program (sz, rz, or the
// damaging relay in front of one) with its standard input and output on a
// socket, and connects a transfer to the other end of that socket.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "transfer/CZModemTransfer.h"
#include "transfer/TransferLink.h"

namespace tamsivane::testing {

using namespace std::chrono_literals;

class PeerProgram final : public TransferLink {
public:
    // Runs arguments in folder; what the program writes to standard error
    // goes to folder/peer.log.
    PeerProgram(const std::vector<std::string>& arguments, const std::string& folder);
    ~PeerProgram() override;
    PeerProgram(const PeerProgram&) = delete;
    PeerProgram& operator=(const PeerProgram&) = delete;

    bool Started() const { return pid_ > 0; }
    // Starts the transfer and feeds it what the program sends; when the
    // program closes its end the transfer hears that the connection is lost.
    void Run(CZModemTransfer& transfer);
    // Until the transfer has finished; false at the limit.  Then stops
    // feeding it, so that it may be destroyed.
    bool WaitFinished(std::chrono::milliseconds limit = 60s);
    // The program's exit status (-1 when it had to be killed at the limit).
    int WaitExit(std::chrono::milliseconds limit = 20s);
    // Bytes straight to the program, beside the transfer.
    void WriteRaw(const std::string& bytes);

    std::vector<TransferStatus> Statuses() const;
    // Names reported as received (status 4) or sent (status 5).
    std::vector<std::string> Finished() const;
    std::string Shown() const;

    // TransferLink
    bool WriteToHost(const uint8_t* bytes, size_t n) override;
    void ShowReceived(const uint8_t* bytes, size_t n) override;
    void ReportStatus(const TransferStatus& status) override;

private:
    void ReadLoop();

    pid_t pid_ = -1;
    int socket_ = -1;
    CZModemTransfer* transfer_ = nullptr;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    std::mutex writeMutex_;
    mutable std::mutex mutex_;
    std::vector<TransferStatus> statuses_;
    std::string shown_;
    int exitStatus_ = -1;
    bool reaped_ = false;
};

// Bytes of a file, "" when it cannot be read.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// n bytes holding every byte value, CR NUL, CR LF, 0xFF and CAN runs.
std::string AwkwardBytes(size_t n);

} // namespace tamsivane::testing

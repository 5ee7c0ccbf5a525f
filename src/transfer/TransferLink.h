// What a file transfer needs of the session around it, and the status it
// reports while it runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tamsivane {

// The numbers are those of the status window's protocol.
enum class TransferStatusCode : int {
    FileName = 1, // a file begins: name
    FileSize = 2, // its size: value
    Position = 3, // bytes moved so far: value
    Received = 4, // the file arrived whole: name
    Sent = 5,     // the file was sent whole: name
    Closed = 6,   // the transfer is over (value: its outcome); close the status window
    Error = 7,    // something failed: text says what
    Aborting = 8, // the user aborted; the end is near
};

struct TransferStatus {
    TransferStatusCode code;
    std::string name;
    int64_t value = 0;
    std::string text;
    bool sending = false; // the direction: files go to the other end
};

class TransferLink {
public:
    virtual ~TransferLink() = default;

    // Bytes for the other end; worker thread, no lock held.  False when the
    // connection is gone.
    virtual bool WriteToHost(const uint8_t* bytes, size_t n) = 0;
    // Runs work with the session's screen held: nothing received is fed in
    // meanwhile, so bytes the transfer hands back at its end stay in order
    // with what arrives after it.  Worker thread, no lock held.
    virtual void HoldingScreen(const std::function<void()>& work) { work(); }
    // Bytes that are not protocol traffic, for the screen; only inside
    // HoldingScreen.
    virtual void ShowReceived(const uint8_t* bytes, size_t n) {
        (void)bytes;
        (void)n;
    }
    // The worker thread, or the thread that called Abort; no lock held.
    virtual void ReportStatus(const TransferStatus& status) = 0;
};

} // namespace tamsivane

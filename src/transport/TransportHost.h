// What a transport asks of the session that owns it: the emulator it feeds,
// the session lock it takes around the emulator, the user's messages, the
// file transfer and the notifications that leave the I/O thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "config/LineDevices.h"

namespace tamsivane {

class UserNotifier;
class VtEmulator;

enum class TransportState : int32_t {
    Idle = 0,       // thread not started
    Connecting = 1, // connection being made
    Connected = 2,  // data flows
    Closing = 4,    // ending (stop requested, or the other end closed)
    Closed = 5,     // ended; the session may reconnect
};

// The same numbers as the HostType setting.  4 (debug), 5 and 6 (the
// address book's SSH2 and SSH1) are stored by other parts of the program.
enum class TransportType : int32_t {
    Telnet = 0,
    Serial = 1,
    Local = 2,
    Modem = 3,
    Ssh2Entry = 5, // an address-book "SSH2" entry: opens an SSH session
    Shell = 7,     // a program on a local pseudo-terminal
    Ssh = 8,
};

class TransportHost {
public:
    virtual ~TransportHost() = default;

    virtual VtEmulator& Emulator() = 0;
    // Held around every received chunk and every use of the emulator's settings.
    virtual std::mutex& Lock() = 0;
    virtual UserNotifier& Notifier() = 0;
    // The devices of serial ports and modems (session lock held).
    virtual LineDevices Lines() const { return {}; }
    // The terminal name the user chose to send for every session (session
    // lock held); empty: the transport's own choice.
    virtual std::string TerminalName() const { return {}; }

    // Whether a file transfer runs: any thread, without locks.  While it runs,
    // sent bytes are dropped and received chunks go to TransferReceive
    // (I/O thread, session lock held).
    virtual bool TransferRunning() const { return false; }
    virtual void TransferReceive(const uint8_t* data, size_t length) {
        (void)data;
        (void)length;
    }
    // All output handed to the connection so far has been written.  Any
    // thread, possibly under the session lock: must not block.
    virtual void OutputDrained() {}
    // Any thread, without locks: whether received data should wait before
    // it goes on (the session's printer is behind).  Meanwhile the transport
    // keeps it and reads no more, so the other end is held back instead.
    virtual bool InputWaits() const { return false; }

    // Bytes that Send wrote, for the macro recorder (session lock held).
    virtual void SentBytes(const uint8_t* data, size_t length) {
        (void)data;
        (void)length;
    }
    // Protocol notes for the debug capture (session lock held); written only
    // while a capture file is open.
    virtual void Capture(std::string_view text) { (void)text; }

    // I/O thread, no lock held, while connecting: questions for the user.
    // Each waits for the answer, and gives the default once cancelled()
    // turns true.  A host key to trust: true for Yes, by default No.
    virtual bool ConfirmHostKey(std::string_view question,
                                const std::function<bool()>& cancelled) {
        (void)question;
        (void)cancelled;
        return false;
    }
    // A password, never stored; nothing when none was given (the default).
    virtual std::optional<std::string> AskPassword(std::string_view prompt,
                                                   const std::function<bool()>& cancelled) {
        (void)prompt;
        (void)cancelled;
        return std::nullopt;
    }

    // Any thread, possibly under the session lock: post, never block.
    virtual void StateChanged(TransportState state) { (void)state; }
    // The connection is over (failed or ended); I/O thread, no lock held.
    // The views mark the window disconnected or close it.
    virtual void ConnectionEnded() {}
};

} // namespace tamsivane

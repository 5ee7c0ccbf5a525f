// The common part of every transport: the I/O thread that connects, waits
// for input and delivers it to the emulator, the receive ring, hold screen,
// the send path with local echo, and a bounded stop.
//
// Threads: Start, Stop, SetHold and EchoLocally may be called from any
// thread; Send is called with the session lock held (keys, emulator replies,
// scripts); Write may also be called by the transfer worker without it.
// The I/O thread takes the session lock only around handing a chunk to the
// emulator or the transfer, and around reading the settings.
//
// A concrete transport's destructor calls Shutdown(), so the I/O thread has
// ended before any part of the object goes; a transport is never destroyed
// from its own I/O thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/EventFd.h"
#include "transport/CRingBuffer.h"
#include "transport/TransportHost.h"

namespace tamsivane {

class SettingsStore;

class CTransport {
public:
    static constexpr size_t kRingSize = 8192;
    static constexpr size_t kChunkSize = 2048;
    // Most bytes taken from the other end at a time.
    static constexpr size_t kReadSize = 1024;
    static constexpr std::chrono::milliseconds kStopTimeout{30000};
    // Longest single sleep of the I/O thread before it looks at its flags again.
    static constexpr std::chrono::milliseconds kWaitTick{500};
    // What echoes may queue beyond the full ring while the screen is held;
    // echoed bytes past that are not shown.
    static constexpr size_t kEchoBacklog = kRingSize;

    CTransport(TransportHost& host, TransportType type);
    virtual ~CTransport();
    CTransport(const CTransport&) = delete;
    CTransport& operator=(const CTransport&) = delete;

    // Begins the I/O thread; false when the transport has already been started.
    bool Start();
    // Ends the connection and waits at most kStopTimeout for the I/O thread;
    // from the I/O thread itself it only asks the thread to end.
    bool Stop();
    // Asks the I/O thread to end without waiting for it.
    void RequestStop();

    // Session lock held.  Drops the bytes while a transfer runs; otherwise
    // echoes them under LocalEcho, writes them and feeds the macro recorder.
    // A failed write ends the connection.
    bool Send(const uint8_t* bytes, size_t n);
    // Shows bytes as if they had been received, after everything received
    // or echoed before them that is still waiting to be shown.
    void EchoLocally(const uint8_t* bytes, size_t n);
    // Bytes received or echoed and not yet handed to the emulator or the transfer.
    size_t Waiting() const;
    // Any thread but the I/O thread, without the session lock.  Waits until
    // what was received or echoed so far has been handed to the emulator (or
    // the transfer), or the connection has ended; false at the deadline.
    bool WaitUntilDelivered(std::chrono::steady_clock::time_point deadline);

    void SetHold(bool on);
    bool IsHeld() const { return held_.load(); }

    TransportState State() const { return state_.load(); }
    TransportType Type() const { return type_; }

    // The transport's operations.
    virtual bool Initialize() { return true; }
    // I/O thread, without the session lock: settings is its own copy.
    virtual bool Connect(const SettingsStore& settings) = 0;
    virtual void Close() = 0;
    // Makes a waiting Poll return.
    virtual void Abort();
    // Waits for input and puts it into the receive ring; false ends the
    // connection (the other end closed, or a stop was requested).  True as
    // well for a Wake.  Runs WaitForInput and ReadInput, which say what is
    // the transport's own.
    bool Poll();
    // Makes the I/O thread look at the receive ring now.
    virtual void Wake();
    virtual bool Write(const uint8_t* bytes, size_t n) = 0;
    // Output that was handed over and waits for room at the other end.
    virtual bool OutputWaiting() const { return false; }
    virtual bool SendBreak() { return false; }
    // After the user changed communication settings; true when handled.
    virtual bool ApplySettings(const SettingsStore& settings) = 0;
    // Every 10 seconds under KeepSession.
    virtual void KeepAlive() {}
    // Session lock held: a file transfer begins (on) or has ended (off); a
    // transport with a text mode of its own passes every byte as data meanwhile.
    virtual void SetTransferMode(bool on) { (void)on; }
    // Session lock held: the page size changed while SetHostSize is on; a
    // transport that can tell the other end its window size does so.
    virtual void UpdateWindowSize() {}
    // Names the other end, for titles.
    virtual std::string GetName(const SettingsStore& settings) const = 0;
    // I/O thread, after Connect failed: what failed and why, in one line for
    // the user ("host port 23: connection refused"); empty when there is no more to say.
    const std::string& ConnectFailure() const { return failure_; }
    // I/O thread, after Connect failed: the whole message for the user,
    // by default "Cannot connect to remote host." and ConnectFailure() on a
    // line of its own.
    virtual std::string CannotConnectMessage() const;

protected:
    enum class Input {
        None,  // nothing yet: Poll looks at its flags and waits again
        Ready, // ReadInput has something to say (data, or the end)
        Ended, // the other end has gone
    };
    // I/O thread, without the session lock: waits at most kWaitTick for the
    // other end (for input only when wantInput) or the doorbell, and writes
    // output that waits for room meanwhile.
    virtual Input WaitForInput(bool wantInput) = 0;
    // I/O thread, session lock held: reads at most room bytes (room may be
    // 0) without waiting.  The count read, 0 for none now, -1 when the
    // other end has gone.  A transport whose input comes only through the
    // ring reads nothing.
    virtual ptrdiff_t ReadInput(uint8_t* buffer, size_t room) {
        (void)buffer;
        (void)room;
        return 0;
    }
    // I/O thread, session lock held (where echoes are made, so that a byte
    // typed meanwhile comes after these): ReadInput into the receive ring,
    // beyond its room too; as ReadInput's result.
    ptrdiff_t ReadAndStore(size_t room);

    // Stops and joins the I/O thread; concrete destructors call it first.
    void Shutdown();

    TransportHost& Host() const { return host_; }
    const EventFd& Doorbell() const { return doorbell_; }
    bool StopRequested() const { return state_.load() == TransportState::Closing; }
    // Takes a pending Wake; Poll returns true for it.
    bool TakeWake() { return wakePending_.exchange(false); }

    // I/O thread: room for newly received bytes (0 while earlier ones still
    // wait for the ring), and where they go.  Bytes that do not fit wait and
    // go in as the ring empties; nothing received is dropped.  A transport
    // stores what it received under the session lock, as echoes are made,
    // so that a byte echoed meanwhile comes after them.
    size_t ReceiveRoom() const;
    void StoreReceived(const uint8_t* bytes, size_t n);
    // Shows text as received data at once (I/O thread, while connecting).
    void ShowText(std::string_view text);

    // I/O thread: the terminal name to tell the other end, the user's choice
    // or else the VT name of TermID.
    std::string TerminalNameFor(const SettingsStore& settings) const;
    // I/O thread: the user's choice of terminal name, "" for none.
    const std::string& ChosenTerminalName() const { return chosenTerminalName_; }

    std::string failure_; // I/O thread, while connecting: why Connect failed

private:
    void Run();
    void RunConnection();
    void Deliver();
    void ReportCannotConnect();
    void NotifyDelivered();
    void MovePendingIntoRing();
    void Enqueue(const uint8_t* bytes, size_t n, size_t backlogLimit);
    void SetState(TransportState state);
    bool AdvanceState(TransportState from, TransportState to);

    TransportHost& host_;
    const TransportType type_;
    std::atomic<TransportState> state_{TransportState::Idle};
    std::atomic<bool> held_{false};
    std::atomic<bool> wakePending_{false};
    std::atomic<bool> delivering_{false}; // the I/O thread is in Deliver
    std::mutex deliveredMutex_;
    std::condition_variable delivered_;
    EventFd doorbell_;
    // The ring, then the bytes waiting for room in it: one queue in the order
    // of arrival, received and echoed alike.
    mutable std::mutex inputMutex_; // guards pending_ and the order of Puts
    CRingBuffer ring_;
    std::vector<uint8_t> pending_;
    bool inputHeldBack_ = false; // I/O thread only: Deliver left input for the session
    uint8_t chunk_[kChunkSize]; // I/O thread only
    uint8_t input_[kReadSize];  // I/O thread only
    std::string chosenTerminalName_; // I/O thread only, taken with the settings

    std::thread thread_;
    std::thread::id threadId_;
    std::mutex runMutex_;
    std::condition_variable finished_;
    bool running_ = false; // guarded by runMutex_
};

} // namespace tamsivane

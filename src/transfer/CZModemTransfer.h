// What both ZModem directions share: the worker thread that parses what the
// other end sends, the input buffer the I/O thread fills, the status reports,
// the retry timer, the user's abort and the end of a transfer.
//
// Threads: Feed runs on the I/O thread (with the session lock held there);
// Abort and Finish on any thread; everything else, and all output, on the
// worker.  The worker holds the screen (TransferLink::HoldingScreen)
// only around handing bytes back to the screen, never the input mutex while
// it does.  Concrete classes call Shutdown() first in their destructors.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "transfer/TransferLink.h"
#include "transfer/ZModemWire.h"

namespace tamsivane {

struct TransferTiming {
    // Silence after which the last request is repeated; kMaxTries repeats end it.
    std::chrono::milliseconds retry{10000};
    // After the user's abort: the end once the other end has been quiet this
    // long, and at the latest.
    std::chrono::milliseconds abortQuiet{2000};
    std::chrono::milliseconds abortLimit{60000};
};

class CZModemTransfer {
public:
    enum class Outcome { Running, Completed, Failed, Cancelled };
    static constexpr int kMaxTries = 10;
    // Progress is reported at most this often (and at each file's end).
    static constexpr std::chrono::milliseconds kProgressInterval{100};
    // A quiet line is waited for at least this long, and several round trips,
    // before a request is made again early.
    static constexpr std::chrono::milliseconds kMinAnswerWait{250};
    static constexpr int kAnswerRoundTrips = 4;

    virtual ~CZModemTransfer();
    CZModemTransfer(const CZModemTransfer&) = delete;
    CZModemTransfer& operator=(const CZModemTransfer&) = delete;

    // Begins the worker thread; once only.
    void Start();
    // Bytes from the other end.  False once the transfer has finished: the
    // caller shows them itself.
    bool Feed(const uint8_t* bytes, size_t n);
    // From Start until the end has been reported.
    bool Running() const { return !finished_.load(); }
    // The worker has made its last report: joining it no longer waits, so the
    // transfer may be destroyed under any lock.
    bool Over() const { return over_.load(); }
    // The user's abort: the cancel sequence goes out, "Aborting ..." is
    // shown, and the transfer ends soon after (at the latest after abortLimit).
    void Abort();
    // Ends the transfer once what was fed so far has been read (the session
    // closes); Shutdown joins the worker.
    void Finish();
    // The connection is gone: the transfer ends, failed unless nothing was
    // left to do.
    void ConnectionLost();
    // Finishes and joins the worker.
    void Shutdown();

    Outcome Result() const { return outcome_.load(); }
    // Why a failed transfer failed.
    std::string ErrorText() const;

protected:
    CZModemTransfer(TransferLink& link, TransferTiming timing, bool sending);

    // --- the worker's hooks
    virtual void Begin() = 0;
    virtual void OnEvent(zmodem::Reader::Event event) = 0;
    // No answer came: ask again.  counted: nothing useful arrived for the
    // retry interval, which counts towards kMaxTries; otherwise the line has
    // been quiet for a few round trips while an answer was awaited, which
    // most likely means the request or its answer was damaged.
    virtual void OnTimeout(bool counted) = 0;
    // Sends more if there is more to send; true when more is ready at once.
    virtual bool Pump() { return false; }
    // The transfer is ending: close what is open (status 7 for a file that
    // did not arrive whole).
    virtual void OnEnd(Outcome outcome) { (void)outcome; }
    // Every received byte; the receiver watches for the last "OO" here.
    virtual void ProcessByte(uint8_t byte);
    // After the last frame: the byte is the host's own output again, which
    // ends the transfer and goes to the screen.
    virtual bool AtHostOutput(uint8_t byte) const {
        (void)byte;
        return false;
    }
    // Every file has been written and acknowledged; only the closing
    // exchange is left.  From then on the transfer has succeeded, however
    // it ends: the session may close, or the connection go, before the
    // other end's last bytes are read.
    virtual bool Delivered() const { return false; }

    // --- for the directions (worker thread)
    void Send(const std::string& bytes);
    void SendHexHeader(uint8_t type, const zmodem::HeaderData& data);
    void SendCancel();
    void Report(TransferStatusCode code, const std::string& name, int64_t value = 0,
                const std::string& text = {});
    void ReportProgress(const std::string& name, int64_t position, bool force);
    // A file was skipped or refused: status 7, and the transfer counts as failed.
    void ReportError(const std::string& text);
    // A valid frame arrived: the retry timer and count start again, and an
    // answer to the last request measures the round trip.
    void Heard();
    // A request went out; its answer is awaited from now on.
    void AwaitAnswer();
    // More of a frame, or more frames, are due without a request: a quiet
    // line means they were lost (OnTimeout(false)).
    void ExpectMore();
    // A request went out whose answer measures the round trip, without
    // waiting for it.
    void Asked();
    // Shortens the wait for the next timeout (the last ZFIN's "OO").
    void ExpectWithin(std::chrono::milliseconds limit);
    // One more repeat; false (and the transfer failed) after kMaxTries.
    bool Retry();
    // Ends with a local failure: the cancel sequence tells the other end.
    void Fail(const std::string& text);
    // The outcome is Completed instead once everything was delivered.
    void End(Outcome outcome, const std::string& text = {});
    bool Ended() const { return outcome_.load() != Outcome::Running; }
    bool Aborting() const { return aborting_.load(); }
    // Until set, bytes outside frames are shown on the screen.
    void SetProtocolActive() { protocolActive_ = true; }

    zmodem::Encoder encoder_;
    zmodem::Reader reader_;

private:
    using Clock = std::chrono::steady_clock;
    enum class Stop { None, Close, Lost };

    void Run();
    void RequestStop(Stop stop);
    void CheckTimers();
    void StartAbort();
    // How long a quiet line is waited for an answer before asking again
    // (zero until a round trip has been measured).
    Clock::duration AnswerWait() const;
    void HandBack(std::vector<uint8_t> leftovers);
    void FlushShown();

    TransferLink& link_;
    const TransferTiming timing_;
    const bool sending_;
    std::thread worker_;
    std::atomic<bool> started_{false};

    std::mutex inputMutex_;
    std::condition_variable wake_;
    std::vector<uint8_t> input_;  // inputMutex_
    Stop stop_ = Stop::None;      // inputMutex_
    bool abortRequested_ = false; // inputMutex_

    std::atomic<bool> finished_{false};
    std::atomic<bool> over_{false};
    std::atomic<Outcome> outcome_{Outcome::Running};
    std::atomic<bool> aborting_{false};
    mutable std::mutex errorMutex_;
    std::string errorText_; // errorMutex_

    // Worker thread only.
    bool protocolActive_ = false;
    bool hadError_ = false;
    bool ending_ = false;
    bool peerCancelled_ = false;
    std::string held_;  // bytes of a frame being read while not yet active
    std::string shown_; // bytes for the screen, shown after the batch
    Clock::time_point deadline_;
    int tries_ = 0;
    Clock::time_point askedAt_;     // the first request not yet answered, or zero
    Clock::duration roundTrip_{};   // the measured round trip, zero while unknown
    bool answerDue_ = false;
    Clock::time_point waitStart_;   // when the awaited answer was asked for
    int nudges_ = 0;                // requests repeated early since the last answer
    Clock::time_point lastByte_;
    Clock::time_point abortStart_;
    Clock::time_point lastProgress_;
};

} // namespace tamsivane

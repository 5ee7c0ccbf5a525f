#include "transfer/CZModemTransfer.h"

#include <algorithm>

namespace tamsivane {

using namespace zmodem;

namespace {
// The longest sleep of the worker before it looks at its timers again.
constexpr std::chrono::milliseconds kTick{100};
} // namespace

CZModemTransfer::CZModemTransfer(TransferLink& link, TransferTiming timing, bool sending)
    : link_(link), timing_(timing), sending_(sending) {}

CZModemTransfer::~CZModemTransfer() { Shutdown(); }

void CZModemTransfer::Start() {
    if (started_.exchange(true)) return;
    worker_ = std::thread([this] {
        Run();
        over_.store(true);
    });
}

bool CZModemTransfer::Feed(const uint8_t* bytes, size_t n) {
    {
        std::lock_guard lock(inputMutex_);
        if (finished_.load()) return false;
        input_.insert(input_.end(), bytes, bytes + n);
    }
    wake_.notify_one();
    return true;
}

void CZModemTransfer::Abort() {
    {
        std::lock_guard lock(inputMutex_);
        if (finished_.load() || abortRequested_) return;
        abortRequested_ = true;
    }
    aborting_.store(true);
    Report(TransferStatusCode::Aborting, {});
    wake_.notify_one();
}

void CZModemTransfer::Finish() { RequestStop(Stop::Close); }

void CZModemTransfer::ConnectionLost() { RequestStop(Stop::Lost); }

void CZModemTransfer::RequestStop(Stop stop) {
    {
        std::lock_guard lock(inputMutex_);
        if (stop_ == Stop::None) stop_ = stop;
    }
    wake_.notify_one();
}

void CZModemTransfer::Shutdown() {
    Finish();
    if (worker_.joinable()) worker_.join();
}

std::string CZModemTransfer::ErrorText() const {
    std::lock_guard lock(errorMutex_);
    return errorText_;
}

void CZModemTransfer::Run() {
    lastByte_ = Clock::now();
    deadline_ = lastByte_ + timing_.retry;
    Begin();
    std::vector<uint8_t> batch;
    std::vector<uint8_t> leftovers;
    bool busy = false;
    bool abortStarted = false;
    while (!Ended()) {
        bool abort = false;
        Stop stop = Stop::None;
        {
            std::unique_lock lock(inputMutex_);
            wake_.wait_for(lock, busy ? std::chrono::milliseconds(0) : kTick, [&] {
                return !input_.empty() || stop_ != Stop::None || (abortRequested_ && !abortStarted);
            });
            batch.swap(input_);
            abort = abortRequested_;
            stop = stop_;
        }
        if (!batch.empty()) lastByte_ = Clock::now();
        size_t used = 0;
        while (used < batch.size() && !Ended()) {
            if (protocolActive_) {
                // Plain data inside a subpacket goes in at once.
                const size_t plain = reader_.PutPlain(batch.data() + used, batch.size() - used);
                used += plain;
                if (plain > 0) continue;
            }
            if (AtHostOutput(batch[used])) {
                End(Outcome::Completed);
            } else {
                ProcessByte(batch[used++]);
            }
        }
        FlushShown();
        if (Ended()) {
            // The rest of a cancel sequence or of the last header is no text
            // for the screen.
            while (used < batch.size() &&
                   ((peerCancelled_ && (batch[used] == kCan || batch[used] == 8)) ||
                    reader_.IsTrailer(batch[used]))) {
                reader_.Put(batch[used++]);
            }
            leftovers.assign(batch.begin() + static_cast<ptrdiff_t>(used), batch.end());
            break;
        }
        batch.clear();
        if (stop == Stop::Lost) End(Outcome::Failed, "the connection was lost");
        if (stop != Stop::None) break;
        if (abort && !abortStarted) {
            abortStarted = true;
            StartAbort();
        }
        CheckTimers();
        busy = !Ended() && !aborting_.load() && Pump();
    }
    if (!Ended()) End(Outcome::Cancelled, "the session was closed");
    HandBack(std::move(leftovers));
    Report(TransferStatusCode::Closed, {}, static_cast<int64_t>(outcome_.load()));
}

void CZModemTransfer::ProcessByte(uint8_t byte) {
    const Reader::Event event = reader_.Put(byte);
    if (!protocolActive_) {
        // Bytes of a frame wait until it is clear whether they were one.
        held_ += static_cast<char>(byte);
        if (event == Reader::Event::Header || event == Reader::Event::Data) {
            held_.clear();
        } else if (reader_.Idle()) {
            shown_ += held_;
            held_.clear();
        }
    }
    if (event == Reader::Event::None) return;
    if (event == Reader::Event::Cancel) peerCancelled_ = true;
    if (aborting_.load()) {
        // After an abort only the other end's goodbye matters.
        const bool last =
            event == Reader::Event::Header && (reader_.Type() == ZFIN || reader_.Type() == ZABORT ||
                                               reader_.Type() == ZFERR || reader_.Type() == ZCAN);
        if (last || event == Reader::Event::Cancel) {
            End(Outcome::Cancelled, "aborted");
        } else if (event == Reader::Event::Header) {
            // The other end may have dropped what it had not read yet.
            SendCancel();
        }
        return;
    }
    OnEvent(event);
}

void CZModemTransfer::StartAbort() {
    abortStart_ = Clock::now();
    SendCancel();
    reader_.Reset();
}

void CZModemTransfer::CheckTimers() {
    const auto now = Clock::now();
    if (aborting_.load()) {
        if (now - abortStart_ >= timing_.abortLimit || now - lastByte_ >= timing_.abortQuiet) {
            End(Outcome::Cancelled, "aborted");
        }
        return;
    }
    // An answer to a repeated request may answer the first one: it does not
    // measure the round trip.
    if (now >= deadline_) {
        deadline_ = now + timing_.retry;
        askedAt_ = {};
        OnTimeout(true);
        return;
    }
    // Each early repeat waits twice as long as the one before.
    const Clock::duration wait = AnswerWait() * (1 << std::min(nudges_, 6));
    if (answerDue_ && roundTrip_ != Clock::duration{} && wait < timing_.retry &&
        now - std::max(lastByte_, waitStart_) >= wait) {
        ++nudges_;
        askedAt_ = {};
        OnTimeout(false);
    }
}

CZModemTransfer::Clock::duration CZModemTransfer::AnswerWait() const {
    return std::max<Clock::duration>(kMinAnswerWait, roundTrip_ * kAnswerRoundTrips);
}

void CZModemTransfer::FlushShown() {
    if (shown_.empty()) return;
    link_.HoldingScreen([this] {
        link_.ShowReceived(reinterpret_cast<const uint8_t*>(shown_.data()), shown_.size());
    });
    shown_.clear();
}

void CZModemTransfer::HandBack(std::vector<uint8_t> leftovers) {
    // With the screen held nothing new can be fed in meanwhile, so what is
    // left reaches the screen before anything received after it.
    link_.HoldingScreen([&] {
        {
            std::lock_guard lock(inputMutex_);
            finished_.store(true);
            leftovers.insert(leftovers.end(), input_.begin(), input_.end());
            input_.clear();
        }
        if (!held_.empty()) leftovers.insert(leftovers.begin(), held_.begin(), held_.end());
        if (!leftovers.empty() && !Aborting())
            link_.ShowReceived(leftovers.data(), leftovers.size());
    });
}

void CZModemTransfer::Send(const std::string& bytes) {
    if (Ended()) return;
    if (!link_.WriteToHost(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) {
        End(Outcome::Failed, "the connection was lost");
    }
}

void CZModemTransfer::SendHexHeader(uint8_t type, const HeaderData& data) {
    std::string out;
    Encoder::AppendHexHeader(out, type, data);
    Send(out);
}

void CZModemTransfer::SendCancel() {
    Send(std::string(kCancelSequence.begin(), kCancelSequence.end()));
}

void CZModemTransfer::Report(TransferStatusCode code, const std::string& name, int64_t value,
                             const std::string& text) {
    const int number = static_cast<int>(code);
    if (number >= 1 && number <= 5 && aborting_.load()) return;
    link_.ReportStatus({code, name, value, text, sending_});
}

void CZModemTransfer::ReportProgress(const std::string& name, int64_t position, bool force) {
    const auto now = Clock::now();
    if (!force && now - lastProgress_ < kProgressInterval) return;
    lastProgress_ = now;
    Report(TransferStatusCode::Position, name, position);
}

void CZModemTransfer::ReportError(const std::string& text) {
    hadError_ = true;
    {
        std::lock_guard lock(errorMutex_);
        errorText_ = text;
    }
    Report(TransferStatusCode::Error, {}, 1, text);
}

void CZModemTransfer::Heard() {
    const auto now = Clock::now();
    if (askedAt_ != Clock::time_point{}) {
        // Up at once, down slowly: an answer that crossed a request makes a
        // round trip look shorter than it is.
        const Clock::duration sample = now - askedAt_;
        roundTrip_ = sample > roundTrip_ ? sample : (roundTrip_ * 7 + sample) / 8;
        askedAt_ = {};
    }
    tries_ = 0;
    nudges_ = 0;
    answerDue_ = false;
    deadline_ = now + timing_.retry;
}

void CZModemTransfer::Asked() {
    if (askedAt_ == Clock::time_point{}) askedAt_ = Clock::now();
}

void CZModemTransfer::AwaitAnswer() {
    Asked();
    ExpectMore();
    deadline_ = waitStart_ + timing_.retry;
}

void CZModemTransfer::ExpectMore() {
    waitStart_ = Clock::now();
    answerDue_ = true;
}

void CZModemTransfer::ExpectWithin(std::chrono::milliseconds limit) {
    deadline_ = Clock::now() + limit;
}

bool CZModemTransfer::Retry() {
    if (++tries_ < kMaxTries) return true;
    Fail("no answer from the other end");
    return false;
}

void CZModemTransfer::Fail(const std::string& text) {
    SendCancel();
    End(Outcome::Failed, text);
}

void CZModemTransfer::End(Outcome outcome, const std::string& text) {
    if (Ended() || ending_) return;
    ending_ = true;
    // Whatever cut the closing exchange short, every file is in.
    const bool delivered = Delivered();
    if (delivered) outcome = Outcome::Completed;
    // Files are closed first: one that did not arrive whole fails the transfer.
    OnEnd(outcome);
    if (outcome == Outcome::Completed && hadError_) outcome = Outcome::Failed;
    if (!text.empty() && !delivered) {
        {
            std::lock_guard lock(errorMutex_);
            errorText_ = text;
        }
        if (outcome == Outcome::Failed) {
            link_.ReportStatus({TransferStatusCode::Error, {}, 1, text, sending_});
        }
    }
    outcome_.store(outcome);
}

} // namespace tamsivane

#include "transfer/CZModemSender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>

#include "platform/SafeFile.h"

namespace tamsivane {

using namespace zmodem;
using Event = Reader::Event;

namespace {

// Regular files the 32-bit positions can address.
int OpenForSending(const std::string& path, uint32_t& size) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size > INT64_C(0xFFFFFFFF)) {
        ::close(fd);
        return -1;
    }
    size = static_cast<uint32_t>(info.st_size);
    return fd;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

CZModemSender::CZModemSender(TransferLink& link, std::vector<std::string> paths,
                             std::string initText, std::chrono::milliseconds pause,
                             TransferTiming timing)
    : CZModemTransfer(link, timing, true),
      paths_(std::move(paths)),
      initText_(std::move(initText)),
      pause_(pause),
      block_(kWriteSize) {}

CZModemSender::~CZModemSender() {
    Shutdown();
    if (fd_ >= 0) ::close(fd_);
}

bool CZModemSender::CanSendAll(const std::vector<std::string>& paths, std::string& failed) {
    for (const std::string& path : paths) {
        uint32_t size = 0;
        const int fd = OpenForSending(path, size);
        if (fd < 0) {
            failed = path;
            return false;
        }
        ::close(fd);
    }
    return !paths.empty();
}

void CZModemSender::Begin() {
    if (!initText_.empty()) Send(initText_);
    startAt_ = std::chrono::steady_clock::now() + pause_;
    state_ = State::Starting;
}

bool CZModemSender::Pump() {
    if (state_ == State::Starting) {
        if (std::chrono::steady_clock::now() < startAt_) return false;
        state_ = State::WaitInit;
        std::string frame;
        Encoder::AppendHexHeader(frame, ZRQINIT, {});
        SendRepeatable(std::move(frame));
        return false;
    }
    if (state_ != State::Streaming) return false;
    if (sent_ - acked_ >= window_) {
        if (deferred_) {
            // No acknowledgement came past the position asked for again:
            // the repeated request was meant.
            Resend(repeatedAt_);
        } else {
            state_ = State::WaitAck;
            AwaitAnswer();
        }
        return false;
    }
    // Several subpackets go out in one write, read from the file at once;
    // what the receiver says is looked at between writes.
    const size_t want = std::min<size_t>({kWriteSize, window_ - (sent_ - acked_), size_ - sent_});
    size_t got = 0;
    while (got < want) {
        const ssize_t n = ::pread(fd_, block_.data() + got, want - got, sent_ + got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Fail("cannot read " + name_);
            return false;
        }
        got += static_cast<size_t>(n);
    }
    std::string out;
    uint8_t end = kCrcG;
    for (size_t at = 0; at < got && (end == kCrcG || end == kCrcQ);) {
        const size_t n = std::min(blockSize_, got - at);
        const uint32_t after = sent_ + static_cast<uint32_t>(n);
        if (after == size_) {
            end = kCrcE;
        } else if (receiverBuffer_ != 0 && after - segment_ >= receiverBuffer_) {
            end = kCrcW;
        } else if (after / (window_ / 8) != sent_ / (window_ / 8)) {
            end = kCrcQ;
        } else {
            end = kCrcG;
        }
        encoder_.AppendSubpacket(out, block_.data() + at, n, end, crc32_);
        if (end == kCrcQ || end == kCrcW) Asked();
        sent_ = after;
        at += n;
    }
    if (!out.empty()) Send(out);
    ReportProgress(name_, sent_, false);
    if (end == kCrcE && deferred_) {
        // The receiver skipped data since the position it asked for again.
        Resend(repeatedAt_);
        return false;
    }
    if (end == kCrcE) {
        SendEof();
        return false;
    }
    if (end == kCrcW) {
        state_ = State::WaitAck;
        AwaitAnswer();
        return false;
    }
    return state_ == State::Streaming;
}

void CZModemSender::OnEvent(Event event) {
    if (event == Event::Cancel) {
        End(Outcome::Cancelled, "cancelled by the other end");
    } else if (event == Event::Header) {
        Heard();
        OnHeader();
        // What arrived did not end the wait (an acknowledgement still
        // short of the window, a request that crossed data going out).
        if (state_ == State::WaitAck || state_ == State::WaitPosition ||
            state_ == State::WaitEof || state_ == State::WaitFin) {
            AwaitAnswer();
        }
    }
}

void CZModemSender::OnHeader() {
    const HeaderData& data = reader_.Data();
    switch (reader_.Type()) {
    case ZRINIT:
        SetProtocolActive();
        TakeReceiverOptions();
        switch (state_) {
        case State::Starting:
        case State::WaitInit:
        case State::WaitPosition: // our ZFILE was lost
            if (fd_ < 0 && !OpenCurrent()) return;
            SendFileHeader();
            break;
        case State::WaitEof:
            ReportProgress(name_, size_, true);
            Report(TransferStatusCode::Sent, name_);
            NextFile();
            break;
        case State::WaitFin:
            SendRepeatable(lastFrame_);
            break;
        default:
            break;
        }
        break;
    case ZRPOS: {
        // Honoured in every state that has a file: the receiver knows best.
        if (fd_ < 0 || state_ == State::WaitFin) break;
        const uint32_t position = DataPosition(data);
        if (state_ == State::Streaming && repeats_ > 0 && position == repeatedAt_) {
            // The data from there is going out again.  A receiver asks once
            // more for each piece of the data it skips that was sent before
            // it; those requests are answered by what goes out now.  Only
            // when no acknowledgement comes past the position before the
            // window is full was the request meant.
            deferred_ = true;
            break;
        }
        Resend(position);
        break;
    }
    case ZACK:
        if (state_ == State::Streaming || state_ == State::WaitAck) {
            const uint32_t position = DataPosition(data);
            if (position > acked_ && position <= sent_) {
                window_ = std::min(kWindow, window_ + (position - acked_));
                blockSize_ = std::min(kBlock, blockSize_ * 2);
                acked_ = position;
            }
            if (position > repeatedAt_) deferred_ = false;
            if (state_ == State::WaitAck && acked_ == sent_ && receiverBuffer_ != 0) {
                StartData(sent_); // a new segment after ZCRCW
            } else if (state_ == State::WaitAck && sent_ - acked_ < window_) {
                state_ = State::Streaming;
            }
        }
        break;
    case ZSKIP:
        if (fd_ >= 0) {
            ReportError(name_ + " was refused by the other end");
            NextFile();
        }
        break;
    case ZNAK:
        SendRepeatable(lastFrame_);
        break;
    case ZFIN:
        if (state_ == State::WaitFin) {
            Send("OO");
            End(Outcome::Completed);
        } else {
            End(Outcome::Failed, "the other end ended the transfer");
        }
        break;
    case ZABORT:
    case ZFERR:
        End(Outcome::Failed, "the other end could not take " + name_);
        break;
    case ZCAN:
        End(Outcome::Cancelled, "cancelled by the other end");
        break;
    default:
        break;
    }
}

void CZModemSender::TakeReceiverOptions() {
    const HeaderData& data = reader_.Data();
    crc32_ = (data[3] & kCanCrc32) != 0;
    encoder_.SetEscapeControls((data[3] & kEscapeControls) != 0);
    receiverBuffer_ = data[0] | (data[1] << 8);
    // A receiver that cannot read while it writes gets one block at a time.
    if (receiverBuffer_ == 0 && (data[3] & kCanOverlapIo) == 0) receiverBuffer_ = kBlock;
}

bool CZModemSender::OpenCurrent() {
    fd_ = OpenForSending(paths_[index_], size_);
    name_ = BaseName(paths_[index_]);
    if (fd_ < 0) {
        Fail("cannot read " + paths_[index_]);
        return false;
    }
    Report(TransferStatusCode::FileName, name_);
    Report(TransferStatusCode::FileSize, name_, size_);
    return true;
}

void CZModemSender::CloseCurrent() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void CZModemSender::SendFileHeader() {
    struct stat info {};
    ::fstat(fd_, &info);
    uint64_t left = 0;
    for (size_t i = index_; i < paths_.size(); ++i) {
        struct stat other {};
        if (::stat(paths_[i].c_str(), &other) == 0) left += static_cast<uint64_t>(other.st_size);
    }
    // Name, then size, modification time (octal), mode, serial number, files
    // and bytes still to come.
    char details[96];
    std::snprintf(details, sizeof details, "%" PRIu32 " %llo 0 0 %zu %" PRIu64, size_,
                  static_cast<unsigned long long>(info.st_mtime), paths_.size() - index_, left);
    std::string payload = name_;
    payload += '\0';
    payload += details;
    payload += '\0';
    std::string frame;
    encoder_.AppendBinaryHeader(frame, ZFILE, FlagsData(kFileBinary, kFileReplace), crc32_);
    encoder_.AppendSubpacket(frame, reinterpret_cast<const uint8_t*>(payload.data()),
                             payload.size(), kCrcW, crc32_);
    state_ = State::WaitPosition;
    repeats_ = 0;
    deferred_ = false;
    window_ = kWindow;
    blockSize_ = kBlock;
    SendRepeatable(std::move(frame));
}

void CZModemSender::StartData(uint32_t position) {
    if (position >= size_) {
        sent_ = acked_ = size_;
        SendEof();
        return;
    }
    sent_ = acked_ = segment_ = position;
    std::string header;
    encoder_.AppendBinaryHeader(header, ZDATA, PositionData(position), crc32_);
    Send(header);
    state_ = State::Streaming;
}

void CZModemSender::Resend(uint32_t position) {
    if (repeats_ > 0 && position == repeatedAt_) {
        if (++repeats_ >= kMaxTries) {
            Fail("too many errors at position " + std::to_string(position) + " of " + name_);
            return;
        }
        // Data that fails again and again goes in smaller pieces, which a
        // damaged line lets through more often.
        if (repeats_ > 2) blockSize_ = std::max(kMinBlock, blockSize_ / 2);
    } else {
        repeatedAt_ = position;
        repeats_ = 1;
    }
    deferred_ = false;
    // The first request of a file says where to begin; later ones, that
    // data was lost.
    if (state_ != State::WaitPosition) window_ = kMinWindow;
    StartData(position);
}

void CZModemSender::SendEof() {
    std::string frame;
    encoder_.AppendBinaryHeader(frame, ZEOF, PositionData(size_), crc32_);
    state_ = State::WaitEof;
    SendRepeatable(std::move(frame));
}

void CZModemSender::NextFile() {
    CloseCurrent();
    if (++index_ < paths_.size()) {
        if (OpenCurrent()) SendFileHeader();
        return;
    }
    std::string frame;
    Encoder::AppendHexHeader(frame, ZFIN, {});
    state_ = State::WaitFin;
    SendRepeatable(std::move(frame));
}

void CZModemSender::SendRepeatable(std::string frame) {
    lastFrame_ = std::move(frame);
    Send(lastFrame_);
    AwaitAnswer();
}

void CZModemSender::OnTimeout(bool counted) {
    // Streaming needs no answer until the window is full.
    if (state_ == State::Starting || state_ == State::Streaming) return;
    if (counted && !Retry()) return;
    if (state_ == State::WaitAck || state_ == State::WaitEof) {
        // Data or its end went missing, or the answer to it: the receiver
        // answers a position it has passed with ZRPOS.
        window_ = kMinWindow;
        StartData(acked_);
    } else {
        SendRepeatable(lastFrame_);
    }
}

bool CZModemSender::Delivered() const {
    // ZFIN goes out only after the receiver has taken the last file.
    return state_ == State::WaitFin;
}

void CZModemSender::OnEnd(Outcome outcome) {
    if (fd_ >= 0 && outcome != Outcome::Completed) {
        ReportError(name_ + " was not sent completely");
    }
    CloseCurrent();
}

} // namespace tamsivane

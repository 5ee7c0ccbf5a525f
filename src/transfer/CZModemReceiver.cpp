#include "transfer/CZModemReceiver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tamsivane {

using namespace zmodem;
using Event = Reader::Event;

CZModemReceiver::CZModemReceiver(TransferLink& link, std::string folder, TransferTiming timing)
    : CZModemTransfer(link, timing, false), folder_(std::move(folder)) {}

CZModemReceiver::~CZModemReceiver() {
    Shutdown();
    if (fd_ >= 0) ::close(fd_);
}

void CZModemReceiver::Begin() {
    SetProtocolActive();
    SendInit();
}

void CZModemReceiver::SendInit() {
    const uint8_t flags =
        kCanFullDuplex | kCanOverlapIo | kCanCrc32 | (escapeRequested_ ? kEscapeControls : 0);
    SendHexHeader(ZRINIT, FlagsData(flags));
    AwaitAnswer();
}

void CZModemReceiver::AskPosition() {
    SendHexHeader(ZRPOS, PositionData(written_));
    AwaitAnswer();
}

void CZModemReceiver::ProcessByte(uint8_t byte) {
    if (expect_ == Expect::Goodbye && byte == 'O') {
        if (++goodbye_ == 2) End(Outcome::Completed);
        return;
    }
    CZModemTransfer::ProcessByte(byte);
}

bool CZModemReceiver::AtHostOutput(uint8_t byte) const {
    // After our ZFIN only the rest of the sender's and its "OO" belong to
    // the transfer; a pty may drop the "OO" when the sender resets the line.
    return expect_ == Expect::Goodbye && byte != 'O' && !(goodbye_ == 0 && reader_.IsTrailer(byte));
}

bool CZModemReceiver::Delivered() const {
    // The sender's ZFIN came after every file was taken.
    return expect_ == Expect::Goodbye;
}

void CZModemReceiver::OnEvent(Event event) {
    switch (event) {
    case Event::Header:
        // While data is being skipped only the awaited ZDATA counts as an
        // answer, so that the request is repeated in time.
        if (!discarding_) Heard();
        OnHeader();
        break;
    case Event::Data:
        Heard();
        OnData();
        break;
    case Event::BadData:
        OnDamagedData();
        break;
    case Event::BadHeader:
        // Most likely the awaited ZDATA, damaged: ask again now.  Otherwise
        // the sender repeats its header.
        if (discarding_) AskAgain();
        break;
    case Event::Cancel:
        End(Outcome::Cancelled, "cancelled by the other end");
        break;
    default:
        break;
    }
}

void CZModemReceiver::OnHeader() {
    const HeaderData& data = reader_.Data();
    if (expect_ == Expect::Goodbye && reader_.Type() != ZFIN) expect_ = Expect::Header;
    switch (reader_.Type()) {
    case ZRQINIT:
        SendInit();
        break;
    case ZSINIT:
        escapeRequested_ = (data[3] & kEscapeControls) != 0;
        expect_ = Expect::Options;
        reader_.ExpectData();
        break;
    case ZFILE:
        append_ = (data[2] & kFileManagementMask) == kFileAppend;
        expect_ = Expect::FileInfo;
        reader_.ExpectData();
        break;
    case ZDATA:
        if (fd_ < 0) {
            // The sender is behind (it answered a stale ZRPOS after its
            // ZEOF): the file is done, which ZRINIT tells it again.
            SendInit();
        } else if (DataPosition(data) != written_) {
            if (!discarding_) AskAgain();
        } else {
            Heard();
            discarding_ = false;
            expect_ = Expect::FileData;
            reader_.ExpectData();
            ExpectMore();
        }
        break;
    case ZEOF:
        EndOfFile(DataPosition(data));
        break;
    case ZFIN:
        SendHexHeader(ZFIN, {});
        expect_ = Expect::Goodbye;
        goodbye_ = 0;
        ExpectWithin(kGoodbyeWait);
        break;
    case ZNAK:
        // Our last header arrived damaged.
        AskAgain();
        break;
    case ZCOMMAND:
        expect_ = Expect::Command;
        reader_.ExpectData();
        break;
    case ZABORT:
    case ZFERR:
        End(Outcome::Failed, "the other end gave up");
        break;
    case ZCAN:
        End(Outcome::Cancelled, "cancelled by the other end");
        break;
    default:
        break;
    }
}

void CZModemReceiver::OnData() {
    switch (expect_) {
    case Expect::Options:
        // The attention string is not needed: this end never interrupts.
        encoder_.SetEscapeControls(escapeRequested_);
        SendHexHeader(ZACK, PositionData(1));
        expect_ = Expect::Header;
        break;
    case Expect::FileInfo:
        expect_ = Expect::Header;
        OpenFile();
        break;
    case Expect::FileData:
        WriteData();
        break;
    case Expect::Command:
        // Commands from the other end are never carried out.
        SendHexHeader(ZCOMPL, {});
        expect_ = Expect::Header;
        break;
    default:
        break;
    }
}

void CZModemReceiver::OnDamagedData() {
    if (expect_ == Expect::FileData && !discarding_) {
        Resync();
    } else if (expect_ == Expect::FileInfo || expect_ == Expect::Options) {
        // The sender repeats its header when asked again.
        expect_ = Expect::Header;
        SendHexHeader(ZNAK, {});
        AwaitAnswer();
    }
}

void CZModemReceiver::Resync() {
    if (failures_ > 0 && failedAt_ == written_) {
        ++failures_;
    } else {
        failedAt_ = written_;
        failures_ = 1;
    }
    if (failures_ >= kMaxFailures) {
        Fail("too many errors at position " + std::to_string(written_) + " of " + name_);
        return;
    }
    AskAgain();
}

void CZModemReceiver::OpenFile() {
    const std::vector<uint8_t>& info = reader_.Payload();
    const auto end = std::find(info.begin(), info.end(), uint8_t{0});
    const std::string sent(info.begin(), end);
    // After the name: the size, then the modification time and the mode in
    // octal; each may be missing.
    int64_t details[3] = {-1, -1, -1};
    if (end != info.end()) {
        const std::string rest(end + 1, info.end());
        const char* text = rest.c_str();
        for (int i = 0; i < 3; ++i) {
            char* after = nullptr;
            errno = 0;
            const long long value = std::strtoll(text, &after, i == 0 ? 10 : 8);
            if (after == text || errno != 0 || value < 0) break;
            details[i] = value;
            text = after;
        }
    }
    const int64_t size = details[0];
    if (fd_ >= 0 && sent == sentName_) {
        // The sender did not hear our answer (its ZFILE and our ZRPOS
        // crossed): the same file goes on from where it is.
        AskPosition();
        return;
    }
    if (fd_ >= 0) CloseFile(); // the sender moved on: the old file stays incomplete
    const std::string name = ReceiveFolder::SafeName(sent);
    if (name.empty()) {
        SendHexHeader(ZSKIP, {});
        ReportError("refused the file name \"" + sent + "\"");
        return;
    }
    std::string error;
    std::string created;
    // The sender's permission bits (the umask applies), always readable and
    // writable by the user, never set-user or set-group.
    const mode_t mode = details[2] > 0 ? (static_cast<mode_t>(details[2]) & 0777) | 0600 : 0644;
    // An existing file is never replaced: the new one gets the next free
    // name, or, when the sender asks, its data is added at the end.
    fd_ = append_ ? folder_.Append(name, mode, created, error)
                  : folder_.Create(name, mode, created, error);
    if (fd_ < 0) {
        SendHexHeader(ZFERR, {});
        Fail(error);
        return;
    }
    name_ = created;
    sentName_ = sent;
    size_ = size;
    modified_ = details[1];
    written_ = 0;
    discarding_ = false;
    failures_ = 0;
    AskPosition();
    Report(TransferStatusCode::FileName, name_);
    Report(TransferStatusCode::FileSize, name_, size_);
}

void CZModemReceiver::WriteData() {
    if (discarding_) return;
    const std::vector<uint8_t>& data = reader_.Payload();
    // Positions are 32 bits; a file may grow a little while it is sent, but
    // one that goes on past its size is stopped, kept as it is.
    const uint64_t limit =
        size_ < 0 ? UINT32_MAX
                  : std::min<uint64_t>(UINT32_MAX, static_cast<uint64_t>(size_) + kGrowthAllowance);
    if (written_ + data.size() > limit) {
        CloseFile();
        Fail(name_ + " went on past " + std::to_string(limit) + " bytes; kept as received (" +
             std::to_string(written_) + " bytes)");
        return;
    }
    pending_.insert(pending_.end(), data.begin(), data.end());
    written_ += static_cast<uint32_t>(data.size());
    if (pending_.size() >= kFileBuffer && !WritePending()) {
        const std::string reason = std::strerror(errno);
        SendHexHeader(ZFERR, {});
        Fail("cannot write " + name_ + ": " + reason);
        return;
    }
    const uint8_t end = reader_.EndCode();
    if (end == kCrcQ || end == kCrcW) SendHexHeader(ZACK, PositionData(written_));
    // After ZCRCW the sender waits for that acknowledgement.
    if (end == kCrcW) {
        AwaitAnswer();
    } else {
        ExpectMore();
    }
    if (end == kCrcE || end == kCrcW) expect_ = Expect::Header;
    ReportProgress(name_, written_, false);
}

void CZModemReceiver::EndOfFile(uint32_t position) {
    if (fd_ < 0) {
        // Our ZRINIT was lost: say again that the file is done.
        SendInit();
        return;
    }
    // Data is missing: the sender has sent everything and now listens, so
    // the request for it goes again at once.
    if (position != written_) {
        AskAgain();
        return;
    }
    ReportProgress(name_, written_, true);
    if (!CloseFile(true)) {
        SendHexHeader(ZFERR, {});
        ReportError("cannot write " + name_ + ": " + std::strerror(errno));
        return;
    }
    Report(TransferStatusCode::Received, name_);
    SendInit();
}

bool CZModemReceiver::WritePending() {
    size_t done = 0;
    bool ok = true;
    while (ok && done < pending_.size()) {
        const ssize_t n = ::write(fd_, pending_.data() + done, pending_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    pending_.clear();
    return ok;
}

bool CZModemReceiver::CloseFile(bool whole) {
    const bool written = WritePending();
    const int error = errno;
    // The sender's time goes on after the last write, which would change
    // it; a file added to keeps its own.
    if (written && whole && modified_ > 0 && !append_) {
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(modified_), 0}};
        ::futimens(fd_, times);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return false;
    errno = error;
    return written;
}

void CZModemReceiver::OnTimeout(bool counted) {
    if (expect_ == Expect::Goodbye) {
        End(Outcome::Completed);
        return;
    }
    if (counted && !Retry()) return;
    AskAgain();
}

void CZModemReceiver::AskAgain() {
    if (fd_ >= 0) {
        discarding_ = true;
        expect_ = Expect::Header;
        reader_.Reset();
        AskPosition();
    } else {
        SendInit();
    }
}

void CZModemReceiver::OnEnd(Outcome outcome) {
    (void)outcome;
    if (fd_ < 0) return;
    CloseFile();
    const std::string text = name_ + " is incomplete (" + std::to_string(written_) + " of " +
                             (size_ >= 0 ? std::to_string(size_) : std::string("?")) + " bytes)";
    ReportError(text);
}

} // namespace tamsivane

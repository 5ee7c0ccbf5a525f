#include "platform/SerialPort.h"

// termios2 and the arbitrary-rate flags; <termios.h> would clash with these.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <algorithm>

#include "platform/EventFd.h"
#include "platform/PollRetrying.h"

namespace tamsivane {
namespace {

using Clock = std::chrono::steady_clock;

struct StandardRate {
    int rate;
    unsigned code;
};

// Rates with a code of their own, so that plain termios readers see them.
constexpr StandardRate kStandardRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

constexpr tcflag_t kDataBitFlags[] = {CS6, CS7, CS8}; // 6, 7, 8 data bits

// The rate the settings stand for, 0 when unknown.
int RateOf(const termios2& t) {
    const unsigned code = t.c_cflag & CBAUD;
    if (code == BOTHER) return static_cast<int>(t.c_ospeed);
    for (const StandardRate& r : kStandardRates) {
        if (r.code == code) return r.rate;
    }
    return 0;
}

void SetRate(termios2& t, int rate) {
    const auto standard = std::find_if(std::begin(kStandardRates), std::end(kStandardRates),
                                       [rate](const StandardRate& r) { return r.rate == rate; });
    // Input speed follows the output speed (CIBAUD 0).
    t.c_cflag &= ~(CBAUD | CIBAUD);
    t.c_cflag |= standard != std::end(kStandardRates) ? standard->code : BOTHER;
    t.c_ispeed = t.c_ospeed = static_cast<speed_t>(rate);
}

int IoctlRetrying(int fd, unsigned long request, void* argument) {
    int result;
    do {
        result = ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

} // namespace

LineFault MakeLineRequest(const LineSettings& line, termios2& request) {
    using Kind = LineFault::Kind;
    if (line.speed <= 0) return {Kind::Speed, line.speed};
    if (line.dataBits < 6 || line.dataBits > 8) return {Kind::DataBits, line.dataBits};
    if (line.stopBits == 1) return {Kind::OneAndAHalfStopBits, line.stopBits};
    if (line.stopBits != 0 && line.stopBits != 2) return {Kind::StopBits, line.stopBits};
    if (line.parity < 0 || line.parity > 4) return {Kind::Parity, line.parity};
    if (line.flowControl < 0 || line.flowControl > 2) return {Kind::FlowControl, line.flowControl};
    termios2 t = request;
    // Raw: bytes pass unchanged both ways, nothing is echoed or interpreted.
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | INPCK | IGNPAR | IUCLC | IMAXBEL);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    // The modem-control lines do not gate reading; carrier is watched apart.
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CREAD | CLOCAL | kDataBitFlags[line.dataBits - 6];
    if (line.stopBits == 2) t.c_cflag |= CSTOPB;
    switch (line.parity) {
    case 1:
        t.c_cflag |= PARENB;
        break; // even
    case 2:
        t.c_cflag |= PARENB | PARODD;
        break; // odd
    case 3:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break; // mark
    case 4:
        t.c_cflag |= PARENB | CMSPAR;
        break; // space
    default:
        break;
    }
    if (line.flowControl == 1) {
        t.c_iflag |= IXON | IXOFF;
        t.c_cc[VSTART] = 0x11;
        t.c_cc[VSTOP] = 0x13;
    } else if (line.flowControl == 2) {
        t.c_cflag |= CRTSCTS;
    }
    SetRate(t, line.speed);
    request = t;
    return {};
}

CSerialPort::OpenResult CSerialPort::Open(const std::string& path, std::string& error) {
    Close();
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const auto failed = [&](int code, OpenResult result) {
        error = path + ": " + std::strerror(code);
        if (fd >= 0) close(fd);
        return result;
    };
    if (fd < 0) {
        const int code = errno;
        const bool missing = code == ENOENT || code == ENODEV || code == ENXIO || code == ENOTDIR;
        return failed(code, missing         ? OpenResult::Missing
                            : code == EBUSY ? OpenResult::Busy
                                            : OpenResult::Failed);
    }
    termios2 current{};
    if (IoctlRetrying(fd, TCGETS2, &current) < 0) return failed(errno, OpenResult::Missing);
    // Exclusive use: a second open fails with EBUSY for anyone but root.
    // Root is not kept out by that, so a lock on the device guards as well.
    if (flock(fd, LOCK_EX | LOCK_NB) < 0) {
        return errno == EWOULDBLOCK ? failed(EBUSY, OpenResult::Busy)
                                    : failed(errno, OpenResult::Failed);
    }
    if (IoctlRetrying(fd, TIOCEXCL, nullptr) < 0) return failed(errno, OpenResult::Failed);
    fd_ = fd;
    return OpenResult::Opened;
}

LineFault CSerialPort::Configure(const LineSettings& line) {
    termios2 request{};
    if (IoctlRetrying(fd_, TCGETS2, &request) < 0) return {LineFault::Kind::Device, errno};
    if (const LineFault fault = MakeLineRequest(line, request)) return fault;
    termios2 applied{};
    if (IoctlRetrying(fd_, TCSETS2, &request) < 0 || IoctlRetrying(fd_, TCGETS2, &applied) < 0) {
        return {LineFault::Kind::SettingsRefused, line.speed};
    }
    // A driver that cannot make a rate sets the nearest it can; more than 2%
    // off garbles the line, so that is a refusal.
    const int rate = RateOf(applied);
    if (std::abs(static_cast<long>(rate) - line.speed) * 50 > line.speed) {
        return {LineFault::Kind::SpeedRefused, line.speed};
    }
    return {};
}

void CSerialPort::Close() {
    if (fd_ < 0) return;
    ioctl(fd_, TIOCNXCL, nullptr);
    close(fd_);
    fd_ = -1;
}

CSerialPort::Readiness CSerialPort::Wait(const EventFd& doorbell, bool wantInput,
                                         std::chrono::milliseconds timeout, bool wantOutput) {
    const short events = static_cast<short>((wantInput ? POLLIN : 0) | (wantOutput ? POLLOUT : 0));
    pollfd entries[2] = {{fd_, events, 0},
                         {doorbell.Fd(), POLLIN, 0}};
    const nfds_t count = doorbell.Fd() >= 0 ? 2 : 1;
    Readiness ready;
    if (PollRetrying(entries, count, static_cast<int>(timeout.count())) <= 0) return ready;
    if (count == 2 && (entries[1].revents & POLLIN)) doorbell.Drain();
    // Input still waiting is read before the hang-up is taken.
    ready.input = (entries[0].revents & POLLIN) != 0;
    ready.gone = !ready.input && (entries[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    return ready;
}

ptrdiff_t CSerialPort::Read(uint8_t* buffer, size_t capacity) {
    if (capacity == 0) return 0;
    for (;;) {
        const ssize_t n = read(fd_, buffer, capacity);
        if (n > 0) return n;
        // A terminal reads 0 only once it has been hung up.
        if (n == 0) return -1;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

ptrdiff_t CSerialPort::WriteSome(const uint8_t* data, size_t n) {
    for (;;) {
        const ssize_t written = write(fd_, data, n);
        if (written >= 0) return written;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

bool CSerialPort::Write(const uint8_t* data, size_t n, std::chrono::milliseconds limit,
                        int stopFd) {
    const Clock::time_point deadline = Clock::now() + limit;
    size_t done = 0;
    while (done < n) {
        const ssize_t written = write(fd_, data + done, n - done);
        if (written > 0) {
            done += static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        // The line is full (flow control holds it, or a slow rate): wait for room.
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd entries[2] = {{fd_, POLLOUT, 0}, {stopFd, POLLIN, 0}};
        if (PollRetrying(entries, stopFd >= 0 ? 2 : 1, static_cast<int>(left.count())) < 0) {
            return false;
        }
        if (entries[1].revents & POLLIN) return false;
        if (entries[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return false;
    }
    return true;
}

bool CSerialPort::SetBreak(bool on) {
    return IoctlRetrying(fd_, on ? TIOCSBRK : TIOCCBRK, nullptr) == 0;
}

std::optional<bool> CSerialPort::Carrier() const {
    int lines = 0;
    if (fd_ < 0 || ioctl(fd_, TIOCMGET, &lines) < 0) return std::nullopt;
    return (lines & TIOCM_CD) != 0;
}

bool CSerialPort::SetDtr(bool on) {
    int dtr = TIOCM_DTR;
    return IoctlRetrying(fd_, on ? TIOCMBIS : TIOCMBIC, &dtr) == 0;
}

void CSerialPort::Discard() {
    if (fd_ >= 0) ioctl(fd_, TCFLSH, TCIOFLUSH);
}

} // namespace tamsivane

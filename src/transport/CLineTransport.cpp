#include "transport/CLineTransport.h"

#include <poll.h>

#include <algorithm>
#include <cstring>

#include "config/ResourceStrings.h"
#include "config/SettingsStore.h"
#include "emulator/VtEmulator.h"

namespace tamsivane {

LineSettings LineSettingsOf(const SettingsStore& settings) {
    LineSettings line;
    line.speed = settings.GetNumber(P::Speed);
    // A setup that never chose the data bits (0, as the default template
    // has it) gets the usual 8; other values outside 6-8 are refused.
    const int dataBits = settings.GetNumber(P::DataLength);
    line.dataBits = dataBits == 0 ? 8 : dataBits;
    line.parity = settings.GetNumber(P::Parity);
    line.stopBits = settings.GetNumber(P::StopBits);
    line.flowControl = settings.GetNumber(P::FlowControl);
    return line;
}

std::string DescribeLineFault(const LineFault& fault) {
    using Kind = LineFault::Kind;
    const std::string value = std::to_string(fault.value);
    switch (fault.kind) {
    case Kind::None:
        return {};
    case Kind::Speed:
        return FormatResource(Msg::LineBadSpeed, {value});
    case Kind::DataBits:
        return FormatResource(Msg::LineBadDataBits, {value});
    case Kind::OneAndAHalfStopBits:
        return std::string(ResourceString(Msg::LineOneAndAHalfStopBits));
    case Kind::StopBits:
        return FormatResource(Msg::LineBadStopBits, {value});
    case Kind::Parity:
        return FormatResource(Msg::LineBadParity, {value});
    case Kind::FlowControl:
        return FormatResource(Msg::LineBadFlowControl, {value});
    case Kind::SettingsRefused:
        return FormatResource(Msg::LineSettingsRefused, {value});
    case Kind::SpeedRefused:
        return FormatResource(Msg::LineSpeedRefused, {value});
    case Kind::Device:
        return std::strerror(fault.value);
    }
    return {};
}

CLineTransport::CLineTransport(TransportHost& host, TransportType type)
    : CTransport(host, type), output_(Doorbell()) {
    output_.SetDrainedCallback([this] { Host().OutputDrained(); });
}

CSerialPort::OpenResult CLineTransport::OpenLine(const std::string& device,
                                                 const LineSettings& line, std::string& reason) {
    std::lock_guard lock(lineMutex_);
    const CSerialPort::OpenResult result = port_.Open(device, reason);
    if (result != CSerialPort::OpenResult::Opened) return result;
    const LineFault fault = port_.Configure(line);
    if (!fault) return result;
    reason = DescribeLineFault(fault);
    port_.Close();
    return CSerialPort::OpenResult::Failed;
}

std::string CLineTransport::Reconfigure(const LineSettings& line) {
    std::lock_guard lock(lineMutex_);
    if (!port_.IsOpen()) return {};
    return DescribeLineFault(port_.Configure(line));
}

void CLineTransport::Close() {
    output_.Close();
    std::lock_guard lock(lineMutex_);
    port_.Close();
}

void CLineTransport::Abort() {
    stopBell_.Signal();
    CTransport::Abort();
}

bool CLineTransport::Pause(std::chrono::milliseconds time) const {
    pollfd entry{stopBell_.Fd(), POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + time;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (StopRequested()) return false;
        if (left.count() <= 0) return true;
        // Without the bell (no descriptor) this only sleeps in ticks.
        poll(&entry, entry.fd >= 0 ? 1 : 0, static_cast<int>(std::min(left, kWaitTick).count()));
    }
}

CTransport::Input CLineTransport::WaitForInput(bool wantInput) {
    if (!LineUp()) return Input::Ended;
    const bool waiting = output_.Waiting();
    const CSerialPort::Readiness ready = port_.Wait(Doorbell(), wantInput, kWaitTick, waiting);
    gone_ = ready.gone;
    if (gone_) return Input::Ended;
    if (waiting && (!output_.Flush(ToLine()) || OutputStalled(output_.Waiting()))) {
        return Input::Ended;
    }
    return ready.input ? Input::Ready : Input::None;
}

bool CLineTransport::OutputStalled(bool waiting) {
    if (!waiting) {
        watchingOutput_ = false;
        return false;
    }
    const auto now = std::chrono::steady_clock::now();
    const uint64_t written = written_.load();
    if (!watchingOutput_ || written != writtenSeen_) {
        watchingOutput_ = true;
        writtenSeen_ = written;
        lastProgress_ = now;
        return false;
    }
    return now - lastProgress_ >= kWriteTimeout;
}

OutputBacklog::Sink CLineTransport::ToLine() {
    return [this](const uint8_t* data, size_t length) -> ptrdiff_t {
        // The I/O thread's own commands or a change of settings hold the
        // line only briefly: the output waits for the next try meanwhile.
        std::unique_lock lock(lineMutex_, std::try_to_lock);
        if (!lock.owns_lock()) return 0;
        if (!port_.IsOpen()) return -1;
        const ptrdiff_t n = port_.WriteSome(data, length);
        if (n > 0) written_.fetch_add(static_cast<uint64_t>(n));
        return n;
    };
}

ptrdiff_t CLineTransport::ReadInput(uint8_t* buffer, size_t room) {
    const ptrdiff_t n = port_.Read(buffer, room);
    gone_ = n < 0;
    return n;
}

bool CLineTransport::Write(const uint8_t* bytes, size_t n) {
    if (State() != TransportState::Connected) return false;
    return n == 0 || output_.Send(bytes, n, ToLine());
}

bool CLineTransport::WriteLine(std::string_view bytes) {
    std::lock_guard lock(lineMutex_);
    return port_.IsOpen() && port_.Write(reinterpret_cast<const uint8_t*>(bytes.data()),
                                         bytes.size(), kWriteTimeout, stopBell_.Fd());
}

bool CLineTransport::SendBreak() {
    if (State() != TransportState::Connected) return false;
    {
        std::lock_guard lock(lineMutex_);
        if (!port_.IsOpen() || !port_.SetBreak(true)) return false;
    }
    Pause(kBreakTime);
    std::lock_guard lock(lineMutex_);
    if (port_.IsOpen()) port_.SetBreak(false);
    return true;
}

} // namespace tamsivane

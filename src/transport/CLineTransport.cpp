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

CLineTransport::CLineTransport(TransportHost& host, TransportType type) : CTransport(host, type) {}

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
    const CSerialPort::Readiness ready = port_.Wait(Doorbell(), wantInput, kWaitTick);
    gone_ = ready.gone;
    if (gone_) return Input::Ended;
    return ready.input ? Input::Ready : Input::None;
}

ptrdiff_t CLineTransport::ReadInput(uint8_t* buffer, size_t room) {
    const ptrdiff_t n = port_.Read(buffer, room);
    gone_ = n < 0;
    return n;
}

bool CLineTransport::Write(const uint8_t* bytes, size_t n) {
    if (State() != TransportState::Connected) return false;
    if (n == 0) return true;
    {
        std::lock_guard lock(lineMutex_);
        if (!port_.IsOpen() || !port_.Write(bytes, n, kWriteTimeout, stopBell_.Fd())) return false;
    }
    Host().OutputDrained();
    return true;
}

bool CLineTransport::WriteLine(std::string_view bytes) {
    std::lock_guard lock(lineMutex_);
    return port_.IsOpen() && port_.Write(reinterpret_cast<const uint8_t*>(bytes.data()),
                                         bytes.size(), kWriteTimeout, stopBell_.Fd());
}

bool CLineTransport::SendBreak() {
    if (State() != TransportState::Connected) return false;
    std::lock_guard lock(lineMutex_);
    if (!port_.IsOpen() || !port_.SetBreak(true)) return false;
    Pause(kBreakTime);
    port_.SetBreak(false);
    return true;
}

} // namespace tamsivane

#include "transport/CModemTransport.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <thread>

#include "config/ResourceStrings.h"
#include "config/SettingsStore.h"
#include "emulator/VtEmulator.h"
#include "session/UserNotifier.h"

namespace tamsivane {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kDialCharacters = "0123456789,()-. ";
// The call failed: 1 the modem did not answer a command, 2 it answered
// ERROR, 3 dialling brought no result in time.
constexpr int kNoAnswerError = 1;
constexpr int kErrorReply = 2;
constexpr int kDialTimeoutError = 3;

// The process's one call: held from dialling until the modem is hung up.
std::atomic<bool> callInProgress{false};

struct ResultCode {
    std::string_view text;
    bool takesSuffix; // "CONNECT 9600" as well as "CONNECT"
    int reply;        // CModemTransport's Reply, as a number
};

bool IsDialable(const std::string& number) {
    return !number.empty() && std::all_of(number.begin(), number.end(), [](char c) {
        return kDialCharacters.find(c) != std::string_view::npos;
    });
}

bool IsEcho(const std::string& line) {
    return line.size() >= 2 && std::toupper(static_cast<unsigned char>(line[0])) == 'A' &&
           std::toupper(static_cast<unsigned char>(line[1])) == 'T';
}

} // namespace

CModemTransport::CModemTransport(TransportHost& host)
    : CLineTransport(host, TransportType::Modem),
      modem_(host.Lines().ModemAt(host.Emulator().Settings().GetNumber(P::Port))) {}

CModemTransport::~CModemTransport() { Shutdown(); }

bool CModemTransport::Connect(const SettingsStore& settings) {
    ShowText(ResourceString(Msg::Dialing));
    if (!modem_ || modem_->device.empty()) return Fail(Msg::NoModemDriver);
    if (callInProgress.exchange(true)) return Fail(Msg::ModemNotAvailable);
    ownsCall_ = true;
    LineSettings line;
    line.speed = modem_->speed;
    line.flowControl = settings.GetNumber(P::FlowControl);
    std::string reason;
    switch (OpenLine(modem_->device, line, reason)) {
    case CSerialPort::OpenResult::Opened:
        break;
    case CSerialPort::OpenResult::Missing:
        return Fail(Msg::NoModemDriver);
    case CSerialPort::OpenResult::Busy:
        return Fail(Msg::ModemNotAvailable);
    case CSerialPort::OpenResult::Failed:
        return Fail(reason);
    }
    const std::string& number = settings.GetString(P::HostName);
    if (!IsDialable(number)) return Fail(Msg::BadDialingAddress);
    if (!Command("ATZ")) return false;
    if (!modem_->init.empty() && !Command(modem_->init)) return false;
    return Dial(number);
}

bool CModemTransport::Dial(const std::string& number) {
    callOpen_ = true;
    if (!WriteLine("ATDT" + number + "\r")) return FailCall(kNoAnswerError);
    const Clock::time_point deadline = Clock::now() + kDialTimeout;
    for (;;) {
        std::string line;
        switch (ReadReply(deadline, line)) {
        case Reply::Connect: {
            connected_ = true;
            ShowText("\n\r" + std::string(ResourceString(Msg::CallConnected)) + "\r\n");
            // The line end after CONNECT is not data.
            if (!input_.empty() && input_.front() == '\n') input_.erase(0, 1);
            {
                std::lock_guard lock(Host().Lock());
                StoreReceived(reinterpret_cast<const uint8_t*>(input_.data()), input_.size());
            }
            input_.clear();
            std::lock_guard lock(lineMutex_);
            watchCarrier_ = port_.Carrier().value_or(false);
            return true;
        }
        case Reply::Ringing:
            ShowText("\r\n" + std::string(ResourceString(Msg::Ringback)));
            break;
        // The modem has put the line down by itself.
        case Reply::Busy:
            callOpen_ = false;
            return Fail(Msg::LineBusy);
        case Reply::Failed:
        case Reply::Error:
            callOpen_ = false;
            return Fail(line);
        case Reply::Timeout:
            return FailCall(kDialTimeoutError);
        case Reply::Stopped:
            return false;
        case Reply::Gone:
            return Fail(Msg::ModemNotAvailable);
        case Reply::Ok:
        case Reply::Other:
            break;
        }
    }
}

bool CModemTransport::Command(const std::string& command) {
    if (!WriteLine(command + "\r")) return FailCall(kNoAnswerError);
    const Clock::time_point deadline = Clock::now() + kCommandTimeout;
    for (;;) {
        std::string line;
        switch (ReadReply(deadline, line)) {
        case Reply::Ok:
            return true;
        case Reply::Error:
            return FailCall(kErrorReply);
        case Reply::Timeout:
            return FailCall(kNoAnswerError);
        case Reply::Stopped:
            return false;
        case Reply::Gone:
            return Fail(Msg::ModemNotAvailable);
        default:
            break;
        }
    }
}

CModemTransport::Reply CModemTransport::ReadReply(Clock::time_point deadline, std::string& line) {
    static constexpr ResultCode kCodes[] = {
        {"OK", false, int(Reply::Ok)},
        {"CONNECT", true, int(Reply::Connect)},
        {"RINGING", false, int(Reply::Ringing)},
        {"BUSY", false, int(Reply::Busy)},
        {"NO CARRIER", false, int(Reply::Failed)},
        {"NO DIALTONE", false, int(Reply::Failed)},
        {"NO ANSWER", false, int(Reply::Failed)},
        {"ERROR", false, int(Reply::Error)},
    };
    for (;;) {
        const size_t end = input_.find_first_of("\r\n");
        if (end != std::string::npos) {
            line = input_.substr(0, std::min(end, kMaxLine));
            input_.erase(0, end + 1);
            if (line.empty() || IsEcho(line)) continue;
            for (const ResultCode& code : kCodes) {
                if (line == code.text || (code.takesSuffix && line.starts_with(code.text) &&
                                          line[code.text.size()] == ' ')) {
                    return static_cast<Reply>(code.reply);
                }
            }
            return Reply::Other;
        }
        // A line without an end is cut, so that nothing grows without bound.
        if (input_.size() > kMaxLine) input_.erase(0, input_.size() - kMaxLine);
        if (StopRequested()) return Reply::Stopped;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return Reply::Timeout;
        const CSerialPort::Readiness ready =
            port_.Wait(Doorbell(), true, std::min(left, kWaitTick));
        if (ready.gone) return Reply::Gone;
        if (!ready.input) continue;
        uint8_t buffer[kMaxLine];
        const ptrdiff_t n = port_.Read(buffer, sizeof buffer);
        if (n < 0) return Reply::Gone;
        input_.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
    }
}

bool CModemTransport::Fail(const std::string& text) {
    failure_ = text;
    if (!StopRequested()) ShowText("\r\n" + text);
    return false;
}

bool CModemTransport::Fail(int message) { return Fail(std::string(ResourceString(message))); }

bool CModemTransport::FailCall(int error) {
    char code[16];
    std::snprintf(code, sizeof code, "%X", static_cast<unsigned>(error));
    return Fail(FormatResource(Msg::CallFailed, {code}));
}

bool CModemTransport::LineUp() {
    if (!watchCarrier_) return true;
    std::lock_guard lock(lineMutex_);
    return port_.Carrier().value_or(true);
}

void CModemTransport::Close() {
    if (callOpen_) HangUp();
    CLineTransport::Close();
    if (ownsCall_) callInProgress = false;
    ownsCall_ = false;
}

void CModemTransport::HangUp() {
    callOpen_ = false;
    if (LineGone()) return;
    // A modem still dialling stops at any character.
    if (!connected_) WriteLine("\r");
    bool dropped = false;
    {
        std::lock_guard lock(lineMutex_);
        if (port_.Carrier().has_value() && port_.SetDtr(false)) {
            std::this_thread::sleep_for(kGuardTime);
            port_.SetDtr(true);
            dropped = true;
        }
    }
    if (dropped) return;
    // Without modem-control lines: back to command mode between guard
    // times of silence, then the hang-up command.
    std::this_thread::sleep_for(kGuardTime);
    if (connected_) {
        WriteLine("+++");
        std::this_thread::sleep_for(kGuardTime);
    }
    WriteLine("ATH\r");
}

bool CModemTransport::ApplySettings(const SettingsStore& settings) {
    if (settings.GetNumber(P::HostType) != static_cast<int32_t>(TransportType::Modem)) {
        Host().Notifier().Notify(Msg::RestartForSettings);
    }
    return true;
}

std::string CModemTransport::GetName(const SettingsStore& settings) const {
    return "Phone# " + settings.GetString(P::HostName);
}

} // namespace tamsivane

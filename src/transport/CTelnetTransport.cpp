#include "transport/CTelnetTransport.h"

#include <algorithm>
#include <cstdio>

#include "config/SettingsStore.h"
#include "emulator/VtEmulator.h"
#include "session/UserNotifier.h"

namespace tamsivane {

CTelnetTransport::CTelnetTransport(TransportHost& host)
    : CTransport(host, TransportType::Telnet),
      localOnly_(host.Emulator().Settings().GetNumber(P::Local) != 0),
      protocol_(host.Emulator().Settings(), *this),
      socket_(Doorbell()) {
    socket_.SetDrainedCallback([this] { Host().OutputDrained(); });
}

CTelnetTransport::~CTelnetTransport() { Shutdown(); }

bool CTelnetTransport::Connect(const SettingsStore& settings) {
    const std::string& host = settings.GetString(P::HostName);
    const int port = settings.GetNumber(P::Port);
    const std::string& proxy = settings.GetString(P::Proxy);
    const auto stop = [this] { return StopRequested(); };
    using Result = CTcpSocket::ConnectResult;
    const auto failed = [this](const std::string& what, int number, Result result) {
        failure_ = DescribeFailure(what, number, result);
        return false;
    };
    if (proxy.empty()) {
        const Result result = socket_.Connect(host, port, stop, kConnectTimeout);
        if (result != Result::Connected) return failed(host, port, result);
        return socket_.Release();
    }
    // The proxy's port is kept in Speed.
    const int proxyPort = settings.GetNumber(P::Speed);
    Result result = socket_.Connect(proxy, proxyPort, stop, kConnectTimeout);
    if (result == Result::Connected) result = WaitForGreeting();
    if (result != Result::Connected) return failed("proxy " + proxy, proxyPort, result);
    std::string line(host.size() + 16, '\0');
    line.resize(static_cast<size_t>(
        std::snprintf(line.data(), line.size(), "%s %d\n", host.c_str(), port)));
    return socket_.Release(line);
}

std::string CTelnetTransport::DescribeFailure(const std::string& what, int port,
                                              CTcpSocket::ConnectResult result) {
    return what + " port " + std::to_string(port) + ": " + CTcpSocket::Reason(result);
}

CTcpSocket::ConnectResult CTelnetTransport::WaitForGreeting() {
    using Result = CTcpSocket::ConnectResult;
    const auto deadline = std::chrono::steady_clock::now() + kGreetingTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (StopRequested()) return Result::Stopped;
        const size_t room = std::min(ReceiveRoom(), kReadSize);
        const Input input = WaitForInput(room > 0);
        if (input == Input::Ended) return Result::Failed;
        if (input == Input::None) continue;
        std::lock_guard lock(Host().Lock());
        const ptrdiff_t stored = ReadAndStore(room);
        if (stored < 0) return Result::Failed;
        if (stored > 0) return Result::Connected;
    }
    return Result::TimedOut;
}

void CTelnetTransport::Close() { socket_.Close(); }

CTransport::Input CTelnetTransport::WaitForInput(bool wantInput) {
    const CTcpSocket::Readiness ready = socket_.Wait(wantInput, kWaitTick);
    if (ready.failed) return Input::Ended;
    return ready.input ? Input::Ready : Input::None;
}

ptrdiff_t CTelnetTransport::ReadInput(uint8_t* buffer, size_t room) {
    const ptrdiff_t count = socket_.Receive(buffer, room);
    if (count < 0) return -1;
    return static_cast<ptrdiff_t>(protocol_.Filter(buffer, static_cast<size_t>(count)));
}

bool CTelnetTransport::Write(const uint8_t* bytes, size_t n) {
    const TransportState state = State();
    if (state == TransportState::Closing || state == TransportState::Closed) return false;
    if (localOnly_) return true;
    // While connecting the socket queues the bytes; they go out once connected.
    return socket_.Send(TelnetProtocol::EscapeOutput(bytes, n));
}

bool CTelnetTransport::ApplySettings(const SettingsStore&) {
    Host().Notifier().Notify(Msg::RestartForSettings);
    return true;
}

void CTelnetTransport::SetTransferMode(bool on) {
    if (!localOnly_) protocol_.SetBinary(on);
}

void CTelnetTransport::KeepAlive() {
    if (State() != TransportState::Connected) return;
    const char status[] = {char(Telnet::IAC), char(Telnet::DO), char(Telnet::Status)};
    socket_.Send(std::string_view(status, sizeof status));
}

std::string CTelnetTransport::GetName(const SettingsStore& settings) const {
    return settings.GetString(P::HostName);
}

void CTelnetTransport::UpdateWindowSize() { protocol_.WindowSizeChanged(); }

void CTelnetTransport::SendToPeer(std::string_view bytes) { socket_.Send(bytes); }

void CTelnetTransport::Capture(std::string_view text) { Host().Capture(text); }

} // namespace tamsivane

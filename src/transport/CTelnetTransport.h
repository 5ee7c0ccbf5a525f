// Telnet over TCP, straight to the host or through a line proxy that is
// told "host port" once it has greeted.  Received data passes the Telnet
// filter before it reaches the receive ring; output has 255 doubled and is
// never waited for.
#pragma once

#include <atomic>
#include <chrono>

#include "platform/TcpSocket.h"
#include "transport/CTransport.h"
#include "transport/TelnetProtocol.h"

namespace tamsivane {

class CTelnetTransport final : public CTransport, private TelnetProtocol::Peer {
public:
    static constexpr std::chrono::milliseconds kConnectTimeout{30000};
    static constexpr std::chrono::milliseconds kGreetingTimeout{30000};

    // Constructed under the session lock: takes the Local setting.
    explicit CTelnetTransport(TransportHost& host);
    ~CTelnetTransport() override;

    bool Connect(const SettingsStore& settings) override;
    void Close() override;
    bool Write(const uint8_t* bytes, size_t n) override;
    bool OutputWaiting() const override { return socket_.Waiting(); }
    bool ApplySettings(const SettingsStore& settings) override;
    void KeepAlive() override;
    void SetTransferMode(bool on) override;
    std::string GetName(const SettingsStore& settings) const override;
    // "what port N: reason", the line that follows "Cannot connect to remote host."
    static std::string DescribeFailure(const std::string& what, int port,
                                       CTcpSocket::ConnectResult result);

    void UpdateWindowSize() override;

private:
    Input WaitForInput(bool wantInput) override;
    // Received data through the Telnet filter: the data bytes, or -1 when
    // the connection is over.
    ptrdiff_t ReadInput(uint8_t* buffer, size_t room) override;
    void SendToPeer(std::string_view bytes) override;
    void Capture(std::string_view text) override;
    std::string ChosenTerminalType() const override { return ChosenTerminalName(); }

    // Waits for the proxy's first bytes, which are shown like received data;
    // Connected once they came.
    CTcpSocket::ConnectResult WaitForGreeting();
    const bool localOnly_;
    TelnetProtocol protocol_; // session lock
    CTcpSocket socket_;
};

} // namespace tamsivane

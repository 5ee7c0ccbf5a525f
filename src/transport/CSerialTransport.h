// A session over a local serial line: Port n is the device the application
// profile names for COM<n+1> (by default /dev/ttyS<n>), set to the session's
// speed, data bits, parity, stop bits and flow control.
#pragma once

#include <string>

#include "transport/CLineTransport.h"

namespace tamsivane {

class CSerialTransport final : public CLineTransport {
public:
    // Constructed under the session lock: takes the device for Port.
    explicit CSerialTransport(TransportHost& host);
    ~CSerialTransport() override;

    bool Connect(const SettingsStore& settings) override;
    // For the same port the line settings change at once; otherwise the
    // user is told to reconnect.
    bool ApplySettings(const SettingsStore& settings) override;
    std::string GetName(const SettingsStore& settings) const override;

    const std::string& Device() const { return device_; }

private:
    const int portIndex_;
    const std::string device_;
};

// "COM%d" with port + 1.
std::string ComPortName(int port);

} // namespace tamsivane

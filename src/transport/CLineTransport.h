// What the serial and modem transports share: a serial device read by the
// I/O thread (up to 1024 bytes at a time, ending the session when the device
// goes away), written by the sending thread within 10 s, a 500 ms break, and
// texts shown on the screen while the line is being set up.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/EventFd.h"
#include "platform/SerialPort.h"
#include "transport/CTransport.h"

namespace tamsivane {

class CLineTransport : public CTransport {
public:
    static constexpr std::chrono::milliseconds kWriteTimeout{10000};
    static constexpr std::chrono::milliseconds kBreakTime{500};

    void Close() override;
    void Abort() override;
    // False while the line is not connected, and when the bytes could not all
    // be written within kWriteTimeout.
    bool Write(const uint8_t* bytes, size_t n) override;
    // Holds the break for kBreakTime on the calling thread (less when the
    // session stops meanwhile).
    bool SendBreak() override;

protected:
    CLineTransport(TransportHost& host, TransportType type);

    // I/O thread, while connecting: opens and configures the device; on
    // failure reason says why and the device is closed again.
    CSerialPort::OpenResult OpenLine(const std::string& device, const LineSettings& line,
                                     std::string& reason);
    // Re-applies line settings to the open device (session lock held); the
    // reason when it fails.
    std::string Reconfigure(const LineSettings& line);
    // Writes while connecting (the I/O thread's own commands to the device).
    bool WriteLine(std::string_view bytes);
    // Sleeps for time unless the session stops first; false when it stopped.
    bool Pause(std::chrono::milliseconds time) const;
    // I/O thread: whether the line still stands; asked before each wait
    // for input.
    virtual bool LineUp() { return true; }
    // I/O thread: the device went away (hung up, unplugged).
    bool LineGone() const { return gone_; }

    // The device; Wait and Read on the I/O thread only, the rest under
    // lineMutex_.
    CSerialPort port_;
    std::mutex lineMutex_;

private:
    Input WaitForInput(bool wantInput) override;
    ptrdiff_t ReadInput(uint8_t* buffer, size_t room) override;

    EventFd stopBell_;  // rung once by Abort and never drained
    bool gone_ = false; // I/O thread only
};

LineSettings LineSettingsOf(const SettingsStore& settings);
// The user's text for why a line cannot be set up.
std::string DescribeLineFault(const LineFault& fault);

} // namespace tamsivane

// What the serial and modem transports share: a serial device read by the
// I/O thread (up to 1024 bytes at a time, ending the session when the device
// goes away); output that the line does not take at once waits in order and
// the I/O thread writes it as the line takes it, so that no sender ever
// waits for a slow or stopped line (a line that takes nothing for 10 s
// while output waits ends the session); a 500 ms break; and texts shown on
// the screen while the line is being set up.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/EventFd.h"
#include "platform/OutputBacklog.h"
#include "platform/SerialPort.h"
#include "transport/CTransport.h"

namespace tamsivane {

class CLineTransport : public CTransport {
public:
    // How long waiting output may go without the line taking any of it.
    static constexpr std::chrono::milliseconds kWriteTimeout{10000};
    static constexpr std::chrono::milliseconds kBreakTime{500};

    void Close() override;
    void Abort() override;
    // Never waits.  False while the line is not connected, and when the
    // output waiting would pass OutputBacklog::kLimit.
    bool Write(const uint8_t* bytes, size_t n) override;
    bool OutputWaiting() const override { return output_.Waiting(); }
    // Holds the break for kBreakTime on the calling thread (less when the
    // session stops meanwhile); the line stays free for others meanwhile.
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
    // Writes while connecting and hanging up (the I/O thread's own commands
    // to the device), waiting up to kWriteTimeout for the line.
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
    // Writes to the device without waiting for the line or its lock.
    OutputBacklog::Sink ToLine();
    // I/O thread: whether waiting output has gone kWriteTimeout without the
    // line taking any of it.
    bool OutputStalled(bool waiting);

    EventFd stopBell_;  // rung once by Abort and never drained
    bool gone_ = false; // I/O thread only
    OutputBacklog output_;
    std::atomic<uint64_t> written_{0}; // bytes the line has taken
    // I/O thread only: the watch on waiting output.
    bool watchingOutput_ = false;
    uint64_t writtenSeen_ = 0;
    std::chrono::steady_clock::time_point lastProgress_{};
};

LineSettings LineSettingsOf(const SettingsStore& settings);
// The user's text for why a line cannot be set up.
std::string DescribeLineFault(const LineFault& fault);

} // namespace tamsivane

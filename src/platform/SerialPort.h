// A serial device driven through termios for an I/O thread that waits in
// poll(): opened exclusively and non-blocking, put in raw mode with the line
// settings a session asks for (any rate through the arbitrary-rate
// interface), with break, the modem-control lines and a bounded write.
//
// Threads: Open, Configure and Close on one thread at a time; Wait and Read
// on the I/O thread; Write, SetBreak and the modem lines from whichever
// thread the owner serialises them on.  The owner keeps Close apart from
// the other calls.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct termios2;

namespace tamsivane {

class EventFd;

struct LineSettings {
    int speed = 9600;    // bit/s, positive
    int dataBits = 8;    // 6 to 8
    int parity = 0;      // 0 none, 1 even, 2 odd, 3 mark, 4 space
    int stopBits = 0;    // 0 one, 1 one and a half (no termios device has it), 2 two
    int flowControl = 0; // 0 none, 1 XON/XOFF both ways, 2 RTS/CTS
};

// Why a line cannot be set as asked.  The transport words it for the user.
struct LineFault {
    enum class Kind {
        None,
        Speed,               // value: the speed, not positive
        DataBits,            // value: the data bits, outside 6-8
        OneAndAHalfStopBits, // no termios device has them
        StopBits,            // value: the stop-bits setting
        Parity,              // value: the parity setting
        FlowControl,         // value: the flow-control setting
        SettingsRefused,     // value: the speed; the device took none of the settings
        SpeedRefused,        // value: the speed; the device made another rate
        Device,              // value: errno of the device's failure
    };
    Kind kind = Kind::None;
    int value = 0;

    explicit operator bool() const { return kind != Kind::None; }
};

// Turns the device's current settings (request) into raw mode with line's
// settings.  No fault when done; otherwise why the line cannot be set so,
// and request is left as it was.
LineFault MakeLineRequest(const LineSettings& line, termios2& request);

class CSerialPort {
public:
    enum class OpenResult { Opened, Missing, Busy, Failed };
    struct Readiness {
        bool input = false; // Read() has something to say
        bool gone = false;  // the device hung up or failed
    };

    CSerialPort() = default;
    ~CSerialPort() { Close(); }
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Read and write, without becoming the controlling terminal, and
    // exclusive; error says why it failed.
    OpenResult Open(const std::string& path, std::string& error);
    // Raw mode with line's settings; no fault when done.
    LineFault Configure(const LineSettings& line);
    bool IsOpen() const { return fd_ >= 0; }
    void Close();

    // Waits at most timeout for input (only when wantInput), room for output
    // (only when wantOutput), the device going away, or the doorbell, which
    // it drains.
    Readiness Wait(const EventFd& doorbell, bool wantInput, std::chrono::milliseconds timeout,
                   bool wantOutput = false);
    // Bytes read (> 0), 0 when nothing is waiting, -1 when the device is gone.
    ptrdiff_t Read(uint8_t* buffer, size_t capacity);
    // Writes what the line takes now: the count (0 when it is full), or -1
    // when the device failed.
    ptrdiff_t WriteSome(const uint8_t* data, size_t n);
    // Writes all n bytes within limit.  False when the device fails, the
    // limit passes first, or stopFd becomes readable while it waits.
    bool Write(const uint8_t* data, size_t n, std::chrono::milliseconds limit, int stopFd);

    bool SetBreak(bool on);
    // Whether the carrier is detected; none on a device without modem-control
    // lines, such as a pseudo-terminal.
    std::optional<bool> Carrier() const;
    bool SetDtr(bool on);
    // Drops what waits in both directions.
    void Discard();

    int Fd() const { return fd_; }

private:
    int fd_ = -1;
};

} // namespace tamsivane

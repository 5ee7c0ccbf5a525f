// A session over a dial-up modem that takes Hayes AT commands on a serial
// device.  Port indexes the profile's modem list; HostName is the number.
// Connecting resets the modem, sends its init string and dials, showing the
// call's progress on the screen; once the modem reports CONNECT the session
// runs like a serial one.  One call at a time in the process.
#pragma once

#include <optional>
#include <string>

#include "config/ModemList.h"
#include "transport/CLineTransport.h"

namespace tamsivane {

class CModemTransport final : public CLineTransport {
public:
    static constexpr std::chrono::milliseconds kCommandTimeout{5000};
    static constexpr std::chrono::milliseconds kDialTimeout{60000};
    static constexpr std::chrono::milliseconds kGuardTime{1000};
    // Longest result line kept; longer lines are cut.
    static constexpr size_t kMaxLine = 256;

    // Constructed under the session lock: takes the modem Port names.
    explicit CModemTransport(TransportHost& host);
    ~CModemTransport() override;

    bool Connect(const SettingsStore& settings) override;
    // Hangs up a call the modem may still hold, then closes the device.
    void Close() override;
    bool ApplySettings(const SettingsStore& settings) override;
    std::string GetName(const SettingsStore& settings) const override;

protected:
    bool LineUp() override;

private:
    enum class Reply { Ok, Connect, Ringing, Busy, Failed, Error, Other, Timeout, Stopped, Gone };

    bool Dial(const std::string& number);
    // Sends an AT command and waits kCommandTimeout for its "OK".
    bool Command(const std::string& command);
    // The next result line from the modem (echoed commands skipped) and
    // what it means, or why there is none before deadline.
    Reply ReadReply(std::chrono::steady_clock::time_point deadline, std::string& line);
    // Shows why the call failed (a text, or a string number); false.
    bool Fail(const std::string& text);
    bool Fail(int message);
    // "Failed to make a call." with the error's number.
    bool FailCall(int error);
    void HangUp();

    const std::optional<Modem> modem_;
    // I/O thread only.
    bool ownsCall_ = false;     // this session holds the process's one call
    bool callOpen_ = false;     // dialled and not put down by the modem itself
    bool connected_ = false;    // the modem reported CONNECT
    bool watchCarrier_ = false; // the device reported carrier when connected
    std::string input_;         // received while dialling, not yet a whole line
};

} // namespace tamsivane

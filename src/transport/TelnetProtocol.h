// The Telnet side of a connection: strips commands out of the received
// stream, answers option requests and subnegotiations, and doubles 255 in
// output.  It reads and changes the session's settings (LocalEcho follows the
// ECHO option), so its owner runs it under the session lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tamsivane {

class SettingsStore;

namespace Telnet {
enum : uint8_t {
    SE = 240,
    SB = 250,
    WILL = 251,
    WONT = 252,
    DO = 253,
    DONT = 254,
    IAC = 255,
};
enum : uint8_t {
    Binary = 0,
    Echo = 1,
    SuppressGoAhead = 3,
    Status = 5,
    TerminalType = 24,
    WindowSize = 31,
};
enum : uint8_t { Is = 0, Send = 1 };
} // namespace Telnet

class TelnetProtocol {
public:
    // Bytes kept of one subnegotiation; the rest of a longer one is dropped.
    static constexpr size_t kSubnegotiationSize = 256;

    class Peer {
    public:
        virtual ~Peer() = default;
        // Replies to the other end, sent as they are.
        virtual void SendToPeer(std::string_view bytes) = 0;
        // Notes for the debug capture.
        virtual void Capture(std::string_view text) { (void)text; }
        // The terminal type to report; "" for the VT name of TermID.
        virtual std::string ChosenTerminalType() const { return {}; }
    };

    TelnetProtocol(SettingsStore& settings, Peer& peer);

    // Removes the Telnet commands from data in place, answering them as they
    // come; returns how many data bytes are left at the front.  The state
    // carries over between calls.
    size_t Filter(uint8_t* data, size_t length);
    // Answers a received option request (verb WILL, WONT, DO or DONT).
    void HandleOption(uint8_t verb, uint8_t option);
    // The page size changed: the window size goes out as if asked for.
    void WindowSizeChanged() { HandleOption(Telnet::DO, Telnet::WindowSize); }
    // Asks for binary transmission both ways (a file transfer begins), or
    // back to NVT text.  While the host sends binary, CR NUL and CR LF are data.
    void SetBinary(bool on);
    bool ReceivesBinary() const {
        return receiveBinary_ == Agreement::On || receiveBinary_ == Agreement::AskedOff;
    }

    // Output with every 255 doubled.
    static std::string EscapeOutput(const uint8_t* bytes, size_t n);

private:
    enum class State : uint8_t { Data, AfterCr, AfterIac, Option, SubOption, SubData, SubIac };
    using OptionHandler = void (TelnetProtocol::*)(uint8_t verb, uint8_t option);
    struct OptionEntry {
        uint8_t option;
        OptionHandler handler;
    };
    static const OptionEntry kOptions[];

    // Where one direction of an option stands; Asked*: our request is unanswered.
    enum class Agreement : uint8_t { Off, AskedOn, On, AskedOff };
    // One direction of BINARY: enable and disable are the verbs that turn it
    // on and off, ask and drop the ones this end sends to request that.
    void NegotiateBinary(Agreement& agreement, bool enable, uint8_t accept, uint8_t refuse);

    void HandleBinary(uint8_t verb, uint8_t option);
    void HandleEcho(uint8_t verb, uint8_t option);
    void HandleSuppressGoAhead(uint8_t verb, uint8_t option);
    void HandleTerminalType(uint8_t verb, uint8_t option);
    void HandleWindowSize(uint8_t verb, uint8_t option);
    void HandleOther(uint8_t verb, uint8_t option);
    void HandleSubnegotiation();

    void Accept(uint8_t verb, uint8_t option);
    void Refuse(uint8_t verb, uint8_t option);
    void Reply(uint8_t verb, uint8_t option);
    void AppendSub(uint8_t byte);

    SettingsStore& settings_;
    Peer& peer_;
    State state_ = State::Data;
    uint8_t verb_ = 0;
    bool echoAnswered_ = false;
    bool sgaAnswered_ = false;
    bool wantBinary_ = false;
    Agreement receiveBinary_ = Agreement::Off; // the host sends binary (its WILL)
    Agreement sendBinary_ = Agreement::Off;    // this end sends binary (the host's DO)
    uint8_t subOption_ = 0;
    size_t subLength_ = 0;
    uint8_t sub_[kSubnegotiationSize] = {};
};

} // namespace tamsivane

#include "transport/TelnetProtocol.h"

#include <cstdio>
#include <iterator>

#include "config/SettingsStore.h"

namespace tamsivane {

using namespace Telnet;

const TelnetProtocol::OptionEntry TelnetProtocol::kOptions[] = {
    {Binary, &TelnetProtocol::HandleBinary},
    {Echo, &TelnetProtocol::HandleEcho},
    {SuppressGoAhead, &TelnetProtocol::HandleSuppressGoAhead},
    {TerminalType, &TelnetProtocol::HandleTerminalType},
    {WindowSize, &TelnetProtocol::HandleWindowSize},
};

TelnetProtocol::TelnetProtocol(SettingsStore& settings, Peer& peer)
    : settings_(settings), peer_(peer) {}

size_t TelnetProtocol::Filter(uint8_t* data, size_t length) {
    size_t out = 0;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t byte = data[i];
        switch (state_) {
        case State::Data:
            if (byte == IAC) {
                state_ = State::AfterIac;
            } else {
                data[out++] = byte;
                if (byte == '\r' && !ReceivesBinary()) state_ = State::AfterCr;
            }
            break;
        case State::AfterCr:
            // CR NUL stands for a bare CR.
            if (byte != 0) data[out++] = byte;
            state_ = State::Data;
            break;
        case State::AfterIac:
            state_ = State::Data;
            if (byte == IAC) {
                data[out++] = byte;
            } else if (byte >= WILL) {
                verb_ = byte;
                state_ = State::Option;
            } else if (byte == SB) {
                state_ = State::SubOption;
            }
            break;
        case State::Option:
            state_ = State::Data;
            HandleOption(verb_, byte);
            break;
        case State::SubOption:
            subOption_ = byte;
            subLength_ = 0;
            state_ = State::SubData;
            break;
        case State::SubData:
            if (byte == IAC) {
                state_ = State::SubIac;
            } else {
                AppendSub(byte);
            }
            break;
        case State::SubIac:
            if (byte == SE) {
                state_ = State::Data;
                HandleSubnegotiation();
            } else {
                AppendSub(IAC);
                AppendSub(byte);
                state_ = State::SubData;
            }
            break;
        }
    }
    return out;
}

void TelnetProtocol::HandleOption(uint8_t verb, uint8_t option) {
    if (verb < WILL) return;
    if (settings_.GetNumber(P::CaptureDebug)) {
        char note[24];
        std::snprintf(note, sizeof note, "<OP %d %d>", verb, option);
        peer_.Capture(note);
    }
    for (const OptionEntry& entry : kOptions) {
        if (entry.option == option) {
            (this->*entry.handler)(verb, option);
            return;
        }
    }
    HandleOther(verb, option);
}

void TelnetProtocol::SetBinary(bool on) {
    if (wantBinary_ == on) return;
    wantBinary_ = on;
    // Only what differs from the wish is asked for.
    const auto ask = [&](Agreement& agreement, uint8_t onVerb, uint8_t offVerb) {
        if (on && (agreement == Agreement::Off || agreement == Agreement::AskedOff)) {
            agreement = Agreement::AskedOn;
            Reply(onVerb, Binary);
        } else if (!on && (agreement == Agreement::On || agreement == Agreement::AskedOn)) {
            agreement = Agreement::AskedOff;
            Reply(offVerb, Binary);
        }
    };
    ask(receiveBinary_, DO, DONT);
    ask(sendBinary_, WILL, WONT);
}

void TelnetProtocol::HandleBinary(uint8_t verb, uint8_t) {
    if (verb == WILL || verb == WONT) {
        NegotiateBinary(receiveBinary_, verb == WILL, DO, DONT);
    } else {
        NegotiateBinary(sendBinary_, verb == DO, WILL, WONT);
    }
}

void TelnetProtocol::NegotiateBinary(Agreement& agreement, bool enable, uint8_t accept,
                                     uint8_t refuse) {
    const bool asked = agreement == Agreement::AskedOn || agreement == Agreement::AskedOff;
    if (enable) {
        if (agreement == Agreement::On) return;
        // Binary only while a transfer wants it; an answer to our request needs none.
        if (!wantBinary_) {
            if (agreement != Agreement::AskedOff) Reply(refuse, Binary);
            agreement = Agreement::Off;
            return;
        }
        if (!asked) Reply(accept, Binary);
        agreement = Agreement::On;
    } else {
        if (agreement == Agreement::Off) return;
        if (!asked) Reply(refuse, Binary);
        agreement = Agreement::Off;
    }
}

// DO and WONT: the terminal is to echo; DONT and WILL: the host echoes.
// A request that matches the current setting is answered once.
void TelnetProtocol::HandleEcho(uint8_t verb, uint8_t option) {
    const bool terminalEchoes = verb == DO || verb == WONT;
    const bool echoing = settings_.GetNumber(P::LocalEcho) != 0;
    if (echoing == terminalEchoes) {
        if (echoAnswered_) return;
        echoAnswered_ = true;
    } else {
        echoAnswered_ = false;
    }
    settings_.SetNumber(P::LocalEcho, terminalEchoes ? 1 : 0);
    Accept(verb, option);
}

void TelnetProtocol::HandleSuppressGoAhead(uint8_t verb, uint8_t option) {
    if ((verb != DO && verb != WILL) || sgaAnswered_) return;
    sgaAnswered_ = true;
    Accept(verb, option);
}

void TelnetProtocol::HandleTerminalType(uint8_t verb, uint8_t option) {
    if (verb == DO) Accept(verb, option);
}

void TelnetProtocol::HandleWindowSize(uint8_t verb, uint8_t option) {
    if (verb != DO) return;
    if (!settings_.GetNumber(P::SetHostSize)) {
        Refuse(verb, option);
        return;
    }
    Accept(verb, option);
    std::string reply{char(IAC), char(SB), char(WindowSize)};
    for (const int32_t value : {settings_.GetNumber(P::Columns), settings_.GetNumber(P::Lines)}) {
        const uint8_t size[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
        reply += EscapeOutput(size, 2);
    }
    reply += {char(IAC), char(SE)};
    peer_.SendToPeer(reply);
}

void TelnetProtocol::HandleOther(uint8_t verb, uint8_t option) {
    if (verb == DO || verb == WILL) Refuse(verb, option);
}

void TelnetProtocol::HandleSubnegotiation() {
    if (subOption_ != TerminalType) return;
    std::string reply{char(IAC), char(SB), char(TerminalType)};
    if (subLength_ > 0 && sub_[0] == Telnet::Send) {
        reply += char(Is);
        const std::string chosen = peer_.ChosenTerminalType();
        reply += chosen.empty() ? TerminalTypeName(settings_.GetNumber(P::TermID)) : chosen;
    }
    reply += {char(IAC), char(SE)};
    peer_.SendToPeer(reply);
}

void TelnetProtocol::Accept(uint8_t verb, uint8_t option) {
    static constexpr uint8_t kMirror[] = {DO, DONT, WILL, WONT}; // for WILL, WONT, DO, DONT
    Reply(kMirror[verb - WILL], option);
}

void TelnetProtocol::Refuse(uint8_t verb, uint8_t option) {
    Reply(verb == DO || verb == DONT ? WONT : DONT, option);
}

void TelnetProtocol::Reply(uint8_t verb, uint8_t option) {
    const char reply[3] = {char(IAC), char(verb), char(option)};
    peer_.SendToPeer(std::string_view(reply, sizeof reply));
}

void TelnetProtocol::AppendSub(uint8_t byte) {
    if (subLength_ < kSubnegotiationSize) sub_[subLength_++] = byte;
}

std::string TelnetProtocol::EscapeOutput(const uint8_t* bytes, size_t n) {
    std::string out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        out += char(bytes[i]);
        if (bytes[i] == IAC) out += char(IAC);
    }
    return out;
}

} // namespace tamsivane

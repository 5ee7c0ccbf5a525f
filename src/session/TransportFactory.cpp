#include "session/TransportFactory.h"

#include "config/ResourceStrings.h"
#include "session/AddressBookSession.h"
#include "transport/CLocalTransport.h"
#include "transport/CModemTransport.h"
#include "transport/CSerialTransport.h"
#include "transport/CShellTransport.h"
#include "transport/CSshTransport.h"
#include "transport/CTelnetTransport.h"

namespace tamsivane {
namespace {

struct TransportKind {
    TransportType type;
    std::unique_ptr<CTransport> (*make)(TransportHost& host);
    bool terminalLine; // the host reads through a terminal line of its own (a tty)
};

template <typename T>
std::unique_ptr<CTransport> Make(TransportHost& host) {
    return std::make_unique<T>(host);
}

constexpr TransportKind kTransportKinds[] = {
    {TransportType::Telnet, &Make<CTelnetTransport>, false},
    {TransportType::Serial, &Make<CSerialTransport>, false},
    {TransportType::Local, &Make<CLocalTransport>, false},
    {TransportType::Modem, &Make<CModemTransport>, false},
    {TransportType::Ssh2Entry, &Make<CSshTransport>, true},
    {TransportType::Shell, &Make<CShellTransport>, true},
    {TransportType::Ssh, &Make<CSshTransport>, true},
};

const TransportKind* KindOf(int32_t hostType) {
    for (const TransportKind& kind : kTransportKinds) {
        if (static_cast<int32_t>(kind.type) == hostType) return &kind;
    }
    return nullptr;
}

} // namespace

std::string NoTransportMessage(int32_t hostType) {
    if (hostType == kSsh1HostType) return std::string(ResourceString(Msg::ConnectionNotSupported));
    return FormatResource(Msg::NoTransportForHostType, {std::to_string(hostType)});
}

std::unique_ptr<CTransport> MakeTransport(int32_t hostType, TransportHost& host) {
    const TransportKind* kind = KindOf(hostType);
    return kind != nullptr ? kind->make(host) : nullptr;
}

bool IsTerminalLine(int32_t hostType) {
    const TransportKind* kind = KindOf(hostType);
    return kind != nullptr && kind->terminalLine;
}

} // namespace tamsivane

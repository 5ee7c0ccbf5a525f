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
};

template <typename T>
std::unique_ptr<CTransport> Make(TransportHost& host) {
    return std::make_unique<T>(host);
}

constexpr TransportKind kTransportKinds[] = {
    {TransportType::Telnet, &Make<CTelnetTransport>},
    {TransportType::Serial, &Make<CSerialTransport>},
    {TransportType::Local, &Make<CLocalTransport>},
    {TransportType::Modem, &Make<CModemTransport>},
    {TransportType::Ssh2Entry, &Make<CSshTransport>},
    {TransportType::Shell, &Make<CShellTransport>},
    {TransportType::Ssh, &Make<CSshTransport>},
};

} // namespace

std::string NoTransportMessage(int32_t hostType) {
    if (hostType == kSsh1HostType) return std::string(ResourceString(Msg::ConnectionNotSupported));
    return FormatResource(Msg::NoTransportForHostType, {std::to_string(hostType)});
}

std::unique_ptr<CTransport> MakeTransport(int32_t hostType, TransportHost& host) {
    for (const TransportKind& kind : kTransportKinds) {
        if (static_cast<int32_t>(kind.type) == hostType) return kind.make(host);
    }
    return nullptr;
}

} // namespace tamsivane

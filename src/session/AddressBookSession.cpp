#include "session/AddressBookSession.h"

#include "config/ResourceStrings.h"
#include "config/Templates.h"
#include "session/NewConnection.h"
#include "session/TelnetLink.h"
#include "transport/CSshTransport.h"
#include "transport/TransportHost.h"

namespace tamsivane {

bool ApplyAddressBookEntry(const AddressBookEntry& entry, const Templates& templates,
                           SettingsStore& settings, KeyMap& keys, UserNotifier& user) {
    const std::optional<AddressType> type = TypeOf(entry.type);
    if (!type) {
        user.Notify(Msg::ConnectionNotSupported);
        return false;
    }
    if (!entry.templateName.empty() && !templates.Load(entry.templateName, settings, keys)) {
        user.Notify(Msg::CannotLoadTemplate);
    }
    if (*type == AddressType::Modem) {
        settings.SetNumber(P::HostType, static_cast<int32_t>(TransportType::Modem));
        settings.SetString(P::HostName, entry.address);
    } else {
        const bool ssh = *type != AddressType::Telnet;
        const auto target =
            ParseTelnetLink(entry.address, ssh ? CSshTransport::kDefaultPort : kTelnetPort);
        if (!target) {
            const int message = entry.address.empty() ? Msg::NoHost : Msg::BadTelnetPort;
            user.ShowMessage(message, ResourceString(message));
            return false;
        }
        const int32_t hostType =
            *type == AddressType::Telnet ? static_cast<int32_t>(TransportType::Telnet)
            : *type == AddressType::Ssh1 ? kSsh1HostType
                                         : static_cast<int32_t>(TransportType::Ssh2Entry);
        settings.SetNumber(P::HostType, hostType);
        settings.SetString(P::HostName, target->host);
        settings.SetNumber(P::Port, target->port);
    }
    if (!entry.script.empty()) {
        settings.SetString(P::Script, entry.script);
        settings.SetNumber(P::LoginScript, 1);
    }
    return true;
}

} // namespace tamsivane

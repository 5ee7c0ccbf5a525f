#include "session/NewConnection.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "config/RecentList.h"
#include "config/ResourceStrings.h"
#include "transport/ServiceNames.h"

namespace tamsivane {
namespace {

constexpr const char* kSection = "Transport";

struct ConnectionType {
    const char* name;
    ConnectionKind kind;
};

// The type table; the dialog offers all but "Debug", with "Local" last.
constexpr ConnectionType kTypes[] = {
    {"Telnet", ConnectionKind::Telnet}, {"Serial", ConnectionKind::Serial},
    {"Local", ConnectionKind::Local},   {"Modem", ConnectionKind::Modem},
    {"Telnet Proxy", ConnectionKind::TelnetProxy}, {"Debug", ConnectionKind::Debug},
    {"Local Shell", ConnectionKind::LocalShell},   {"SSH", ConnectionKind::Ssh},
};

enum HostTypeValue : int32_t {
    kTelnet = 0,
    kSerial = 1,
    kLoopback = 2,
    kModem = 3,
    kDebug = 4,
    kShell = 7,
    kSsh = 8,
};

std::optional<int32_t> PositiveDecimal(std::string_view text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) {
            return c >= '0' && c <= '9';
        })) {
        return std::nullopt;
    }
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
    return value;
}

// A port text as a port number; nullopt when invalid or 0.
std::optional<int32_t> TelnetPort(std::string_view text) {
    const int port = PortFromText(text);
    return port > 0 ? std::optional<int32_t>(port) : std::nullopt;
}

std::optional<int> SetTelnet(const ConnectionEntries& e, bool proxy, SettingsStore& s) {
    if (proxy ? e.host.empty() || e.proxyHost.empty() : e.host.empty()) {
        return proxy ? Msg::NoProxyHost : Msg::NoHost;
    }
    const auto port = TelnetPort(e.port);
    const auto proxyPort = proxy ? TelnetPort(e.proxyPort) : std::optional<int32_t>(0);
    if (!port || !proxyPort) return Msg::BadTelnetPort;
    s.SetString(P::HostName, e.host);
    s.SetNumber(P::Port, *port);
    // A direct connection drops any proxy the template named.
    s.SetString(P::Proxy, proxy ? e.proxyHost : std::string());
    if (proxy) s.SetNumber(P::Speed, *proxyPort); // the proxy's port travels in Speed
    s.SetNumber(P::HostType, kTelnet);
    return std::nullopt;
}

std::optional<int> SetSerial(const ConnectionEntries& e, SettingsStore& s) {
    const auto port = ParseCommPort(e.commPort);
    if (!port) return Msg::BadCommPort;
    const auto speed = ParseBaudRate(e.baudRate);
    if (!speed) return Msg::BadBaudRate;
    s.SetNumber(P::Port, *port);
    s.SetNumber(P::Speed, *speed);
    s.SetNumber(P::StopBits, e.stopBits);
    s.SetNumber(P::Parity, e.parity);
    s.SetNumber(P::DataLength, e.dataBits + 6);
    s.SetNumber(P::FlowControl, e.flowControl);
    s.SetNumber(P::HostType, kSerial);
    return std::nullopt;
}

std::optional<int> SetModem(const ConnectionEntries& e, SettingsStore& s) {
    if (e.modem < 0) return Msg::NoModem;
    if (!IsValidPhoneNumber(e.phoneNumber)) return Msg::BadPhoneNumber;
    s.SetNumber(P::HostType, kModem);
    s.SetNumber(P::Port, e.modem);
    s.SetString(P::HostName, e.phoneNumber);
    return std::nullopt;
}

std::optional<int> SetSsh(const ConnectionEntries& e, SettingsStore& s) {
    if (e.sshHost.empty()) return Msg::NoHost;
    const auto port = TelnetPort(e.sshPort);
    if (!port) return Msg::BadSshPort;
    s.SetString(P::HostName, e.sshHost);
    s.SetNumber(P::Port, *port);
    s.SetString(P::SshUser, e.sshUser);
    s.SetNumber(P::HostType, kSsh);
    return std::nullopt;
}

// The entries the next New Connection dialog starts from.
void Remember(ConnectionKind kind, const ConnectionEntries& e, AppProfile& profile) {
    switch (kind) {
    case ConnectionKind::Telnet:
    case ConnectionKind::TelnetProxy:
        RecentHosts(profile).Add(e.host);
        profile.SetString(kSection, "TelnetPort", e.port);
        if (kind == ConnectionKind::TelnetProxy) {
            profile.SetString(kSection, "Proxy", e.proxyHost);
            profile.SetString(kSection, "ProxyPort", e.proxyPort);
        }
        break;
    case ConnectionKind::Serial:
        profile.SetString(kSection, "CommPort", e.commPort);
        profile.SetString(kSection, "BaudRate", e.baudRate);
        profile.SetInt(kSection, "DataLength", e.dataBits);
        profile.SetInt(kSection, "Parity", e.parity);
        profile.SetInt(kSection, "StopBits", e.stopBits);
        profile.SetInt(kSection, "FlowControl", e.flowControl);
        break;
    case ConnectionKind::Modem:
        profile.SetInt(kSection, "ModemID", e.modem);
        profile.SetString(kSection, "PhoneNum", e.phoneNumber);
        RecentPhoneNumbers(profile).Add(e.phoneNumber);
        break;
    case ConnectionKind::LocalShell:
        profile.SetString(kSection, "ShellCommand", e.shellCommand);
        break;
    case ConnectionKind::Ssh:
        RecentHosts(profile).Add(e.sshHost);
        profile.SetString(kSection, "SshPort", e.sshPort);
        profile.SetString(kSection, "SshUser", e.sshUser);
        break;
    case ConnectionKind::Local:
    case ConnectionKind::Debug:
        break;
    }
}

} // namespace

const std::vector<std::string>& OfferedConnectionTypes() {
    // New kinds go at the end, so that a stored "Type" keeps its meaning.
    static const std::vector<std::string> kOffered = {"Telnet", "Serial",      "Modem", "Telnet Proxy",
                                                      "Local",  "Local Shell", "SSH"};
    return kOffered;
}

std::optional<ConnectionKind> ConnectionKindByName(std::string_view name) {
    for (const ConnectionType& type : kTypes) {
        if (name == type.name) return type.kind;
    }
    return std::nullopt;
}

std::optional<int32_t> ParseBaudRate(std::string_view text) { return PositiveDecimal(text); }

std::optional<int32_t> ParseCommPort(std::string_view text) {
    if (text.size() < 4) return std::nullopt;
    std::string prefix(text.substr(0, 3));
    std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (prefix != "COM") return std::nullopt;
    const auto number = PositiveDecimal(text.substr(3));
    return number ? std::optional<int32_t>(*number - 1) : std::nullopt;
}

bool IsValidPhoneNumber(std::string_view text) {
    return text.find_first_not_of("0123456789,()-. ") == std::string_view::npos;
}

std::string ChosenTerminalName(const AppProfile& profile) {
    return profile.GetString(kSection, "TerminalName", "");
}

void SetChosenTerminalName(AppProfile& profile, std::string_view name) {
    if (name.empty()) {
        profile.Remove(kSection, "TerminalName");
    } else {
        profile.SetString(kSection, "TerminalName", name);
    }
}

ConnectionEntries LoadLastEntries(const AppProfile& profile) {
    ConnectionEntries e;
    e.type = profile.GetInt(kSection, "Type", e.type);
    e.port = profile.GetString(kSection, "TelnetPort", e.port);
    e.proxyHost = profile.GetString(kSection, "Proxy", "");
    e.proxyPort = profile.GetString(kSection, "ProxyPort", e.proxyPort);
    e.commPort = profile.GetString(kSection, "CommPort", e.commPort);
    e.baudRate = profile.GetString(kSection, "BaudRate", e.baudRate);
    // List indexes out of their lists fall back to the first entry.
    const auto index = [&](const char* name, int fallback, int count) {
        const int value = profile.GetInt(kSection, name, fallback);
        return value >= 0 && value < count ? value : 0;
    };
    e.dataBits = index("DataLength", e.dataBits, std::size(kDataBits));
    e.parity = index("Parity", 0, std::size(kParities));
    e.stopBits = index("StopBits", 0, std::size(kStopBits));
    e.flowControl = index("FlowControl", 0, std::size(kFlowControls));
    e.modem = std::max(0, profile.GetInt(kSection, "ModemID", 0));
    e.phoneNumber = profile.GetString(kSection, "PhoneNum", "");
    e.shellCommand = profile.GetString(kSection, "ShellCommand", "");
    e.sshPort = profile.GetString(kSection, "SshPort", e.sshPort);
    e.sshUser = profile.GetString(kSection, "SshUser", "");
    return e;
}

std::optional<int> SetConnection(ConnectionKind kind, const ConnectionEntries& e,
                                 SettingsStore& settings) {
    switch (kind) {
    case ConnectionKind::Telnet: return SetTelnet(e, false, settings);
    case ConnectionKind::TelnetProxy: return SetTelnet(e, true, settings);
    case ConnectionKind::Serial: return SetSerial(e, settings);
    case ConnectionKind::Modem: return SetModem(e, settings);
    case ConnectionKind::Local: settings.SetNumber(P::HostType, kLoopback); break;
    case ConnectionKind::Debug: settings.SetNumber(P::HostType, kDebug); break;
    case ConnectionKind::LocalShell:
        settings.SetString(P::HostName, e.shellCommand);
        settings.SetNumber(P::HostType, kShell);
        break;
    case ConnectionKind::Ssh: return SetSsh(e, settings);
    }
    return std::nullopt;
}

std::optional<int> ApplyConnection(const ConnectionEntries& e, SettingsStore& settings,
                                   AppProfile& profile) {
    const auto& offered = OfferedConnectionTypes();
    const bool chosen = e.type >= 0 && e.type < static_cast<int>(offered.size());
    if (chosen) {
        const ConnectionKind kind = *ConnectionKindByName(offered[e.type]);
        if (const std::optional<int> message = SetConnection(kind, e, settings)) return message;
        Remember(kind, e, profile);
    }
    profile.SetInt(kSection, "Type", chosen ? e.type : -1);
    return std::nullopt;
}

} // namespace tamsivane

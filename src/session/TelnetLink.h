// Telnet links as the shell and the command line pass them:
// "telnet://host:port/", "TELNET:host", "host:port", "[::1]:2323".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tamsivane {

inline constexpr int kTelnetPort = 23;

struct TelnetTarget {
    std::string host;
    int port = kTelnetPort;
};

// A port number from 1 to 65535 in decimal; nullopt for anything else.
std::optional<int> ParsePortNumber(std::string_view text);
// Whether text begins with "telnet:" in any letter case.
bool IsTelnetLink(std::string_view text);
// The host and port of a link ("telnet:" and "//" before it and one "/" after
// it are optional); nullopt for an empty host or a port that is not a
// number from 1 to 65535.  Without a port the link means defaultPort.
std::optional<TelnetTarget> ParseTelnetLink(std::string_view link, int defaultPort = kTelnetPort);

} // namespace tamsivane

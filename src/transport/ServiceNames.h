// Well-known service names for the Telnet port, as the connection pages show
// and read them.
#pragma once

#include <string>
#include <string_view>

namespace tamsivane {

// A service name (any case) or a decimal number; -1 for anything else,
// including numbers beyond 65535.
int PortFromText(std::string_view text);
// The service name of a port, or its number.
std::string PortToText(int port);

} // namespace tamsivane

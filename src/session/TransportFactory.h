// The transport each HostType value stands for.  A new kind of connection is
// one more row in the table of TransportFactory.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "transport/CTransport.h"

namespace tamsivane {

// Called under the session lock (a transport may read settings as it is made).
// nullptr for a HostType without a transport.
std::unique_ptr<CTransport> MakeTransport(int32_t hostType, TransportHost& host);
// Whether the host reads through a terminal line of its own (a local shell's
// pseudo-terminal, an SSH channel's), which turns a CR into a new line.
bool IsTerminalLine(int32_t hostType);
// What the user is told when HostType makes no transport: SSH1 (6) is not
// supported; other values name themselves.
std::string NoTransportMessage(int32_t hostType);

} // namespace tamsivane

// What PC keys do in a session, as `tamsivane-cli keys` prints it.
#pragma once

#include <string>

#include "keyboard/PcKeys.h"

namespace tamsivane {

class CVT420Doc;

// One press of the key in the session (its state follows, as for a typed
// key): the bytes sent in the user-string notation, "command N" for a
// posted command, "script" or "script file", "break", or "" for nothing.
// A key the key map leaves alone shows the character a U.S. keyboard types.
std::string DescribeKeyPress(CVT420Doc& session, const KeyCombination& press);

} // namespace tamsivane

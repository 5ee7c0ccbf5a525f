// The user this program runs as: names and folders from the environment,
// else from the password entry.
#pragma once

#include <string>

namespace tamsivane {

// HOME, else the password entry's folder; "" when neither says.
std::string HomeFolder();
// The login name of the password entry, else USER; "" when neither says.
std::string LoginName();
// SHELL, else the password entry's shell; "" when neither says.
std::string LoginShell();

} // namespace tamsivane

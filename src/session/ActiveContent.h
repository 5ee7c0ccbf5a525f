// What a session's settings would run by themselves or at a key press: the
// local command, the login script, host scripts with protected functions,
// scripts on keys and buttons.  A setup file from elsewhere is shown this
// before it is opened, and can be opened without it.
#pragma once

#include <string>
#include <vector>

#include "config/SettingsStore.h"
#include "keyboard/KeyMap.h"

namespace tamsivane {

struct ActiveContent {
    std::vector<std::string> items; // one line each, for the user; empty: nothing runs
    bool localCommand = false;      // connecting runs HostName as a local command
};

ActiveContent FindActiveContent(const SettingsStore& settings, const KeyMap& keys);

// Takes the scripts out: the login script off, no protected functions for
// host scripts, no script on a key or a button.  The local command is the
// connection itself: the caller opens such a session without connecting.
void RemoveScripts(SettingsStore& settings, KeyMap& keys);

} // namespace tamsivane

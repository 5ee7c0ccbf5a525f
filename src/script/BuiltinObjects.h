// The objects every script starts with: "term" (the session) and "sys" (the
// machine and the user).  A script the host started while HostScript is 0
// may use only waiting, reading the screen, sending, sleeping and the date;
// everything else raises 1091 with its name.
#pragma once

#include <memory>

#include "script/ScriptObject.h"

namespace tamsivane {

class CScript;

std::unique_ptr<CScriptObject> MakeTermObject(CScript& script);
std::unique_ptr<CScriptObject> MakeSysObject(CScript& script);

// Raises 1091 with the name when the script is restricted.
void CheckHostRestriction(CScript& script, const std::string& name);

} // namespace tamsivane

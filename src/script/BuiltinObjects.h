// The objects every script starts with: "term" (the session) and "sys" (the
// machine and the user).  A script the host started while HostScript is 0
// may use only waiting, reading the screen, sending, sleeping and the date;
// everything else raises 1091 with its name.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "script/ScriptError.h"
#include "script/ScriptObject.h"

namespace tamsivane {

class CScript;

std::unique_ptr<CScriptObject> MakeTermObject(CScript& script);
std::unique_ptr<CScriptObject> MakeSysObject(CScript& script);

// Raises 1091 with the name when the script is restricted.
void CheckHostRestriction(CScript& script, const std::string& name);

// A built-in object's table of methods by name.
template <typename Object>
struct MethodEntry {
    const char* name;
    CScriptValue (Object::*method)(const ScriptArgs&);
};

// Calls the method of that name from the table; 1051 for a name it lacks,
// 1091 for one the script may not use.
template <typename Object, size_t N>
void CallFromTable(CScript& script, Object& object, const MethodEntry<Object> (&table)[N],
                   const std::string& name, const std::vector<CScriptValue>& arguments,
                   CScriptValue& result) {
    for (const MethodEntry<Object>& entry : table) {
        if (name != entry.name) continue;
        CheckHostRestriction(script, name);
        result = (object.*entry.method)(ScriptArgs(arguments));
        return;
    }
    RaiseScriptError(ScriptErr::InvalidMethod, name);
}

} // namespace tamsivane

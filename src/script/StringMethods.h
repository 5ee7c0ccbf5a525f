// The methods of string values, called on a copy of the string.
#pragma once

#include <string>
#include <vector>

#include "script/ScriptValue.h"

namespace tamsivane {

// Left, Right, Mid, Find, MakeLower, MakeUpper, Trim; 1051 for other names.
CScriptValue CallStringMethod(const std::string& name, const std::string& text,
                              const std::vector<CScriptValue>& arguments);

} // namespace tamsivane

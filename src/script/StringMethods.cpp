#include "script/StringMethods.h"

#include <algorithm>

#include "script/ScriptError.h"
#include "script/ScriptObject.h"

namespace tamsivane {
namespace {

// A count or position from a script, cut to 0..limit.
size_t Clamp(int32_t value, size_t limit) {
    return value < 0 ? 0 : std::min(static_cast<size_t>(value), limit);
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

} // namespace

CScriptValue CallStringMethod(const std::string& name, const std::string& text,
                              const std::vector<CScriptValue>& arguments) {
    const ScriptArgs args(arguments);
    if (name == "Left")
        return CScriptValue::String(text.substr(0, Clamp(args.Number(0), text.size())));
    if (name == "Right") {
        const size_t count = Clamp(args.Number(0), text.size());
        return CScriptValue::String(text.substr(text.size() - count));
    }
    if (name == "Mid") {
        const size_t first = Clamp(args.Number(0), text.size());
        return CScriptValue::String(text.substr(first, Clamp(args.Number(1), text.size())));
    }
    if (name == "Find") {
        const std::string wanted = args.String(0);
        const int32_t start = args.Number(1, 0);
        if (start < 0 || static_cast<size_t>(start) > text.size()) return CScriptValue::Number(-1);
        const size_t at = text.find(wanted, static_cast<size_t>(start));
        return CScriptValue::Number(at == std::string::npos ? -1 : static_cast<int32_t>(at));
    }
    if (name == "MakeLower" || name == "MakeUpper") {
        std::string result = text;
        const bool upper = name == "MakeUpper";
        for (char& c : result) {
            if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        return CScriptValue::String(std::move(result));
    }
    if (name == "Trim") {
        size_t first = 0;
        size_t last = text.size();
        while (first < last && IsBlank(text[first])) ++first;
        while (last > first && IsBlank(text[last - 1])) --last;
        return CScriptValue::String(text.substr(first, last - first));
    }
    RaiseScriptError(ScriptErr::InvalidMethod, name);
}

} // namespace tamsivane

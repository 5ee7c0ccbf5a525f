// The built-in objects scripts reach through dotted names ("term", "sys",
// file objects), and the arguments their methods receive.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/ScriptValue.h"

namespace tamsivane {

class CScriptObject {
public:
    virtual ~CScriptObject() = default;
    // index: -1 where no subscript was written.  Objects without properties
    // leave the destination as it was.
    virtual void GetProperty(const std::string& name, CScriptValue& value, int index) {
        (void)name;
        (void)value;
        (void)index;
    }
    virtual void SetProperty(const std::string& name, const CScriptValue& value, int index);
    // Unknown names raise 1051 with the name.
    virtual void CallMethod(const std::string& name, std::vector<CScriptValue>& arguments,
                            CScriptValue& result) = 0;
};

// Conversions of single values; they raise 1100 for arrays and empty values,
// 1030 or 1031 for kinds that do not convert.
int32_t NumberOf(const CScriptValue& value);
std::string StringOf(const CScriptValue& value);
// Decimal conversion of a string's leading digits (white space and a sign
// allowed), clamped to 32 bits; 0 without digits.
int32_t NumberOfText(std::string_view text);

// The arguments of a built-in method, fetched by position: a missing
// required one raises 1020, a missing optional one gives the default.
class ScriptArgs {
public:
    explicit ScriptArgs(const std::vector<CScriptValue>& arguments) : arguments_(arguments) {}

    size_t Count() const { return arguments_.size(); }
    int32_t Number(size_t i) const { return NumberOf(Required(i)); }
    int32_t Number(size_t i, int32_t fallback) const {
        return i < arguments_.size() ? NumberOf(arguments_[i]) : fallback;
    }
    std::string String(size_t i) const { return StringOf(Required(i)); }
    std::string String(size_t i, std::string_view fallback) const {
        return i < arguments_.size() ? StringOf(arguments_[i]) : std::string(fallback);
    }
    // A function pointer, or nullptr when the argument is missing; 1021 for
    // another kind.
    CScriptFunction* OptionalFunction(size_t i) const;

private:
    const CScriptValue& Required(size_t i) const;

    const std::vector<CScriptValue>& arguments_;
};

} // namespace tamsivane

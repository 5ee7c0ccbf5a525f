#include "script/ScriptObject.h"

#include <limits>

#include "script/ScriptError.h"

namespace tamsivane {

void CScriptObject::SetProperty(const std::string& name, const CScriptValue&, int) {
    RaiseScriptError(ScriptErr::CannotSetProperty, name);
}

int32_t NumberOfText(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(kLimit, value * 10 + (text[i] - '0'));
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

int32_t NumberOf(const CScriptValue& value) {
    if (!value.IsSingle()) RaiseScriptError(ScriptErr::ArrayWithoutSubscript);
    if (value.Kind() == ValueKind::Number) return value.NumberAt();
    if (value.Kind() == ValueKind::String) return NumberOfText(value.StringAt());
    RaiseScriptError(ScriptErr::NumberRequired);
}

std::string StringOf(const CScriptValue& value) {
    if (!value.IsSingle()) RaiseScriptError(ScriptErr::ArrayWithoutSubscript);
    if (value.Kind() == ValueKind::String) return value.StringAt();
    if (value.Kind() == ValueKind::Number) return std::to_string(value.NumberAt());
    RaiseScriptError(ScriptErr::StringRequired);
}

const CScriptValue& ScriptArgs::Required(size_t i) const {
    if (i >= arguments_.size()) RaiseScriptError(ScriptErr::ParameterMissing);
    return arguments_[i];
}

CScriptFunction* ScriptArgs::OptionalFunction(size_t i) const {
    if (i >= arguments_.size()) return nullptr;
    const CScriptValue& value = arguments_[i];
    if (!value.IsSingle() || value.Kind() != ValueKind::Function) {
        RaiseScriptError(ScriptErr::IncompatibleParameter);
    }
    return value.FunctionAt();
}

} // namespace tamsivane

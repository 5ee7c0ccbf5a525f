#include "script/ScriptError.h"

#include <cstdio>

namespace tamsivane {
namespace {

struct ErrorEntry {
    int code;
    const char* message;
};

// Searched in order; the last row ends the table and answers unknown codes.
constexpr ErrorEntry kErrors[] = {
    {1001, "Invalid function name"},
    {1002, "Invalid parameter name"},
    {1010, "Invalid character"},
    {1011, "Unexpected character"},
    {1012, "Unexpected character near operator"},
    {1013, "Invalid symbol in expression"},
    {1020, "Required function parameter not supplied"},
    {1021, "Incompatible parameter type"},
    {1030, "Number value required"},
    {1031, "String value required"},
    {1032, "Object required"},
    {1033, "Function point required"},
    {1040, "Identifier name too long: maximum 64 characters"},
    {1050, "Invalid object type"},
    {1051, "Invalid method name"},
    {1052, "Invalid property name"},
    {1053, "Variable not found"},
    {1060, "Array subscription required"},
    {1061, "Array subscription invalid"},
    {1070, "Cannot assign value"},
    {1071, "Operation not supported"},
    {1072, "Value required"},
    {1081, "Cannot set property: invalid name or index"},
    {1082, "term.Get: invalid length"},
    {1083, "term.DoMenu: menu item not found"},
    {1090, "Cannot open file"},
    {1091, "Protected script function disabled"},
    {1092, "Invalid parameter(s)"},
    {1093, "Parameter number mismatch"},
    {1100, "Cannot access an array without subscription"},
    {1101, "Array subscription out of range"},
    {1102, "Cannot assign array into a variable"},
    {1103, "Array element type mismatch"},
    {0, "Other error"},
};

} // namespace

std::string_view ScriptErrorMessage(int code) {
    for (const ErrorEntry& entry : kErrors) {
        if (entry.code == code || entry.code == 0) return entry.message;
    }
    return {};
}

std::string CScriptException::Report() const {
    char head[64];
    std::snprintf(head, sizeof head, " (Line %d) : E%04d ", line_, code_);
    std::string text =
        "Script Error:\n\n" + scriptName_ + head + std::string(ScriptErrorMessage(code_));
    if (!detail_.empty()) text += ": \"" + detail_ + "\"";
    return text;
}

std::string CScriptException::CallbackReport() const {
    std::string text =
        "Script error in OnRecv routine: " + std::string(ScriptErrorMessage(code_)) + ".";
    if (!detail_.empty()) text += "\n====>\"" + detail_ + "\"";
    return text;
}

} // namespace tamsivane

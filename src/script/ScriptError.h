// Script errors: the numbered error table, the exception that ends a script
// and the texts the user sees for it.
#pragma once

#include <string>
#include <string_view>

namespace tamsivane {

namespace ScriptErr {
enum : int {
    Other = 0,
    InvalidFunctionName = 1001,
    InvalidParameterName = 1002,
    InvalidCharacter = 1010,
    UnexpectedCharacter = 1011,
    UnexpectedOperator = 1012,
    InvalidSymbol = 1013,
    ParameterMissing = 1020,
    IncompatibleParameter = 1021,
    NumberRequired = 1030,
    StringRequired = 1031,
    ObjectRequired = 1032,
    FunctionRequired = 1033,
    NameTooLong = 1040,
    InvalidObjectType = 1050,
    InvalidMethod = 1051,
    InvalidProperty = 1052,
    VariableNotFound = 1053,
    SubscriptRequired = 1060,
    SubscriptInvalid = 1061,
    CannotAssign = 1070,
    NotSupported = 1071,
    ValueRequired = 1072,
    CannotSetProperty = 1081,
    InvalidGetLength = 1082,
    MenuItemNotFound = 1083,
    SendFailed = 1084,
    CannotOpenFile = 1090,
    ProtectedFunction = 1091,
    InvalidParameters = 1092,
    ParameterCountMismatch = 1093,
    ArrayWithoutSubscript = 1100,
    SubscriptOutOfRange = 1101,
    ArrayIntoVariable = 1102,
    ElementTypeMismatch = 1103,
};
} // namespace ScriptErr

// The message of an error code; "Other error" for a code not in the table.
std::string_view ScriptErrorMessage(int code);

// Raised by the lexer, the parser, the interpreter and the built-ins.  The
// interpreter adds the script's name and statement line where it ends the
// script.
class CScriptException {
public:
    CScriptException(int code, std::string detail = {}) : code_(code), detail_(std::move(detail)) {}

    int Code() const { return code_; }
    const std::string& Detail() const { return detail_; }
    int Line() const { return line_; }
    const std::string& ScriptName() const { return scriptName_; }
    void SetOrigin(std::string scriptName, int line) {
        scriptName_ = std::move(scriptName);
        line_ = line;
    }

    // "Script Error:\n\n<name> (Line <n>) : E<code> <message>", with
    // ": \"<detail>\"" after it when there is a detail.
    std::string Report() const;
    // The text shown for an error in a wait callback, which does not end the
    // waiting script.
    std::string CallbackReport() const;

private:
    int code_;
    std::string detail_;
    int line_ = 0;
    std::string scriptName_;
};

// Thrown through the interpreter when the script is cancelled (its session
// closes) or its step budget is spent; it ends the script without a report.
struct ScriptCancelled {};

[[noreturn]] inline void RaiseScriptError(int code, std::string detail = {}) {
    throw CScriptException(code, std::move(detail));
}

} // namespace tamsivane

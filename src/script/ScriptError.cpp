#include "script/ScriptError.h"

#include "config/ResourceStrings.h"

namespace tamsivane {

std::string_view ScriptErrorMessage(int code) {
    constexpr int kFirst = 1001, kLast = 1199;
    const std::string_view text = code >= kFirst && code <= kLast
                                      ? ResourceString(Msg::ScriptErrors + code - 1000)
                                      : std::string_view{};
    return text.empty() ? ResourceString(Msg::ScriptErrors) : text;
}

std::string CScriptException::Report() const {
    std::string text = FormatResource(
        Msg::ScriptErrorReport,
        {scriptName_, std::to_string(line_), std::to_string(code_), ScriptErrorMessage(code_)});
    if (!detail_.empty()) text += FormatResource(Msg::ScriptErrorDetail, {detail_});
    return text;
}

std::string CScriptException::CallbackReport() const {
    std::string text = FormatResource(Msg::ScriptCallbackError, {ScriptErrorMessage(code_)});
    if (!detail_.empty()) text += FormatResource(Msg::ScriptCallbackDetail, {detail_});
    return text;
}

} // namespace tamsivane

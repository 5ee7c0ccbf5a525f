// "term": the session the script runs in.
#include <optional>

#include "config/ResourceStrings.h"
#include "script/BuiltinObjects.h"
#include "script/CScript.h"
#include "script/ScriptHost.h"
#include "script/WaitMatcher.h"

namespace tamsivane {
namespace {

using Clock = ScriptInput::Clock;

std::optional<Clock::time_point> DeadlineAfter(int32_t seconds) {
    if (seconds <= 0) return std::nullopt;
    return Clock::now() + std::chrono::seconds(seconds);
}

class CTermObject final : public CScriptObject {
public:
    explicit CTermObject(CScript& script) : script_(script), host_(script.Host()) {}

    void GetProperty(const std::string& name, CScriptValue& value, int index) override;
    void SetProperty(const std::string& name, const CScriptValue& value, int index) override;
    void CallMethod(const std::string& name, std::vector<CScriptValue>& arguments,
                    CScriptValue& result) override;

private:
    static const MethodEntry<CTermObject> kMethods[];

    CScriptValue Wait(const ScriptArgs& args);
    CScriptValue Get(const ScriptArgs& args);
    CScriptValue Send(const ScriptArgs& args);
    CScriptValue Screen(const ScriptArgs& args);
    CScriptValue DoMenu(const ScriptArgs& args);
    CScriptValue MapKey(const ScriptArgs& args);
    CScriptValue Clear(const ScriptArgs& args);
    CScriptValue SendLocal(const ScriptArgs& args);
    CScriptValue SendBreak(const ScriptArgs& args);
    CScriptValue Capture(const ScriptArgs& args);
    CScriptValue Disconnect(const ScriptArgs& args);
    CScriptValue UseTemplate(const ScriptArgs& args);
    CScriptValue SendZModem(const ScriptArgs& args);

    void RefuseInCallback(const char* method);
    void RunCallback(CScriptFunction& callback, char byte);

    CScript& script_;
    ScriptHost& host_;
};

const MethodEntry<CTermObject> CTermObject::kMethods[] = {
    {"Wait", &CTermObject::Wait},
    {"wait", &CTermObject::Wait},
    {"Get", &CTermObject::Get},
    {"Send", &CTermObject::Send},
    {"send", &CTermObject::Send},
    {"Screen", &CTermObject::Screen},
    {"DoMenu", &CTermObject::DoMenu},
    {"MapKey", &CTermObject::MapKey},
    {"Clear", &CTermObject::Clear},
    {"SendLocal", &CTermObject::SendLocal},
    {"SendBreak", &CTermObject::SendBreak},
    {"Capture", &CTermObject::Capture},
    {"Disconnect", &CTermObject::Disconnect},
    {"UseTemplate", &CTermObject::UseTemplate},
    {"SendZModem", &CTermObject::SendZModem},
};

void CTermObject::GetProperty(const std::string& name, CScriptValue& value, int index) {
    if (name == "CursorRow" || name == "CursorCol" || name == "Connected") {
        value = CScriptValue::Number(name == "CursorRow"   ? host_.CursorRow()
                                     : name == "CursorCol" ? host_.CursorColumn()
                                                           : (host_.Connected() ? 1 : 0));
        return;
    }
    CheckHostRestriction(script_, name);
    SettingValue setting;
    if (!host_.GetParameter(name, index, setting)) {
        RaiseScriptError(ScriptErr::CannotSetProperty, name);
    }
    value = setting.isString ? CScriptValue::String(std::move(setting.text))
                             : CScriptValue::Number(setting.number);
}

void CTermObject::SetProperty(const std::string& name, const CScriptValue& value, int index) {
    // A script never lifts its own restriction.
    if (name == "CursorRow" || name == "CursorCol" || name == "Connected" || name == "HostScript") {
        RaiseScriptError(ScriptErr::CannotSetProperty, name);
    }
    CheckHostRestriction(script_, name);
    SettingValue setting;
    if (!host_.GetParameter(name, index, setting)) {
        RaiseScriptError(ScriptErr::CannotSetProperty, name);
    }
    if (setting.isString) {
        setting.text = StringOf(value);
    } else {
        setting.number = NumberOf(value);
    }
    if (!host_.SetParameter(name, index, setting)) {
        RaiseScriptError(ScriptErr::CannotSetProperty, name);
    }
}

void CTermObject::CallMethod(const std::string& name, std::vector<CScriptValue>& arguments,
                             CScriptValue& result) {
    CallFromTable(script_, *this, kMethods, name, arguments, result);
}

void CTermObject::RefuseInCallback(const char* method) {
    // The callback runs inside a wait; a second wait there could never end.
    if (script_.InCallback()) {
        RaiseScriptError(ScriptErr::Other, std::string("term.") + method + " in a wait callback");
    }
}

void CTermObject::RunCallback(CScriptFunction& callback, char byte) {
    CScript::CallbackScope scope(script_);
    std::vector<CScriptValue> arguments;
    if (!callback.parameters.empty())
        arguments.push_back(CScriptValue::String(std::string(1, byte)));
    try {
        script_.CallFunction(callback, std::move(arguments), script_.GlobalFrame());
    } catch (const CScriptException& error) {
        // The callback's error ends only this call; the wait goes on.
        script_.Report(Msg::ScriptCallbackError, error.CallbackReport());
    }
}

CScriptValue CTermObject::Wait(const ScriptArgs& args) {
    RefuseInCallback("Wait");
    WaitMatcher matcher(args.String(0));
    const std::optional<Clock::time_point> deadline = DeadlineAfter(args.Number(1, 0));
    CScriptFunction* callback = args.OptionalFunction(2);
    for (;;) {
        uint8_t byte;
        switch (script_.Input().Take(byte, deadline)) {
        case ScriptInput::Taken::Cancelled:
            throw ScriptCancelled();
        case ScriptInput::Taken::TimedOut:
            return CScriptValue::String({});
        case ScriptInput::Taken::Byte:
            break;
        }
        if (callback) RunCallback(*callback, static_cast<char>(byte));
        if (const std::string* matched = matcher.Feed(static_cast<char>(byte))) {
            return CScriptValue::String(*matched);
        }
    }
}

CScriptValue CTermObject::Get(const ScriptArgs& args) {
    RefuseInCallback("Get");
    const int32_t count = args.Number(0);
    if (count < 1 || static_cast<size_t>(count) >= CScriptValue::kMaxStringLength) {
        RaiseScriptError(ScriptErr::InvalidGetLength);
    }
    const std::optional<Clock::time_point> deadline = DeadlineAfter(args.Number(1, 0));
    std::string text;
    while (text.size() < static_cast<size_t>(count)) {
        uint8_t byte;
        const ScriptInput::Taken taken = script_.Input().Take(byte, deadline);
        if (taken == ScriptInput::Taken::Cancelled) throw ScriptCancelled();
        if (taken == ScriptInput::Taken::TimedOut) break;
        text += static_cast<char>(byte);
    }
    return CScriptValue::String(std::move(text));
}

CScriptValue CTermObject::Send(const ScriptArgs& args) {
    ScriptInput& input = script_.Input();
    if (!host_.Send(args.String(0), [&input] { return input.Cancelled(); })) {
        if (input.Cancelled()) throw ScriptCancelled();
        RaiseScriptError(ScriptErr::SendFailed);
    }
    return CScriptValue::String({});
}

CScriptValue CTermObject::Screen(const ScriptArgs& args) {
    const int32_t top = args.Number(0), left = args.Number(1);
    const int32_t bottom = args.Number(2), right = args.Number(3);
    if (bottom < top || right < left) RaiseScriptError(ScriptErr::InvalidParameters, "Screen");
    return CScriptValue::String(host_.ScreenText(top, left, bottom, right));
}

CScriptValue CTermObject::DoMenu(const ScriptArgs& args) {
    const std::string path = args.String(0);
    if (!host_.DoMenu(path)) RaiseScriptError(ScriptErr::MenuItemNotFound, path);
    return {};
}

CScriptValue CTermObject::MapKey(const ScriptArgs& args) {
    const int32_t key = args.Number(0), modifiers = args.Number(1), action = args.Number(2);
    if (key < 1 || key > 255 || modifiers < 0 || modifiers > 7 || action < 0 || action > 255) {
        RaiseScriptError(ScriptErr::InvalidParameters, "MapKey");
    }
    host_.MapKey(key, modifiers, action, action >= 241 ? args.String(3) : std::string());
    return {};
}

CScriptValue CTermObject::Clear(const ScriptArgs&) {
    host_.ClearTerminal();
    return {};
}

CScriptValue CTermObject::SendLocal(const ScriptArgs& args) {
    host_.SendLocal(args.String(0));
    return CScriptValue::String({});
}

CScriptValue CTermObject::SendBreak(const ScriptArgs&) {
    host_.SendBreak();
    return {};
}

CScriptValue CTermObject::Capture(const ScriptArgs& args) {
    host_.Capture(args.String(0, ""), args.String(1, "w"));
    return {};
}

CScriptValue CTermObject::Disconnect(const ScriptArgs&) {
    host_.Disconnect();
    return {};
}

CScriptValue CTermObject::UseTemplate(const ScriptArgs&) { return {}; }

CScriptValue CTermObject::SendZModem(const ScriptArgs& args) {
    host_.SendZModem(args.String(0));
    return {};
}

} // namespace

std::unique_ptr<CScriptObject> MakeTermObject(CScript& script) {
    return std::make_unique<CTermObject>(script);
}

} // namespace tamsivane

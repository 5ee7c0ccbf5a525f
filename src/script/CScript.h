// One loaded script: its text, parser, global frame, functions and objects,
// and the interpreter that runs it statement by statement.  Run() executes
// the whole script on the calling thread; the session's script list gives
// each script a thread of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "script/ScriptError.h"
#include "script/ScriptInput.h"
#include "script/ScriptNodes.h"
#include "script/ScriptObject.h"
#include "script/ScriptParser.h"

namespace tamsivane {

class ScriptHost;

inline constexpr const char* kNoScriptName = "<No Name>";

// Who started a script: the user (a menu, a button, a login script) or the host.
enum class ScriptOrigin { User, Host };

class CScript {
public:
    // Deepest chain of script function calls.
    static constexpr int kMaxCallDepth = 256;
    // Deepest recursion of the interpreter over statements and expressions,
    // across calls; keeps the thread's stack bounded.
    static constexpr int kMaxEvaluationDepth = 4096;
    // Objects names (before the first ".") are shorter than this.
    static constexpr size_t kMaxObjectName = 64;
    // What the values of a script the host started may hold.
    static constexpr size_t kHostMemoryLimit = 8u << 20;

    enum class Outcome { Finished, Failed, Cancelled };

    // A script the host started may use only what HostScript allows.
    CScript(std::string source, std::string name, ScriptOrigin origin, ScriptHost& host);
    // Before Run: replaces the text (a script file read on the script's own
    // thread).
    void SetSource(std::string source) { source_ = std::move(source); }
    ~CScript();
    CScript(const CScript&) = delete;
    CScript& operator=(const CScript&) = delete;

    // Runs the script to its end on this thread.
    Outcome Run();
    // The error that ended the script (Outcome::Failed), with name and line.
    const std::optional<CScriptException>& Error() const { return error_; }

    // Any thread: the host's bytes and the request to stop.
    ScriptInput& Input() { return input_; }
    void Cancel() { input_.Cancel(); }
    // Ends the script as cancelled after this many statements and loop
    // rounds (0: no limit); for running untrusted text in tests.
    void SetStepBudget(uint64_t steps) { stepBudget_ = steps; }

    const std::string& Name() const { return name_; }
    bool FromHost() const { return fromHost_; }
    ScriptHost& Host() { return host_; }
    // A message about this script for the user; the host's scripts' go the
    // way of everything else the host's bytes cause.
    void Report(int stringId, std::string_view text);

    // For the built-ins, on the script thread.
    // Calls a script function with the arguments; parent: the frame its
    // lookups continue in (the caller's, or the global frame for callbacks).
    CScriptValue CallFunction(CScriptFunction& function, std::vector<CScriptValue> arguments,
                              ScriptFrame& parent);
    ScriptFrame& GlobalFrame() { return global_; }
    // Keeps an object until the script ends.
    CScriptObject* Adopt(std::unique_ptr<CScriptObject> object);
    // Whether a wait callback is running (a wait inside it is refused).
    bool InCallback() const { return callbackDepth_ > 0; }
    // Raises ScriptCancelled when the script is to stop.
    void CheckCancelled();

    class CallbackScope {
    public:
        explicit CallbackScope(CScript& script) : script_(script) { ++script_.callbackDepth_; }
        ~CallbackScope() { --script_.callbackDepth_; }
        CallbackScope(const CallbackScope&) = delete;
        CallbackScope& operator=(const CallbackScope&) = delete;

    private:
        CScript& script_;
    };

private:
    enum class Flow { Normal, Return, Break, Continue };
    class DepthGuard;

    void DefineFunction(std::unique_ptr<CScriptFunction> function);
    Flow Execute(const CScriptStatement& statement);
    CScriptValue Evaluate(const CScriptExpr& expression);
    CScriptValue EvaluateBinary(const CScriptExpr& expression);
    CScriptValue EvaluateCall(const CScriptExpr& expression);
    CScriptValue Assign(const CScriptExpr& expression);
    int SubscriptOf(const CScriptExpr& expression);
    CScriptValue* Find(std::string_view name);
    CScriptValue& Lookup(std::string_view name);
    CScriptValue Store(const std::string& name, const CScriptValue& value, int index);
    CScriptValue ReadDotted(const std::string& name, int index);
    CScriptObject& ObjectNamed(std::string_view name, int missingError);
    static std::string_view ObjectPart(std::string_view dottedName);

    std::string source_;
    std::string name_;
    bool fromHost_;
    ScriptHost& host_;
    ScriptInput input_;
    int statementLine_ = 1;
    std::unique_ptr<ScriptParser> parser_; // while running
    ScriptFrame global_;
    ScriptFrame* current_ = &global_;
    std::vector<std::unique_ptr<CScriptFunction>> functions_;
    std::vector<std::unique_ptr<CScriptObject>> objects_;
    std::optional<CScriptException> error_;
    int callDepth_ = 0;
    int evaluationDepth_ = 0;
    int callbackDepth_ = 0;
    uint64_t stepBudget_ = 0;
    uint64_t steps_ = 0;
};

} // namespace tamsivane

#include "script/CScript.h"

#include <exception>
#include <limits>
#include <new>

#include "config/ResourceStrings.h"
#include "script/BuiltinObjects.h"
#include "script/ScriptHost.h"
#include "script/StringMethods.h"

namespace tamsivane {
namespace {

bool IsDotted(std::string_view name) { return name.find('.') != std::string_view::npos; }

int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

[[noreturn]] void NotSupported(std::string detail = {}) {
    RaiseScriptError(ScriptErr::NotSupported, std::move(detail));
}

} // namespace

// Bounds the interpreter's recursion over statements and expressions.
class CScript::DepthGuard {
public:
    explicit DepthGuard(CScript& script) : depth_(script.evaluationDepth_) {
        if (++depth_ > kMaxEvaluationDepth) {
            --depth_;
            RaiseScriptError(
                ScriptErr::Other,
                FormatResource(Msg::EvaluationTooDeep, {std::to_string(kMaxEvaluationDepth)}));
        }
    }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

CScript::CScript(std::string source, std::string name, ScriptOrigin origin, ScriptHost& host)
    : source_(std::move(source)),
      name_(std::move(name)),
      fromHost_(origin == ScriptOrigin::Host),
      host_(host) {
    global_.variables["term"] = CScriptValue::Object(Adopt(MakeTermObject(*this)));
    global_.variables["sys"] = CScriptValue::Object(Adopt(MakeSysObject(*this)));
}

CScript::~CScript() = default;

CScriptObject* CScript::Adopt(std::unique_ptr<CScriptObject> object) {
    objects_.push_back(std::move(object));
    return objects_.back().get();
}

void CScript::Report(int stringId, std::string_view text) {
    if (fromHost_) {
        host_.ShowHostMessage(stringId, text);
    } else {
        host_.ShowMessage(text);
    }
}

void CScript::DefineFunction(std::unique_ptr<CScriptFunction> function) {
    global_.variables[function->name] = CScriptValue::Function(function.get());
    functions_.push_back(std::move(function));
}

void CScript::CheckCancelled() {
    if (input_.Cancelled() || (stepBudget_ != 0 && ++steps_ > stepBudget_)) {
        throw ScriptCancelled();
    }
}

CScript::Outcome CScript::Run() {
    // Everything the run makes goes before the count does.
    const ScriptMemory::Scope memory(fromHost_ ? kHostMemoryLimit : ScriptMemory::kLimit);
    Outcome outcome = Outcome::Finished;
    try {
        parser_ = std::make_unique<ScriptParser>(
            source_, [this](std::unique_ptr<CScriptFunction> f) { DefineFunction(std::move(f)); },
            statementLine_);
        parser_->Start();
        for (;;) {
            const std::unique_ptr<CScriptStatement> statement = parser_->NextStatement();
            if (Execute(*statement) != Flow::Normal) break;
        }
    } catch (CScriptException& error) {
        error.SetOrigin(name_, statementLine_);
        error_ = std::move(error);
        outcome = Outcome::Failed;
    } catch (const std::bad_alloc&) {
        error_ =
            CScriptException(ScriptErr::Other, std::string(ResourceString(Msg::ScriptOutOfMemory)));
        error_->SetOrigin(name_, statementLine_);
        outcome = Outcome::Failed;
    } catch (const ScriptCancelled&) {
        outcome = Outcome::Cancelled;
    }
    // Objects first: file objects close their files.
    global_.variables.clear();
    objects_.clear();
    functions_.clear();
    parser_.reset();
    return outcome;
}

// --- statements ---------------------------------------------------------------

CScript::Flow CScript::Execute(const CScriptStatement& statement) {
    DepthGuard guard(*this);
    statementLine_ = statement.line;
    CheckCancelled();
    using Kind = CScriptStatement::Kind;
    switch (statement.kind) {
    case Kind::Expression:
        Evaluate(*statement.expression);
        return Flow::Normal;
    case Kind::Block:
        for (const auto& inner : statement.block) {
            const Flow flow = Execute(*inner);
            if (flow != Flow::Normal) return flow;
        }
        return Flow::Normal;
    case Kind::If:
        if (NumberOf(Evaluate(*statement.expression)) != 0) return Execute(*statement.first);
        return statement.second ? Execute(*statement.second) : Flow::Normal;
    case Kind::While:
        for (;;) {
            CheckCancelled();
            if (NumberOf(Evaluate(*statement.expression)) == 0) return Flow::Normal;
            const Flow flow = Execute(*statement.first);
            if (flow == Flow::Return) return flow;
            if (flow == Flow::Break) return Flow::Normal;
        }
    case Kind::Return:
        if (statement.expression) current_->returnSlot = Evaluate(*statement.expression);
        return Flow::Return;
    case Kind::Break:
        return Flow::Break;
    case Kind::Continue:
        return Flow::Continue;
    case Kind::Function:
    case Kind::Switch:
    case Kind::Case:
        return Flow::Normal;
    }
    return Flow::Normal;
}

// --- expressions --------------------------------------------------------------

CScriptValue CScript::Evaluate(const CScriptExpr& expression) {
    DepthGuard guard(*this);
    using Kind = CScriptExpr::Kind;
    switch (expression.kind) {
    case Kind::Literal:
        return expression.value;
    case Kind::Variable: {
        if (IsDotted(expression.name)) return ReadDotted(expression.name, -1);
        const CScriptValue& value = Lookup(expression.name);
        if (!value.IsSingle()) RaiseScriptError(ScriptErr::ArrayWithoutSubscript, expression.name);
        return value;
    }
    case Kind::Subscript: {
        const int index = SubscriptOf(expression);
        if (IsDotted(expression.name)) return ReadDotted(expression.name, index);
        const CScriptValue& value = Lookup(expression.name);
        if (static_cast<size_t>(index) >= value.Size()) {
            RaiseScriptError(ScriptErr::SubscriptOutOfRange, expression.name);
        }
        return value.ElementValue(static_cast<size_t>(index));
    }
    case Kind::Call:
        return EvaluateCall(expression);
    case Kind::Binary:
        return EvaluateBinary(expression);
    }
    return {};
}

int CScript::SubscriptOf(const CScriptExpr& expression) {
    if (expression.arguments.size() != 1) {
        RaiseScriptError(ScriptErr::SubscriptRequired, expression.name);
    }
    const int32_t index = NumberOf(Evaluate(*expression.arguments[0]));
    // Arrays stop short of a million elements, so no subscript reaches that.
    if (index < 0 || static_cast<size_t>(index) >= CScriptValue::kMaxElements) {
        RaiseScriptError(ScriptErr::SubscriptInvalid, std::to_string(index));
    }
    return index;
}

CScriptValue CScript::EvaluateBinary(const CScriptExpr& expression) {
    const std::string& op = expression.name;
    if (op == "=") return Assign(expression);
    if (op == "&&" || op == "||") {
        const bool isAnd = op == "&&";
        const bool leftTrue = NumberOf(Evaluate(*expression.left)) != 0;
        if (leftTrue != isAnd) return CScriptValue::Number(isAnd ? 0 : 1);
        return CScriptValue::Number(NumberOf(Evaluate(*expression.right)));
    }
    const CScriptValue left = Evaluate(*expression.left);
    const CScriptValue right = Evaluate(*expression.right);
    if (op == "==" || op == "!=") {
        bool equal;
        if (left.IsSingle() && left.Kind() == ValueKind::Number) {
            equal = left.NumberAt() == NumberOf(right);
        } else if (left.IsSingle() && left.Kind() == ValueKind::String) {
            equal = left.StringAt() == StringOf(right);
        } else {
            NotSupported(op);
        }
        return CScriptValue::Number((op == "==") == equal ? 1 : 0);
    }
    if (op == "+") {
        if (left.IsSingle() && left.Kind() == ValueKind::String) {
            std::string text = left.StringAt();
            const std::string tail = StringOf(right);
            if (text.size() + tail.size() >= CScriptValue::kMaxStringLength) {
                NotSupported(FormatResource(
                    Msg::StringTooLong, {std::to_string(CScriptValue::kMaxStringLength >> 20)}));
            }
            return CScriptValue::String(text.append(tail));
        }
        if (!left.IsSingle() || left.Kind() != ValueKind::Number) NotSupported(op);
        return CScriptValue::Number(Wrap(int64_t{left.NumberAt()} + NumberOf(right)));
    }
    const int64_t a = NumberOf(left);
    const int64_t b = NumberOf(right);
    if (op == "<") return CScriptValue::Number(a < b);
    if (op == "<=") return CScriptValue::Number(a <= b);
    if (op == ">") return CScriptValue::Number(a > b);
    if (op == ">=") return CScriptValue::Number(a >= b);
    if (op == "-") return CScriptValue::Number(Wrap(a - b));
    if (op == "*") return CScriptValue::Number(Wrap(a * b));
    // "/" and "%": truncating, the remainder with the dividend's sign; the one
    // quotient that does not fit 32 bits is refused like a zero divisor.
    if (b == 0) NotSupported(std::string(ResourceString(Msg::DivisionByZero)));
    if (a == std::numeric_limits<int32_t>::min() && b == -1) {
        NotSupported(std::string(ResourceString(Msg::DivisionOverflow)));
    }
    return CScriptValue::Number(static_cast<int32_t>(op == "/" ? a / b : a % b));
}

CScriptValue CScript::Assign(const CScriptExpr& expression) {
    const CScriptValue value = Evaluate(*expression.right);
    const CScriptExpr& target = *expression.left;
    if (target.kind == CScriptExpr::Kind::Variable) return Store(target.name, value, -1);
    if (target.kind == CScriptExpr::Kind::Subscript) {
        return Store(target.name, value, SubscriptOf(target));
    }
    RaiseScriptError(ScriptErr::CannotAssign);
}

// --- variables ----------------------------------------------------------------

std::string_view CScript::ObjectPart(std::string_view dottedName) {
    const std::string_view object = dottedName.substr(0, dottedName.find('.'));
    if (object.size() >= kMaxObjectName) {
        RaiseScriptError(ScriptErr::NameTooLong, std::string(object));
    }
    return object;
}

CScriptValue* CScript::Find(std::string_view name) {
    for (ScriptFrame* frame = current_; frame; frame = frame->parent) {
        const auto found = frame->variables.find(name);
        if (found != frame->variables.end()) return &found->second;
    }
    return nullptr;
}

CScriptValue& CScript::Lookup(std::string_view name) {
    CScriptValue* value = Find(name);
    if (!value) RaiseScriptError(ScriptErr::VariableNotFound, std::string(name));
    return *value;
}

CScriptObject& CScript::ObjectNamed(std::string_view name, int missingError) {
    const CScriptValue* value = Find(name);
    if (!value || !value->IsSingle() || value->Kind() != ValueKind::Object || !value->ObjectAt()) {
        RaiseScriptError(missingError, std::string(name));
    }
    return *value->ObjectAt();
}

CScriptValue CScript::Store(const std::string& name, const CScriptValue& value, int index) {
    if (value.Kind() == ValueKind::Empty) RaiseScriptError(ScriptErr::ValueRequired, name);
    if (IsDotted(name)) {
        const std::string_view object = ObjectPart(name);
        if (!value.IsSingle()) RaiseScriptError(ScriptErr::ArrayWithoutSubscript, name);
        ObjectNamed(object, ScriptErr::ObjectRequired)
            .SetProperty(name.substr(object.size() + 1), value, index);
        return value;
    }
    CScriptValue* variable = Find(name);
    if (!variable) variable = &current_->variables[name];
    if (index < 0) {
        if (!value.IsSingle()) RaiseScriptError(ScriptErr::ArrayWithoutSubscript, name);
        *variable = value;
        return value;
    }
    const ValueKind kind = variable->Size() == 0 ? value.Kind() : variable->Kind();
    CScriptValue::Element element;
    if (kind == ValueKind::String) {
        element = StringOf(value);
    } else if (kind == ValueKind::Number) {
        element = NumberOf(value);
    } else {
        if (value.Kind() != kind) RaiseScriptError(ScriptErr::ElementTypeMismatch, name);
        if (!value.IsSingle()) RaiseScriptError(ScriptErr::ArrayWithoutSubscript, name);
        element = value.At(0);
    }
    variable->SetElement(static_cast<size_t>(index), kind, std::move(element));
    return variable->ElementValue(static_cast<size_t>(index));
}

CScriptValue CScript::ReadDotted(const std::string& name, int index) {
    const std::string_view object = ObjectPart(name);
    const std::string property = name.substr(object.size() + 1);
    const CScriptValue& holder = Lookup(object);
    if (holder.IsSingle() && holder.Kind() == ValueKind::String) {
        if (property != "Length") RaiseScriptError(ScriptErr::InvalidProperty, property);
        return CScriptValue::Number(static_cast<int32_t>(holder.StringAt().size()));
    }
    if (!holder.IsSingle() || holder.Kind() != ValueKind::Object || !holder.ObjectAt()) {
        RaiseScriptError(ScriptErr::ObjectRequired, name);
    }
    CScriptValue result;
    holder.ObjectAt()->GetProperty(property, result, index);
    return result;
}

// --- calls --------------------------------------------------------------------

CScriptValue CScript::EvaluateCall(const CScriptExpr& expression) {
    std::vector<CScriptValue> arguments;
    arguments.reserve(expression.arguments.size());
    for (const auto& argument : expression.arguments) arguments.push_back(Evaluate(*argument));
    const std::string& name = expression.name;
    CScriptValue result;
    if (!IsDotted(name)) {
        const CScriptValue* value = Find(name);
        if (value && value->IsSingle() && value->Kind() == ValueKind::Function &&
            value->FunctionAt()) {
            return CallFunction(*value->FunctionAt(), std::move(arguments), *current_);
        }
        const bool toTerm = name == "wait" || name == "send";
        ObjectNamed(toTerm ? "term" : "sys", ScriptErr::InvalidObjectType)
            .CallMethod(name, arguments, result);
        return result;
    }
    const std::string_view object = ObjectPart(name);
    const std::string method = name.substr(object.size() + 1);
    const CScriptValue& holder = Lookup(object);
    if (!holder.IsSingle()) RaiseScriptError(ScriptErr::ArrayWithoutSubscript, std::string(object));
    if (holder.Kind() == ValueKind::String) {
        return CallStringMethod(method, holder.StringAt(), arguments);
    }
    if (holder.Kind() != ValueKind::Object || !holder.ObjectAt()) {
        RaiseScriptError(ScriptErr::InvalidObjectType, std::string(object));
    }
    holder.ObjectAt()->CallMethod(method, arguments, result);
    return result;
}

CScriptValue CScript::CallFunction(CScriptFunction& function, std::vector<CScriptValue> arguments,
                                   ScriptFrame& parent) {
    if (arguments.size() != function.parameters.size()) {
        RaiseScriptError(ScriptErr::ParameterCountMismatch, function.name);
    }
    if (callDepth_ >= kMaxCallDepth) {
        RaiseScriptError(ScriptErr::Other,
                         FormatResource(Msg::CallsTooDeep, {std::to_string(kMaxCallDepth)}));
    }
    for (const CScriptValue& argument : arguments) {
        if (argument.Kind() == ValueKind::Empty)
            RaiseScriptError(ScriptErr::ValueRequired, function.name);
        if (!argument.IsSingle()) RaiseScriptError(ScriptErr::ArrayWithoutSubscript, function.name);
    }
    // A function that is running already (recursion) gets a fresh frame, so
    // that this activation does not overwrite the other's variables.
    std::unique_ptr<ScriptFrame> fresh;
    ScriptFrame* frame = &function.frame;
    if (function.activations > 0) {
        fresh = std::make_unique<ScriptFrame>();
        frame = fresh.get();
    }
    for (size_t i = 0; i < arguments.size(); ++i) {
        frame->variables[function.parameters[i]] = std::move(arguments[i]);
    }
    frame->parent = &parent;
    frame->returnSlot = CScriptValue();

    struct Activation {
        CScript& script;
        CScriptFunction& function;
        ScriptFrame* caller;
        int line;
        int unwinding = std::uncaught_exceptions();
        ~Activation() {
            --function.activations;
            --script.callDepth_;
            script.current_ = caller;
            // An error keeps the line of the statement that raised it.
            if (std::uncaught_exceptions() == unwinding) script.statementLine_ = line;
        }
    } activation{*this, function, current_, statementLine_};
    ++function.activations;
    ++callDepth_;
    current_ = frame;
    Execute(*function.body);
    return std::move(frame->returnSlot);
}

} // namespace tamsivane

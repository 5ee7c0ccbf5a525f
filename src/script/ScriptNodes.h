// The trees the parser builds: statements, expressions and script functions.
// A node owns its sub-nodes.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "script/ScriptValue.h"

namespace tamsivane {

struct CScriptExpr {
    enum class Kind : uint8_t { Literal, Variable, Binary, Call, Subscript };

    Kind kind = Kind::Literal;
    // Variable, function or method name, or the operator.
    std::string name;
    // Call arguments or subscripts.
    std::vector<std::unique_ptr<CScriptExpr>> arguments;
    std::unique_ptr<CScriptExpr> left;
    std::unique_ptr<CScriptExpr> right;
    // A literal's value.
    CScriptValue value;
    // Nodes on the longest path down from this one, itself included.
    int depth = 1;
};

struct CScriptStatement {
    enum class Kind : uint8_t {
        Expression,
        Block,
        If,
        While,
        Function,
        Return,
        Break,
        Continue,
        Switch,
        Case
    };

    Kind kind = Kind::Expression;
    int line = 1;
    // Expression statement, return value, or if/while condition.
    std::unique_ptr<CScriptExpr> expression;
    // Then-branch or loop body, and the else-branch.
    std::unique_ptr<CScriptStatement> first;
    std::unique_ptr<CScriptStatement> second;
    std::vector<std::unique_ptr<CScriptStatement>> block;
};

// Variables of one activation.  Lookups walk the parent chain, which always
// ends at the global frame.
struct ScriptFrame {
    std::map<std::string, CScriptValue, std::less<>> variables;
    ScriptFrame* parent = nullptr;
    CScriptValue returnSlot;
};

// A function of the script.  Its own frame keeps its variables from one call
// to the next; a call while it is already running (recursion) gets a fresh
// frame for that activation.
class CScriptFunction {
public:
    std::string name;
    std::vector<std::string> parameters;
    std::unique_ptr<CScriptStatement> body;
    ScriptFrame frame;
    int activations = 0;
};

} // namespace tamsivane

// Parses script text one top-level statement at a time.  A function
// definition is handed to the script as soon as it is read.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "script/ScriptLexer.h"
#include "script/ScriptNodes.h"

namespace tamsivane {

class ScriptParser {
public:
    // Deepest nesting of statements and expressions.
    static constexpr int kMaxNesting = 256;

    using FunctionSink = std::function<void(std::unique_ptr<CScriptFunction>)>;

    // statementLine is set to the line of each statement as it starts.
    ScriptParser(std::string_view source, FunctionSink defineFunction, int& statementLine);

    // Reads the first token; raises its error.
    void Start();
    // The next top-level statement; at the end of the text a return without
    // expression.  Raises CScriptException on a syntax error.
    std::unique_ptr<CScriptStatement> NextStatement() { return ParseStatement(); }

private:
    class NestingGuard;

    void Advance() { token_ = lexer_.Next(); }
    bool AtPunctuation(char c) const {
        return token_.Is(TokenKind::Punctuation, std::string_view(&c, 1));
    }
    void Expect(char c);
    std::unique_ptr<CScriptStatement> ParseStatement();
    void ParseFunction();
    std::unique_ptr<CScriptExpr> ParseExpression(int minimumStrength);
    std::unique_ptr<CScriptExpr> ParseOperand();
    void ParseList(CScriptExpr& node, char close);
    static void CheckDepth(const CScriptExpr& node);

    ScriptLexer lexer_;
    ScriptToken token_;
    FunctionSink defineFunction_;
    int& statementLine_;
    int nesting_ = 0;
};

} // namespace tamsivane

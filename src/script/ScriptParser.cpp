#include "script/ScriptParser.h"

#include <algorithm>
#include <charconv>

#include "config/ResourceStrings.h"
#include "script/ScriptError.h"

namespace tamsivane {
namespace {

// Binding strength of an operator; 0 for operator text that is none.
int Strength(std::string_view op) {
    if (op == "=") return 1;
    if (op == "||") return 2;
    if (op == "&&") return 3;
    if (op == "==" || op == "!=" || op == "<" || op == "<=" || op == ">" || op == ">=") return 4;
    if (op == "+" || op == "-") return 5;
    if (op == "*" || op == "/" || op == "%") return 6;
    return 0;
}

[[noreturn]] void NestingTooDeep() {
    RaiseScriptError(ScriptErr::Other, FormatResource(Msg::NestingTooDeep,
                                                      {std::to_string(ScriptParser::kMaxNesting)}));
}

} // namespace

// Bounds the parser's recursion, so that deeply nested text is an error
// rather than a stack overflow.
class ScriptParser::NestingGuard {
public:
    explicit NestingGuard(int& nesting) : nesting_(nesting) {
        if (++nesting_ > kMaxNesting) {
            --nesting_;
            NestingTooDeep();
        }
    }
    ~NestingGuard() { --nesting_; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    int& nesting_;
};

ScriptParser::ScriptParser(std::string_view source, FunctionSink defineFunction, int& statementLine)
    : lexer_(source), defineFunction_(std::move(defineFunction)), statementLine_(statementLine) {}

void ScriptParser::Start() { Advance(); }

void ScriptParser::Expect(char c) {
    if (!AtPunctuation(c)) RaiseScriptError(ScriptErr::UnexpectedCharacter, std::string(1, c));
    Advance();
}

void ScriptParser::CheckDepth(const CScriptExpr& node) {
    if (node.depth > kMaxNesting) NestingTooDeep();
}

std::unique_ptr<CScriptStatement> ScriptParser::ParseStatement() {
    NestingGuard guard(nesting_);
    statementLine_ = lexer_.Line();
    auto statement = std::make_unique<CScriptStatement>();
    statement->line = statementLine_;
    using Kind = CScriptStatement::Kind;

    if (token_.kind == TokenKind::End) {
        statement->kind = Kind::Return;
        return statement;
    }
    if (token_.kind == TokenKind::Keyword) {
        const std::string keyword = token_.text;
        if (keyword == "if" || keyword == "while") {
            statement->kind = keyword == "if" ? Kind::If : Kind::While;
            Advance();
            Expect('(');
            statement->expression = ParseExpression(0);
            Expect(')');
            statement->first = ParseStatement();
            if (statement->kind == Kind::If && token_.Is(TokenKind::Keyword, "else")) {
                Advance();
                statement->second = ParseStatement();
            }
        } else if (keyword == "function") {
            statement->kind = Kind::Function;
            ParseFunction();
        } else if (keyword == "return") {
            statement->kind = Kind::Return;
            Advance();
            if (!AtPunctuation(';')) statement->expression = ParseExpression(0);
            Expect(';');
        } else if (keyword == "else") {
            // An else without its if.
            RaiseScriptError(ScriptErr::InvalidSymbol, keyword);
        } else {
            statement->kind = keyword == "break"      ? Kind::Break
                              : keyword == "continue" ? Kind::Continue
                              : keyword == "switch"   ? Kind::Switch
                                                      : Kind::Case;
            Advance();
            Expect(';');
        }
        return statement;
    }
    if (AtPunctuation('{')) {
        statement->kind = Kind::Block;
        Advance();
        while (!AtPunctuation('}')) {
            // The end of the text inside a block is an error, not an endless
            // run of returns.
            if (token_.kind == TokenKind::End) {
                RaiseScriptError(ScriptErr::UnexpectedCharacter, "}");
            }
            statement->block.push_back(ParseStatement());
        }
        Advance();
        return statement;
    }
    statement->expression = ParseExpression(0);
    Expect(';');
    return statement;
}

void ScriptParser::ParseFunction() {
    Advance();
    if (token_.kind != TokenKind::Identifier) {
        RaiseScriptError(ScriptErr::InvalidFunctionName, token_.text);
    }
    auto function = std::make_unique<CScriptFunction>();
    function->name = token_.text;
    Advance();
    Expect('(');
    while (!AtPunctuation(')')) {
        if (token_.kind != TokenKind::Identifier) {
            RaiseScriptError(ScriptErr::InvalidParameterName, token_.text);
        }
        function->parameters.push_back(token_.text);
        function->frame.variables[token_.text] = CScriptValue();
        Advance();
        if (AtPunctuation(',')) Advance();
    }
    Advance();
    function->body = ParseStatement();
    defineFunction_(std::move(function));
}

std::unique_ptr<CScriptExpr> ScriptParser::ParseExpression(int minimumStrength) {
    NestingGuard guard(nesting_);
    std::unique_ptr<CScriptExpr> left = ParseOperand();
    while (token_.kind == TokenKind::Operator) {
        const int strength = Strength(token_.text);
        if (strength == 0) RaiseScriptError(ScriptErr::UnexpectedOperator, token_.text);
        if (strength <= minimumStrength) break;
        auto node = std::make_unique<CScriptExpr>();
        node->kind = CScriptExpr::Kind::Binary;
        node->name = token_.text;
        Advance();
        node->left = std::move(left);
        node->right = ParseExpression(strength);
        node->depth = 1 + std::max(node->left->depth, node->right->depth);
        CheckDepth(*node);
        left = std::move(node);
    }
    return left;
}

void ScriptParser::ParseList(CScriptExpr& node, char close) {
    Advance();
    while (!AtPunctuation(close)) {
        if (token_.kind == TokenKind::End) {
            RaiseScriptError(ScriptErr::UnexpectedCharacter, std::string(1, close));
        }
        node.arguments.push_back(ParseExpression(0));
        node.depth = std::max(node.depth, 1 + node.arguments.back()->depth);
        if (AtPunctuation(',')) Advance();
    }
    Advance();
    CheckDepth(node);
}

std::unique_ptr<CScriptExpr> ScriptParser::ParseOperand() {
    auto node = std::make_unique<CScriptExpr>();
    using Kind = CScriptExpr::Kind;
    switch (token_.kind) {
    case TokenKind::Identifier:
        node->name = token_.text;
        Advance();
        if (AtPunctuation('(')) {
            node->kind = Kind::Call;
            ParseList(*node, ')');
        } else if (AtPunctuation('[')) {
            node->kind = Kind::Subscript;
            ParseList(*node, ']');
        } else {
            node->kind = Kind::Variable;
        }
        return node;
    case TokenKind::Number: {
        int32_t number = 0;
        const std::string& digits = token_.text;
        const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (result.ec != std::errc()) RaiseScriptError(ScriptErr::InvalidSymbol, digits);
        node->value = CScriptValue::Number(number);
        Advance();
        return node;
    }
    case TokenKind::String:
        node->value = CScriptValue::String(std::move(token_.text));
        Advance();
        return node;
    case TokenKind::Punctuation:
        if (token_.text == "(") {
            Advance();
            node = ParseExpression(0);
            Expect(')');
            return node;
        }
        RaiseScriptError(ScriptErr::UnexpectedCharacter, token_.text);
    default:
        RaiseScriptError(ScriptErr::InvalidSymbol, token_.text);
    }
}

} // namespace tamsivane

#include "script/ScriptLexer.h"

#include <array>

#include "emulator/ControlNames.h"
#include "script/ScriptError.h"

namespace tamsivane {
namespace {

constexpr std::array<std::string_view, 9> kKeywords = {
    "if", "else", "while", "function", "return", "break", "continue", "switch", "case"};
constexpr std::string_view kPunctuation = "()[]{};,";
constexpr std::string_view kOperatorCharacters = "+-*/%=<>!&|";

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

ScriptLexer::ScriptLexer(std::string_view source) : source_(source.substr(0, source.find('\0'))) {}

void ScriptLexer::SkipBlanksAndComments() {
    for (;;) {
        char c = Peek();
        while (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (c == '\n') ++line_;
            ++position_;
            c = Peek();
        }
        if (c != '/' || Peek(1) != '/') return;
        while (position_ < source_.size() && source_[position_] != '\n' &&
               source_[position_] != '\r') {
            ++position_;
        }
    }
}

ScriptToken ScriptLexer::Next() {
    SkipBlanksAndComments();
    ScriptToken token;
    if (position_ >= source_.size()) return token;
    const char c = source_[position_];
    const size_t start = position_;
    if (IsLetter(c) || (c == '$' && (IsLetter(Peek(1)) || IsDigit(Peek(1))))) {
        if (c == '$') {
            ++position_;
            while (IsLetter(Peek()) || IsDigit(Peek())) ++position_;
            token.kind = TokenKind::Identifier;
            token.text = "term." + std::string(source_.substr(start + 1, position_ - start - 1));
            return token;
        }
        while (IsLetter(Peek()) || IsDigit(Peek()) || Peek() == '.') ++position_;
        token.text = std::string(source_.substr(start, position_ - start));
        token.kind = TokenKind::Identifier;
        for (std::string_view keyword : kKeywords) {
            if (token.text == keyword) token.kind = TokenKind::Keyword;
        }
        return token;
    }
    if (IsDigit(c)) {
        while (IsDigit(Peek())) ++position_;
        token.kind = TokenKind::Number;
        token.text = std::string(source_.substr(start, position_ - start));
        return token;
    }
    if (c == '"' || c == '\'') {
        // Nothing escapes the quote; an unclosed string runs to the end.
        const size_t close = source_.find(c, start + 1);
        const size_t end = close == std::string_view::npos ? source_.size() : close;
        const std::string_view raw = source_.substr(start + 1, end - start - 1);
        position_ = close == std::string_view::npos ? source_.size() : close + 1;
        token.kind = TokenKind::String;
        // A malformed "\x" escape keeps the text as written.
        if (!DecodeNotation(raw, token.text)) token.text = std::string(raw);
        return token;
    }
    if (kPunctuation.find(c) != std::string_view::npos) {
        ++position_;
        token.kind = TokenKind::Punctuation;
        token.text = std::string(1, c);
        return token;
    }
    if (kOperatorCharacters.find(c) != std::string_view::npos) {
        while (position_ < source_.size() &&
               kOperatorCharacters.find(source_[position_]) != std::string_view::npos) {
            ++position_;
        }
        token.kind = TokenKind::Operator;
        token.text = std::string(source_.substr(start, position_ - start));
        return token;
    }
    ++position_;
    RaiseScriptError(ScriptErr::InvalidCharacter, std::string(1, c));
}

} // namespace tamsivane

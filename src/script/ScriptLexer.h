// Turns script text into tokens.  The text ends at its end or at its first
// NUL; line numbers count LFs skipped between tokens.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamsivane {

enum class TokenKind : uint8_t { End, Number, String, Identifier, Keyword, Punctuation, Operator };

struct ScriptToken {
    TokenKind kind = TokenKind::End;
    // Identifiers, keywords, punctuation, operators and numbers: the text as
    // written ("$X" reads as "term.X"); strings: the decoded bytes.
    std::string text;

    bool Is(TokenKind k, std::string_view t) const { return kind == k && text == t; }
};

class ScriptLexer {
public:
    explicit ScriptLexer(std::string_view source);

    // Reads the next token; raises 1010 on a character no token starts with.
    ScriptToken Next();
    int Line() const { return line_; }

private:
    void SkipBlanksAndComments();
    char Peek(size_t ahead = 0) const {
        return position_ + ahead < source_.size() ? source_[position_ + ahead] : '\0';
    }

    std::string_view source_;
    size_t position_ = 0;
    int line_ = 1;
};

} // namespace tamsivane

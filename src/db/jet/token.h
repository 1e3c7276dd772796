// token.h --- the lexical pieces of a Jet SQL statement.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace db::jet {

enum class TokenKind {
    word,    // a bare name or keyword: select, FL_ID, Str
    name,    // a bracketed name: [year]
    text,    // a string literal, quotes removed: "abc", 'abc'
    integer, // 42
    real,    // 4.2, .5, 1e-3
    date,    // #5/31/2001#, already as "YYYY-MM-DD[ hh:mm:ss]"
    symbol,  // ( ) , . ; * + - / \ ^ & = <> < > <= >= ? !
    end,
};

struct Token {
    TokenKind kind = TokenKind::end;
    std::string text; // the word, name, literal value or symbol
    std::size_t pos = 0;

    bool is_symbol(const char* s) const { return kind == TokenKind::symbol && text == s; }
    // A bare word equal to the keyword, without regard to case.
    bool is_word(const char* keyword) const;
};

// Splits a statement into tokens. Throws db::SyntaxError naming the position of an
// unterminated literal or a character that belongs to no token.
std::vector<Token> tokenize(const std::string& statement);

} // namespace db::jet

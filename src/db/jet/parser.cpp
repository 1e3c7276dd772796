#include "db/jet/parser.h"

#include "db/db_error.h"
#include "db/text.h"

#include <algorithm>
#include <array>

namespace db::jet {
namespace {

constexpr int max_depth = 150; // deeper nesting is rejected, never a stack overflow

} // namespace

bool is_reserved_word(const std::string& w) {
    static const std::array<const char*, 36> words = {
        "select", "from",  "where", "group",   "having", "order",  "union",    "into", "in",
        "on",     "inner", "left",  "right",   "join",   "outer",  "as",       "and",  "or",
        "not",    "is",    "like",  "between", "set",    "values", "by",       "xor",  "eqv",
        "imp",    "mod",   "asc",   "desc",    "full",   "cross",  "distinct", "all",  "null"};
    return std::any_of(words.begin(), words.end(), [&](const char* k) { return iequals(w, k); });
}

Parser::Parser(const std::string& statement) : text_(statement), tokens_(tokenize(statement)) {}

Parser::DepthGuard::DepthGuard(Parser& p) : p_(p) {
    if (++p_.depth_ > max_depth) {
        --p_.depth_;
        p_.fail("statement nested too deeply");
    }
}

Statement Parser::statement() {
    try {
        return statement_body();
    } catch (const ExpressionTooDeep& e) {
        fail_at("expression nested too deeply", e.pos);
    }
}

Statement Parser::statement_body() {
    Statement result;
    const Token& t = peek();
    if (t.is_word("select") || t.is_symbol("("))
        result = select_statement();
    else if (t.is_word("insert"))
        result = insert_statement();
    else if (t.is_word("update"))
        result = update_statement();
    else if (t.is_word("delete"))
        result = delete_statement();
    else if (t.is_word("create"))
        result = create_statement();
    else if (t.is_word("alter"))
        result = alter_statement();
    else if (t.is_word("drop"))
        result = drop_statement();
    else if (t.kind == TokenKind::end)
        fail("empty statement");
    else
        fail("expected SELECT, INSERT, UPDATE, DELETE, CREATE, ALTER or DROP");
    while (accept_symbol(";")) {
    }
    if (peek().kind != TokenKind::end) fail("unexpected text after the end of the statement");
    return result;
}

const Token& Parser::peek(std::size_t ahead) const {
    return tokens_[std::min(i_ + ahead, tokens_.size() - 1)];
}

const Token& Parser::advance() {
    const Token& t = tokens_[i_];
    if (i_ + 1 < tokens_.size()) ++i_;
    return t;
}

bool Parser::accept_word(const char* keyword) {
    if (!peek().is_word(keyword)) return false;
    advance();
    return true;
}

bool Parser::accept_symbol(const char* symbol) {
    if (!peek().is_symbol(symbol)) return false;
    advance();
    return true;
}

void Parser::expect_word(const char* keyword) {
    if (!accept_word(keyword)) fail(std::string("expected ") + keyword);
}

void Parser::expect_symbol(const char* symbol) {
    if (!accept_symbol(symbol)) fail(std::string("expected '") + symbol + "'");
}

bool Parser::at_name() const {
    const Token& t = peek();
    return t.kind == TokenKind::name || (t.kind == TokenKind::word && !is_reserved_word(t.text));
}

std::string Parser::expect_name(const char* what) {
    if (!at_name()) fail(std::string("expected ") + what);
    return advance().text;
}

bool Parser::at_alias() const {
    return at_name();
}

std::string Parser::optional_alias() {
    if (accept_word("as")) {
        if (peek().kind == TokenKind::text) return advance().text;
        return expect_name("an alias");
    }
    if (at_alias()) return advance().text;
    return {};
}

void Parser::fail(const std::string& what) const {
    fail_at(what, peek().pos);
}

void Parser::fail_at(const std::string& what, std::size_t pos) const {
    throw SyntaxError(what, text_, pos);
}

Statement parse(const std::string& statement) {
    return Parser(statement).statement();
}

} // namespace db::jet

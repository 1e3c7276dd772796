// Expressions, by the operator precedence of the Jet expression service (lowest first):
// Imp, Eqv, Xor, Or, And, Not, comparisons (= <> < > <= >= Like Is In Between), &,
// + -, Mod, \, * /, unary -, ^.
#include "db/jet/parser.h"
#include "db/text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iterator>

namespace db::jet {
namespace {

std::shared_ptr<Expr> make(Expr::Kind kind, std::size_t pos, std::string text = {}) {
    auto e = std::make_shared<Expr>();
    e->kind = kind;
    e->pos = pos;
    e->text = std::move(text);
    return e;
}

ExprPtr binary(std::string op, ExprPtr a, ExprPtr b, std::size_t pos) {
    auto e = make(Expr::Kind::binary, pos, std::move(op));
    set_args(*e, {std::move(a), std::move(b)});
    return e;
}

// The logical operators below Not, lowest first.
constexpr std::array<const char*, 5> logical_levels = {"imp", "eqv", "xor", "or", "and"};

} // namespace

void set_args(Expr& e, std::vector<ExprPtr> args) {
    int deepest = 0;
    for (const auto& a : args) deepest = std::max(deepest, a->depth);
    if (deepest >= max_expression_depth) throw ExpressionTooDeep{e.pos};
    e.depth = deepest + 1;
    e.args = std::move(args);
}

ExprPtr Parser::expression() {
    DepthGuard guard(*this);
    return binary_level(0);
}

ExprPtr Parser::binary_level(int level) {
    if (level >= static_cast<int>(logical_levels.size())) return not_level();
    const char* op = logical_levels[static_cast<std::size_t>(level)];
    ExprPtr left = binary_level(level + 1);
    while (peek().is_word(op)) {
        const std::size_t pos = advance().pos;
        left = binary(op, left, binary_level(level + 1), pos);
    }
    return left;
}

ExprPtr Parser::not_level() {
    if (peek().is_word("not")) {
        DepthGuard guard(*this);
        const std::size_t pos = advance().pos;
        auto e = make(Expr::Kind::unary, pos, "not");
        set_args(*e, {not_level()});
        return e;
    }
    return comparison();
}

ExprPtr Parser::comparison() {
    ExprPtr left = concatenation();
    while (true) {
        const Token& t = peek();
        const std::size_t pos = t.pos;
        static const std::array<const char*, 7> ops = {"=", "<>", "<", ">", "<=", ">=", "!="};
        bool matched = false;
        for (const char* op : ops)
            if (t.is_symbol(op)) {
                advance();
                left = binary(std::string(op) == "!=" ? "<>" : op, left, concatenation(), pos);
                matched = true;
                break;
            }
        if (matched) continue;
        if (t.is_word("is")) {
            advance();
            auto e = make(Expr::Kind::is_null, pos);
            e->negated = accept_word("not");
            expect_word("null");
            set_args(*e, {left});
            left = e;
            continue;
        }
        const bool negated =
            t.is_word("not") &&
            (peek(1).is_word("like") || peek(1).is_word("in") || peek(1).is_word("between"));
        if (negated) advance();
        if (accept_word("like")) {
            auto e = binary("like", left, concatenation(), pos);
            if (!negated) {
                left = e;
            } else {
                auto n = make(Expr::Kind::unary, pos, "not");
                set_args(*n, {e});
                left = n;
            }
            continue;
        }
        if (accept_word("in")) {
            expect_symbol("(");
            if (peek().is_word("select")) {
                auto e = make(Expr::Kind::in_select, pos);
                e->negated = negated;
                set_args(*e, {left});
                e->subquery = select_statement();
                expect_symbol(")");
                left = e;
            } else {
                auto e = make(Expr::Kind::in_list, pos);
                e->negated = negated;
                set_args(*e, {left});
                for (auto& a : argument_list()) e->args.push_back(a);
                left = e;
            }
            continue;
        }
        if (accept_word("between")) {
            auto e = make(Expr::Kind::between, pos);
            e->negated = negated;
            ExprPtr low = concatenation();
            expect_word("and");
            set_args(*e, {left, low, concatenation()});
            left = e;
            continue;
        }
        if (negated) fail("expected LIKE, IN or BETWEEN after NOT");
        return left;
    }
}

ExprPtr Parser::concatenation() {
    return arithmetic(0);
}

// The operators between comparisons and signs, lowest first: &, + -, Mod, \, * /.
ExprPtr Parser::arithmetic(int level) {
    struct Level {
        const char* first;
        const char* second;
    };
    static constexpr Level levels[] = {
        {"&", nullptr}, {"+", "-"}, {"mod", nullptr}, {"\\", nullptr}, {"*", "/"}};
    if (level == static_cast<int>(std::size(levels))) return unary();
    const Level& ops = levels[level];
    const auto at_operator = [&] {
        const Token& t = peek();
        const auto is = [&](const char* op) {
            return op && (t.is_symbol(op) ||
                          (std::isalpha(static_cast<unsigned char>(op[0])) && t.is_word(op)));
        };
        return is(ops.first) || is(ops.second);
    };
    ExprPtr left = arithmetic(level + 1);
    while (at_operator()) {
        const Token& t = advance();
        left = binary(lower(t.text), left, arithmetic(level + 1), t.pos);
    }
    return left;
}

ExprPtr Parser::unary() {
    if (peek().is_symbol("-") || peek().is_symbol("+")) {
        DepthGuard guard(*this);
        const Token& t = advance();
        auto e = make(Expr::Kind::unary, t.pos, t.text);
        set_args(*e, {unary()});
        return e;
    }
    return power();
}

// ^ binds tighter than unary minus (-2^2 = -4) and groups to the left; its right
// operand may carry a sign of its own (2^-1).
ExprPtr Parser::power() {
    ExprPtr left = primary();
    while (peek().is_symbol("^")) {
        const std::size_t pos = advance().pos;
        ExprPtr right;
        if (peek().is_symbol("-") || peek().is_symbol("+")) {
            DepthGuard guard(*this);
            const Token& sign = advance();
            auto e = make(Expr::Kind::unary, sign.pos, sign.text);
            set_args(*e, {primary()});
            right = e;
        } else {
            right = primary();
        }
        left = binary("^", left, right, pos);
    }
    return left;
}

ExprPtr Parser::primary() {
    DepthGuard guard(*this);
    const Token& t = peek();
    switch (t.kind) {
    case TokenKind::integer:
        advance();
        return make(Expr::Kind::integer, t.pos, t.text);
    case TokenKind::real:
        advance();
        return make(Expr::Kind::real, t.pos, t.text);
    case TokenKind::text:
    case TokenKind::date:
        advance();
        return make(Expr::Kind::text, t.pos, t.text);
    case TokenKind::name:
        return name_or_call();
    case TokenKind::end:
        fail("unexpected end of the statement");
    case TokenKind::symbol:
        break;
    case TokenKind::word: {
        if (t.is_word("null")) return advance(), make(Expr::Kind::null, t.pos);
        if (t.is_word("true") || t.is_word("yes") || t.is_word("false") || t.is_word("no")) {
            auto e = make(Expr::Kind::boolean, t.pos);
            e->ival = (t.is_word("true") || t.is_word("yes")) ? -1 : 0;
            advance();
            return e;
        }
        if (t.is_word("exists") && peek(1).is_symbol("(")) {
            auto e = make(Expr::Kind::exists, advance().pos);
            expect_symbol("(");
            e->subquery = select_statement();
            expect_symbol(")");
            return e;
        }
        // Left( and Right( are functions, LEFT and RIGHT otherwise begin a join.
        if (is_reserved_word(t.text) && !peek(1).is_symbol("("))
            fail("unexpected word '" + t.text + "'");
        return name_or_call();
    }
    }
    if (t.is_symbol("(")) return parenthesised();
    if (t.is_symbol("?")) return advance(), make(Expr::Kind::parameter, t.pos);
    fail("unexpected '" + t.text + "'");
}

ExprPtr Parser::parenthesised() {
    const std::size_t pos = advance().pos; // (
    if (peek().is_word("select")) {
        auto e = make(Expr::Kind::subquery, pos);
        e->subquery = select_statement();
        expect_symbol(")");
        return e;
    }
    ExprPtr inner = expression();
    expect_symbol(")");
    return inner;
}

// A column (name, table.name, table.*, [t].[c], t!c) or a function call name(args).
ExprPtr Parser::name_or_call() {
    const Token& first = advance();
    if (first.kind == TokenKind::word && peek().is_symbol("(")) {
        auto e = make(Expr::Kind::call, first.pos, first.text);
        advance();
        if (peek().is_symbol("*") && peek(1).is_symbol(")")) {
            advance();
            advance();
            e->star = true;
            return e;
        }
        e->distinct = accept_word("distinct");
        if (accept_symbol(")")) return e;
        set_args(*e, argument_list());
        return e;
    }
    auto e = make(Expr::Kind::column, first.pos, first.text);
    if (peek().is_symbol(".") || peek().is_symbol("!")) {
        advance();
        e->qualifier = first.text;
        if (accept_symbol("*")) {
            e->text.assign(1, '*');
        } else {
            const Token& t = peek();
            if (t.kind != TokenKind::name && t.kind != TokenKind::word)
                fail("expected a column name after '" + first.text + ".'");
            e->text = advance().text;
        }
    }
    return e;
}

// The arguments after "(" up to and including ")".
std::vector<ExprPtr> Parser::argument_list() {
    std::vector<ExprPtr> args;
    do {
        args.push_back(expression());
    } while (accept_symbol(","));
    expect_symbol(")");
    return args;
}

} // namespace db::jet

// Expressions: Jet operators and functions written as SQLite, fully parenthesised.
#include "db/db_error.h"
#include "db/jet/emitter.h"
#include "db/text.h"
#include "db/value.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace db::jet {
namespace {

using K = Expr::Kind;

bool is_comparison_op(const std::string& op) {
    return op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=" ||
           op == "like";
}

bool is_logical_op(const std::string& op) {
    return op == "and" || op == "or" || op == "xor" || op == "eqv" || op == "imp";
}

// True when the expression yields a truth value (a comparison, Is Null, In, ...).
bool is_truth(const ExprPtr& e) {
    switch (e->kind) {
    case K::is_null:
    case K::in_list:
    case K::in_select:
    case K::between:
    case K::exists:
        return true;
    case K::binary:
        return is_comparison_op(e->text) || is_logical_op(e->text);
    case K::unary:
        return e->text == "not" && is_truth(e->args[0]);
    default:
        return false;
    }
}

// A Jet function: its SQLite name (empty for the special forms) and its arity.
struct FunctionInfo {
    const char* jet;
    const char* sqlite;
    int min_args, max_args;
    bool numeric; // always yields a number
};

constexpr FunctionInfo functions[] = {
    {"iif", "", 3, 3, false},
    {"nz", "", 1, 2, false},
    {"str", "jet_str", 1, 1, false},
    {"cstr", "jet_cstr", 1, 1, false},
    {"val", "jet_val", 1, 1, true},
    {"round", "jet_round", 1, 2, true},
    {"int", "jet_int", 1, 1, true},
    {"fix", "jet_fix", 1, 1, true},
    {"cint", "jet_cint", 1, 1, true},
    {"clng", "jet_clng", 1, 1, true},
    {"cdbl", "jet_cdbl", 1, 1, true},
    {"csng", "jet_cdbl", 1, 1, true},
    {"abs", "abs", 1, 1, true},
    {"sqr", "jet_sqr", 1, 1, true},
    {"left", "jet_left", 2, 2, false},
    {"right", "jet_right", 2, 2, false},
    {"mid", "jet_mid", 2, 3, false},
    {"len", "jet_len", 1, 1, true},
    {"trim", "jet_trim", 1, 1, false},
    {"ltrim", "jet_ltrim", 1, 1, false},
    {"rtrim", "jet_rtrim", 1, 1, false},
    {"ucase", "jet_ucase", 1, 1, false},
    {"lcase", "jet_lcase", 1, 1, false},
    {"instr", "jet_instr", 2, 4, true},
    {"exp", "exp", 1, 1, true},
    {"log", "ln", 1, 1, true},
    {"sgn", "sign", 1, 1, true},
    {"atn", "atan", 1, 1, true},
    {"sin", "sin", 1, 1, true},
    {"cos", "cos", 1, 1, true},
    {"tan", "tan", 1, 1, true},
    {"avg", "avg", 1, 1, true},
    {"sum", "sum", 1, 1, true},
    {"count", "count", 1, 1, true},
    {"min", "min", 1, 1, false},
    {"max", "max", 1, 1, false},
    {"stdev", "jet_stdev", 1, 1, true},
    {"stdevp", "jet_stdevp", 1, 1, true},
    {"var", "jet_var", 1, 1, true},
    {"varp", "jet_varp", 1, 1, true},
    {"first", "jet_first", 1, 1, false},
    {"last", "jet_last", 1, 1, false},
};

const FunctionInfo* find_function(std::string name) {
    name = lower(name);
    if (!name.empty() && name.back() == '$') name.pop_back(); // Left$, Mid$, Str$ ...
    for (const auto& f : functions)
        if (name == f.jet) return &f;
    return nullptr;
}

// The value of a number as written in a statement, whatever the locale. A number too
// small for a double is 0; one too large is an error.
double number_value(const std::string& text, bool& too_large) {
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    too_large = false;
    if (ec == std::errc::result_out_of_range) {
        const auto e = text.find_first_of("eE");
        const bool small = e != std::string::npos
                               ? text.find('-', e) != std::string::npos
                               : text.find_first_of("123456789") > text.find('.');
        if (small) return 0.0;
        too_large = true;
    }
    return v;
}

} // namespace

std::string quote_name(const std::string& name) {
    return quoted(name, '"');
}

std::string quote_text(const std::string& text) {
    return quoted(text, '\'');
}

void Emitter::fail(const std::string& what, std::size_t pos) const {
    throw SyntaxError(what, text_, pos);
}

// A comparison used as a value gives -1 or 0, as Jet stores it; in WHERE, ON, HAVING
// and IIf conditions it stays a comparison.
std::string Emitter::expr(const ExprPtr& e, Context ctx) {
    std::string s;
    switch (e->kind) {
    case K::null:
    case K::integer:
    case K::real:
    case K::text:
    case K::boolean:
        return literal(*e);
    case K::parameter:
        return "?";
    case K::column:
        return column(*e);
    case K::call:
        return call(*e);
    case K::binary:
        s = binary(*e);
        break;
    case K::unary:
        if (e->text == "not") {
            if (!is_truth(e->args[0])) return "jet_not(" + expr(e->args[0]) + ")";
            s = "(NOT " + condition(e->args[0]) + ")";
        } else {
            s = "(" + e->text + " " + expr(e->args[0]) + ")"; // "- -1", never "--"
        }
        break;
    case K::is_null:
        s = "(" + expr(e->args[0]) + (e->negated ? " IS NOT NULL)" : " IS NULL)");
        break;
    case K::in_list: {
        s = "(" + collated(e->args[0]) + (e->negated ? " NOT IN (" : " IN (");
        for (std::size_t i = 1; i < e->args.size(); ++i)
            s += (i > 1 ? ", " : "") + expr(e->args[i]);
        s += "))";
        break;
    }
    case K::in_select:
        s = "(" + collated(e->args[0]) + (e->negated ? " NOT IN (" : " IN (") +
            select(*e->subquery) + "))";
        break;
    case K::between: {
        // Jet accepts the bounds in either order.
        const std::string lo = expr(e->args[1]), hi = expr(e->args[2]);
        s = "(" + collated(e->args[0]) + (e->negated ? " NOT" : "") + " BETWEEN min(" + lo + ", " +
            hi + ") AND max(" + lo + ", " + hi + "))";
        break;
    }
    case K::subquery:
        return "(" + select(*e->subquery) + ")";
    case K::exists:
        s = "(EXISTS (" + select(*e->subquery) + "))";
        break;
    }
    if (ctx == Context::value && is_truth(e)) return "(-" + s + ")";
    return s;
}

std::string Emitter::literal(const Expr& e) {
    switch (e.kind) {
    case K::null:
        return "NULL";
    case K::boolean:
        return e.ival ? "-1" : "0";
    case K::text:
        return quote_text(e.text);
    case K::integer: {
        std::int64_t v = 0;
        auto [p, ec] = std::from_chars(e.text.data(), e.text.data() + e.text.size(), v);
        if (ec == std::errc() && p == e.text.data() + e.text.size()) return std::to_string(v);
        [[fallthrough]];
    }
    default: {
        bool too_large = false;
        const double v = number_value(e.text, too_large);
        if (too_large) fail("number out of range: " + e.text, e.pos);
        return format_number(v);
    }
    }
}

std::string Emitter::column(const Expr& e) {
    if (e.qualifier.empty()) {
        if (e.text == "*") return "*";
        // A name given to an earlier expression of the same select list stands for
        // that expression, unless a table of the query has a column of that name.
        auto a = aliases_.find(lower(e.text));
        if (a != aliases_.end() && !(scope_ && any_table_has(*scope_, e.text))) {
            auto inlined = a->second;
            aliases_.erase(a); // an alias never stands inside its own expression
            std::string s = "(" + expr(inlined) + ")";
            aliases_[lower(e.text)] = inlined;
            return s;
        }
        return quote_name(e.text);
    }
    return quote_name(e.qualifier) + "." + (e.text == "*" ? "*" : quote_name(e.text));
}

// Text compared without regard to case: a column brings its own collation; any other
// operand gets the case-insensitive one.
std::string Emitter::collated(const ExprPtr& e) {
    std::string s = expr(e);
    if (e->kind == K::column || e->kind == K::null || is_numeric(e)) return s;
    return "(" + s + " COLLATE NOCASE)";
}

std::string Emitter::comparison(const Expr& e) {
    const std::string op = e.text == "like" ? " LIKE " : " " + e.text + " ";
    const bool columns_only = e.args[0]->kind == K::column || e.args[1]->kind == K::column;
    const std::string left = columns_only ? expr(e.args[0]) : collated(e.args[0]);
    return "(" + left + op + expr(e.args[1]) + ")";
}

std::string Emitter::binary(const Expr& e) {
    const std::string& op = e.text;
    if (is_comparison_op(op)) return comparison(e);
    const ExprPtr& a = e.args[0];
    const ExprPtr& b = e.args[1];
    if (op == "and" || op == "or")
        return "(" + condition(a) + (op == "and" ? " AND " : " OR ") + condition(b) + ")";
    if (op == "xor") return "((" + condition(a) + ") <> (" + condition(b) + "))";
    if (op == "eqv") return "((" + condition(a) + ") = (" + condition(b) + "))";
    if (op == "imp") return "((NOT " + condition(a) + ") OR " + condition(b) + ")";
    if (op == "+") {
        if (is_numeric(a) && is_numeric(b)) return "(" + expr(a) + " + " + expr(b) + ")";
        return "jet_add(" + expr(a) + ", " + expr(b) + ")";
    }
    if (op == "-" || op == "*") return "(" + expr(a) + " " + op + " " + expr(b) + ")";
    if (op == "/") {
        // Division is always in floating point; a literal divisor other than 0 needs
        // no check for division by zero.
        const bool safe_divisor =
            (b->kind == K::integer || b->kind == K::real) && literal(*b) != "0";
        if (safe_divisor) return "(CAST(" + expr(a) + " AS REAL) / " + expr(b) + ")";
        return "jet_div(" + expr(a) + ", " + expr(b) + ")";
    }
    const char* fn = op == "\\"    ? "jet_intdiv"
                     : op == "mod" ? "jet_mod"
                     : op == "^"   ? "jet_pow"
                                   : "jet_cat";
    return std::string(fn) + "(" + expr(a) + ", " + expr(b) + ")";
}

std::string Emitter::call(const Expr& e) {
    const FunctionInfo* f = find_function(e.text);
    if (!f) fail("Undefined function '" + e.text + "' in expression", e.pos);
    if (e.star) {
        if (lower(e.text) != "count") fail("only Count accepts *", e.pos);
        return "count(*)";
    }
    const int n = static_cast<int>(e.args.size());
    if (n < f->min_args || n > f->max_args) fail("wrong number of arguments for " + e.text, e.pos);
    const std::string name = f->jet;
    if (name == "iif")
        return "(CASE WHEN " + condition(e.args[0]) + " THEN " + expr(e.args[1]) + " ELSE " +
               expr(e.args[2]) + " END)";
    if (name == "nz")
        return "ifnull(" + expr(e.args[0]) + ", " + (n == 2 ? expr(e.args[1]) : "''") + ")";
    std::string s = std::string(f->sqlite) + "(" + (e.distinct ? "DISTINCT " : "");
    for (int i = 0; i < n; ++i) s += (i ? ", " : "") + expr(e.args[static_cast<std::size_t>(i)]);
    return s + ")";
}

// Whether an expression certainly yields a number (or Null), so that + may add.
bool Emitter::is_numeric(const ExprPtr& e) const {
    switch (e->kind) {
    case K::integer:
    case K::real:
    case K::boolean:
        return true;
    case K::unary:
        return e->text != "not" ? is_numeric(e->args[0]) : true;
    case K::binary:
        if (e->text == "+") return is_numeric(e->args[0]) && is_numeric(e->args[1]);
        return e->text != "&";
    case K::call: {
        const FunctionInfo* f = find_function(e->text);
        return f && f->numeric;
    }
    default:
        return is_truth(e); // -1 or 0
    }
}

} // namespace db::jet

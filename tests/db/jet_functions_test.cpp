// The Jet runtime functions as SQLite sees them, and the number helpers of db::Value.
#include "db/jet_functions.h"
#include "db/shown_number.h"
#include "db/value.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace db {
// Failure messages show a value with its type.
void PrintTo(const Value& v, std::ostream* os) {
    const char* type = v.is_null()      ? "null"
                       : v.is_integer() ? "integer"
                       : v.is_real()    ? "real"
                                        : "text";
    *os << type << ' ' << v.to_sql_literal();
}
} // namespace db

namespace {

using db::Value;

// What a statement gave: its first value, or the engine's message.
struct Outcome {
    Value value;
    std::string error;
};

// An in-memory database carrying the Jet functions.
class JetDb {
public:
    JetDb() {
        sqlite3* raw = nullptr;
        sqlite3_open(":memory:", &raw);
        db_.reset(raw);
        db::register_jet_functions(raw);
    }

    Outcome run(const std::string& sql, const std::vector<Value>& params = {}) const {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &raw, nullptr) != SQLITE_OK)
            return {{}, sqlite3_errmsg(db_.get())};
        const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> stmt(raw,
                                                                              sqlite3_finalize);
        for (std::size_t i = 0; i < params.size(); ++i)
            bind(raw, static_cast<int>(i) + 1, params[i]);
        Outcome out;
        const int rc = sqlite3_step(raw);
        if (rc == SQLITE_ROW)
            out.value = column(raw);
        else if (rc != SQLITE_DONE)
            out.error = sqlite3_errmsg(db_.get());
        return out;
    }

    // The value of one expression.
    Outcome eval(const std::string& expression) const { return run("SELECT " + expression); }

    void exec(const std::string& sql) const {
        ASSERT_EQ(sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db_.get());
    }

private:
    static void bind(sqlite3_stmt* stmt, int index, const Value& v) {
        if (v.is_integer())
            sqlite3_bind_int64(stmt, index, v.as_int());
        else if (v.is_real())
            sqlite3_bind_double(stmt, index, v.as_double());
        else if (v.is_text())
            sqlite3_bind_text(stmt, index, v.as_text().c_str(), -1, SQLITE_TRANSIENT);
    }

    static Value column(sqlite3_stmt* stmt) {
        switch (sqlite3_column_type(stmt, 0)) {
        case SQLITE_INTEGER:
            return static_cast<std::int64_t>(sqlite3_column_int64(stmt, 0));
        case SQLITE_FLOAT:
            return sqlite3_column_double(stmt, 0);
        case SQLITE_NULL:
            return {};
        default:
            return std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                               sqlite3_column_bytes(stmt, 0));
        }
    }

    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db_{nullptr, sqlite3_close};
};

struct Case {
    const char* expression;
    Value expected;
};

struct ErrorCase {
    const char* expression;
    const char* message;
};

class JetFunctions : public ::testing::Test {
protected:
    void expect_values(std::initializer_list<Case> cases) const {
        for (const Case& c : cases) {
            const Outcome out = db.eval(c.expression);
            EXPECT_EQ(out.error, "") << c.expression;
            EXPECT_EQ(out.value, c.expected) << c.expression;
        }
    }

    void expect_errors(std::initializer_list<ErrorCase> cases) const {
        for (const ErrorCase& c : cases)
            EXPECT_EQ(db.eval(c.expression).error, c.message) << c.expression;
    }

    JetDb db;
};

constexpr const char* type_mismatch = "Type mismatch";
constexpr const char* overflow = "Overflow";
constexpr const char* division_by_zero = "Division by zero";
constexpr const char* invalid_call = "Invalid procedure call or argument";

TEST_F(JetFunctions, StrAndCStrFormatNumbersAsBasic) {
    expect_values({
        {"jet_str(5)", " 5"},
        {"jet_str(-5)", "-5"},
        {"jet_str(0)", " 0"},
        {"jet_str(5.0)", " 5"},
        {"jet_str(0.5)", " .5"},
        {"jet_str(-0.5)", "-.5"},
        {"jet_str(0.1 + 0.2)", " .3"},
        {"jet_str(1.0 / 3)", " .333333333333333"},
        {"jet_str(1e16)", " 1E+16"},
        {"jet_str(0.00001)", " 1E-05"},
        {"jet_str('12')", " 12"},
        {"jet_str(NULL)", nullptr},
        {"jet_cstr(5)", "5"},
        {"jet_cstr(2.50)", "2.5"},
        {"jet_cstr(-0.5)", "-0.5"},
        {"jet_cstr(999999999999999.0)", "999999999999999"},
        {"jet_cstr(1e15)", "1E+15"},
        {"jet_cstr(123456789012345678.0)", "1.23456789012346E+17"},
        {"jet_cstr(' x ')", " x "},
        {"jet_cstr(NULL)", nullptr},
        // keys built with Str on both sides match
        {"jet_add(jet_add(jet_str(12), '_'), jet_str(2001)) = ' 12_ 2001'", 1},
    });
    expect_errors({{"jet_str('x')", type_mismatch}});
}

TEST_F(JetFunctions, ValReadsTheLeadingNumber) {
    expect_values({
        {"jet_val('  12 34abc')", 1234.0},
        {"jet_val(' - 1.5e2x')", -150.0},
        {"jet_val('1e')", 1.0},
        {"jet_val('1D2')", 100.0},
        {"jet_val('1.2.3')", 1.2},
        {"jet_val('.5')", 0.5},
        {"jet_val('+4')", 4.0},
        {"jet_val('--4')", 0.0},
        {"jet_val('&H1F')", 31.0},
        {"jet_val('&HFFFF')", -1.0},
        {"jet_val('&O17')", 15.0},
        {"jet_val('abc')", 0.0},
        {"jet_val('')", 0.0},
        {"jet_val('1e-400')", 0.0},
        {"jet_val(7)", 7.0},
        {"jet_val(NULL)", nullptr},
    });
    expect_errors({{"jet_val('1e400')", overflow}});
}

TEST_F(JetFunctions, ConversionsRoundHalfToEvenAndCheckRanges) {
    expect_values({
        {"jet_cint(2.5)", 2},
        {"jet_cint(3.5)", 4},
        {"jet_cint(-2.5)", -2},
        {"jet_cint(' 7.5 ')", 8},
        {"jet_cint(32767.4)", 32767},
        {"jet_cint(-32768.5)", -32768},
        {"jet_clng(2147483647)", 2147483647},
        {"jet_clng(-0.5)", 0},
        {"jet_cint(NULL)", nullptr},
        {"jet_cdbl(3)", 3.0},
        {"jet_cdbl('2.5')", 2.5},
        {"jet_cdbl('&H10')", 16.0},
        {"jet_cdbl(NULL)", nullptr},
    });
    expect_errors({
        {"jet_cint(32767.5)", overflow},
        {"jet_cint(-32769)", overflow},
        {"jet_clng(2147483648)", overflow},
        {"jet_clng(1e300)", overflow},
        {"jet_cint('abc')", type_mismatch},
        {"jet_cdbl('1e')", type_mismatch},
        {"jet_cdbl('')", type_mismatch},
        {"jet_cdbl('1 2')", type_mismatch},
    });
}

TEST_F(JetFunctions, RoundIntFixSqr) {
    expect_values({
        {"jet_round(2.5)", 2},
        {"jet_round(3.5)", 4},
        {"jet_round(-2.5)", -2},
        {"jet_round(0.5)", 0},
        {"jet_round(0.125, 2)", 0.12},
        {"jet_round(0.375, 2)", 0.38},
        {"jet_round(2.567, 1)", 2.6},
        {"jet_round(7)", 7},
        {"jet_round(7, 2)", 7},
        {"jet_round(1e300, 2)", 1e300},
        {"jet_round(1e300)", 1e300},
        {"jet_round(2.5, NULL)", nullptr},
        {"jet_int(-2.5)", -3.0},
        {"jet_fix(-2.5)", -2.0},
        {"jet_int(7)", 7},
        {"jet_fix(-7)", -7},
        {"jet_int('2.7')", 2.0},
        {"jet_int(NULL)", nullptr},
        {"jet_sqr(16)", 4.0},
        {"jet_sqr(NULL)", nullptr},
    });
    expect_errors({
        {"jet_round(2.5, -1)", invalid_call},
        {"jet_int('x')", type_mismatch},
        {"jet_sqr(-1)", invalid_call},
    });
}

TEST_F(JetFunctions, ArithmeticOperators) {
    expect_values({
        {"jet_add(1, 2)", 3},
        {"jet_add(1, 2.5)", 3.5},
        {"jet_add('a', 'b')", "ab"},
        {"jet_add('1', '2')", "12"},
        {"jet_add(1, '2')", 3.0},
        {"jet_add(' 2 ', 1.5)", 3.5},
        {"jet_add(9223372036854775807, 1)", 9223372036854775808.0},
        {"jet_add(NULL, 1)", nullptr},
        {"jet_add('a', NULL)", nullptr},
        {"jet_cat(1, 'a')", "1a"},
        {"jet_cat(2.5, 0.1 + 0.2)", "2.50.3"},
        {"jet_cat(NULL, 'a')", "a"},
        {"jet_cat('a', NULL)", "a"},
        {"jet_cat(NULL, NULL)", nullptr},
        {"jet_pow(2, 10)", 1024.0},
        {"jet_pow(2, -1)", 0.5},
        {"jet_pow(-8, 3)", -512.0},
        {"jet_pow(NULL, 2)", nullptr},
        {"jet_div(7, 2)", 3.5},
        {"jet_div(NULL, 0)", nullptr},
        {"jet_intdiv(7, 2)", 3},
        {"jet_intdiv(-7, 2)", -3},
        {"jet_intdiv(7.5, 2)", 4},
        {"jet_intdiv(6, 2.5)", 3},
        {"jet_mod(7, 3)", 1},
        {"jet_mod(-7, 3)", -1},
        {"jet_mod(7.5, 2)", 0},
        {"jet_mod(5, 2.5)", 1},
        {"jet_mod(-9223372036854775808, -1)", 0},
        {"jet_mod(NULL, 2)", nullptr},
        {"jet_not(0)", -1},
        {"jet_not(-1)", 0},
        {"jet_not(5)", -6},
        {"jet_not(2.5)", -3},
        {"jet_not(NULL)", nullptr},
        {"jet_bool(5)", -1},
        {"jet_bool(0.5)", -1},
        {"jet_bool(0)", 0},
        {"jet_bool(NULL)", nullptr},
    });
    expect_errors({
        {"jet_add(1, 'a')", type_mismatch},
        {"jet_add(1e308, 1e308)", overflow},
        {"jet_pow(-8, 1.0 / 3)", invalid_call},
        {"jet_pow(0, -1)", division_by_zero},
        {"jet_pow(10, 400)", overflow},
        {"jet_div(1, 0)", division_by_zero},
        {"jet_div(1, 0.0)", division_by_zero},
        {"jet_intdiv(1, 0.4)", division_by_zero},
        {"jet_mod(1, 0)", division_by_zero},
        {"jet_intdiv(-9223372036854775808, -1)", overflow},
        {"jet_not(1e300)", overflow},
        {"jet_bool('x')", type_mismatch},
    });
}

TEST_F(JetFunctions, TextFunctionsCountCharactersNotBytes) {
    expect_values({
        {"jet_left('Hello', 2)", "He"},
        {"jet_left('Hello', 10)", "Hello"},
        {"jet_left('Äpfel', 1)", "Ä"},
        {"jet_left(12345, 2.5)", "12"},
        {"jet_left(NULL, 2)", nullptr},
        {"jet_left('x', NULL)", nullptr},
        {"jet_right('Größe', 3)", "öße"},
        {"jet_right('abc', 5)", "abc"},
        {"jet_mid('Straße', 5)", "ße"},
        {"jet_mid('Straße', 2, 3)", "tra"},
        {"jet_mid('abc', 5)", ""},
        {"jet_mid('abc', 2, 0)", ""},
        {"jet_len('Straße')", 6},
        {"jet_len(2.5)", 3},
        {"jet_len('')", 0},
        {"jet_len(NULL)", nullptr},
        {"jet_trim('  a b  ')", "a b"},
        {"jet_ltrim('  a b  ')", "a b  "},
        {"jet_rtrim('  a b  ')", "  a b"},
        {"jet_trim(char(9) || 'a ')", "\ta"},
        {"jet_ucase('straße äöü ÿ ő ł ж')", "STRAßE ÄÖÜ Ÿ Ő Ł Ж"},
        {"jet_lcase('ÄÖÜ Ÿ Ő Ł Ж ΣX')", "äöü ÿ ő ł ж σx"},
        {"jet_ucase(1.5)", "1.5"},
        {"jet_ucase(NULL)", nullptr},
        // bytes that are no UTF-8 pass through as characters of their own
        {"jet_len(x'C3')", 1},
        {"jet_ucase(CAST(x'61FF62' AS TEXT))", std::string("A\xFF"
                                                           "B")},
    });
    expect_errors({
        {"jet_left('a', -1)", invalid_call},
        {"jet_mid('a', 0)", invalid_call},
        {"jet_mid('a', 1, -1)", invalid_call},
        {"jet_left('a', 'x')", type_mismatch},
    });
}

TEST_F(JetFunctions, InStrFindsWithOrWithoutCase) {
    expect_values({
        {"jet_instr('Hallo Welt', 'welt')", 7},
        {"jet_instr('abcabc', 'c')", 3},
        {"jet_instr(4, 'abcabc', 'c')", 6},
        {"jet_instr(5, 'abc', 'c')", 0},
        {"jet_instr(1, 'plot NoTill', 'notill', 0)", 0},
        {"jet_instr(1, 'plot notill', 'notill', 0)", 6},
        {"jet_instr(1, 'plot NoTill', 'notill', 1)", 6},
        {"jet_instr('GRÜßE', 'üß')", 3},
        {"jet_instr('abc', '')", 1},
        {"jet_instr('', 'a')", 0},
        {"jet_instr(NULL, 'a')", nullptr},
        {"jet_instr('a', NULL)", nullptr},
        {"jet_instr(NULL, 'a', 'a')", nullptr},
    });
    expect_errors({{"jet_instr(0, 'a', 'a')", invalid_call}});
}

TEST_F(JetFunctions, LikeIgnoresCaseBeyondAscii) {
    expect_values({
        {"'Äpfel' LIKE 'ä%'", 1},
        {"'GRÖßE' LIKE '%ö%'", 1},
        {"'STRASSE' LIKE '%ß%'", 0},
        {"'abc' LIKE 'A_C'", 1},
        {"'ac' LIKE 'a_c'", 0},
        {"'xaybzc' LIKE '%a%b%c'", 1},
        {"'xaybzcd' LIKE '%a%b%c'", 0},
        {"'a' LIKE 'a%%%'", 1},
        {"'' LIKE '%'", 1},
        {"'' LIKE '_'", 0},
        {"'a*b' LIKE 'a*b'", 1},
        {"'10%' LIKE '10!%' ESCAPE '!'", 1},
        {"'100' LIKE '10!%' ESCAPE '!'", 0},
        {"NULL LIKE 'a'", nullptr},
        {"'a' LIKE NULL", nullptr},
        {"like('%b', 'AB')", 1},
        {"printf('%.2000c', 'a') LIKE '%a%a%a%a%a%a%a%a%a%a%a%a%b'", 0},
    });
    expect_errors({{"'a' LIKE 'a' ESCAPE 'xy'", "ESCAPE expression must be a single character"}});
}

TEST_F(JetFunctions, SpreadAggregatesIgnoreNull) {
    db.exec("CREATE TABLE t (g INTEGER, x REAL);"
            "INSERT INTO t VALUES (1, 2), (1, 4), (1, 4), (1, 4), (1, 5), (1, 5), (1, 7), (1, 9),"
            " (1, NULL), (2, 3), (3, NULL);"
            "INSERT INTO t VALUES (4, 1e9 + 4), (4, 1e9 + 7), (4, 1e9 + 13), (4, 1e9 + 16);");
    auto spread = [&](const char* fn, int g) {
        return db.run(std::string("SELECT ") + fn + "(x) FROM t WHERE g = ?", {g}).value;
    };
    EXPECT_DOUBLE_EQ(spread("jet_stdevp", 1).as_double(), 2.0);
    EXPECT_DOUBLE_EQ(spread("jet_varp", 1).as_double(), 4.0);
    EXPECT_DOUBLE_EQ(spread("jet_var", 1).as_double(), 32.0 / 7.0);
    EXPECT_DOUBLE_EQ(spread("jet_stdev", 1).as_double(), std::sqrt(32.0 / 7.0));
    // one value: no sample spread, a population spread of 0
    EXPECT_EQ(spread("jet_stdev", 2), Value());
    EXPECT_EQ(spread("jet_var", 2), Value());
    EXPECT_EQ(spread("jet_stdevp", 2), Value(0.0));
    EXPECT_EQ(spread("jet_varp", 2), Value(0.0));
    // only Null, and no rows at all
    for (const char* fn : {"jet_stdev", "jet_stdevp", "jet_var", "jet_varp"}) {
        EXPECT_EQ(spread(fn, 3), Value()) << fn;
        EXPECT_EQ(spread(fn, 99), Value()) << fn;
    }
    // large values with a small spread keep their precision
    EXPECT_DOUBLE_EQ(spread("jet_var", 4).as_double(), 30.0);
    EXPECT_EQ(db.eval("jet_stdev('x')").error, type_mismatch);
}

TEST_F(JetFunctions, FirstAndLastTakeTheRowsValueEvenNull) {
    db.exec("CREATE TABLE t (g INTEGER, x);"
            "INSERT INTO t VALUES (1, 'a'), (1, 'b'), (1, NULL), (2, NULL), (2, 5), (2, 2.5);");
    auto pick = [&](const char* fn, int g) {
        return db.run(std::string("SELECT ") + fn + "(x) FROM t WHERE g = ?", {g}).value;
    };
    EXPECT_EQ(pick("jet_first", 1), Value("a"));
    EXPECT_EQ(pick("jet_last", 1), Value());
    EXPECT_EQ(pick("jet_first", 2), Value());
    EXPECT_EQ(pick("jet_last", 2), Value(2.5));
    EXPECT_EQ(pick("jet_first", 99), Value());
    const Outcome grouped = db.run("SELECT group_concat(v, ',') FROM (SELECT jet_last(x) AS v "
                                   "FROM t GROUP BY g ORDER BY g)");
    EXPECT_EQ(grouped.value, Value("2.5"));
}

TEST_F(JetFunctions, CollationJetIgnoresCase) {
    EXPECT_EQ(db::compare_text_nocase("Straße", "STRAßE"), 0);
    EXPECT_EQ(db::compare_text_nocase("äÖü", "ÄöÜ"), 0);
    EXPECT_LT(db::compare_text_nocase("a", "B"), 0);
    EXPECT_GT(db::compare_text_nocase("abc", "AB"), 0);
    EXPECT_LT(db::compare_text_nocase("", "a"), 0);
    db.exec("CREATE TABLE n (name TEXT COLLATE JET);"
            "INSERT INTO n VALUES ('Müller'), ('MÜLLER'), ('meier'), ('Zahn');");
    EXPECT_EQ(db.eval("count(DISTINCT name) FROM n").value, Value(3));
    EXPECT_EQ(db.eval("group_concat(name, ',') FROM (SELECT name FROM n WHERE name = 'müller' "
                      "ORDER BY rowid)")
                  .value,
              Value("Müller,MÜLLER"));
}

// Every function, fed odd values in every position, answers or fails with a message.
TEST_F(JetFunctions, NoInputCrashesAFunction) {
    const std::vector<std::pair<const char*, int>> functions = {
        {"jet_val", 1},   {"jet_str", 1},   {"jet_cstr", 1},   {"jet_round", 2}, {"jet_int", 1},
        {"jet_fix", 1},   {"jet_cint", 1},  {"jet_clng", 1},   {"jet_cdbl", 1},  {"jet_sqr", 1},
        {"jet_left", 2},  {"jet_right", 2}, {"jet_mid", 3},    {"jet_len", 1},   {"jet_trim", 1},
        {"jet_ucase", 1}, {"jet_lcase", 1}, {"jet_instr", 4},  {"jet_add", 2},   {"jet_cat", 2},
        {"jet_pow", 2},   {"jet_div", 2},   {"jet_intdiv", 2}, {"jet_mod", 2},   {"jet_not", 1},
        {"jet_bool", 1},  {"like", 3},      {"jet_stdev", 1},  {"jet_first", 1}, {"jet_last", 1},
        {"jet_instr", 3}, {"jet_round", 1}};
    std::mt19937 random(20240531);
    auto random_text = [&] {
        std::string s(random() % 12, '\0');
        for (char& ch : s) ch = static_cast<char>(random() % 256);
        return s;
    };
    const std::vector<Value> fixed = {Value(),
                                      Value(std::numeric_limits<std::int64_t>::min()),
                                      Value(-1),
                                      Value(std::numeric_limits<std::int64_t>::max()),
                                      Value(0.5),
                                      Value(std::numeric_limits<double>::infinity()),
                                      Value(-1e308),
                                      Value(1e-320),
                                      Value("&HFFFFFFFFFFFFFFFFFFFF"),
                                      Value("1e99999999999999999999"),
                                      Value("\xC3"),
                                      Value("%_%"),
                                      Value(" - .5e-3 ")};
    for (int round = 0; round < 400; ++round) {
        for (const auto& [name, arity] : functions) {
            std::string sql = std::string("SELECT ") + name + "(";
            std::vector<Value> params;
            for (int i = 0; i < arity; ++i) {
                sql += i ? ", ?" : "?";
                params.push_back(random() % 2 ? fixed[random() % fixed.size()]
                                              : Value(random_text()));
            }
            db.run(sql + ")", params); // the sanitizer build watches these calls
        }
    }
    EXPECT_EQ(db.eval("jet_str(1)").value, Value(" 1"));
}

// ---------------------------------------------------------------------------
// db::Value and the number helpers.

TEST(ValueNumbers, FormatNumberRoundTripsWithAPoint) {
    const std::vector<std::pair<double, std::string>> cases = {
        {0.1, "0.1"}, {-2.5, "-2.5"}, {3.0, "3"}, {-0.0, "0"}, {1e-7, "1e-07"}};
    for (const auto& [v, text] : cases) EXPECT_EQ(db::format_number(v), text) << text;
    std::mt19937_64 random(7);
    for (int i = 0; i < 1000; ++i) {
        const double v =
            std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 200) - 150);
        EXPECT_EQ(std::stod(db::format_number(v)), v);
    }
}

TEST(ValueNumbers, FormatCStrShowsFifteenDigits) {
    const std::vector<std::pair<double, std::string>> cases = {
        {1e15, "1E+15"},
        {123456789012345.6, "123456789012346"},
        {0.0001, "0.0001"},
        {0.00001, "1E-05"},
        {-1.5, "-1.5"},
        {2.0, "2"},
        {1.0 / 3.0, "0.333333333333333"}};
    for (const auto& [v, text] : cases) EXPECT_EQ(db::format_cstr(v), text) << text;
}

TEST(ValueNumbers, FormatShownRoundsWithoutHidingSmallValues) {
    const std::vector<std::pair<double, std::string>> cases = {
        {1.0 / 3.0, "0.3333"},     {2.0, "2"},
        {-1.23456, "-1.2346"},     {1.5, "1.5"},
        {2.9e-05, "2.9E-05"},      {0.001, "0.001"},
        {-0.00004, "-4E-05"},      {1234567.89, "1234567.89"},
        {-0.00000001, "-1E-08"},   {0.0, "0"},
        {1e15, "1000000000000000"}};
    for (const auto& [v, text] : cases) EXPECT_EQ(db::format_shown(v), text) << v;
}

TEST(ValueNumbers, ParseNumberWantsTheWholeText) {
    EXPECT_EQ(db::parse_number("  12.5  "), 12.5);
    EXPECT_EQ(db::parse_number("-1e3"), -1000.0);
    EXPECT_EQ(db::parse_number("&H1F"), 31.0);
    for (const char* text : {"", " ", "-", "1 2", "12abc", "1e", "&H", "1,5"})
        EXPECT_EQ(db::parse_number(text), std::nullopt) << text;
}

TEST(ValueNumbers, RoundHalfEven) {
    const std::vector<std::pair<double, double>> cases = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.49999999999999994, 0}, {2.6, 3}, {-2.6, -3}};
    for (const auto& [v, rounded] : cases) EXPECT_EQ(db::round_half_even(v), rounded) << v;
}

TEST(ValueNumbers, ConversionsOfValues) {
    EXPECT_EQ(Value(2.5).as_int(), 2);
    EXPECT_EQ(Value(3.5).as_int(), 4);
    EXPECT_EQ(Value("12abc").as_int(), 12);
    EXPECT_EQ(Value().as_int(7), 7);
    EXPECT_EQ(Value(1e300).as_int(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Value("1,5").as_double(), 1.0);
    EXPECT_EQ(Value().as_double(-99.0), -99.0);
    EXPECT_EQ(Value(2.0).as_text(), "2");
    EXPECT_EQ(Value(0.1 + 0.2).as_text(), "0.3");
    EXPECT_EQ(Value().as_text(), "");
    EXPECT_TRUE(Value(-1).as_bool());
    EXPECT_EQ(Value("it's").to_sql_literal(), "'it''s'");
    EXPECT_EQ(Value().to_sql_literal(), "Null");
    EXPECT_EQ(Value(0.1 + 0.2).to_sql_literal(), "0.30000000000000004");
    EXPECT_EQ(Value(5).to_sql_literal(), "5");
}

} // namespace

// jet_functions.cpp --- the Jet runtime functions, operators and aggregates on SQLite.
//
// Each scalar function works on db::Value arguments and returns a db::Value; one
// trampoline converts from and to SQLite's values, passes Null through and turns the
// Basic run-time errors ("Type mismatch", "Overflow", ...) into statement errors.
#include "db/jet_functions.h"

#include "db/db_error.h"
#include "db/value.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <span>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace db {
namespace {

using Args = std::span<const Value>;
using std::int64_t;

// ---------------------------------------------------------------------------
// Run-time errors, with Basic's messages.

constexpr const char* type_mismatch = "Type mismatch";
constexpr const char* overflow = "Overflow";
constexpr const char* division_by_zero = "Division by zero";
constexpr const char* invalid_call = "Invalid procedure call or argument";
constexpr const char* invalid_null = "Invalid use of Null";
constexpr const char* bad_escape = "ESCAPE expression must be a single character";

[[noreturn]] void fail(const char* message) {
    throw std::runtime_error(message);
}

double checked(double r) {
    if (!std::isfinite(r)) fail(overflow);
    return r;
}

// ---------------------------------------------------------------------------
// UTF-8 characters. A byte that does not start a valid sequence counts as one
// character of its own, numbered beyond Unicode so that it survives a round trip
// and never equals a real character.

constexpr char32_t raw_byte_base = 0x110000;

std::size_t sequence_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xC2) return 0;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return lead < 0xF5 ? 4 : 0;
}

// Reads the character at s[i] and steps i past it.
char32_t decode(std::string_view s, std::size_t& i) {
    static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const auto lead = static_cast<unsigned char>(s[i]);
    const std::size_t len = sequence_length(lead);
    if (len == 1) return s[i++];
    char32_t cp = lead & (0x7F >> len);
    bool valid = len != 0 && i + len <= s.size();
    for (std::size_t k = 1; valid && k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        valid = (b & 0xC0) == 0x80;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (!valid || cp < smallest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return raw_byte_base + lead;
    }
    i += len;
    return cp;
}

void encode(char32_t cp, std::string& out) {
    auto put = [&out](char32_t byte) { out += static_cast<char>(byte); };
    if (cp >= raw_byte_base) {
        put(cp - raw_byte_base);
    } else if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | (cp >> 6));
        put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        put(0xE0 | (cp >> 12));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else {
        put(0xF0 | (cp >> 18));
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
}

std::u32string decode_all(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) out += decode(s, i);
    return out;
}

// Byte offset after the first n characters of s (its size when it is shorter).
std::size_t byte_offset(std::string_view s, int64_t n) {
    std::size_t i = 0;
    for (; n > 0 && i < s.size(); --n) decode(s, i);
    return i;
}

int64_t char_count(std::string_view s) {
    int64_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++n) decode(s, i);
    return n;
}

// ---------------------------------------------------------------------------
// Letter case beyond ASCII.

struct CasePair {
    char32_t upper, lower;
};

// Latin Extended-A pairs neighbours; the capital is even in some runs, odd in others.
std::optional<CasePair> latin_extended_pair(char32_t c) {
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        const char32_t upper = c & ~char32_t{1};
        return CasePair{upper, upper + 1};
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        const char32_t upper = ((c - 1) & ~char32_t{1}) + 1;
        return CasePair{upper, upper + 1};
    }
    return std::nullopt;
}

std::optional<CasePair> case_pair(char32_t c) {
    auto capital = [](char32_t u, char32_t distance) { return CasePair{u, u + distance}; };
    auto small = [](char32_t l, char32_t distance) { return CasePair{l - distance, l}; };
    if (c >= 'A' && c <= 'Z') return capital(c, 0x20);
    if (c >= 'a' && c <= 'z') return small(c, 0x20);
    if (c < 0xC0) return std::nullopt;
    if (c <= 0xDE) return c == 0xD7 ? std::nullopt : std::optional(capital(c, 0x20)); // not ×
    if (c >= 0xE0 && c <= 0xFE) return c == 0xF7 ? std::nullopt : std::optional(small(c, 0x20));
    if (c == 0xFF || c == 0x178) return CasePair{0x178, 0xFF}; // ÿ Ÿ
    if (c < 0x180) return latin_extended_pair(c);
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return capital(c, 0x20); // Greek
    if (c == 0x3C2) return CasePair{0x3A3, 0x3C2};                       // final sigma
    if (c >= 0x3B1 && c <= 0x3C9) return small(c, 0x20);
    if (c >= 0x400 && c <= 0x40F) return capital(c, 0x50); // Cyrillic
    if (c >= 0x410 && c <= 0x42F) return capital(c, 0x20);
    if (c >= 0x430 && c <= 0x44F) return small(c, 0x20);
    if (c >= 0x450 && c <= 0x45F) return small(c, 0x50);
    return std::nullopt;
}

char32_t to_upper(char32_t c) {
    const auto pair = case_pair(c);
    return pair ? pair->upper : c;
}

char32_t to_lower(char32_t c) {
    const auto pair = case_pair(c);
    return pair ? pair->lower : c;
}

std::string map_chars(std::string_view s, char32_t (*map)(char32_t)) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) encode(map(decode(s, i)), out);
    return out;
}

std::u32string folded(std::string_view s) {
    std::u32string out = decode_all(s);
    std::transform(out.begin(), out.end(), out.begin(), to_upper);
    return out;
}

// ---------------------------------------------------------------------------
// Operands.

constexpr double int64_bound = 9223372036854775808.0; // 2^63

bool fits_int64(double v) {
    return v >= -int64_bound && v < int64_bound;
}

// A numeric operand: numbers as they are, a text only when it is wholly a number.
struct Number {
    bool integral = false;
    int64_t i = 0;
    double d = 0.0;

    double real() const { return integral ? static_cast<double>(i) : d; }
};

Number number_of(const Value& v) {
    if (v.is_null()) fail(invalid_null);
    if (v.is_integer()) return {true, v.as_int(), 0.0};
    if (v.is_real()) return {false, 0, v.as_double()};
    const std::optional<double> d = parse_number(v.as_text());
    if (!d) fail(type_mismatch);
    return {false, 0, *d};
}

// The operand rounded half to even, as Basic converts to an integer type.
int64_t integer_of(const Value& v, int64_t lowest = std::numeric_limits<int64_t>::min(),
                   int64_t highest = std::numeric_limits<int64_t>::max()) {
    const Number n = number_of(v);
    int64_t r = n.i;
    if (!n.integral) {
        const double rounded = round_half_even(n.d);
        if (!fits_int64(rounded)) fail(overflow);
        r = static_cast<int64_t>(rounded);
    }
    if (r < lowest || r > highest) fail(overflow);
    return r;
}

// A character count or position (Left, Mid, ...): negative ones are refused.
int64_t count_of(const Value& v) {
    const int64_t n = integer_of(v);
    if (n < 0) fail(invalid_call);
    return n;
}

// ---------------------------------------------------------------------------
// Conversions.

Value jet_str(Args a) {
    const Number n = number_of(a[0]);
    if (n.integral) return (n.i < 0 ? "" : " ") + std::to_string(n.i);
    std::string s = format_cstr(n.d);
    const std::size_t at = s.front() == '-' ? 1 : 0;
    if (s.compare(at, 2, "0.") == 0) s.erase(at, 1); // Str(0.5) = " .5"
    if (s.front() != '-') s.insert(0, 1, ' ');
    return s;
}

Value jet_cstr(Args a) {
    return a[0].is_text() ? a[0] : Value(a[0].as_text());
}

Value jet_val(Args a) {
    if (a[0].is_text()) return checked(parse_val(a[0].as_text()));
    return a[0].as_double();
}

Value jet_cdbl(Args a) {
    return number_of(a[0]).real();
}

Value jet_cint(Args a) {
    return integer_of(a[0], -32768, 32767);
}

Value jet_clng(Args a) {
    return integer_of(a[0], std::numeric_limits<std::int32_t>::min(),
                      std::numeric_limits<std::int32_t>::max());
}

// ---------------------------------------------------------------------------
// Arithmetic.

double round_to_digits(double x, int64_t digits) {
    if (digits == 0) return round_half_even(x);
    if (digits > 308) return x;
    const double scale = std::pow(10.0, static_cast<double>(digits));
    const double scaled = x * scale;
    // From 2^52 on a double holds no fraction: nothing left to round at that scale.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return x;
    return round_half_even(scaled) / scale;
}

Value jet_round(Args a) {
    const Number x = number_of(a[0]);
    const int64_t digits = a.size() > 1 ? integer_of(a[1]) : 0;
    if (digits < 0) fail(invalid_call);
    if (x.integral) return x.i;
    const double r = round_to_digits(x.d, digits);
    if (digits == 0 && fits_int64(r)) return static_cast<int64_t>(r);
    return r;
}

Value jet_int(Args a) {
    const Number n = number_of(a[0]);
    return n.integral ? Value(n.i) : Value(std::floor(n.d));
}

Value jet_fix(Args a) {
    const Number n = number_of(a[0]);
    return n.integral ? Value(n.i) : Value(std::trunc(n.d));
}

Value jet_sqr(Args a) {
    const double x = number_of(a[0]).real();
    if (x < 0.0) fail(invalid_call);
    return std::sqrt(x);
}

// "+": two texts are joined; otherwise both sides must be numbers.
Value jet_add(Args a) {
    if (a[0].is_text() && a[1].is_text()) return a[0].as_text() + a[1].as_text();
    const Number x = number_of(a[0]);
    const Number y = number_of(a[1]);
    int64_t sum = 0;
    if (x.integral && y.integral && !__builtin_add_overflow(x.i, y.i, &sum)) return sum;
    return checked(x.real() + y.real());
}

Value jet_pow(Args a) {
    const double base = number_of(a[0]).real();
    const double exponent = number_of(a[1]).real();
    if (base == 0.0 && exponent < 0.0) fail(division_by_zero);
    const double r = std::pow(base, exponent);
    if (std::isnan(r)) fail(invalid_call); // a negative base to a broken power
    return checked(r);
}

Value jet_div(Args a) {
    const double dividend = number_of(a[0]).real();
    const double divisor = number_of(a[1]).real();
    if (divisor == 0.0) fail(division_by_zero);
    return checked(dividend / divisor);
}

// Both operands of "\" and Mod are rounded to integers before dividing.
std::pair<int64_t, int64_t> integer_operands(Args a) {
    const int64_t x = integer_of(a[0]);
    const int64_t y = integer_of(a[1]);
    if (y == 0) fail(division_by_zero);
    return {x, y};
}

Value jet_intdiv(Args a) {
    const auto [x, y] = integer_operands(a);
    if (x == std::numeric_limits<int64_t>::min() && y == -1) fail(overflow);
    return x / y;
}

Value jet_mod(Args a) {
    const auto [x, y] = integer_operands(a);
    return y == -1 ? int64_t{0} : x % y;
}

Value jet_not(Args a) {
    return ~integer_of(a[0]);
}

Value jet_bool(Args a) {
    const Number n = number_of(a[0]);
    return Value(n.integral ? n.i != 0 : n.d != 0.0); // Value(bool) is -1 / 0
}

// ---------------------------------------------------------------------------
// Texts. Numbers come in as CStr shows them.

Value jet_left(Args a) {
    const std::string s = a[0].as_text();
    return s.substr(0, byte_offset(s, count_of(a[1])));
}

Value jet_right(Args a) {
    const std::string s = a[0].as_text();
    const int64_t n = count_of(a[1]);
    const int64_t length = char_count(s);
    return n >= length ? s : s.substr(byte_offset(s, length - n));
}

Value jet_mid(Args a) {
    const std::string s = a[0].as_text();
    const int64_t start = integer_of(a[1]);
    if (start < 1) fail(invalid_call);
    const std::string rest = s.substr(byte_offset(s, start - 1));
    if (a.size() < 3) return rest;
    return rest.substr(0, byte_offset(rest, count_of(a[2])));
}

Value jet_len(Args a) {
    return char_count(a[0].as_text());
}

std::string_view trim_left(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return s;
}

std::string_view trim_right(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

Value jet_ltrim(Args a) {
    return std::string(trim_left(a[0].as_text()));
}
Value jet_rtrim(Args a) {
    return std::string(trim_right(a[0].as_text()));
}
Value jet_trim(Args a) {
    return std::string(trim_left(trim_right(a[0].as_text())));
}
Value jet_ucase(Args a) {
    return map_chars(a[0].as_text(), to_upper);
}
Value jet_lcase(Args a) {
    return map_chars(a[0].as_text(), to_lower);
}

int64_t find_from(const std::u32string& text, const std::u32string& sought, int64_t start) {
    if (text.empty() || static_cast<std::uint64_t>(start) > text.size()) return 0;
    if (sought.empty()) return start;
    const auto from = text.begin() + (start - 1);
    const auto at = std::search(from, text.end(), sought.begin(), sought.end());
    return at == text.end() ? 0 : (at - text.begin()) + 1;
}

// InStr([start,] text, sought[, compare]): compare 0 is binary, anything else (and
// no compare at all, as in Jet's queries) ignores case.
Value jet_instr(Args a) {
    const bool has_start = a.size() >= 3;
    const int64_t start = has_start ? integer_of(a[0]) : 1;
    if (start < 1) fail(invalid_call);
    const bool binary = a.size() == 4 && integer_of(a[3]) == 0;
    const std::string text = a[has_start ? 1 : 0].as_text();
    const std::string sought = a[has_start ? 2 : 1].as_text();
    if (binary) return find_from(decode_all(text), decode_all(sought), start);
    return find_from(folded(text), folded(sought), start);
}

// "&": both sides as text, a Null counts as empty; Null only when both are.
Value jet_cat(Args a) {
    if (a[0].is_null() && a[1].is_null()) return {};
    return a[0].as_text() + a[1].as_text();
}

// ---------------------------------------------------------------------------
// Like: "%" any run, "_" any one character, letters compared without regard to case.

struct PatternItem {
    enum class Kind { literal, one, run } kind;
    char32_t c = 0;
};

std::vector<PatternItem> parse_pattern(std::u32string_view p, std::optional<char32_t> escape) {
    std::vector<PatternItem> items;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (escape && p[i] == *escape && i + 1 < p.size())
            items.push_back({PatternItem::Kind::literal, to_upper(p[++i])});
        else if (p[i] == '%')
            items.push_back({PatternItem::Kind::run});
        else if (p[i] == '_')
            items.push_back({PatternItem::Kind::one});
        else
            items.push_back({PatternItem::Kind::literal, to_upper(p[i])});
    }
    return items;
}

// Greedy matching that falls back to the last "%": linear in practice, never exponential.
bool like_match(const std::vector<PatternItem>& pattern, const std::u32string& text) {
    using Kind = PatternItem::Kind;
    constexpr std::size_t none = std::u32string::npos;
    std::size_t p = 0, t = 0, run_p = none, run_t = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p].kind == Kind::run) {
            run_p = ++p;
            run_t = t;
        } else if (p < pattern.size() &&
                   (pattern[p].kind == Kind::one || pattern[p].c == text[t])) {
            ++p;
            ++t;
        } else if (run_p != none) {
            p = run_p;
            t = ++run_t;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p].kind == Kind::run) ++p;
    return p == pattern.size();
}

Value jet_like(Args a) {
    std::optional<char32_t> escape;
    if (a.size() == 3) {
        const std::u32string e = decode_all(a[2].as_text());
        if (e.size() != 1) fail(bad_escape);
        escape = e.front();
    }
    const auto pattern = parse_pattern(decode_all(a[0].as_text()), escape);
    return int64_t{like_match(pattern, folded(a[1].as_text())) ? 1 : 0};
}

// ---------------------------------------------------------------------------
// Between SQLite and Value.

Value read_value(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return static_cast<int64_t>(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return sqlite3_value_double(v);
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_value_blob(v));
        const int size = sqlite3_value_bytes(v);
        return bytes ? std::string(bytes, static_cast<std::size_t>(size)) : std::string();
    }
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
        if (!text) throw std::bad_alloc();
        return std::string(text, static_cast<std::size_t>(sqlite3_value_bytes(v)));
    }
    }
}

void set_result(sqlite3_context* ctx, const Value& v) {
    if (v.is_null()) {
        sqlite3_result_null(ctx);
    } else if (v.is_integer()) {
        sqlite3_result_int64(ctx, v.as_int());
    } else if (v.is_real()) {
        sqlite3_result_double(ctx, v.as_double());
    } else {
        const std::string s = v.as_text();
        sqlite3_result_text64(ctx, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
}

// Runs a function body; its error becomes the statement's error.
template <class Body> void guarded(sqlite3_context* ctx, Body&& body) noexcept {
    try {
        body();
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(ctx);
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

using Scalar = Value (*)(Args);

struct ScalarDef {
    const char* name;
    int min_args, max_args;
    Scalar fn;
    bool null_gives_null = true; // any Null argument makes the result Null
};

constexpr int max_scalar_args = 4;

constexpr ScalarDef scalars[] = {
    {"jet_val", 1, 1, jet_val},       {"jet_str", 1, 1, jet_str},
    {"jet_cstr", 1, 1, jet_cstr},     {"jet_round", 1, 2, jet_round},
    {"jet_int", 1, 1, jet_int},       {"jet_fix", 1, 1, jet_fix},
    {"jet_cint", 1, 1, jet_cint},     {"jet_clng", 1, 1, jet_clng},
    {"jet_cdbl", 1, 1, jet_cdbl},     {"jet_sqr", 1, 1, jet_sqr},
    {"jet_left", 2, 2, jet_left},     {"jet_right", 2, 2, jet_right},
    {"jet_mid", 2, 3, jet_mid},       {"jet_len", 1, 1, jet_len},
    {"jet_trim", 1, 1, jet_trim},     {"jet_ltrim", 1, 1, jet_ltrim},
    {"jet_rtrim", 1, 1, jet_rtrim},   {"jet_ucase", 1, 1, jet_ucase},
    {"jet_lcase", 1, 1, jet_lcase},   {"jet_instr", 2, 4, jet_instr},
    {"jet_add", 2, 2, jet_add},       {"jet_cat", 2, 2, jet_cat, false},
    {"jet_pow", 2, 2, jet_pow},       {"jet_div", 2, 2, jet_div},
    {"jet_intdiv", 2, 2, jet_intdiv}, {"jet_mod", 2, 2, jet_mod},
    {"jet_not", 1, 1, jet_not},       {"jet_bool", 1, 1, jet_bool},
    {"like", 2, 3, jet_like},
};

void call_scalar(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    guarded(ctx, [&] {
        const auto& def = *static_cast<const ScalarDef*>(sqlite3_user_data(ctx));
        std::array<Value, max_scalar_args> args;
        const auto n = static_cast<std::size_t>(std::clamp(argc, 0, max_scalar_args));
        for (std::size_t i = 0; i < n; ++i) {
            args[i] = read_value(argv[i]);
            if (def.null_gives_null && args[i].is_null()) return sqlite3_result_null(ctx);
        }
        set_result(ctx, def.fn(Args(args.data(), n)));
    });
}

// ---------------------------------------------------------------------------
// Aggregates. SQLite hands out zeroed state memory aligned for pointers only, so the
// long double moments are copied in and out rather than used in place.

struct Moments {
    int64_t n;
    long double mean, m2; // running mean and sum of squared deviations (Welford)
};

struct Spread {
    bool sample; // divide by n - 1 (StDev, Var) instead of n (StDevP, VarP)
    bool root;   // standard deviation instead of variance
};

constexpr Spread stdev{true, true}, stdevp{false, true}, var{true, false}, varp{false, false};

void moments_step(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] {
        void* state = sqlite3_aggregate_context(ctx, sizeof(Moments));
        if (!state) throw std::bad_alloc();
        const Value v = read_value(argv[0]);
        if (v.is_null()) return;
        const long double x = number_of(v).real();
        Moments m;
        std::memcpy(&m, state, sizeof m);
        ++m.n;
        const long double delta = x - m.mean;
        m.mean += delta / static_cast<long double>(m.n);
        m.m2 += delta * (x - m.mean);
        std::memcpy(state, &m, sizeof m);
    });
}

void moments_final(sqlite3_context* ctx) {
    guarded(ctx, [&] {
        const auto& spread = *static_cast<const Spread*>(sqlite3_user_data(ctx));
        Moments m{};
        if (const void* state = sqlite3_aggregate_context(ctx, 0)) std::memcpy(&m, state, sizeof m);
        const int64_t divisor = spread.sample ? m.n - 1 : m.n;
        if (divisor < 1) return sqlite3_result_null(ctx);
        const long double variance = m.m2 / static_cast<long double>(divisor);
        sqlite3_result_double(ctx,
                              static_cast<double>(spread.root ? std::sqrt(variance) : variance));
    });
}

// First and Last keep a copy of one row's value, Null included.
struct Kept {
    sqlite3_value* value;
};

Kept& kept_state(sqlite3_context* ctx) {
    auto* kept = static_cast<Kept*>(sqlite3_aggregate_context(ctx, sizeof(Kept)));
    if (!kept) throw std::bad_alloc();
    return *kept;
}

sqlite3_value* copy_of(sqlite3_value* v) {
    sqlite3_value* copy = sqlite3_value_dup(v);
    if (!copy) throw std::bad_alloc();
    return copy;
}

void first_step(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] {
        Kept& kept = kept_state(ctx);
        if (!kept.value) kept.value = copy_of(argv[0]);
    });
}

void last_step(sqlite3_context* ctx, int, sqlite3_value** argv) {
    guarded(ctx, [&] {
        Kept& kept = kept_state(ctx);
        sqlite3_value* copy = copy_of(argv[0]);
        sqlite3_value_free(kept.value);
        kept.value = copy;
    });
}

// Also runs when a statement is abandoned, so the copy is always freed here.
void kept_final(sqlite3_context* ctx) {
    auto* kept = static_cast<Kept*>(sqlite3_aggregate_context(ctx, 0));
    if (!kept || !kept->value) return sqlite3_result_null(ctx);
    sqlite3_result_value(ctx, kept->value);
    sqlite3_value_free(kept->value);
    kept->value = nullptr;
}

// ---------------------------------------------------------------------------
// Registration.

int collate_jet(void*, int a_size, const void* a, int b_size, const void* b) {
    return compare_text_nocase({static_cast<const char*>(a), static_cast<std::size_t>(a_size)},
                               {static_cast<const char*>(b), static_cast<std::size_t>(b_size)});
}

void check(sqlite3* db, int rc, const std::string& name) {
    if (rc != SQLITE_OK)
        throw Error("Cannot register " + name +
                    " on the database connection: " + sqlite3_errmsg(db));
}

constexpr int deterministic = SQLITE_UTF8 | SQLITE_DETERMINISTIC;

void register_scalars(sqlite3* db) {
    for (const ScalarDef& def : scalars)
        for (int n = def.min_args; n <= def.max_args; ++n)
            check(db,
                  sqlite3_create_function(db, def.name, n, deterministic,
                                          const_cast<ScalarDef*>(&def), call_scalar, nullptr,
                                          nullptr),
                  def.name);
}

void register_aggregates(sqlite3* db) {
    const std::pair<const char*, const Spread*> spreads[] = {
        {"jet_stdev", &stdev}, {"jet_stdevp", &stdevp}, {"jet_var", &var}, {"jet_varp", &varp}};
    for (const auto& [name, spread] : spreads)
        check(db,
              sqlite3_create_function(db, name, 1, deterministic, const_cast<Spread*>(spread),
                                      nullptr, moments_step, moments_final),
              name);
    check(db,
          sqlite3_create_function(db, "jet_first", 1, SQLITE_UTF8, nullptr, nullptr, first_step,
                                  kept_final),
          "jet_first");
    check(db,
          sqlite3_create_function(db, "jet_last", 1, SQLITE_UTF8, nullptr, nullptr, last_step,
                                  kept_final),
          "jet_last");
}

} // namespace

int compare_text_nocase(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = to_upper(decode(a, i));
        const char32_t y = to_upper(decode(b, j));
        if (x != y) return x < y ? -1 : 1;
    }
    return static_cast<int>(i < a.size()) - static_cast<int>(j < b.size());
}

void register_jet_functions(sqlite3* db) {
    if (!db) throw Error("No database connection to register the Jet functions on");
    register_scalars(db);
    register_aggregates(db);
    check(db, sqlite3_create_collation_v2(db, "JET", SQLITE_UTF8, nullptr, collate_jet, nullptr),
          "the collation JET");
}

} // namespace db

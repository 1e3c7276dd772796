// value.cpp --- field values, and numbers read and written as the Jet engine does.
#include "db/value.h"

#include "db/shown_number.h"
#include "db/text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace db {
namespace {

constexpr double int64_bound = 9223372036854775808.0; // 2^63

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Val() steps over blanks, tabs and line feeds wherever they stand.
bool is_val_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool is_blank(char c) {
    return is_val_blank(c) || c == '\r';
}

// Walks a text; in Val's manner it also steps over blanks inside the number.
class Cursor {
public:
    Cursor(std::string_view s, bool skip_blanks) : s_(s), skip_blanks_(skip_blanks) {}

    char peek() {
        if (skip_blanks_)
            while (pos_ < s_.size() && is_val_blank(s_[pos_])) ++pos_;
        return pos_ < s_.size() ? s_[pos_] : '\0';
    }
    void advance() { ++pos_; }
    std::size_t pos() const { return pos_; }
    void rewind(std::size_t pos) { pos_ = pos; }

private:
    std::string_view s_;
    bool skip_blanks_;
    std::size_t pos_ = 0;
};

bool read_digits(Cursor& c, std::string& out) {
    bool any = false;
    for (char ch = c.peek(); is_digit(ch); ch = c.peek()) {
        out += ch;
        c.advance();
        any = true;
    }
    return any;
}

// An exponent ("E", or "D" as Basic also writes it) counts only when digits follow.
void read_exponent(Cursor& c, std::string& out) {
    const std::size_t start = c.pos();
    const char e = c.peek();
    if (e != 'e' && e != 'E' && e != 'd' && e != 'D') return;
    c.advance();
    std::string exponent = "e";
    const char sign = c.peek();
    if (sign == '+' || sign == '-') {
        exponent += sign;
        c.advance();
    }
    if (read_digits(c, exponent))
        out += exponent;
    else
        c.rewind(start);
}

long long saturating_exponent(std::string_view digits) {
    long long e = 0;
    for (char ch : digits)
        if (is_digit(ch)) e = std::min(e * 10 + (ch - '0'), 1'000'000'000LL);
    return e;
}

// from_chars refuses values beyond the range of a double: tell overflow from underflow
// by the decimal magnitude of the text ([-]digits[.digits][e[+-]digits]).
double out_of_range_value(std::string_view t) {
    const bool negative = !t.empty() && t.front() == '-';
    if (negative) t.remove_prefix(1);
    const std::size_t e = t.find('e');
    long long exponent = 0;
    if (e != std::string_view::npos) {
        const std::string_view digits = t.substr(e + 1);
        exponent = saturating_exponent(digits);
        if (!digits.empty() && digits.front() == '-') exponent = -exponent;
    }
    const std::string_view mantissa = t.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_not_of("0.");
    double v = 0.0;
    if (first != std::string_view::npos) {
        const long long magnitude = first < point ? static_cast<long long>(point - first)
                                                  : -static_cast<long long>(first - point - 1);
        if (magnitude + exponent > 0) v = HUGE_VAL;
    }
    return negative ? -v : v;
}

double to_double(const std::string& t) {
    double v = 0.0;
    const auto result = std::from_chars(t.data(), t.data() + t.size(), v);
    if (result.ec == std::errc::result_out_of_range) return out_of_range_value(t);
    return v;
}

// Sign, digits with a decimal point, exponent. nullopt when there is no digit.
std::optional<double> read_decimal(Cursor& c) {
    std::string t;
    const char sign = c.peek();
    if (sign == '+' || sign == '-') {
        if (sign == '-') t += '-';
        c.advance();
    }
    bool digits = read_digits(c, t);
    if (c.peek() == '.') {
        c.advance();
        t += '.';
        digits = read_digits(c, t) || digits;
    }
    if (!digits) return std::nullopt;
    read_exponent(c, t);
    return to_double(t);
}

int digit_value(char ch, int base) {
    int d = 16;
    if (is_digit(ch))
        d = ch - '0';
    else if (ch >= 'a' && ch <= 'f')
        d = ch - 'a' + 10;
    else if (ch >= 'A' && ch <= 'F')
        d = ch - 'A' + 10;
    return d < base ? d : -1;
}

// Basic types a hexadecimal or octal literal by its size: up to 16 bits an Integer,
// up to 32 bits a Long, both in two's complement (&HFFFF = -1).
double radix_value(std::uint64_t v) {
    if (v <= 0xFFFF) return static_cast<std::int16_t>(v);
    if (v <= 0xFFFFFFFF) return static_cast<std::int32_t>(v);
    return static_cast<double>(v);
}

// "&H1F" or "&O17", the cursor on the "&". nullopt without digits after the prefix.
std::optional<double> read_radix(Cursor& c) {
    c.advance();
    const char kind = c.peek();
    const int base = (kind == 'H' || kind == 'h') ? 16 : (kind == 'O' || kind == 'o') ? 8 : 0;
    if (base == 0) return std::nullopt;
    c.advance();
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max() / base;
    std::uint64_t v = 0;
    bool any = false, too_big = false;
    for (int d = digit_value(c.peek(), base); d >= 0; d = digit_value(c.peek(), base)) {
        c.advance();
        any = true;
        if (v > limit)
            too_big = true;
        else
            v = v * base + d;
    }
    if (!any) return std::nullopt;
    return too_big ? HUGE_VAL : radix_value(v);
}

std::optional<double> read_number(Cursor& c) {
    return c.peek() == '&' ? read_radix(c) : read_decimal(c);
}

} // namespace

double round_half_even(double v) {
    if (!std::isfinite(v)) return v;
    const double floor = std::floor(v);
    const double fraction = v - floor;
    if (fraction < 0.5) return floor;
    if (fraction > 0.5) return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::int64_t Value::as_int(std::int64_t if_null) const {
    if (is_null()) return if_null;
    if (is_integer()) return std::get<std::int64_t>(v_);
    const double r = round_half_even(as_double());
    if (std::isnan(r)) return 0;
    if (r >= int64_bound) return std::numeric_limits<std::int64_t>::max();
    if (r < -int64_bound) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(r);
}

double Value::as_double(double if_null) const {
    if (is_null()) return if_null;
    if (is_integer()) return static_cast<double>(std::get<std::int64_t>(v_));
    if (is_real()) return std::get<double>(v_);
    return parse_val(std::get<std::string>(v_));
}

std::string Value::as_text() const {
    if (is_null()) return {};
    if (is_integer()) return std::to_string(std::get<std::int64_t>(v_));
    if (is_real()) return format_cstr(std::get<double>(v_));
    return std::get<std::string>(v_);
}

std::string Value::to_sql_literal() const {
    if (is_null()) return "Null";
    if (is_integer()) return std::to_string(std::get<std::int64_t>(v_));
    if (is_real()) return format_number(std::get<double>(v_));
    return quoted(std::get<std::string>(v_), '\'');
}

std::string format_number(double v) {
    if (std::isnan(v)) return "Null";
    if (std::isinf(v)) return v > 0 ? "1e999" : "-1e999"; // SQLite reads these as infinity
    if (v == 0.0) return "0";
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, result.ptr);
}

std::string format_cstr(double v) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
    if (v == 0.0) return "0";
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    std::string s(buf, result.ptr);
    for (char& ch : s)
        if (ch == 'e') ch = 'E';
    return s;
}

std::string format_shown(double v) {
    if (!std::isfinite(v) || v == 0.0) return format_cstr(v);
    char buf[64];
    const bool tiny = std::fabs(v) < 1e-3;
    const auto result = tiny
                            ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 4)
                            : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 4);
    std::string s(buf, result.ptr);
    if (!tiny) {
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.') s.pop_back();
    }
    for (char& ch : s)
        if (ch == 'e') ch = 'E';
    return s;
}

double parse_val(const std::string& s) {
    Cursor c(s, true);
    return read_number(c).value_or(0.0);
}

std::optional<double> parse_number(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    Cursor c(s, false);
    const std::optional<double> v = read_number(c);
    if (!v || c.pos() != s.size()) return std::nullopt;
    return v;
}

} // namespace db

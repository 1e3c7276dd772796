// value.h --- one field value of the experiment database: Null, integer, real or text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace db {

class Value {
public:
    Value() = default;
    Value(std::nullptr_t) {}
    Value(int v) : v_(std::int64_t{v}) {}
    Value(std::int64_t v) : v_(v) {}
    Value(double v) : v_(v) {}
    Value(std::string v) : v_(std::move(v)) {}
    Value(const char* v) : v_(std::string(v)) {}
    Value(bool v) : v_(std::int64_t{v ? -1 : 0}) {} // the database's true is -1

    bool is_null() const { return std::holds_alternative<std::monostate>(v_); }
    bool is_integer() const { return std::holds_alternative<std::int64_t>(v_); }
    bool is_real() const { return std::holds_alternative<double>(v_); }
    bool is_text() const { return std::holds_alternative<std::string>(v_); }
    bool is_number() const { return is_integer() || is_real(); }

    // Conversions as the Jet engine reads them: Null gives the fallback, text is read
    // like Val() (leading number, 0 when none).
    std::int64_t as_int(std::int64_t if_null = 0) const;
    double as_double(double if_null = 0.0) const;
    // Text form: numbers with "." and up to 15 significant digits (as CStr), Null as "".
    std::string as_text() const;
    // Stored booleans: any non-zero number is true.
    bool as_bool() const { return as_int() != 0; }

    // Text for a statement: numbers with "." and round-trip precision, texts
    // quoted with doubled quotes, Null as "Null".
    std::string to_sql_literal() const;

    bool operator==(const Value&) const = default;

private:
    std::variant<std::monostate, std::int64_t, double, std::string> v_;
};

// Number written into statement text: "." as decimal separator, round-trip precision,
// whatever the locale.
std::string format_number(double v);

// Number as Jet's CStr shows it: up to 15 significant digits, no trailing ".0".
std::string format_cstr(double v);

// Jet's Val(): skips blanks, reads the leading number, 0 when there is none.
double parse_val(const std::string& s);

// Text that is wholly a number, as CDbl reads it (blanks around it allowed): sign,
// digits, decimal point, exponent, or "&H"/"&O" integers. nullopt when it is no number.
std::optional<double> parse_number(std::string_view s);

// Nearest integer, halves to the even neighbour, as Round, CInt and CLng round.
double round_half_even(double v);

} // namespace db

#include "import/field_conversion.h"

#include "db/text.h"

#include <array>
#include <cmath>
#include <optional>

namespace import {

namespace {

std::string shown(const std::string& text) {
    constexpr std::size_t longest = 40;
    return "'" + (text.size() > longest ? text.substr(0, longest) + "..." : text) + "'";
}

std::optional<bool> yes_no_word(const std::string& word) {
    static const std::array<std::pair<const char*, bool>, 10> words = {{{"true", true},
                                                                        {"false", false},
                                                                        {"yes", true},
                                                                        {"no", false},
                                                                        {"on", true},
                                                                        {"off", false},
                                                                        {"wahr", true},
                                                                        {"falsch", false},
                                                                        {"ja", true},
                                                                        {"nein", false}}};
    for (const auto& [w, value] : words)
        if (db::iequals(word, w)) return value;
    return std::nullopt;
}

db::Value to_boolean(const db::Value& v) {
    if (v.is_null()) return v;
    if (v.is_number()) return db::Value(v.as_double() != 0.0);
    const std::string text = db::trim(v.as_text());
    if (text.empty()) return db::Value();
    if (const auto number = db::parse_number(text)) return db::Value(*number != 0.0);
    if (const auto word = yes_no_word(text)) return db::Value(*word);
    throw FieldError("the value " + shown(v.as_text()) + " is not a yes/no value");
}

db::Value to_number(const db::Value& v) {
    if (!v.is_text()) return v;
    const std::string text = db::trim(v.as_text());
    if (text.empty()) return db::Value();
    const auto number = db::parse_number(text);
    if (!number) throw FieldError("the value " + shown(v.as_text()) + " is not a number");
    constexpr double int64_limit = 9.2e18;
    if (std::fabs(*number) < int64_limit && text.find_first_of(".eE") == std::string::npos &&
        *number == static_cast<double>(static_cast<std::int64_t>(*number)))
        return db::Value(static_cast<std::int64_t>(*number));
    return db::Value(*number);
}

} // namespace

Conversion conversion_for(const std::string& schema_type, bool schema_boolean,
                          bool source_boolean) {
    if (schema_boolean || source_boolean) return Conversion::boolean;
    if (db::iequals(schema_type, "INTEGER") || db::iequals(schema_type, "REAL"))
        return Conversion::number;
    return Conversion::as_is;
}

SourceField convert_field(const SourceField& field, Conversion conversion) {
    if (conversion == Conversion::as_is) return field;
    if (field.binary)
        throw FieldError(conversion == Conversion::boolean ? "a binary value is not a yes/no value"
                                                           : "a binary value is not a number");
    if (conversion == Conversion::boolean) return {to_boolean(field.value), false};
    return {to_number(field.value), false};
}

} // namespace import

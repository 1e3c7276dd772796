// form_numbers.cpp --- numbers as the user types them.
#include "workbench/form_numbers.h"

#include "db/value.h"

#include <cmath>

namespace workbench {

std::optional<double> read_decimal(const std::string& text) {
    std::string s = text;
    if (const auto comma = s.find(','); comma != std::string::npos) s[comma] = '.';
    const std::optional<double> v = db::parse_number(s);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

std::optional<std::int64_t> read_whole_number(const std::string& text) {
    const std::optional<double> v = db::parse_number(text);
    if (!v || !std::isfinite(*v) || *v != std::floor(*v) || std::fabs(*v) > 9e15)
        return std::nullopt;
    return static_cast<std::int64_t>(*v);
}

} // namespace workbench

// form_numbers.h --- numbers as the user types them into the workbench's fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace workbench {

// A decimal number: blanks around it allowed, the first "," read as the decimal point
// ("12,5" is 12.5). Nothing when the text is no number.
std::optional<double> read_decimal(const std::string& text);

// A whole number ("100", " -7 "); nothing when the text is none.
std::optional<std::int64_t> read_whole_number(const std::string& text);

} // namespace workbench

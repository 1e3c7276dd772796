// shown_number.h --- a number as a window or a listing shows it to a person.
#pragma once

#include <string>

namespace db {

// At most four decimals, trailing zeros dropped; a value below 0.001 keeps four
// significant digits so that it never reads as 0. Stored and exported values keep their
// full precision (format_cstr, format_number).
std::string format_shown(double v);

} // namespace db

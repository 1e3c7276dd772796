// statement_shape.h --- the shape of a Jet statement: its text with the values taken out,
// so that one statement sent with different plots, years or names compares equal.
#pragma once

#include <string>
#include <string_view>

namespace db {

// The statement with every number replaced by <n>, every quoted text ('...' or "...") by
// <s> and every date literal (#...#) by <d>; a comma-separated run of one placeholder
// (a list of plots, the values of a row) becomes one; white space runs become one blank
// and blanks at either end go. Names in brackets stay as they are, digits inside names
// too. Letter case is kept: the statement is compared as the program writes it.
std::string statement_shape(std::string_view jet_text);

} // namespace db

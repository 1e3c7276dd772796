// text.h --- small text helpers for names and statement text (ASCII case only:
// database names are ASCII; values use the Jet case folding of jet_functions.h).
#pragma once

#include <string>
#include <string_view>

namespace db {

std::string lower(std::string s);
std::string upper(std::string s);
// Without surrounding blanks, tabs and line ends.
std::string trim(std::string_view text);
// Equal without regard to ASCII case.
bool iequals(std::string_view a, std::string_view b);
// The text between quote characters, an inner quote doubled: quoted("it's", '\'') = 'it''s'.
std::string quoted(std::string_view text, char quote);

} // namespace db

// jet_functions.h --- the Jet runtime functions and aggregates as SQLite functions.
#pragma once

#include <string_view>

struct sqlite3;

namespace db {

// Registers on one connection every function the translated statements call:
//   jet_val, jet_str, jet_cstr, jet_round(x[, d]), jet_int, jet_fix, jet_cint, jet_clng,
//   jet_cdbl, jet_sqr, jet_left, jet_right, jet_mid(s, start[, len]), jet_len, jet_trim,
//   jet_ltrim, jet_rtrim, jet_ucase, jet_lcase, jet_instr([start,] s1, s2[, compare]),
//   jet_add (the + operator), jet_cat (&), jet_pow (^), jet_div (/), jet_intdiv (\),
//   jet_mod (Mod), jet_not (Not on a value), jet_bool (a truth value as -1/0),
//   the aggregates jet_stdev, jet_stdevp, jet_var, jet_varp, jet_first, jet_last,
//   and like() with case folding beyond ASCII; also the collation JET (texts compared
//   without regard to case, as compare_text_nocase does).
// Throws db::Error when SQLite refuses a registration.
void register_jet_functions(sqlite3* db);

// Compares two UTF-8 texts without regard to case, folding letters as UCase does
// (Latin-1, Latin Extended-A, Greek, Cyrillic; "ß" stays). Returns <0, 0 or >0.
int compare_text_nocase(std::string_view a, std::string_view b);

} // namespace db

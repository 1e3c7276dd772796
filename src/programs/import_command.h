// import_command.h --- tsm-batch import: a new experiment database from an Access
// database or an SQLite experiment database of an older layout.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* import_usage = "import SOURCE NEW.db";

// Imports the database named by the second argument into the new file named by the
// third and prints, per table, the rows read and written and the columns left out.
// Throws std::invalid_argument with the usage line for wrong arguments; a row that
// cannot be converted throws import::ImportError naming table, row and column, and no
// new file is left behind.
int run_import_command(const std::vector<std::string>& args, std::ostream& out);

} // namespace app

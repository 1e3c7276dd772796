// statistics_command.h --- tsm-batch statistics: Update-Statistics of the workbench's database
// menu without the window.
#pragma once

#include "stats/result_evaluation.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace db {
class Dataset;
}

namespace app {

inline constexpr const char* statistics_usage =
    "statistics DATABASE [PHASE]   (PHASE: \"all records\", \"early years\" or \"late years\")";

// The phase as the phase dialog offers it: its caption ("early years"), its first word
// ("early") in any letter case, or its number 0, 1, 2. Throws std::invalid_argument
// naming the word otherwise.
stats::Phase parse_statistics_phase(const std::string& word);

// Rebuilds the statistics tables of the database named by the second argument and stores
// the goodness of fit of every plot with results for the phase (all records without a
// third argument), in one transaction; then hands the stored rows of each statistics
// table the database has to `print`, after a line naming the table. Throws
// std::invalid_argument with the usage line for wrong arguments, db::Error when the
// update fails (the previous tables stay).
int run_statistics_command(const std::vector<std::string>& args,
                           const std::function<void(db::Dataset&)>& print, std::ostream& out);

} // namespace app

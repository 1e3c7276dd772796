// merge_command.h --- the shards of a split run merged into their database, and the
// assessment of a database's results alone (tsm-batch merge, tsm-batch assess).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* merge_usage = "merge DATABASE SHARD...";
inline constexpr const char* assess_usage = "assess DATABASE";

// tsm-batch merge DATABASE SHARD...: merges the shard files (sim::merge_shards), prints
// the report and writes it to tsm_report.txt in the working folder. Throws
// std::invalid_argument (usage) on missing arguments, sim::MergeRefused when the shards
// do not fit.
int run_merge_command(const std::vector<std::string>& args, std::ostream& out);

// tsm-batch assess DATABASE: prints the assessment of the selected plots' results
// against the measurements; writes nothing.
int run_assess_command(const std::vector<std::string>& args, std::ostream& out);

} // namespace app

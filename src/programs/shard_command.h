// shard_command.h --- one shard of a split run from the console (tsm-batch DB=... go
// --shard i/k [--out FILE]).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* shard_usage =
    "DB=DATABASE go --shard i/k [--out FILE] [PARAMETER ...]";

// Whether a start-up's arguments ask for a shard.
bool asks_for_shard(const std::vector<std::string>& args);

// The run of the i-th of every k selected plots (FL_ID order), the selection and the
// settings store left unwritten. Without --out the shard's results go into the database
// as a run's do. With --out the database is only read: the run works on a private copy
// in the temporary folder ($TMPDIR), and FILE receives the shard's result rows, its
// plots, the method, the parameters and the content hash of the input, for `merge`.
// Returns the exit code of the run. Throws std::invalid_argument (usage) on wrong
// options, std::runtime_error and db::Error on failures.
int run_shard_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace app

// split_run.h --- a run split over the processes of a launcher: the arguments of each
// process's shard and of the merge that follows.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace app {

// One launch of a split run: the start-up arguments of the run (DB=... and the
// simulator's parameters, "go" added when missing) and the folder of the shard files.
struct SplitRun {
    std::string database;              // the path DB= names
    std::vector<std::string> run_args; // the start-up's arguments, with "go"
    std::filesystem::path shard_dir;   // where the shard files go (--shard-dir, else ".")
};

// The launcher's arguments: DB=DATABASE [--shard-dir DIR] [PARAMETER ...]. Throws
// std::invalid_argument naming the fault (no DB=, a shard option given by hand).
SplitRun parse_split_run(const std::vector<std::string>& args);

// The file of shard i of k: <DIR>/<database name>.shard-<i>-of-<k>.db
std::filesystem::path shard_file(const SplitRun& run, int index, int count);

// tsm-batch's arguments for shard i of k. With `threads` > 0 and no THREADS= among the
// run's arguments, the shard's final stage gets that many plot threads (THREADS=n): ranks
// that share a machine then share its cores instead of each starting one thread per core.
std::vector<std::string> shard_args(const SplitRun& run, int index, int count, int threads = 0);

// The plot threads of each of `ranks_here` processes that share a machine of `cores`
// cores: an equal part of the cores, at least one.
int threads_per_rank(int cores, int ranks_here);

// tsm-batch's arguments for the merge of all k shards.
std::vector<std::string> merge_args(const SplitRun& run, int count);

} // namespace app

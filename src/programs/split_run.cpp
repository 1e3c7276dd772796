// split_run.cpp --- the arguments of a split run's shards and merge.
#include "programs/split_run.h"

#include "app/command_line.h"

#include <algorithm>
#include <stdexcept>

namespace app {

SplitRun parse_split_run(const std::vector<std::string>& args) {
    SplitRun run;
    run.shard_dir = ".";
    bool go = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--shard" || a == "--out")
            throw std::invalid_argument(a + ": the launcher gives every process its shard");
        if (a == "--shard-dir") {
            if (i + 1 >= args.size()) throw std::invalid_argument("--shard-dir needs a folder");
            run.shard_dir = args[++i];
            continue;
        }
        go = go || a == "go" || a == "GO";
        run.run_args.push_back(a);
    }
    const auto db = named_database(run.run_args);
    if (!db || db->empty()) throw std::invalid_argument("DB=DATABASE is missing");
    run.database = *db;
    if (!go) run.run_args.emplace_back("go");
    return run;
}

std::filesystem::path shard_file(const SplitRun& run, int index, int count) {
    return run.shard_dir / (std::filesystem::path(run.database).filename().string() + ".shard-" +
                            std::to_string(index) + "-of-" + std::to_string(count) + ".db");
}

std::vector<std::string> shard_args(const SplitRun& run, int index, int count, int threads) {
    std::vector<std::string> args = run.run_args;
    const bool threads_given = std::any_of(args.begin(), args.end(), is_threads_argument);
    if (threads > 0 && !threads_given) args.push_back("THREADS=" + std::to_string(threads));
    args.insert(args.end(), {"--shard", std::to_string(index) + "/" + std::to_string(count),
                             "--out", shard_file(run, index, count).string()});
    return args;
}

int threads_per_rank(int cores, int ranks_here) {
    return std::max(1, cores / std::max(1, ranks_here));
}

std::vector<std::string> merge_args(const SplitRun& run, int count) {
    std::vector<std::string> args = {"merge", run.database};
    for (int i = 1; i <= count; ++i) args.push_back(shard_file(run, i, count).string());
    return args;
}

} // namespace app

// shard_merge.h --- the shards of a split run brought back into the database they were
// run from, ending in what one run over all the selected plots leaves.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace sim {

// The shards do not fit together or not to the database; nothing was written.
class MergeRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct MergeOutcome {
    int plots = 0;                   // the selected plots, all of them in one shard
    std::vector<std::string> report; // the lines of the run report
    bool protocol_row = false;       // a protocol row was written ("ERR_P")
};

// Merges the shard files into `conn`, the database they were run from. Before anything
// is written it checks that every shard comes from this database as it is now (its
// content hash), with the same parameters and method, and that their plots are
// disjoint and together are the selected plots (site_state.status = 1). Then, in one
// transaction: the earlier results of the selected plots leave sim_result, tsm_nresult
// and tsm_zbv, all rows leave str_result and tsm_driver (as at the start of a run), the
// shards' rows are appended in plot order, and with "ERR_P" the protocol row of the
// assessment over the merged results is appended. Throws app::RunBusy while a run works
// on the database, MergeRefused naming the shard
// and the fault, db::Error on a failing statement (nothing written).
MergeOutcome merge_shards(db::Connection& conn, const std::vector<std::filesystem::path>& shards);

// The assessment of the selected plots' results against the measurements: the lines of
// the run report (a line saying so when there is nothing to compare).
std::vector<std::string> assessment_report(db::Connection& conn);

} // namespace sim

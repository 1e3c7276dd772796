// statistics_update.h --- the statistics tables of the whole database: tsm_stat_corg and
// tsm_stat_nt rebuilt with one row per plot and filled with the goodness of fit of every
// plot with results.
#pragma once

#include "stats/result_evaluation.h"
#include "workbench/experiment_tree.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace db {
class Connection;
}

namespace stats {

// Called before each plot is evaluated: plots done so far, plots in all, the plot.
using StatisticsProgress = std::function<void(int done, int total, std::int64_t plot)>;

// The phase as the phase dialog offers it: "all records", "early years", "late years".
const char* phase_caption(Phase phase);

// Drops tsm_stat_corg and tsm_stat_nt (missing tables are no fault) and builds them anew
// from field_description with the initial values. Throws db::Error naming the table when
// it cannot be built.
void rebuild_statistics_tables(db::Connection& c);

// The plots with results: at least one sim_result row and a positive mean simulated
// value, each once, with their i_con.
std::vector<workbench::Tsrb_item> plots_with_results(db::Connection& c);

// Update-Statistics: rebuilds the statistics tables and stores the statistics of every
// plot with results for the phase; the views keep the last plot's comparisons. Runs in
// one transaction: a failure leaves the previous tables. Returns the plots evaluated.
int update_statistics(db::Connection& c, Phase phase, StatViews& views,
                      const EvaluationOptions& options, const StatisticsProgress& progress = {});

} // namespace stats

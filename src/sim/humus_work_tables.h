// humus_work_tables.h --- what the chains of the humus balance methods share: rebuilding a
// work table with its list line, and reporting the selected plots a chain leaves out.
#pragma once

#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace sim {

struct RunContext;

namespace humus {

// Drops `table` (a failure ignored: it may not exist yet), runs `select_into`, which rebuilds
// it, and writes the list line `list_text` with the row count. Returns the row count.
int rebuild(RunContext& ctx, const std::string& table, const std::string& select_into,
            const std::string& list_text);

// Runs a statement and writes the list line `list_text` with the rows it changed.
int counted(RunContext& ctx, const std::string& statement, const std::string& list_text);

// The plot numbers in the first column of a query, in its order.
std::vector<int> plot_numbers(db::Connection& conn, const std::string& query);

// One list line per plot: "<method>: <reason> for FL_ID <n>; plot left out".
void report_left_out(RunContext& ctx, const std::vector<int>& plots, const std::string& method,
                     const std::string& reason);

// The selected plots of the run (rows of tmp_soil_prop) that have no row in `table`, whose
// plot column is `column`; ordered by plot.
std::vector<int> plots_missing_in(db::Connection& conn, const std::string& table,
                                  const std::string& column);

} // namespace humus
} // namespace sim

// shard.h --- a run split over several processes: the i-th of every k selected plots,
// and the selection a shard's run sees.
#pragma once

#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace sim {

// The i-th (1 <= index <= count) of every `count` selected plots, counted in FL_ID order.
struct Shard {
    int index = 1;
    int count = 1;
    std::string text() const; // "i/k"
};

// "i/k" with whole numbers 1 <= i <= k. Throws std::invalid_argument naming the text.
Shard parse_shard(const std::string& text);

// The plots with selection state 1, in FL_ID order (each once), as the connection sees
// them (a run's snapshot of the selection when there is one).
std::vector<int> selected_plots(db::Connection& conn);

// The shard's part of the selected plots: positions index-1, index-1+count, ...
std::vector<int> shard_plots(const std::vector<int>& selected, const Shard& shard);

// The line a shard's run report gets in place of the protocol row: its assessment
// covers its own plots only.
std::string partial_assessment_line(const std::string& shard);

// The run report's file name: tsm_report.txt, or for a shard "tsm_report_shard_i_of_k.txt",
// so that the shards of one run in one folder keep their reports apart.
std::string run_report_file_name(const std::string& shard);

// Leaves only the shard's plots selected in the run's snapshot of the selection
// (temp.site_state): the other selected plots get state 0 there, the database's own
// site_state is not written. Throws std::logic_error when there is no snapshot.
// Returns the shard's plots.
std::vector<int> keep_shard_selection(db::Connection& conn, const Shard& shard);

// Makes the connection treat its database as a scratch copy that is thrown away after the
// run (a shard's private copy of its input): commits no longer wait for the disk and the
// rollback journal stays in memory. A failed run still rolls back; only a crash of the
// machine could leave the copy damaged, and the copy is then of no use anyway.
void use_as_scratch_copy(db::Connection& conn);

} // namespace sim

// plot_selection.h --- the plots of a run: the plot named on the command line, and the
// selection read once when the run starts.
#pragma once

#include "db/connection.h"

#include <stdexcept>
#include <string>

namespace sim {

// "ID=" names no plot of the database, or no plot at all.
class PlotSelectionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The plot of "ID=" (a whole number) becomes the only selected plot. The plot must exist
// in field_description; the selection changes only when it does, all at once.
void select_single_plot(db::Connection& conn, const std::string& sel_id);

// For as long as it lives, the statements of this connection see the selection states as
// they were when it was made, whatever other programs write into site_state meanwhile.
// It is a temporary copy of site_state on this connection, which hides the table of the
// database; release() (or the end of the object) drops the copy.
class SelectionSnapshot {
public:
    explicit SelectionSnapshot(db::Connection& conn);
    ~SelectionSnapshot() { release(); }
    SelectionSnapshot(const SelectionSnapshot&) = delete;
    SelectionSnapshot& operator=(const SelectionSnapshot&) = delete;

    // The database's own site_state is seen again (before statements that write it).
    void release() noexcept { release_selection_snapshot(conn_); }
    static void release_selection_snapshot(db::Connection& conn) noexcept;

private:
    db::Connection& conn_;
};

} // namespace sim

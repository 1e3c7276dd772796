// plot_selection.cpp --- the plots of a run.
#include "sim/plot_selection.h"

#include <charconv>

namespace sim {

void select_single_plot(db::Connection& conn, const std::string& sel_id) {
    std::int64_t plot = 0;
    const char* end = sel_id.data() + sel_id.size();
    const auto [last, error] = std::from_chars(sel_id.data(), end, plot);
    if (sel_id.empty() || error != std::errc() || last != end)
        throw PlotSelectionError("ID=" + sel_id + ": the plot must be given by its number (FL_ID)");
    db::Statement known = conn.prepare("select FL_ID from field_description where FL_ID=?");
    known.bind(1, plot);
    if (!known.step())
        throw PlotSelectionError("ID=" + sel_id + ": there is no plot " + sel_id + " in " +
                                 conn.path().string() + "; the selection is unchanged");
    db::Transaction t(conn, true);
    conn.execute(" update site_state set status=0");
    if (conn.prepare(" update site_state set status=1 where fl_id=?").execute({plot}) == 0)
        conn.prepare("insert into site_state (FL_ID, status, res_VAL) values (?, 1, 0)")
            .execute({plot});
    t.commit();
}

SelectionSnapshot::SelectionSnapshot(db::Connection& conn) : conn_(conn) {
    release();
    conn_.execute_native("CREATE TEMP TABLE site_state AS SELECT * FROM main.site_state;"
                         "CREATE INDEX temp.site_state_plot ON site_state (FL_ID)");
}

void SelectionSnapshot::release_selection_snapshot(db::Connection& conn) noexcept {
    try {
        conn.execute_native("DROP TABLE IF EXISTS temp.site_state");
    } catch (...) {
        // a closed connection has no copy left to drop
    }
}

} // namespace sim

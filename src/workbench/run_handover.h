// run_handover.h --- handing plots over to the simulator: the run selection in site_state,
// the simulator's fields for a run started from the workbench, the entries of the plot
// selection panel, and the plot's mean BAT after a run.
#pragma once

#include "sim/simulator.h"

#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace workbench {

// Exactly this plot is selected for the run.
void select_single_plot(db::Connection& conn, int fl_id);

// The ticked plots of the selection panel are selected (in one transaction); res_val marks
// with 0 every plot whose i_con is "null", selected or not, and with 1 all others.
void select_plots_for_run(db::Connection& conn, const std::vector<int>& fl_ids);

// What the workbench asks of the simulator for a run.
struct HandOver {
    int z_anf = -99; // start year, -99 for none
    int z_cnt = 0;   // repetitions of the management sequence, 0 to 99
    bool power = false;
    std::string modus = "TSM";
    std::string methode = "TSM";
    bool single = true; // one plot (Basic-Info) or the selection panel
};

// Sets the simulator's fields for the hand-over: autoclick, z_anf, z_cnt, nowait (without the
// power flag, or in the mode "ORV"), singlemode for one plot, and the method. `running` is
// left clear for a selection too (the activation would wait for it forever).
void prepare_simulator(sim::Simulator& sim, const HandOver& h);

// The start year and repeat count fields as numbers: a field that is not a whole number
// throws std::invalid_argument naming the field; the repeat count must lie in 0..99.
int start_year_field(const std::string& text);
int repeat_count_field(const std::string& text);

// The entries of the plot selection panel: "experiment simulation" lists the plots of one
// experiment location, "database simulation" every plot of the database.
std::vector<std::string> experiment_entries(db::Connection& conn, const std::string& location);
std::vector<std::string> database_entries(db::Connection& conn);
// The plot of an entry: the text before its first ":", trimmed; nothing when that is not a
// plot number.
std::optional<int> entry_plot(const std::string& entry);

// The plot's mean BAT over its rows of tmp_bat, rounded to one decimal, as the Basic-Info
// field shows it: "?" when the run left no row for the plot (or no tmp_bat at all).
std::string mean_bat_after_run(db::Connection& conn, int fl_id);
// Stores a mean BAT shown as text (a "," read as ".") as the plot's mw_bat; "?" stores
// nothing. Done after runs whose settings method is "TSM".
void store_mean_bat(db::Connection& conn, int fl_id, const std::string& shown);

} // namespace workbench

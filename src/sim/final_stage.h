// final_stage.h --- the final stage of a run: the plot loop over the run statement, the
// yearly turnover of every plot, the result rows, and the run report.
#pragma once

#include "sim/run_driver.h"

namespace app {
class SettingsStore;
}

namespace sim {

// Texts of the final stage's message boxes (caption, text) and list lines.
inline constexpr const char* init_check_caption = " simulation run canceled ";
inline constexpr const char* init_check_text = " Error in initialisation; use tsm_check_init.sql ";
inline constexpr const char* orv_init_text = " Error in initialisation ";
inline constexpr const char* no_state_caption = " initialisation error";
inline constexpr const char* no_state_text = " no proper initial conditions found ";
inline constexpr const char* loopback_caption = "cycling error";
inline constexpr const char* loopback_text = "loopback not possible";
inline constexpr const char* missing_data_text = "missing data for FL_ID";
inline constexpr const char* not_in_grid_text = "FL_ID not found =>";
// The last line of a run ended by "STOP RUN": the years simulated before it stay written.
inline constexpr const char* run_stopped_line =
    "stopped by STOP RUN: the years simulated so far are kept, the run has no report";

// The final stage over the selected plots: the turnover model for "TSM", the yearly
// account of a humus balance method for the HUBA family, "NULL", STAND, SALCA and HUMOD. `settings`
// receives the program version when the user keeps an outdated tsm_zbv (may be null: nothing is
// written then). Ends early, leaving the rows written so far, on the stops of its
// message boxes and on "STOP RUN"; a database error propagates.
void run_final_stage(RunContext& ctx, const std::string& method, app::SettingsStore* settings);

// The run statement of "TSM": one row per selected plot and year, by plot and year. With
// factors (uncertainty mode) BAT, BD and Crep are scaled by them.
struct UncertaintyFactors {
    double f_bat = 1, f_bd = 1, f_crep = 1;
};
std::string tsm_run_statement(bool with_tillage_share, const UncertaintyFactors* factors);

// The selected plots whose first cultivation with Macode 2, 3 or 9 lies after their
// initial measurement.
extern const char* const initialisation_check;

// The initialisation check and the row count of the run statement of "TSM", as its final
// stage finds them, on a connection that sees the run's tables and selection.
Simulator::RunPreview preview_tsm_run(db::Connection& conn);

} // namespace sim

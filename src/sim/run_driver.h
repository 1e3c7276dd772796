// run_driver.h --- one simulation run over the selected plots: the fixed sequence of
// steps, the plot selection, the statement files run before and after, and the points
// where the preparation steps and the final stage plug in.
#pragma once

#include "app/dialogs.h"
#include "app/program_state.h"
#include "db/connection.h"
#include "sim/run_observer.h"
#include "sim/simulator.h"

#include <functional>
#include <string>

namespace sim {

// What every step of a run works with.
struct RunContext {
    db::Connection& conn;
    Simulator& sim;
    RunObserver& observer;
    app::Dialogs& dialogs;
    const app::ProgramState& state; // regional mode, application mode

    // One line of the message list (kept in sim.messages and shown by the observer).
    void message(const std::string& line) { add_message(sim, observer, line); }
    // A count message: the text followed by the row count.
    void count(const std::string& text, int rows) { message(text + std::to_string(rows)); }
};

using RunStep = std::function<void(RunContext&)>;
using FinalStage = std::function<void(RunContext&, const std::string& method)>;

// Runs a step (an empty one is skipped), then lets the window handle its events.
void run_step(const RunStep& step, RunContext& ctx);

// The steps that build the work tables and compute the results. An empty step is skipped.
struct RunSteps {
    RunStep load_bat_coefficients; // BAT coefficient table, when "recalc BAT" is checked
    RunStep input_quantities;      // Sim_Quantity, crep_h1, crep_year, _cropping_dt
    RunStep time_frame;            // tmp_time_int, tmp_time_scen, tmp_tirgint, tmp_tirg_pattern,
                                   // tmp_last_tillage
    RunStep organic_inputs;        // _koppel_prdkt, _org_dnger, opstab
    RunStep soil_properties;       // tmp_soil_prop; rebuilt again by the method branches
    RunStep climate_bat;           // beregnung_jsum, eff_climate, clim4sim, tmp_bat, tmp_hlpcinit
    // The five steps above with the same outcome, the climate built at the same time as the
    // organic inputs; false, having done nothing, when that is not possible (the steps then
    // run one after the other).
    std::function<bool(RunContext&, const RunSteps&)> climate_alongside;
    RunStep stand;            // the STAND method's preparation
    RunStep n_deposition;     // HUMOD: the N deposition series of every climate station
    RunStep humod;            // the HUMOD method's preparation
    RunStep salca;            // the SALCA method's preparation
    RunStep humus_balance;    // HUBA.../NULL: the humus balance tables
    FinalStage final_stage;   // runs the model or finishes the method with its name
    RunStep narrow_selection; // one shard of a split run: keeps its plots in the run's
                              // snapshot of the selection (called once the snapshot exists)
};

// The result-removal statements of a run, in the order they run.
extern const char* const remove_sim_result_and_status;
extern const char* const remove_nresult;
extern const char* const remove_zbv;
extern const char* const remove_sim_result;
extern const char* const remove_str_result;

// The run: takes the database for itself (app::RunBusy when another run works on it),
// disables the window's buttons, writes the opening messages, selects the plots and runs
// the pre-processing file, then reads the selection once for the whole run, checks the
// inputs of the selected plots (ImplausibleInput, before anything is changed), removes
// their earlier results, runs the preparation for "TSM" or the branch of the method, and
// calls the final stage.
// `running` is cleared when the run ends, also when a step throws (the exception goes on
// to the caller; the buttons then stay disabled).
void run(RunContext& ctx, const RunSteps& steps);

// What pressing "calculate" led to.
enum class CalculateOutcome {
    completed,    // a run ended normally
    failed,       // a run stopped on an error; its message was shown
    close_window, // the caption read "close" and the window is to close
    nothing,      // the caption read "close" and the window stays
};

// "calculate" pressed: with the caption "close" the window closes when it was opened for
// one plot, by the launcher's "go", or in the application mode "ORV"; otherwise a run,
// whose failure is shown with the database's message (or the message box of a
// climate check) instead of being thrown.
CalculateOutcome press_calculate(RunContext& ctx, const RunSteps& steps);

// The plot of "ID=" becomes the only selected plot; nothing when no plot was named.
// Throws PlotSelectionError, the selection unchanged, when the database has no such plot.
void select_plots(db::Connection& conn, const Simulator& sim);
// Runs the pre-processing file, when one was named.
void run_pre_processing(db::Connection& conn, const Simulator& sim);
// Runs the post-processing file, when post-processing is on; called by the final stage.
void run_post_processing(RunContext& ctx);
// Runs a file of statements as the SQL module does. Throws std::runtime_error when the
// file cannot be read, db::Error when a statement fails.
void run_statement_file(db::Connection& conn, const std::string& path);

// Removes the results of the plots with selection state 1 from sim_result, tsm_nresult
// and tsm_zbv (tables that do not exist yet hold no results and are passed over) and all
// rows of str_result, in one transaction. The selection states stay as they are.
void remove_earlier_results(db::Connection& conn);

// What activation asks of the program when it is over.
struct ActivationOutcome {
    bool end_program = false;                               // "nw" or "!": end the program
    CalculateOutcome calculate = CalculateOutcome::nothing; // of a run started by activation
    bool ran = false;                                       // "calculate" was pressed
};

// The whole activation: the state (activate()), then the unattended run ("GO") or the
// plot selection and pre-processing, the wait while `running` is set (processing
// events, as long as window_shown() holds), and the press of "calculate" the workbench
// asked for (`autoclick`). Throws as activate() does, and when the plot selection or the
// pre-processing file fails outside a run.
ActivationOutcome activate_window(Simulator& sim, ActivationContext& ctx, const RunSteps& steps,
                                  const std::function<bool()>& window_shown);

} // namespace sim

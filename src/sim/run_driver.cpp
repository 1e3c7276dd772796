// run_driver.cpp --- one simulation run over the selected plots.
#include "sim/run_driver.h"

#include "app/run_lock.h"
#include "db/db_error.h"
#include "db/statement_file.h"
#include "model/bat.h"
#include "sim/plot_selection.h"
#include "sim/run_input_checks.h"
#include "sim/soil_properties.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sim {

const char* const remove_sim_result_and_status =
    " DELETE sim_result.*, site_state.status FROM site_state "
    " LEFT JOIN sim_result ON site_state.FL_ID = sim_result.FL_ID WHERE site_state.status=1 ";
const char* const remove_nresult =
    " DELETE tsm_nresult.* FROM site_state "
    " LEFT JOIN tsm_nresult ON site_state.FL_ID = tsm_nresult.FL_ID WHERE site_state.status=1 ";
const char* const remove_zbv =
    " DELETE tsm_zbv.* FROM site_state "
    " LEFT JOIN tsm_zbv ON site_state.FL_ID = tsm_zbv.FL_ID WHERE site_state.status=1 ";
const char* const remove_sim_result =
    " DELETE sim_result.* FROM site_state "
    " LEFT JOIN sim_result ON site_state.FL_ID = sim_result.FL_ID WHERE site_state.status=1 ";
const char* const remove_str_result = " DELETE str_result.* FROM str_result ";

void run_step(const RunStep& step, RunContext& ctx) {
    if (!step) return;
    step(ctx);
    ctx.observer.process_events();
}

namespace {

// A run under way keeps `running` set; however it ends, the flag is cleared, so that
// whoever waits for the run does not wait for ever.
class RunningFlag {
public:
    explicit RunningFlag(Simulator& sim) : sim_(sim) { sim_.running = true; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;
    ~RunningFlag() { sim_.running = false; }

private:
    Simulator& sim_;
};

void disable_controls(Simulator& sim) {
    sim.calculate_enabled = false;
    sim.calculate_caption = "close";
    sim.database_enabled = false;
    sim.recalc_bat_enabled = false;
}

void enable_controls(Simulator& sim) {
    sim.database_enabled = true;
    sim.calculate_enabled = true;
    sim.recalc_bat_enabled = true;
}

void prepare_work_tables(RunContext& ctx) {
    if (!ctx.conn.has_table("tmp_time_scen"))
        ctx.conn.execute(" create table tmp_time_scen (fl_id int, yr int ) ");
    db::create_index_if_missing(ctx.conn, " create index fdix2 on field_description (fl_id) ");
    db::create_index_if_missing(ctx.conn, " create index fdix on field_description (climate_id) ");
    if (!ctx.conn.has_table("sim_result"))
        ctx.conn.execute(" create table sim_result (fl_id int, m_ix int, year_ int,  year_num "
                         "int, sim_value double) ");
}

void prepare_tsm(RunContext& ctx, const RunSteps& steps) {
    if (!steps.climate_alongside || !steps.climate_alongside(ctx, steps)) {
        run_step(steps.input_quantities, ctx);
        run_step(steps.time_frame, ctx);
        run_step(steps.organic_inputs, ctx);
        run_step(steps.soil_properties, ctx);
        run_step(steps.climate_bat, ctx);
    }
    ctx.observer.process_events();
}

bool is_humus_balance(const std::string& method) {
    return method.rfind("HUBA", 0) == 0 || method == "NULL";
}

void run_method_branches(RunContext& ctx, const RunSteps& steps) {
    const std::string& method = ctx.sim.methode;
    if (method == "STAND") {
        run_step(steps.soil_properties, ctx);
        run_step(steps.stand, ctx);
    }
    if (method == "HUMOD") {
        run_step(steps.soil_properties, ctx);
        run_step(steps.n_deposition, ctx);
        run_step(steps.humod, ctx);
    }
    if (method == "SALCA") {
        run_step(steps.soil_properties, ctx);
        run_step(steps.salca, ctx);
    }
    if (is_humus_balance(method)) {
        run_step(steps.humus_balance, ctx);
        run_step(steps.soil_properties, ctx);
    }
}

bool window_closes(const RunContext& ctx) {
    return ctx.sim.singlemode || ctx.state.go_on || ctx.state.modus == "ORV";
}

} // namespace

void select_plots(db::Connection& conn, const Simulator& sim) {
    if (sim.sel_id != "?") select_single_plot(conn, sim.sel_id);
}

void run_statement_file(db::Connection& conn, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the statement file " + path);
    std::ostringstream text;
    text << in.rdbuf();
    db::StatementScript(conn).run(text.str());
}

void run_pre_processing(db::Connection& conn, const Simulator& sim) {
    if (sim.pre_proc_query != "?") run_statement_file(conn, sim.pre_proc_query);
}

void run_post_processing(RunContext& ctx) {
    if (!ctx.sim.pst_processing) return;
    // The file may write the selection states: it sees the database's own table.
    SelectionSnapshot::release_selection_snapshot(ctx.conn);
    run_statement_file(ctx.conn, ctx.sim.pst_proc_query);
}

namespace {

// Whether every row of the result table belongs to a selected plot, its FL_ID compared with
// site_state's as the removal's join compares them (a row without FL_ID belongs to none).
// Each distinct FL_ID is looked up once: the results' index on FL_ID gives them without
// visiting every row. Distinct under the binary collation, so that values a column's own
// collation takes as equal are each looked up.
bool only_selected_plots_in(db::Connection& conn, const std::string& table) {
    const std::string sql = "SELECT NOT EXISTS (SELECT 1 FROM (SELECT DISTINCT FL_ID COLLATE "
                            "BINARY AS id FROM \"" +
                            table +
                            "\") WHERE NOT EXISTS (SELECT 1 FROM site_state s "
                            "WHERE s.FL_ID = id AND s.status = 1))";
    db::Statement check = conn.prepare_native(sql);
    return check.step() && check.column_number(0) == 1;
}

// Removes the results of the selected plots from the table. When the table holds no others,
// as after a run over every plot, it is emptied at once: SQLite then frees its pages
// without visiting each row and each index entry.
void remove_results_of_selected_plots(db::Connection& conn, const std::string& table,
                                      const char* jet_removal) {
    if (!conn.has_table(table)) return;
    if (only_selected_plots_in(conn, table))
        conn.execute_native("DELETE FROM \"" + table + "\"");
    else
        conn.execute(jet_removal);
}

} // namespace

void remove_earlier_results(db::Connection& conn) {
    // A result table that does not exist yet holds no results to remove (a new database
    // has no tsm_zbv before its first final stage). The results go all at once or not at
    // all, so that a failure never leaves a plot with half of its earlier results.
    db::Transaction all_at_once(conn, true);
    remove_results_of_selected_plots(conn, "sim_result", remove_sim_result_and_status);
    remove_results_of_selected_plots(conn, "tsm_nresult", remove_nresult);
    remove_results_of_selected_plots(conn, "tsm_zbv", remove_zbv);
    remove_results_of_selected_plots(conn, "sim_result", remove_sim_result);
    if (conn.has_table("str_result")) conn.execute(remove_str_result);
    all_at_once.commit();
}

void run(RunContext& ctx, const RunSteps& steps) {
    Simulator& sim = ctx.sim;
    // The run has the database to itself: a second run on the file is refused at once.
    const app::RunLock lock(ctx.conn.path());
    RunningFlag running(sim);
    disable_controls(sim);
    sim.messages.clear();
    sim.assessment = false; // until this run's final stage ends normally
    sim.run_preview.reset();
    ctx.observer.run_started();
    for (const std::string& line : opening_messages(sim, clock_time())) ctx.message(line);

    select_plots(ctx.conn, sim);
    run_pre_processing(ctx.conn, sim);
    // The plots of the run are those selected now, whatever happens to the selection
    // states while it works.
    SelectionSnapshot selection(ctx.conn);
    if (steps.narrow_selection) steps.narrow_selection(ctx);
    if (sim.z_cnt < 0)
        throw std::invalid_argument("the number of repetitions is negative (" +
                                    std::to_string(sim.z_cnt) + "); nothing was changed");
    check_run_inputs(ctx);

    sim.recalc_bat = sim.recalc_bat_box;
    if (sim.recalc_bat) run_step(steps.load_bat_coefficients, ctx);
    prepare_work_tables(ctx);
    remove_earlier_results(ctx.conn);

    if (sim.methode.empty()) sim.methode = "TSM";
    if (sim.methode == "TSM") prepare_tsm(ctx, steps);
    run_method_branches(ctx, steps);
    if (steps.final_stage) steps.final_stage(ctx, sim.methode);

    enable_controls(sim);
}

CalculateOutcome press_calculate(RunContext& ctx, const RunSteps& steps) {
    if (ctx.sim.calculate_caption == "close") {
        const bool close = window_closes(ctx);
        ctx.observer.process_events();
        return close ? CalculateOutcome::close_window : CalculateOutcome::nothing;
    }
    try {
        run(ctx, steps);
        return CalculateOutcome::completed;
    } catch (const SoilStop&) {
        // Its message box has been shown where the soil was checked.
    } catch (const ClimateError& e) {
        ctx.dialogs.show_error(climate_stop_caption(e.title(), ctx.state.language), e.what());
    } catch (const std::exception& e) {
        ctx.dialogs.show_error("TSM-simulator", e.what());
    }
    return CalculateOutcome::failed;
}

ActivationOutcome activate_window(Simulator& sim, ActivationContext& ctx, const RunSteps& steps,
                                  const std::function<bool()>& window_shown) {
    activate(sim, ctx);
    RunContext run_ctx{*ctx.connection, sim, ctx.observer, ctx.dialogs, ctx.state};
    ActivationOutcome outcome;
    if (sim.auto_mode) {
        sim.running = sim.nowait;
        outcome.calculate = press_calculate(run_ctx, steps);
        outcome.ran = true;
    } else {
        const app::RunLock lock(run_ctx.conn.path()); // the selection of a working run stays
        select_plots(run_ctx.conn, sim);
        run_pre_processing(run_ctx.conn, sim);
    }
    while (sim.running && window_shown()) ctx.observer.process_events();
    outcome.end_program = sim.nowait;
    if (sim.autoclick) {
        outcome.calculate = press_calculate(run_ctx, steps);
        outcome.ran = true;
    }
    return outcome;
}

} // namespace sim

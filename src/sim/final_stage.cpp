#include "sim/final_stage.h"

#include "app/settings_store.h"
#include "db/dataset.h"
#include "db/text.h"
#include "sim/assessment.h"
#include "sim/balance_account.h"
#include "sim/humus_methods.h"
#include "sim/plot_simulation.h"
#include "sim/plot_workers.h"
#include "sim/result_tables.h"
#include "sim/run_input_checks.h"
#include "sim/run_rows.h"
#include "sim/shard.h"

#include <filesystem>
#include <set>
#include <utility>

namespace sim {

// The first cultivation of each selected plot is found before it meets the plot's initial
// measurements, so that the cultivation rows are not paired with every measurement.
const char* const initialisation_check =
    "SELECT DISTINCT fc.FL_ID, fc.first_cultivation, measurements.year "
    "FROM (SELECT cultivation.FL_ID, Min(cultivation.year) AS first_cultivation "
    "FROM cultivation INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID "
    "WHERE cultivation.Macode In (2,3,9) AND site_state.status=1 "
    "GROUP BY cultivation.FL_ID) AS fc "
    "INNER JOIN measurements ON fc.FL_ID = measurements.FL_ID "
    "WHERE measurements.year_number=0 AND fc.first_cultivation > measurements.year";

namespace {

// The rows of the run statement of "TSM": the joins and the selection, shared with its count.
const std::string tsm_run_rows =
    "FROM (((Crep_year INNER JOIN field_description ON Crep_year.FL_ID = "
    "field_description.FL_ID) INNER JOIN site_state ON Crep_year.FL_ID = "
    "site_state.FL_ID) INNER JOIN tmp_soil_prop ON (field_description.soil_ID = "
    "tmp_soil_prop.soil_ID) AND (Crep_year.FL_ID = tmp_soil_prop.FL_ID)) "
    "INNER JOIN tmp_bat ON (Crep_year.year_0 = tmp_bat.year_0) AND (Crep_year.FL_ID = "
    "tmp_bat.FL_ID) "
    "WHERE site_state.status=1";

const std::string tsm_run_count = "SELECT Count(*) AS n " + tsm_run_rows;
} // namespace

Simulator::RunPreview preview_tsm_run(db::Connection& conn) {
    return {!conn.open(initialisation_check).empty(),
            static_cast<int>(conn.scalar(tsm_run_count).as_int())};
}

std::string tsm_run_statement(bool with_tillage_share, const UncertaintyFactors* f) {
    const auto scaled = [&](const std::string& column, double factor) {
        return f ? column + "*" + db::format_number(factor) : column;
    };
    const std::string bat =
        with_tillage_share && !f
            ? "(tmp_bat.BAT*(100-tmp_bat.t_level)+tmp_bat.BATnotill*tmp_bat.t_level)/100"
            : scaled("tmp_bat.BAT", f ? f->f_bat : 1);
    return "SELECT Crep_year.FL_ID, field_description.i_con, tmp_soil_prop.fchw, "
           "tmp_soil_prop.fbio, tmp_soil_prop.hsnk_soc, tmp_soil_prop.hsnk_lts, "
           "tmp_soil_prop.cif, Crep_year.corg, Crep_year.norg, tmp_bat.BAT AS TillBAT, " +
           bat + " AS BAT, tmp_soil_prop.PWP, " + scaled("tmp_soil_prop.BD", f ? f->f_bd : 1) +
           " AS BD, Crep_year.year_0, " + scaled("Crep_year.Crep", f ? f->f_crep : 1) +
           " AS Crep, tmp_soil_prop.skelett, tmp_soil_prop.PD, tmp_soil_prop.FC, "
           "field_description.comment, field_description.notill, tmp_soil_prop.fat, 3250 AS cl, "
           "tmp_soil_prop.clay, tmp_soil_prop.silt " +
           tsm_run_rows + " ORDER BY Crep_year.FL_ID, Crep_year.year_0";
}

namespace {

// The factors of the uncertainty mode: the row ID=1 of tsm_var_fac.
UncertaintyFactors read_uncertainty_factors(db::Connection& conn) {
    db::Dataset d = conn.open("select F_BAT, F_BD, F_CREP from tsm_var_fac where ID=1");
    if (d.empty())
        throw std::runtime_error("tsm_var_fac has no row with ID=1: the uncertainty factors "
                                 "of the run are missing");
    return {d["F_BAT"].as_double(1), d["F_BD"].as_double(1), d["F_CREP"].as_double(1)};
}

// The plots of the simulator's grid of selected plots.
std::set<int> plots_in_grid(db::Connection& conn) {
    std::set<int> plots;
    db::Dataset grid = conn.open(selected_plots_query);
    for (grid.first(); !grid.eof(); grid.next())
        plots.insert(static_cast<int>(grid["FL_ID"].as_int()));
    return plots;
}

// The run statement of a humus balance method, built from its chain's table.
std::string balance_run_statement(RunContext& ctx, BalanceMethod method) {
    switch (method) {
    case BalanceMethod::huba:
        return huba_run_statement(ctx);
    case BalanceMethod::stand:
        return stand_run_statement(ctx);
    case BalanceMethod::salca:
        return salca_run_statement(ctx);
    case BalanceMethod::humod:
        return humod_run_statement(ctx);
    }
    return {};
}

void end_of_run(RunContext& ctx, int last_plot) {
    Simulator& sim = ctx.sim;
    ctx.observer.progress(0, 0);
    report_simulated_plots(ctx);
    const Tallies tallies = compare_with_measurements(ctx.conn);
    sim.histogram = tallies.classes;
    for (const std::string& line : report_lines(tallies)) ctx.message(line);
    if (!sim.shard.empty())
        ctx.message(partial_assessment_line(sim.shard));
    else if (sim.sim_prot)
        append_protocol_row(ctx.conn, protocol_row(assess(tallies), last_plot, sim.run_id));
    if (sim.pst_processing) run_post_processing(ctx);
    ctx.message(job_finished_line());
    write_run_report(std::filesystem::current_path() / run_report_file_name(sim.shard),
                     sim.messages);
    sim.assessment = true;
}

} // namespace

void run_final_stage(RunContext& ctx, const std::string& method, app::SettingsStore* settings) {
    db::Connection& conn = ctx.conn;
    Simulator& sim = ctx.sim;
    std::optional<Simulator::RunPreview> preview = std::exchange(sim.run_preview, std::nullopt);
    ensure_result_table(conn, driver_layout());
    conn.execute("delete from tsm_driver");

    std::optional<UncertaintyFactors> factors;
    std::string statement;
    if (const auto balance = balance_method(method)) {
        statement = balance_run_statement(ctx, *balance);
    } else {
        // The check looks up the initial measurements of every plot (an index that may
        // exist already).
        db::create_index_if_missing(
            conn, " create index tsm_meas_init on measurements (year_number, FL_ID) ");
        if (!preview) preview = preview_tsm_run(conn);
        if (preview->initialisation_fails) {
            ctx.dialogs.show_message(init_check_caption, init_check_text);
            return;
        }
        if (sim.uncas_mode) factors = read_uncertainty_factors(conn);
        statement =
            tsm_run_statement(conn.has_column("tmp_bat", "t_level"), factors ? &*factors : nullptr);
    }

    ensure_result_table(conn, nresult_layout());
    ensure_result_table(conn, sim_result_layout());
    app::MemorySettingsStore no_settings;
    const ZbvStatus zbv = check_zbv_version(conn, ctx.dialogs, settings ? *settings : no_settings,
                                            ctx.state.lastversion);
    if (zbv == ZbvStatus::refused) return;

    // The rows of "TSM" are counted from its joins alone, without reading and sorting them.
    const int total = balance_method(method) ? count_rows(conn, statement) : preview->rows;
    ctx.observer.progress(0, total);
    ctx.message("tsm running");
    sim.histogram = {};

    PlotSimulation simulation(ctx, method, zbv == ZbvStatus::ready, factors ? factors->f_bat : 1,
                              plots_in_grid(conn), total, simulation_threads(sim.threads));
    RunRows rows(conn, statement);
    const StageEnd end = simulation.run(rows);
    if (end == StageEnd::stopped) ctx.message(run_stopped_line);
    if (end != StageEnd::completed) return;
    end_of_run(ctx, simulation.last_plot());
}

} // namespace sim

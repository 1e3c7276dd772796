#include "stats/result_evaluation.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/text.h"
#include "workbench/experiment_tree.h"

#include <fstream>
#include <stdexcept>

namespace stats {
namespace {

const char* const empty_outlist = "create table tmp_outlist ( fl_id int, m_ix int, meas_id int   )";

bool is_null_start(const std::string& i_con) {
    return db::iequals(db::trim(i_con), "null");
}

// With debug, keeps the assembled statement as a text file for checking it by hand.
void write_statement_file(const EvaluationOptions& options, const char* name,
                          const std::string& statement) {
    if (!options.debug) return;
    const std::filesystem::path file = options.debug_dir / name;
    std::ofstream out(file, std::ios::trunc);
    out << statement << "\n";
    if (!out.flush())
        throw std::runtime_error("The statement file " + file.string() + " cannot be written.");
}

// Opens a query of the plot's evaluation; a failure names the plot.
db::Dataset open_for(db::Connection& c, std::int64_t plot, const std::string& statement) {
    try {
        return c.open(statement);
    } catch (const db::Error& e) {
        throw db::Error("Evaluation of plot " + std::to_string(plot) + ": " + e.engine_message(),
                        e.jet_text(), e.sqlite_text());
    }
}

// Drops a work table (it may not exist) and builds it anew; a failure names the plot.
void rebuild_work_table(db::Connection& c, std::int64_t plot, const char* table,
                        const std::string& statement) {
    db::drop_work_table(c, table);
    try {
        c.execute(statement);
    } catch (const db::Error& e) {
        throw db::Error("Evaluation of plot " + std::to_string(plot) + ", work table " + table +
                            ": " + e.engine_message(),
                        e.jet_text(), e.sqlite_text());
    }
}

// The fields of a grid that make a pair of the comparison.
struct PairFields {
    const char* year;
    const char* year_number; // above 0 to be offered
    const char* phase_year;  // compared with the midpoint
    const char* simulated;
    const char* observed;
    const char* outlier_id;
    bool counts_only_when_observed; // F: the observed value is positive
};

// Offers the rows whose year number is above 0 and in the phase to the view. A pair is an
// outlier when the outlier list gave it a meas_ID.
void add_rows(StatView& view, db::Dataset& rows, const PairFields& f, Phase phase,
              double midpoint) {
    for (rows.first(); !rows.eof(); rows.next()) {
        if (!(rows[f.year_number].as_double() > 0)) continue;
        if (!in_phase(phase, rows[f.phase_year].as_double(), midpoint)) continue;
        const double observed = rows[f.observed].as_double();
        const bool counts = !f.counts_only_when_observed || observed > 0;
        view.add_pair(rows[f.year].as_double(), counts, rows[f.outlier_id].is_null(),
                      rows[f.simulated].as_double(), observed);
    }
}

void store_or_list(db::Connection& c, StatView& view, bool store) {
    if (store)
        view.store_statistics(c);
    else
        view.list_statistics();
}

} // namespace

bool in_phase(Phase phase, double year_num, double midpoint) {
    switch (phase) {
    case Phase::early_years:
        return year_num <= midpoint;
    case Phase::late_years:
        return year_num > midpoint;
    case Phase::all_records:
        break;
    }
    return true;
}

std::optional<bool> PageChanges::visible(ResultPage page) const {
    const auto it = visible_.find(page);
    if (it == visible_.end()) return std::nullopt;
    return it->second;
}

db::Dataset carbon_pairs(db::Connection& c, std::int64_t plot, const EvaluationOptions& options) {
    const std::string statement = carbon_pairs_statement(plot);
    write_statement_file(options, "somqry_1882.sql", statement);
    return open_for(c, plot, statement);
}

db::Dataset carbon_grid(db::Connection& c, std::int64_t plot) {
    return open_for(c, plot, carbon_grid_statement(plot));
}

double phase_midpoint(db::Dataset& carbon_grid) {
    if (carbon_grid.empty()) return 0;
    carbon_grid.last();
    const double t = carbon_grid["year_num"].as_double() / 2;
    carbon_grid.first();
    return t;
}

void evaluate_carbon(db::Connection& c, StatView& view, std::int64_t plot, db::Dataset& pairs,
                     Phase phase, double midpoint, bool store, PageChanges& pages) {
    view.reset(plot);
    if (pairs.empty()) return;
    pages.set_visible(ResultPage::c_dynamics, true);
    add_rows(view, pairs,
             {"year_", "year_num", "year_num", "sim_value", "meas_value", "meas_ID", false}, phase,
             midpoint);
    pairs.first();
    store_or_list(c, view, store);
}

db::Dataset evaluate_biomass(db::Connection& c, StatView& view, std::int64_t plot, Phase phase,
                             double midpoint, const EvaluationOptions& options,
                             PageChanges& pages) {
    rebuild_work_table(c, plot, "tmp_cmic_dyn", cmic_work_table_statement(plot));
    const std::string statement = biomass_grid_statement(plot);
    write_statement_file(options, "mbqry_2032.sql", statement);
    db::Dataset grid = open_for(c, plot, statement);
    view.reset(plot);
    if (grid.empty()) {
        pages.set_visible(ResultPage::micr_bm, false);
        return grid;
    }
    pages.set_visible(ResultPage::micr_bm, true);
    add_rows(view, grid,
             {"year_", "year_number", "year_number", "sim_value", "meas_value", "meas_ID", false},
             phase, midpoint);
    grid.first();
    view.list_statistics();
    if (view.sums().o == 0) pages.set_visible(ResultPage::micr_bm, false);
    return grid;
}

void evaluate_turnover(db::Connection& c, std::int64_t plot, const EvaluationOptions& options,
                       PlotEvaluation& result) {
    const std::string statement = turnover_statement(plot);
    if (options.modus != "ORV") write_statement_file(options, "zbv_query.sql", statement);
    result.turnover_grid = open_for(c, plot, statement);
    db::Dataset& grid = result.turnover_grid;
    result.crep_mw.reset();
    if (grid.empty()) return;
    double sum = 0;
    for (grid.first(); !grid.eof(); grid.next()) sum += grid["crepflx"].as_double();
    grid.first();
    result.crep_mw = sum / grid.record_count();
    result.pages.set_visible(ResultPage::om_turnover, true);
    result.pages.om_turnover_to_front = true;
}

db::Dataset evaluate_nitrogen(db::Connection& c, StatView& view, std::int64_t plot,
                              const std::string& i_con, Phase phase, double midpoint, bool store,
                              const EvaluationOptions& options, PageChanges& pages) {
    rebuild_work_table(c, plot, "tmp_obs_nt", obs_nt_work_table_statement(plot));
    const std::string dyn = dyn_nt_work_table_statement(plot);
    write_statement_file(options, "nresqry_2035.sql", dyn);
    rebuild_work_table(c, plot, "tmp_dyn_nt", dyn);
    db::Dataset grid = open_for(c, plot, nitrogen_grid_statement(plot));
    view.reset(plot);
    if (grid.empty() || is_null_start(i_con)) {
        pages.set_visible(ResultPage::n_dynamics, false);
    } else {
        pages.set_visible(ResultPage::n_dynamics, true);
        pages.set_visible(ResultPage::observation, true);
        add_rows(view, grid,
                 {"YEAR_", "year_number", "YEAR_NUM", "SIM_VALUE", "MEAS_VALUE", "meas_id", true},
                 phase, midpoint);
        grid.first();
        store_or_list(c, view, store);
    }
    if (view.sums().o == 0) pages.set_visible(ResultPage::n_dynamics, false);
    return grid;
}

void pages_by_initial_condition(const std::string& i_con, PageChanges& pages) {
    if (!is_null_start(i_con)) {
        pages.set_visible(ResultPage::c_dynamics, true);
        return;
    }
    for (ResultPage p : {ResultPage::observation, ResultPage::c_dynamics, ResultPage::misc_results,
                         ResultPage::n_dynamics, ResultPage::micr_bm, ResultPage::n_balance})
        pages.set_visible(p, false);
}

PlotEvaluation result_auswertung(db::Connection& c, const workbench::Tsrb_item& item, bool store,
                                 Phase phase, StatViews& views, const EvaluationOptions& options) {
    const std::int64_t plot = item.snr;
    db::Transaction tx(c, true);
    // Without an outlier indication no measurement is marked.
    if (!c.has_table("tmp_outlist")) c.execute(empty_outlist);
    PlotEvaluation r;
    db::Dataset pairs = carbon_pairs(c, plot, options);
    r.carbon_grid = carbon_grid(c, plot);
    r.midpoint = phase_midpoint(r.carbon_grid);
    evaluate_carbon(c, views.carbon, plot, pairs, phase, r.midpoint, store, r.pages);
    r.biomass_grid = evaluate_biomass(c, views.biomass, plot, phase, r.midpoint, options, r.pages);
    evaluate_turnover(c, plot, options, r);
    r.nitrogen_grid = evaluate_nitrogen(c, views.nitrogen, plot, item.i_con, phase, r.midpoint,
                                        store, options, r.pages);
    pages_by_initial_condition(item.i_con, r.pages);
    tx.commit();
    return r;
}

} // namespace stats

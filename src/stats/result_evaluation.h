// result_evaluation.h --- the evaluation of one plot's results: simulated against observed
// organic carbon, microbial biomass and total nitrogen, the organic matter turnover, and
// which result pages the plot has to show.
#pragma once

#include "db/dataset.h"
#include "stats/evaluation_statements.h"
#include "stats/stat_view.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace db {
class Connection;
}
namespace workbench {
struct Tsrb_item;
}

namespace stats {

// The temporal phase whose pairs enter the statistics, split at the midpoint of the
// plot's measured carbon series.
enum class Phase { all_records = 0, early_years = 1, late_years = 2 };

// Whether a pair of the year number lies in the phase: early years up to the midpoint,
// late years after it.
bool in_phase(Phase phase, double year_num, double midpoint);

enum class ResultPage {
    observation,
    c_dynamics,
    misc_results,
    n_dynamics,
    micr_bm,
    n_balance,
    om_turnover,
};

// The pages an evaluation shows or hides; pages it does not name keep their state.
class PageChanges {
public:
    void set_visible(ResultPage page, bool visible) { visible_[page] = visible; }
    // Nothing when the evaluation left the page as it was.
    std::optional<bool> visible(ResultPage page) const;
    bool om_turnover_to_front = false;

private:
    std::map<ResultPage, bool> visible_;
};

// The three comparisons of the result window; they live as long as the window.
struct StatViews {
    StatView carbon{corg_table};
    StatView nitrogen{nt_table};
    StatView biomass{mbmc_table};
};

struct EvaluationOptions {
    // With debug, the assembled statements are also written as text files into debug_dir.
    bool debug = false;
    std::filesystem::path debug_dir;
    std::string modus = "TSM"; // "TSM", "ORV" or "KORVEX"
};

// What the result pages show besides the comparisons.
struct PlotEvaluation {
    db::Dataset carbon_grid;       // C-dynamics: YEAR_NUM, YEAR_, MEAS_VALUE, SIM_VALUE
    double midpoint = 0;           // half the year number of the carbon grid's last row
    db::Dataset biomass_grid;      // micr.BM: year_, sim_value, meas_value, year_number
    db::Dataset turnover_grid;     // OM-turnover: year_, crepflx, csomloss, saldo, c2atm, ...
    std::optional<double> crep_mw; // mean of crepflx; nothing without turnover rows
    db::Dataset nitrogen_grid;     // N-dynamics: YEAR_NUM, YEAR_, MEAS_VALUE, SIM_VALUE
    PageChanges pages;
};

// Evaluates one plot (the item's FL_ID, its i_con deciding the pages): fills the three
// comparisons for the phase and lists their statistics, or with store writes the carbon
// and nitrogen statistics into tsm_stat_corg and tsm_stat_nt (the biomass comparison is
// always listed). Leaves the work tables tmp_cmic_dyn, tmp_obs_nt and tmp_dyn_nt behind.
// A database without the outlier list tmp_outlist gets an empty one. Throws db::Error
// naming the plot when a query fails, std::runtime_error naming the file when a statement
// file cannot be written.
PlotEvaluation result_auswertung(db::Connection& c, const workbench::Tsrb_item& item, bool store,
                                 Phase phase, StatViews& views, const EvaluationOptions& options);

// The steps of the evaluation, in order.

// 1. Simulated organic carbon beside the measurement of the same year, with the outlier
// list's meas_ID (somqry_1882.sql).
db::Dataset carbon_pairs(db::Connection& c, std::int64_t plot, const EvaluationOptions& options);
// 2. The C-dynamics grid, and the phase midpoint from its last row.
db::Dataset carbon_grid(db::Connection& c, std::int64_t plot);
double phase_midpoint(db::Dataset& carbon_grid);
// 3. Fills the carbon comparison from the pairs with a year number above 0 in the phase,
// then stores or lists it.
void evaluate_carbon(db::Connection& c, StatView& view, std::int64_t plot, db::Dataset& pairs,
                     Phase phase, double midpoint, bool store, PageChanges& pages);
// 4. The microbial biomass grid (work table tmp_cmic_dyn; mbqry_2032.sql), compared and
// listed.
db::Dataset evaluate_biomass(db::Connection& c, StatView& view, std::int64_t plot, Phase phase,
                             double midpoint, const EvaluationOptions& options, PageChanges& pages);
// 5. The yearly organic matter turnover (zbv_query.sql outside the mode "ORV"); sets
// crep_mw and the page.
void evaluate_turnover(db::Connection& c, std::int64_t plot, const EvaluationOptions& options,
                       PlotEvaluation& result);
// 6. The total nitrogen grid (work tables tmp_obs_nt and tmp_dyn_nt; nresqry_2035.sql),
// compared and stored or listed.
db::Dataset evaluate_nitrogen(db::Connection& c, StatView& view, std::int64_t plot,
                              const std::string& i_con, Phase phase, double midpoint, bool store,
                              const EvaluationOptions& options, PageChanges& pages);
// 7. The pages a plot without a measured initial state ("null") cannot show.
void pages_by_initial_condition(const std::string& i_con, PageChanges& pages);

} // namespace stats

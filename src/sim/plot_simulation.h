// plot_simulation.h --- the plot loop of the final stage: for each plot of the run
// statement its site data, start state, repetitions and years, the yearly turnover and
// the result rows.
#pragma once

#include "db/statement.h"
#include "model/som_model.h"
#include "sim/balance_account.h"
#include "sim/result_tables.h"
#include "sim/run_driver.h"
#include "sim/run_rows.h"

#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace sim {

// How the plot loop ended.
enum class StageEnd {
    completed, // every plot was simulated: the run report follows
    ended,     // a message box ended the final stage
    stopped,   // "STOP RUN"
};

class PlotSimulation {
public:
    // grid: the plots of the simulator's grid; total: rows of the run statement (progress).
    PlotSimulation(RunContext& ctx, std::string method, bool write_zbv, double f_bat,
                   std::set<int> grid, int total);

    // Simulates every plot of the run statement inside one transaction; the rows written
    // stay when the stage ends early or a statement fails.
    StageEnd run(RunRows& rows);
    int last_plot() const { return last_plot_; }

private:
    // The BAT of a plot's years, from tmp_bat.
    struct YearBat {
        int yr;
        double bat;
    };

    // One simulated year: the row whose data it takes, the year K and the simulated year.
    using YearStep = std::function<void(const RunRow& data, int k, int z_jahr)>;

    StageEnd plot(std::vector<RunRow> rows, bool last);
    StageEnd turnover_plot(const std::vector<RunRow>& rows, bool last);
    StageEnd balance_plot(const std::vector<RunRow>& rows);
    bool skip_leading_rows(std::vector<RunRow>& rows) const;
    std::optional<ModelOptions> usable_site(const RunRow& first);
    bool load_initial_state(PlotModel& model, const RunRow& first);
    StageEnd repetitions(const std::vector<RunRow>& rows, const YearStep& year);
    void simulate_year(PlotModel& model, int plot, int k, int z_jahr);
    void write_balance_year(int plot, int z_jahr, int k, const BalanceYear& y, double c_lts,
                            int n_years);
    void add_inputs(PlotModel& model, int plot, int k);
    double year_bat(int k);
    void load_bats(int plot);
    void write_year(int plot, int z_jahr, const YearResult& y, int n_years);
    void write_driver_row(int plot, const PlotSummary& summary);
    void advance_progress();

    RunContext& ctx_;
    std::string method_;
    std::optional<BalanceMethod> balance_; // nothing for the turnover model
    bool pools_turn_over_;
    int last_z_jahr_ = 0; // the simulated year of the last year simulated
    bool write_zbv_;
    double f_bat_;
    std::set<int> grid_;
    int total_, done_ = 0;
    int last_plot_ = 0;

    // Statements of the turnover model (not prepared for the balance methods).
    struct TurnoverStatements {
        db::Statement non_bal, inputs, bats, saved_state;
        std::vector<int> input_columns; // of inputs: cops, part, cnr_alt, pop, cnr, k, eta,
                                        // mkd, item_ix (-1 when absent)
    };
    std::optional<TurnoverStatements> turnover_;
    ResultWriter nresult_, sim_result_, driver_;
    ResultWriter balance_nresult_; // the first 12 columns, for the balance methods
    std::optional<ResultWriter> zbv_, balance_zbv_;
    std::vector<YearBat> plot_bats_;
    std::size_t bat_cursor_ = 0;
    int last_input_year_ = 0;
};

} // namespace sim

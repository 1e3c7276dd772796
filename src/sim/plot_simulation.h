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
#include "sim/turnover_plot.h"

#include <exception>
#include <functional>
#include <future>
#include <memory>
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
    // grid: the plots of the simulator's grid; total: rows of the run statement (progress);
    // threads: how many plots of the turnover model are simulated side by side.
    PlotSimulation(RunContext& ctx, std::string method, bool write_zbv, double f_bat,
                   std::set<int> grid, int total, int threads = 1);

    // Simulates every plot of the run statement inside one transaction; the rows written
    // stay when the stage ends early or a statement fails. The rows are written, and the
    // messages shown, in plot order on the calling thread, whatever the number of threads.
    StageEnd run(RunRows& rows);
    int last_plot() const { return last_plot_; }

private:
    // One plot on its way: read from the database, simulated (on a worker thread when
    // there are several), then written.
    struct PlotJob {
        int plot = 0;
        std::size_t all_rows = 0; // rows of the plot in the run statement
        bool last = false;        // the last plot of the run statement
        bool has_rows = false;    // rows are left after the leading rows were passed over
        std::vector<RunRow> rows; // of a humus balance method
        TurnoverInputs inputs;    // of the turnover model
        PlotOutcome outcome;
        std::future<void> simulated;   // valid while a worker thread simulates the plot
        std::exception_ptr next_error; // reading the plot after it failed
        std::exception_ptr read_error; // reading its inputs failed
    };

    // One simulated year: the row whose data it takes, the year K and the simulated year.
    using YearStep = std::function<void(const RunRow& data, int k, int z_jahr)>;

    std::shared_ptr<PlotJob> read_plot(RunRows& rows, std::optional<std::vector<RunRow>>& next);
    void read_turnover_inputs(TurnoverInputs& in);
    StageEnd write_plot(PlotJob& job);
    StageEnd write_turnover_plot(PlotJob& job);
    StageEnd balance_plot(const std::vector<RunRow>& rows);
    bool skip_leading_rows(std::vector<RunRow>& rows) const;
    StageEnd repetitions(const std::vector<RunRow>& rows, const YearStep& year);
    bool stop_requested();
    void write_balance_year(int plot, int z_jahr, int k, const BalanceYear& y, double c_lts,
                            int n_years);
    void write_year(int plot, int z_jahr, const YearResult& y, int n_years);
    void write_driver_row(int plot, const PlotSummary& summary);
    void advance_progress();

    RunContext& ctx_;
    std::string method_;
    std::optional<BalanceMethod> balance_; // nothing for the turnover model
    TurnoverSettings settings_;
    bool write_zbv_;
    double f_bat_;
    std::set<int> grid_;
    int total_, done_ = 0;
    int last_plot_ = 0;
    int threads_;

    // Statements that read a plot of the turnover model (not prepared for the balance
    // methods).
    struct TurnoverStatements {
        db::Statement non_bal, inputs, bats, saved_state;
        std::vector<int> input_columns; // of inputs: cops, part, cnr_alt, pop, cnr, k, eta,
                                        // mkd, item_ix, year_ (-1 when absent)
    };
    std::optional<TurnoverStatements> turnover_;
    ResultWriter nresult_, sim_result_, driver_;
    ResultWriter balance_nresult_; // the first 12 columns, for the balance methods
    std::optional<ResultWriter> zbv_, balance_zbv_;
};

} // namespace sim

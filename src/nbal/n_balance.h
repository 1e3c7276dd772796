// n_balance.h --- the field N balance: yearly N inputs and outputs of every simulated plot
// and year (tsm_n_bilanz), and its summaries per plot (tsm_nsaldo, nmin_saldo, NT_saldo).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace nbal {

struct NBalanceOptions {
    // One plot (FL_ID), or every plot ("*") when empty.
    std::optional<int> plot;
    // Years Y0..Y1 and the mean mineral fertiliser N D0..D1 (kg N/ha per year) of the
    // summaries; a balance of one plot always takes 0..3000 for both.
    int year_from = 0, year_to = 3000;
    double fertiliser_from = 0, fertiliser_to = 3000;
    // The observed N uptake (measurement M_IX 20) replaces the N removed with the harvest.
    bool observed_uptake = false;
    // Management quantities apply to the share `part` (percent) of their plot.
    bool regional = false;
};

struct NBalanceResult {
    int plot_years = 0; // rows of tsm_n_bilanz
    // Parameter faults that the balance worked around, naming table, column and item.
    std::vector<std::string> warnings;
};

// The progress bar of the N balance window (17 steps).
inline constexpr int progress_steps = 17;

// The plot field: "*" (blanks around it allowed) for every plot, else an FL_ID. Throws
// std::invalid_argument naming the text when it is neither.
std::optional<int> parse_plot_field(const std::string& text);

// The workbench's regional mode: the management table has a column `part`.
bool regional_database(db::Connection& conn);

// Builds the N deposition series (tmp_ndeposit) and the balance tables; every work table is
// dropped and rebuilt. `advance` is called once per step. A failing statement throws
// db::Error naming the step and the statement; the tables built before it remain.
NBalanceResult run_n_balance(db::Connection& conn, const NBalanceOptions& options,
                             const std::function<void()>& advance = {});

} // namespace nbal

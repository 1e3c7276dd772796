// turnover_plot.h --- one plot of the turnover model from what the database holds for it:
// its site data, start state, repetitions and years, computed without the database so
// that plots can be simulated side by side. What the plot shows and writes comes back as
// an ordered list of events, which the run then writes and shows in plot order.
#pragma once

#include "model/som_model.h"
#include "sim/result_tables.h"
#include "sim/run_rows.h"

#include <exception>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace sim {

// The BAT of one year of a plot, from tmp_bat.
struct YearBat {
    int yr = 0;
    double bat = 0;
};

// What the database holds for one plot of the turnover model.
struct TurnoverInputs {
    std::vector<RunRow> rows;  // the plot's rows of the run statement, from its first measurement
    double non_bal = 0;        // meas_value of the plot's measurement M_IX=-1, 0 when none
    std::vector<YearBat> bats; // by year
    std::map<double, std::vector<FomInput>> fom; // opstab rows by year_, in table order
    std::vector<OmState> saved_states;           // som_state rows of the i_con plot
};

// What is the same for every plot of a run.
struct TurnoverSettings {
    ModelOptions options; // pools_turn_over false in the initial-condition mode "null"
    int z_cnt = 0;        // repetitions after the first
    int z_anf = 0;        // year the repetitions start from
};

// One step of what a plot shows and writes, in the order it happens.
struct PlotEvent {
    enum class Kind {
        line,   // a line of the message list
        dialog, // a message box: caption and text
        year,   // a simulated year: its rows of the result tables
    };
    Kind kind = Kind::line;
    std::string caption, text;
    int z_jahr = 0, n_years = 0;
    bool new_row = false; // the year used up a row of the run statement (not a gap)
    YearResult result;
};

// How a plot ended, and what it leaves behind.
struct PlotOutcome {
    std::vector<PlotEvent> events;
    bool completed = true;  // false: a message box ends the final stage after the plot
    bool simulated = false; // the model ran: om_state and summary hold its end
    int left_out_rows = 0;  // rows of the plot counted as done without a year (skipped)
    OmState om_state;
    PlotSummary summary;
    int last_z_jahr = 0;
    std::exception_ptr error; // a failure after the events: it ends the final stage
};

inline constexpr int all_years = std::numeric_limits<int>::max();

// Simulates the plot. With `year_limit` it stops after that many simulated years, leaving
// the state of that moment (the run was stopped there).
PlotOutcome simulate_turnover_plot(const TurnoverInputs& in, const TurnoverSettings& settings,
                                   int year_limit = all_years);

// The plot's FOM inputs of year k from its opstab rows; a year without rows takes those of
// the latest year that had some (`last_input_year`, updated here; initially 0).
const std::vector<FomInput>* inputs_of_year(const TurnoverInputs& in, int k, int& last_input_year);

} // namespace sim

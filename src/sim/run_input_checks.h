// run_input_checks.h --- the inputs of a run checked against plausible ranges before
// anything is changed, and the account of the plots a run leaves out.
#pragma once

#include "sim/run_driver.h"

#include <stdexcept>
#include <string>

namespace sim {

// Input values outside their plausible range; the offending rows are in the message list.
class ImplausibleInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A plausible range of one input column. Rows of plot tables are those of the selected
// plots; rows of climate_data those of the selected plots' climate stations.
struct PlausibleRange {
    const char* table;
    const char* column;
    double low, high;
};

// The ranges that are checked: years of management, measurements and climate, amounts of
// management, measured values, temperature and precipitation.
extern const PlausibleRange plausible_ranges[7];

// Names every offending row in the message list ("plot 101, cultivation, year 1990:
// Quantity = 1e+300 lies outside -99 to 100000"; text in a number column "is not a
// number"), then throws ImplausibleInput when there was one.
void check_run_inputs(RunContext& ctx);

// After the final stage: each selected plot without a result (no tsm_driver row) is named
// with the reason it was left out, then "<n> of <m> selected plots simulated".
void report_simulated_plots(RunContext& ctx);

// Why a plot has no result: the first fault of its soil, climate station, initial Corg
// measurement or management records.
std::string left_out_reason(db::Connection& conn, std::int64_t plot);

} // namespace sim

// n_deposition.h --- the yearly atmospheric N deposition of the climate stations, built into
// the work table tmp_ndeposit for the field N balance and the HUMOD humus balance.
#pragma once

#include <functional>

namespace db {
class Connection;
}

namespace sim {

struct RunContext;

// The value of a year without any deposition value in tmp_ndeposit.
inline constexpr double no_deposition = -99.9;

// Rebuilds tmp_ndeposit (created when missing): one row per climate station and year, from the
// earliest initial measurement (year_number 0) of the station's plots to their latest crop year
// (Macode 2 or 9); only stations with such plots. Each year takes, in increasing priority, the
// station default (reg_ndeposit, year 0), the measured value of the year (reg_ndeposit), and for
// the years up to year1_nd the linear trend between the station's anchors (year0_nd, ndep_0)
// and (year1_nd, ndep_1), constant ndep_0 before year0_nd, when year1_nd > year0_nd. A year
// with no value keeps no_deposition. `afid` 0 builds every station, a positive `afid` that
// station only (the other stations' rows are removed as well). `advance` is called once per
// station (the N balance window's progress bar). Returns the rows written; a failing statement
// throws db::Error and leaves tmp_ndeposit as it was.
int prepare_N_deposition(db::Connection& conn, int afid, const std::function<void()>& advance = {});

// The HUMOD run step: the series of every climate station, with the list line
// "tmp_ndeposit :" and its row count.
void n_deposition_step(RunContext& ctx);

} // namespace sim

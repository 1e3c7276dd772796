// evaluation_statements.h --- the queries of a plot's evaluation: simulated beside observed
// values of organic carbon, microbial biomass and total nitrogen, and the yearly organic
// matter turnover.
#pragma once

#include <cstdint>
#include <string>

namespace stats {

// Simulated organic carbon beside the measurement of the same year, with the meas_ID of
// the outlier list for measurements marked as outliers.
std::string carbon_pairs_statement(std::int64_t plot);
// The C-dynamics grid; year_num is the measurement's year number (Null without one).
std::string carbon_grid_statement(std::int64_t plot);
// Work table tmp_cmic_dyn: the plot's microbial biomass measurements (M_IX 5).
std::string cmic_work_table_statement(std::int64_t plot);
// Simulated microbial biomass per year beside the measurement of the year.
std::string biomass_grid_statement(std::int64_t plot);
// The yearly turnover: reproduction flux, SOM loss, balance, emission, soil carbon, BAT.
std::string turnover_statement(std::int64_t plot);
// Work table tmp_obs_nt: the plot's total nitrogen measurements (M_IX 0) after the start.
std::string obs_nt_work_table_statement(std::int64_t plot);
// Work table tmp_dyn_nt: the simulated nitrogen in SOM of the years with results.
std::string dyn_nt_work_table_statement(std::int64_t plot);
// Simulated beside observed total nitrogen, with the initial measurement (simulated -99).
std::string nitrogen_grid_statement(std::int64_t plot);

// The statements that build the statistics tables, one row per plot; the literal numbers
// fix the column types.
std::string corg_statistics_table_statement();
std::string nt_statistics_table_statement();

} // namespace stats

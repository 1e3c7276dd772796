// run_rows.h --- the rows of a final stage's run statement, read plot by plot, so that
// memory grows with one plot and not with the number of plots.
#pragma once

#include "db/connection.h"
#include "db/statement.h"

#include <optional>
#include <string>
#include <vector>

namespace sim {

// One plot-year of the run statement. Missing numbers read as 0, except corg and norg,
// which read as -99.99 (the marker of a year without a measurement).
struct RunRow {
    int fl_id = 0;
    std::string i_con;  // initial condition of the plot: "obsval", "null" or a source plot
    int year_0 = 0;     // cultivation year
    double corg = 0;    // measured Corg of the year, %; negative when there is none
    double norg = 0;    // measured Norg of the year, %; negative when there is none
    double bd = 0;      // bulk density, g/cm³
    double skelett = 0; // stone fraction
    double cif = 0;     // share of Corg that is not decomposable
    double hsnk_lts = 0, hsnk_soc = 0; // saturation Corg of the LTS pool and of SOM, %
    double fchw = 0, fbio = 0;         // hot-water C divisor, microbial C factor
    double clay = 0, silt = 0, fat = 0;
    double pd = 0, fc = 0, pwp = 0;
    double bat = 0, till_bat = 0; // BAT mixed by the tillage share, and of tilled soil
    double crep = 0;              // C of the crop residues, kg C/ha
    int notill = 0;
    std::string comment;
    // Yearly balances of the humus balance methods (missing values read as 0).
    double hb_crop = 0, hb_oram = 0; // HUBA: crops and amendments, kg C/ha
    double hbil = 0;                 // STAND: humus balance of the year
    double delta_c = 0;              // SALCA, HUMOD: change of the C stock, kg C/ha
    double son_dec = 0;              // HUMOD: decay of soil organic N, kg N/ha
};

// Streams a run statement (ordered by plot and year) and hands out the rows of one plot
// at a time.
class RunRows {
public:
    // Throws db::Error when the statement fails.
    RunRows(db::Connection& conn, const std::string& statement);
    // The rows of the next plot; nothing at the end of the statement.
    std::optional<std::vector<RunRow>> next_plot();

private:
    RunRow read_row() const;
    double number(int index, double if_null = 0) const;

    db::Statement stmt_;
    std::optional<RunRow> pending_; // the first row of the next plot, already read
    std::vector<int> index_;        // column of each RunRow field, -1 when absent
};

// Number of rows of a statement in the dialect.
int count_rows(db::Connection& conn, const std::string& statement);

} // namespace sim

// assessment.h --- how well a run's simulated Corg agrees with the measurements:
// the seven-class histogram of experiment minus model, the error statistics, the
// lines of the run report and the run protocol row.
#pragma once

#include "sim/result_tables.h"

#include <array>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace sim {

// Upper bounds of the seven classes of d = measured - simulated, in % Corg. Class i
// holds the differences below its bound and not below the bound of class i - 1.
inline constexpr std::array<double, 7> difference_class_bounds{-0.5, -0.25, -0.05,    0.05,
                                                               0.25, 0.5,   9.999e102};

// The tallies of one final stage: class counts and the sums over the differences.
struct Tallies {
    std::array<int, 7> classes{};
    double t1 = 0; // sum of the differences, numerator of the (signed) mean error
    double t2 = 0; // sum of the differences
    double t3 = 0; // sum of the squared differences
    int n() const;
    // Counts one difference d = measured - simulated (% Corg).
    void add(double d);
};

// Tallies the pairs of simulated Corg (sim_result, M_IX 7) and Corg measured on the
// same plot in the same year (measurements, M_IX 7, year_number > 0: the initial
// values are the model's input, not a check of it) for the plots of the run
// (site_state.status = 1). Pairs without a simulated or a measured value are left out;
// several measurements of a plot-year each make a pair.
Tallies compare_with_measurements(db::Connection& conn);

struct Assessment {
    int n = 0;
    double mean_error = not_computed; // mean of the differences
    double rmse = not_computed;       // root mean square of the differences
    double s = not_computed;          // standard deviation of the differences
    double smw = not_computed;        // standard error of the mean
    bool bias = false;                // the mean error exceeds its standard error
};

// The statistics of the tallies. Without pairs every statistic is not_computed; with
// one pair s and smw are 0. Bias is judged only from two pairs on: the size of the
// mean error, whatever its sign, against its standard error.
Assessment assess(const Tallies& tallies);

// The lines the run report gets: the seven classes with count and share, N, the mean
// error and RMSE, and from two pairs on s, smw and the bias verdict. None without pairs.
std::vector<std::string> report_lines(const Tallies& tallies);

// The run protocol row of an assessment, dated today.
ProtocolRow protocol_row(const Assessment& assessment, int last_plot, int run_id);

} // namespace sim

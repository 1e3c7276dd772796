// stat_view.h --- one comparison of simulated with observed values of a plot (organic
// carbon, total nitrogen or microbial biomass): the pairs offered, the chart series they
// make, the goodness-of-fit lines listed and the statistics row stored for the plot.
#pragma once

#include "stats/fit_statistics.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace stats {

struct ChartPoint {
    double x = 0; // year
    double y = 0; // value
};

// The three series of a comparison chart: simulated values (a line without markers),
// observed values (circles) and observed values listed as outliers (triangles).
struct StatChart {
    std::vector<ChartPoint> simulated, observed, outliers;
};

// Statistics tables of the three comparisons. The biomass table is never written.
inline constexpr const char* corg_table = "tsm_stat_corg";
inline constexpr const char* nt_table = "tsm_stat_nt";
inline constexpr const char* mbmc_table = "tsm_stat_mbmc";

class StatView {
public:
    explicit StatView(std::string table) : table_(std::move(table)) {}

    // Starts the comparison of a plot: no pairs, empty list and chart, ranges reset.
    void reset(std::int64_t plot);

    // Offers one pair of a year. It counts when the simulated value is positive, the
    // observed value is not 0, counts_as_pair holds and the observation is no outlier.
    // The chart gets every positive value; the ranges follow every pair offered.
    void add_pair(double year, bool counts_as_pair, bool not_an_outlier, double simulated,
                  double observed);

    // Appends the goodness-of-fit lines to the list; nothing with fewer than two pairs.
    void list_statistics();

    // Writes the statistics into the plot's row of the view's table; nothing with fewer
    // than two pairs. The squared-bias components are written only when the table has
    // the columns NU, SB and LC; a value that cannot be computed is left as it was.
    // Throws db::Error naming the table when the row cannot be written.
    void store_statistics(db::Connection& c);

    const std::string& table() const { return table_; }
    std::int64_t plot() const { return plot_; }
    int n() const { return sums_.n; }
    const PairSums& sums() const { return sums_; }
    // The statistics of the last listing or storing; none before or with too few pairs.
    const std::optional<FitStatistics>& results() const { return results_; }
    const std::vector<std::string>& lines() const { return lines_; }
    const StatChart& chart() const { return chart_; }

    // Ranges of the pairs offered, for scaling the chart's axes.
    double previous_year() const { return previous_year_; }
    int same_year_count() const { return same_year_count_; }
    double first_year() const { return first_year_; }
    double last_year() const { return last_year_; }
    double lowest_value() const { return lowest_value_; }
    double highest_value() const { return highest_value_; }

private:
    void update_ranges(double year, double simulated, double observed);

    std::string table_;
    std::int64_t plot_ = 0;
    PairSums sums_;
    std::optional<FitStatistics> results_;
    std::vector<std::string> lines_;
    StatChart chart_;
    double previous_year_ = -99;
    int same_year_count_ = 0;
    double first_year_ = 9999, last_year_ = 0;
    double lowest_value_ = 9999, highest_value_ = 0;
};

// The lines listing the statistics, in order.
std::vector<std::string> statistics_lines(const FitStatistics& f);

// A number as the lists show it: up to 15 significant digits, "." as decimal separator.
std::string list_number(long double v);

} // namespace stats

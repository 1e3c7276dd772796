// fit_statistics.h --- goodness of fit of simulated against observed values: the sums
// over the accepted pairs and the statistics computed from them, in extended precision.
#pragma once

#include <optional>

namespace stats {

// Sums over the accepted pairs of observed o and simulated s, their difference
// d = o - s and the time y = year / 1000.
struct PairSums {
    int n = 0;
    long double o = 0, o2 = 0, s = 0, s2 = 0, so = 0; // sums of o, o^2, s, s^2, s*o
    long double d = 0, d2 = 0, d_rel = 0;             // sums of d, d^2, d/o
    long double y = 0, y2 = 0, dy = 0;                // sums of y, y^2, d*y

    // Adds one pair; the caller has checked that o is not 0.
    void add(long double year, long double simulated, long double observed);
};

// The mean-squared-deviation components: squared bias, nonunity slope and lack of
// correlation. They add up to the mean squared deviation RMSE^2.
struct MsdComponents {
    long double sb = 0, nu = 0, lc = 0;
};

// The statistics of at least two pairs.
struct FitStatistics {
    int n = 0;
    long double me = 0;            // mean error (o - s)
    long double rmse = 0;          // root mean squared error
    long double variance = 0;      // s^2 of the differences; below 0 only by rounding
    std::optional<long double> sd; // s: the root of the variance when it is not negative
    long double smw = 0;           // standard error of the mean difference; -9999 without sd
    long double mean_observed = 0; // o-bar
    long double mean_simulated = 0;
    std::optional<long double> ef;      // modelling efficiency; none when all o are equal
    long double relative_error = 0;     // n * ME / sum of o
    long double mean_relative_diff = 0; // mean of d / o
    long double r_crit = 0;             // critical r, -99 outside the table
    std::optional<long double> r;       // correlation observed ~ simulated
    std::optional<long double> r_dt;    // correlation difference ~ time
    bool r_root_terms_positive = false; // both spreads under the root of r are positive
    std::optional<MsdComponents> msd;   // none when o or s do not vary

    // The mean error stays within one standard error of zero.
    bool no_significant_bias() const { return smw > (me < 0 ? -me : me); }
};

// Marker of a standard error that cannot be computed.
inline constexpr long double no_smw = -9999;
// Marker of a modelling efficiency that cannot be computed, as stored.
inline constexpr long double no_ef = -999;

// The statistics of the sums; requires at least two pairs (throws std::invalid_argument
// otherwise).
FitStatistics fit_statistics(const PairSums& sums);

} // namespace stats

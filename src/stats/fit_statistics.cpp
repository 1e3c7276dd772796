#include "stats/fit_statistics.h"

#include "stats/critical_r.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace stats {
namespace {

// A spread sum(x^2) - sum(x)^2 / n of n values. Values that are all equal can leave a
// rounding residue of either sign instead of 0; a spread within that residue counts as 0,
// so equal values never pass for a tiny spread (or fail for a negative one).
long double cleaned_spread(long double v, long double sum_sq, int n) {
    const long double noise =
        16 * n * std::numeric_limits<long double>::epsilon() * std::fabs(sum_sq);
    return std::fabs(v) <= noise ? 0 : v;
}

long double spread(long double sum_sq, long double sum, int n) {
    return cleaned_spread(sum_sq - sum * sum / n, sum_sq, n);
}

// Pearson's correlation from the sums: the co-spread over the root of the product of the
// two spreads; none when either spread is not positive.
std::optional<long double> correlation(long double co_spread, long double spread_a,
                                       long double spread_b) {
    if (!(spread_a > 0) || !(spread_b > 0)) return std::nullopt;
    return co_spread / (std::sqrt(spread_a) * std::sqrt(spread_b));
}

// Squared bias, nonunity slope and lack of correlation; none when o or s do not vary.
std::optional<MsdComponents> msd_components(const PairSums& p, long double o_bar, long double s_bar,
                                            long double spread_o, long double spread_s) {
    const long double n = p.n;
    if (spread_o * spread_s == 0) return std::nullopt;
    const long double co_spread = p.so - n * o_bar * s_bar;
    const long double b = co_spread / spread_o;
    const long double r2 = co_spread * co_spread / (spread_o * spread_s);
    MsdComponents m;
    m.sb = (o_bar - s_bar) * (o_bar - s_bar);
    m.nu = (1 - b) * (1 - b) * (p.o2 / n - o_bar * o_bar);
    m.lc = (p.s2 / n - s_bar * s_bar) * (1 - r2);
    return m;
}

} // namespace

void PairSums::add(long double year, long double simulated, long double observed) {
    const long double diff = observed - simulated;
    const long double t = year / 1000;
    ++n;
    o += observed;
    o2 += observed * observed;
    s += simulated;
    s2 += simulated * simulated;
    so += simulated * observed;
    d += diff;
    d2 += diff * diff;
    d_rel += diff / observed;
    y += t;
    y2 += t * t;
    dy += diff * t;
}

FitStatistics fit_statistics(const PairSums& p) {
    if (p.n < 2)
        throw std::invalid_argument("goodness of fit needs at least two pairs, not " +
                                    std::to_string(p.n));
    const long double n = p.n;
    FitStatistics f;
    f.n = p.n;
    f.me = (p.o - p.s) / n;
    f.rmse = std::sqrt(p.d2 / n);
    f.variance = cleaned_spread(p.d2 - (p.o - p.s) * f.me, p.d2, p.n) / (n - 1);
    if (f.variance >= 0) f.sd = std::sqrt(f.variance);
    f.smw = f.sd ? std::sqrt(f.variance / n) : no_smw;
    f.mean_observed = p.o / n;
    f.mean_simulated = p.s / n;
    // sum(o^2) - n * o-bar^2 and sum(s^2) - n * s-bar^2 are these spreads.
    const long double spread_o = spread(p.o2, p.o, p.n);
    const long double spread_s = spread(p.s2, p.s, p.n);
    if (spread_o != 0) f.ef = 1 - p.d2 / spread_o;
    f.relative_error = n * f.me / p.o;
    f.mean_relative_diff = p.d_rel / n;
    f.r_crit = critical_r(p.n);
    f.r_root_terms_positive = spread_s > 0 && spread_o > 0;
    f.r = correlation(p.so - p.o * p.s / n, spread_s, spread_o);
    f.r_dt = correlation(p.dy - p.y * p.d / n, spread(p.y2, p.y, p.n), spread(p.d2, p.d, p.n));
    f.msd = msd_components(p, f.mean_observed, f.mean_simulated, spread_o, spread_s);
    return f;
}

} // namespace stats

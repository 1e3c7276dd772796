#include "stats/critical_r.h"

#include <array>
#include <cmath>
#include <specialfunctions.h>

namespace stats {
namespace {

constexpr int table_size = most_pairs_with_critical_r - 2;

double rounded(double v, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(v * scale) / scale;
}

// The table of quantiles, computed once: df 1 is kept to two decimals (12.71), the
// others to four. The table the critical values have always been read from gives 2.7765
// for df 4 (the quantile is 2.776445); it is kept so that stored critical values stay
// comparable with earlier ones.
const std::array<double, table_size>& t_table() {
    static const std::array<double, table_size> table = [] {
        std::array<double, table_size> t{};
        for (int df = 1; df <= table_size; ++df)
            t[static_cast<std::size_t>(df - 1)] =
                rounded(alglib::invstudenttdistribution(df, 0.975), df == 1 ? 2 : 4);
        t[3] = 2.7765;
        return t;
    }();
    return table;
}

} // namespace

std::optional<double> critical_t(int df) {
    if (df < 1 || df > table_size) return std::nullopt;
    return t_table()[static_cast<std::size_t>(df - 1)];
}

long double critical_r(int n) {
    const std::optional<double> t = critical_t(n - 2);
    if (!t) return no_critical_r;
    const long double u = std::sqrt(static_cast<long double>(n - 2)) / *t;
    return std::sqrt(1 / (u * u + 1));
}

} // namespace stats

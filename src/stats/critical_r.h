// critical_r.h --- the critical correlation coefficient of a sample of n pairs: the value
// a correlation must exceed to differ from zero at the 5 % level (two-sided).
#pragma once

#include <optional>

namespace stats {

// Sample sizes for which the table holds a critical value: 3 to 61 pairs (degrees of
// freedom 1 to 59).
inline constexpr int fewest_pairs_with_critical_r = 3;
inline constexpr int most_pairs_with_critical_r = 61;

// Marker of a sample size outside the table.
inline constexpr long double no_critical_r = -99;

// The two-sided 95 % quantile of Student's t for df degrees of freedom (1 to 59) as the
// table holds it: rounded to four decimals, the first (df 1) to two. Nothing outside.
std::optional<double> critical_t(int df);

// The critical r for n pairs: t / sqrt(t^2 + n - 2) with t of df = n - 2 from the table;
// no_critical_r when n is outside 3 to 61.
long double critical_r(int n);

} // namespace stats

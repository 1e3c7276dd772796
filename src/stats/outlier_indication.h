// outlier_indication.h --- single outliers of a plot's measurements by Grubbs' test.
#pragma once

namespace db {
class Connection;
}

namespace stats {

// Largest number of measurements of one plot and property that is tested.
inline constexpr int max_grubbs_group = 200;

// Critical value of Grubbs' two-sided test at the significance level 0.05 for n values:
// ((n - 1) / sqrt(n)) * sqrt(t^2 / (t^2 + n - 2)) with t the 0.05 / (2n) quantile of
// Student's t-distribution with n - 2 degrees of freedom; -99 when n < 3 (never tested).
double z_grubbs(int n);

// Makes the table z_grubbs (N, ZGRUBB) of critical values for N = 1 to 200 when the
// database has none, or when the one it has lacks some N (an interrupted fill). The
// table is built in one transaction, so it is either complete or absent.
void ensure_z_grubbs(db::Connection& c);

// Marks the single outliers of every plot (FL_ID) and property (M_IX): the group
// statistics of the measurements with a year number above 0, Grubbs' test of the
// largest and the smallest value of every group of 3 to 200 values that are not all
// equal, the list tmp_outlist (meas_ID, FL_ID, M_IX) of the marked measurements, and
// measurements.weight (added when missing): 0 for the marked ones, 1 for the rest.
// A statement that fails is skipped (a missing table or column is expected); the list
// exists afterwards, empty when it could not be built. Returns the number of marked
// measurements. Throws db::Error naming the work table when an earlier table cannot be
// removed: its old rows would otherwise pass for the new indication.
int prepare_outlier_indication(db::Connection& c);

} // namespace stats

// balance_account.h --- the yearly account of a humus balance method (HUBA family and "NULL",
// STAND, SALCA, HUMOD) in the final stage: the cumulated C stock, the running mean of the
// yearly balance and the simulated Corg.
#pragma once

#include "model/som_model.h"
#include "sim/run_rows.h"

#include <string>

namespace sim {

enum class BalanceMethod { huba, stand, salca, humod };

// The method of a (trimmed) method name; nothing for "TSM" and unknown names.
std::optional<BalanceMethod> balance_method(const std::string& method);

// Whether a plot's first row gives the account a start: an initial Corg above 0 (SALCA: its
// initial C stock) on a soil with a bulk density above 0. Without one the stock would start
// from the missing-value marker.
bool has_initial_stock(const RunRow& first);

// One year of a balance method.
struct BalanceYear {
    double balance = 0;             // the year's balance b (tsm_nresult c_rep), kg C/ha
    double c_som = 0;               // cumulated C stock, kg C/ha
    double n_m_om = not_computed;   // HUMOD: the year's son_dec, kg N/ha
    double corg_sim = not_computed; // simulated Corg, % (not for the HUBA family)
};

class BalanceAccount {
public:
    // Starts from the plot's first row: c_som = Corg·BD·30000·(1 - skelett), the LTS part of
    // Corg as for the turnover model.
    BalanceAccount(BalanceMethod method, const RunRow& first);

    // The year with the data of `row`.
    BalanceYear year(const RunRow& row);

    PlotSummary summary() const;
    double c_lts() const { return c_lts_; } // the plot's initial LTS stock, kg C/ha

private:
    BalanceMethod method_;
    double bd_, skelett_;
    double init_value_, corg_lts_, c_lts_;
    double c_som_;
    double sum_balance_ = 0;
    double corg_end_ = not_computed;
    int n_years_ = 0;
};

// Humus C per unit of the humus balance coefficients (HUBA, STAND), kg C per humus unit.
inline constexpr double humus_unit_c = 43.1;
// STAND adds its balance to the C stock for this many years of a plot.
inline constexpr int stand_years = 25;

} // namespace sim

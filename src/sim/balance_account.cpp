#include "sim/balance_account.h"

#include "db/text.h"

#include <algorithm>

namespace sim {

std::optional<BalanceMethod> balance_method(const std::string& method) {
    const std::string m = db::upper(db::trim(method));
    if (m == "NULL" || m.rfind("HUBA", 0) == 0) return BalanceMethod::huba;
    if (m == "STAND") return BalanceMethod::stand;
    if (m == "SALCA") return BalanceMethod::salca;
    if (m == "HUMOD") return BalanceMethod::humod;
    return std::nullopt;
}

bool has_initial_stock(const RunRow& first) {
    return first.corg > 0 && first.bd > 0;
}

BalanceAccount::BalanceAccount(BalanceMethod method, const RunRow& first)
    : method_(method), bd_(first.bd), skelett_(first.skelett) {
    const double corg = first.corg;
    const double corg_dec = std::min((1 - first.cif) * corg, 2.0);
    corg_lts_ = corg - corg_dec;
    c_lts_ = corg_lts_ * bd_ * 30 * 1000 * (1 - skelett_);
    init_value_ = corg;
    c_som_ = corg * bd_ * 30000 * (1 - skelett_);
}

BalanceYear BalanceAccount::year(const RunRow& row) {
    ++n_years_;
    BalanceYear y;
    switch (method_) {
    case BalanceMethod::huba:
        y.balance = row.hb_crop + row.hb_oram;
        c_som_ += y.balance / humus_unit_c;
        break;
    case BalanceMethod::stand:
        y.balance = row.hbil;
        if (n_years_ <= stand_years) c_som_ += y.balance / humus_unit_c;
        break;
    case BalanceMethod::salca:
        y.balance = row.delta_c;
        if (n_years_ == 1) c_som_ = row.corg; // the initial stock corg0, kg C/ha
        c_som_ += y.balance;
        break;
    case BalanceMethod::humod:
        y.balance = row.delta_c;
        y.n_m_om = row.son_dec;
        c_som_ += y.balance;
        break;
    }
    sum_balance_ += y.balance;
    y.c_som = c_som_;
    // The HUBA family computes no simulated Corg; a soil without mass has none either.
    const double soil = bd_ * 30000 * (1 - skelett_);
    if (method_ != BalanceMethod::huba && soil > 0) corg_end_ = y.corg_sim = c_som_ / soil;
    return y;
}

PlotSummary BalanceAccount::summary() const {
    PlotSummary s;
    s.mean_rep = n_years_ > 0 ? sum_balance_ / n_years_ : 0;
    s.init_value = init_value_;
    s.corg_lts = corg_lts_;
    s.mean_bat = 0; // the balance methods use no BAT
    s.corg_end = corg_end_;
    s.n_years = n_years_;
    return s;
}

} // namespace sim

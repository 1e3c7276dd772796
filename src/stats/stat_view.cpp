#include "stats/stat_view.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/shown_number.h"
#include "db/value.h"
#include "stats/critical_r.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace stats {
namespace {

using Lines = std::vector<std::string>;

void add_error_lines(Lines& out, const FitStatistics& f) {
    const long double ef = f.ef ? *f.ef : no_ef;
    out.push_back(" N         =" + std::to_string(f.n));
    out.push_back(" mean error=" + list_number(f.me));
    out.push_back(" rel.err =" + list_number(f.relative_error));
    out.push_back(" E        =" + list_number(f.mean_relative_diff));
    out.push_back(" RMSE     =" + list_number(f.rmse));
    out.push_back(" RMSErel  =" + list_number(f.rmse / f.mean_observed));
    out.push_back(" efficiency=" + list_number(ef));
}

void add_bias_lines(Lines& out, const FitStatistics& f) {
    if (!f.sd) {
        out.push_back("  not enough data for more statistics");
        return;
    }
    out.push_back(" s  =" + list_number(*f.sd));
    out.push_back(" smw=" + list_number(f.smw));
    out.push_back(f.no_significant_bias() ? "        no significant bias detected"
                                          : "        bias detected");
}

void add_correlation_lines(Lines& out, const FitStatistics& f) {
    if (!f.r || !f.r_dt) {
        out.push_back(" error in r calculation ");
        return;
    }
    if (f.r_crit != no_critical_r) out.push_back("critical r value =" + list_number(f.r_crit));
    out.push_back(" corr.(obs~sim) r=" + list_number(*f.r));
    out.push_back(" corr.(dif~ t } r=" + list_number(*f.r_dt));
}

// Each component and, when the fit is not perfect, its share of the mean squared error.
void add_msd_lines(Lines& out, const FitStatistics& f) {
    if (!f.msd) return;
    const long double msd = f.rmse * f.rmse;
    const std::pair<const char*, long double> parts[] = {
        {"squared bias=", f.msd->sb}, {"nonunity slp=", f.msd->nu}, {"lack of corr=", f.msd->lc}};
    for (const auto& [label, v] : parts) {
        out.push_back(label + list_number(v));
        if (msd > 0) out.push_back("       (" + list_number(v / msd) + ")");
    }
}

struct StoredColumn {
    const char* name;
    std::optional<long double> value;
};

// The columns of the statistics row; values that cannot be computed stay out.
std::vector<StoredColumn> stored_columns(const FitStatistics& f, bool msd_columns) {
    std::vector<StoredColumn> cols = {
        {"RMS", f.rmse},
        {"MED", f.me},
        {"SMW", f.smw},
        {"s", f.sd},
        {"RELE", f.relative_error * 100},
        {"EF", f.ef ? *f.ef : no_ef},
        {"rmsprz", f.rmse * 100 / f.mean_observed},
        {"medprz", f.mean_relative_diff * 100},
    };
    if (msd_columns && f.msd) {
        cols.push_back({"SB", f.msd->sb});
        cols.push_back({"NU", f.msd->nu});
        cols.push_back({"LC", f.msd->lc});
    }
    if (f.r_root_terms_positive) {
        if (f.r_crit != no_critical_r) cols.push_back({"R_krit", f.r_crit});
        cols.push_back({"R_sim", f.r});
        cols.push_back({"R_dif", f.r_dt});
    }
    std::erase_if(cols, [](const StoredColumn& c) { return !c.value || !std::isfinite(*c.value); });
    return cols;
}

// Whether the table has the squared-bias columns: the probe query can be prepared.
bool has_msd_columns(db::Connection& c, const std::string& table) {
    try {
        c.prepare(" select NU,SB,LC from " + table);
        return true;
    } catch (const db::Error&) {
        return false;
    }
}

} // namespace

std::string list_number(long double v) {
    return db::format_shown(static_cast<double>(v));
}

std::vector<std::string> statistics_lines(const FitStatistics& f) {
    Lines out;
    add_error_lines(out, f);
    add_bias_lines(out, f);
    add_correlation_lines(out, f);
    add_msd_lines(out, f);
    return out;
}

void StatView::reset(std::int64_t plot) {
    plot_ = plot;
    sums_ = PairSums{};
    results_.reset();
    lines_.clear();
    chart_ = StatChart{};
    previous_year_ = -99;
    same_year_count_ = 0;
    first_year_ = 9999;
    last_year_ = 0;
    lowest_value_ = 9999;
    highest_value_ = 0;
}

void StatView::add_pair(double year, bool counts_as_pair, bool not_an_outlier, double simulated,
                        double observed) {
    if (simulated > 0 && counts_as_pair && not_an_outlier && observed != 0) {
        sums_.add(year, simulated, observed);
        same_year_count_ = year == previous_year_ ? same_year_count_ + 1 : 0;
    }
    if (observed > 0)
        (not_an_outlier ? chart_.observed : chart_.outliers).push_back({year, observed});
    if (simulated > 0) chart_.simulated.push_back({year, simulated});
    update_ranges(year, simulated, observed);
}

void StatView::update_ranges(double year, double simulated, double observed) {
    previous_year_ = year;
    first_year_ = std::min(first_year_, year);
    last_year_ = std::max(last_year_, year);
    const double low = observed == 0 ? simulated : std::min(simulated, observed);
    if (low > 0) lowest_value_ = std::min(lowest_value_, low);
    highest_value_ = std::max(highest_value_, std::max(simulated, observed));
}

void StatView::list_statistics() {
    if (sums_.n < 2) return;
    results_ = fit_statistics(sums_);
    const Lines add = statistics_lines(*results_);
    lines_.insert(lines_.end(), add.begin(), add.end());
}

void StatView::store_statistics(db::Connection& c) {
    if (sums_.n < 2) return;
    results_ = fit_statistics(sums_);
    const std::vector<StoredColumn> cols = stored_columns(*results_, has_msd_columns(c, table_));
    std::string text = "update " + table_ + " set N=?";
    std::vector<db::Value> params{sums_.n};
    for (const StoredColumn& col : cols) {
        text += std::string(" ,") + col.name + "=?";
        params.emplace_back(static_cast<double>(*col.value));
    }
    text += " where fl_id=?";
    params.emplace_back(plot_);
    try {
        c.prepare(text).execute(params);
    } catch (const db::Error& e) {
        throw db::Error("The statistics of plot " + std::to_string(plot_) +
                            " cannot be written into " + table_ + ": " + e.engine_message(),
                        e.jet_text(), e.sqlite_text());
    }
}

} // namespace stats

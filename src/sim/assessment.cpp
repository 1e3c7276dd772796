// assessment.cpp --- comparison of simulated and measured Corg and its report.
#include "sim/assessment.h"

#include "db/connection.h"
#include "db/value.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sim {
namespace {

// Corg index of sim_result and measurements.
constexpr int corg_index = 7;

// Differences of decimal values land a hair beside a decimal bound (1.2 - 1.25 is
// -0.05000000000000004); the class is chosen on the difference rounded to 1e-9 %.
double for_classing(double d) {
    return std::round(d * 1e9) / 1e9;
}

std::string number(double v) {
    return db::format_cstr(v);
}

// Share of a class in percent, rounded to one decimal as the report shows it.
double share(int count, int n) {
    return db::round_half_even(count * 1000.0 / n) / 10.0;
}

std::string class_line(const Tallies& t, std::size_t i) {
    const int n = t.n();
    const bool last = i + 1 == t.classes.size();
    const double bound = last ? difference_class_bounds[i - 1] : difference_class_bounds[i];
    return " CL" + std::to_string(i + 1) + (last ? ">" : "<") + number(bound) + "=>" +
           std::to_string(t.classes[i]) + " / " + number(share(t.classes[i], n)) + "%";
}

} // namespace

int Tallies::n() const {
    int total = 0;
    for (int c : classes) total += c;
    return total;
}

void Tallies::add(double d) {
    const double x = for_classing(d);
    const auto it =
        std::upper_bound(difference_class_bounds.begin(), difference_class_bounds.end() - 1, x);
    ++classes[static_cast<std::size_t>(it - difference_class_bounds.begin())];
    t1 += d;
    t2 += d;
    t3 += d * d;
}

// Driven from the later measurements, each of which finds its simulated year through the
// index of sim_result, rather than from every simulated year.
Tallies compare_with_measurements(db::Connection& conn) {
    auto pairs = conn.prepare_native(
        "SELECT m.meas_value, r.sim_value "
        "FROM measurements AS m CROSS JOIN sim_result AS r CROSS JOIN site_state AS s "
        "WHERE r.fl_id = m.fl_id AND r.year_ = m.[year] AND s.fl_id = r.fl_id "
        "AND s.status = 1 AND r.m_ix = ?1 AND m.m_ix = ?1 AND m.year_number > 0 "
        "AND r.sim_value IS NOT NULL AND m.meas_value IS NOT NULL "
        "ORDER BY r.fl_id, r.year_, m.meas_id");
    pairs.bind(1, corg_index);
    Tallies t;
    while (pairs.step()) t.add(pairs.column(0).as_double() - pairs.column(1).as_double());
    return t;
}

Assessment assess(const Tallies& t) {
    Assessment a;
    a.n = t.n();
    if (a.n == 0) return a;
    const double n = a.n;
    a.mean_error = t.t1 / n;
    a.rmse = std::sqrt(t.t3 / n);
    a.s = a.smw = 0.0;
    if (a.n == 1) return a;
    // Equal differences can leave a rounding residue below zero.
    const double v = std::max(0.0, (t.t3 - t.t2 * t.t2 / n) / (n - 1));
    a.s = std::sqrt(v);
    a.smw = std::sqrt(v / n);
    a.bias = std::abs(a.mean_error) > a.smw;
    return a;
}

std::vector<std::string> report_lines(const Tallies& t) {
    const Assessment a = assess(t);
    std::vector<std::string> lines;
    if (a.n == 0) return lines;
    for (std::size_t i = 0; i < t.classes.size(); ++i) lines.push_back(class_line(t, i));
    lines.push_back(" N=" + std::to_string(a.n));
    lines.push_back(" mean error=" + number(a.mean_error));
    lines.push_back(" RMSE      =" + number(a.rmse));
    if (a.n == 1) return lines;
    lines.push_back(" s =" + number(a.s));
    lines.push_back(" smw=" + number(a.smw));
    lines.emplace_back(a.bias ? "        bias detected" : "        no significant bias detected");
    return lines;
}

ProtocolRow protocol_row(const Assessment& a, int last_plot, int run_id) {
    ProtocolRow row;
    row.fl_id = last_plot;
    row.run_id = run_id;
    row.mean_error = a.mean_error;
    row.rmsd = a.rmse;
    row.s = a.s;
    row.smw = a.smw;
    row.n = a.n;
    row.bias = a.bias;
    row.datum = today_iso();
    return row;
}

} // namespace sim

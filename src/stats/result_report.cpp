// result_report.cpp --- the result and SOM reproduction reports of a plot.
#include "stats/result_report.h"

#include "db/connection.h"
#include "stats/management_report.h"
#include "stats/result_evaluation.h"
#include "stats/result_page_statements.h"
#include "stats/site_report.h"
#include "workbench/experiment_tree.h"
#include "workbench/regional_mode.h"

#include <stdexcept>

namespace stats {

namespace {

struct ResultKind {
    ReportKind kind;
    const char* title;
    const char* y_title;
    int decimals;
};

constexpr ResultKind result_kinds[] = {
    {ReportKind::carbon, "C-Dynamics", "Corg[%]", 3},
    {ReportKind::nitrogen, "N-Dynamics", "Nt[%]", 4},
    {ReportKind::microbial, "Cmic-Dynamics", "Cmic", 1},
};

const ResultKind& result_kind(ReportKind kind) {
    for (const ResultKind& k : result_kinds)
        if (k.kind == kind) return k;
    throw std::invalid_argument("not a result report: " + kind_name(kind));
}

bool has_simulated_value(db::Dataset& grid) {
    if (!grid.has_field("SIM_VALUE")) return false;
    for (grid.first(); !grid.eof(); grid.next()) {
        const db::Value& v = grid["SIM_VALUE"];
        if (v.is_number() && !missing_marker(v.as_double())) return true;
    }
    return false;
}

bool has_year_results(db::Connection& conn) {
    return conn.has_table("tsm_zbv") && conn.has_table("tsm_nresult");
}

} // namespace

std::string result_title(ReportKind kind) {
    return result_kind(kind).title;
}

Report result_report(db::Connection& conn, std::int64_t fl_id, ReportKind kind,
                     ResultPageContent page) {
    const ResultKind& k = result_kind(kind);
    Report r;
    r.kind = kind;
    r.fl_id = fl_id;
    r.title = k.title;
    r.plot_line = plot_line(conn, fl_id);
    if (!has_simulated_value(page.grid)) throw NoResults(fl_id);
    r.text_lines = std::move(page.lines);
    r.chart = ReportChart{ReportChart::Kind::comparison, std::move(page.chart), "year", k.y_title};
    r.table.headers = {"date", "observation", "model"};
    r.table.numeric = {true, true, true};
    for (page.grid.first(); !page.grid.eof(); page.grid.next())
        r.table.rows.push_back({report_number(page.grid["YEAR_"], 0),
                                report_number(page.grid["MEAS_VALUE"], k.decimals, true),
                                report_number(page.grid["SIM_VALUE"], k.decimals, true)});
    return r;
}

ResultPageContent evaluate_result_page(db::Connection& conn, std::int64_t fl_id, ReportKind kind) {
    result_kind(kind); // a result kind, or throw
    workbench::Tsrb_item item;
    item.snr = fl_id;
    item.i_con =
        conn.scalar("select i_con from field_description where FL_ID=" + std::to_string(fl_id))
            .as_text();
    StatViews views;
    PlotEvaluation e = result_auswertung(conn, item, false, Phase::all_records, views, {});
    const auto content = [](db::Dataset grid, const StatView& view) {
        return ResultPageContent{std::move(grid), view.lines(), view.chart()};
    };
    if (kind == ReportKind::carbon) return content(std::move(e.carbon_grid), views.carbon);
    if (kind == ReportKind::nitrogen) return content(std::move(e.nitrogen_grid), views.nitrogen);
    return content(std::move(e.biomass_grid), views.biomass);
}

Report reproduction_report(db::Connection& conn, std::int64_t fl_id) {
    Report r;
    r.kind = ReportKind::reproduction;
    r.fl_id = fl_id;
    r.title = "SOM-Reproduction";
    r.plot_line = plot_line(conn, fl_id);
    if (!has_year_results(conn)) throw NoResults(fl_id);
    db::Dataset mean = conn.open(reproduction_assessment_statement(fl_id));
    if (mean.empty()) throw NoResults(fl_id);
    const double rep_ix = mean["rep_ix"].as_double();
    r.text_lines = {"avg(REP_IX)=" + db::format_cstr(rep_ix)};
    ReportChart chart{ReportChart::Kind::reproduction, {}, "year", "REP_IX", rep_ix};
    db::Dataset yearly = conn.open(reproduction_chart_statement(fl_id));
    for (yearly.first(); !yearly.eof(); yearly.next())
        if (yearly["yr"].is_number() && yearly["rep_ix"].is_number())
            chart.series.simulated.push_back(
                {yearly["yr"].as_double(), yearly["rep_ix"].as_double()});
    r.chart = std::move(chart);
    r.table.headers = {"year", "BAT", "REP_IX", "SOM_Rep"};
    r.table.numeric = {true, true, true, true};
    db::Dataset rows = conn.open(reproduction_report_statement(fl_id));
    for (rows.first(); !rows.eof(); rows.next())
        r.table.rows.push_back({report_number(rows["yr"], 0), report_number(rows["BAT"], 1, true),
                                report_number(rows["rep_ix"], 1, true),
                                report_number(rows["SOM_REP"], 0, true)});
    return r;
}

Report build_report(db::Connection& conn, std::int64_t fl_id, ReportKind kind) {
    switch (kind) {
    case ReportKind::site:
        return site_report(conn, fl_id);
    case ReportKind::management:
        return management_report(conn, fl_id, workbench::detect_regional_mode(conn));
    case ReportKind::reproduction:
        return reproduction_report(conn, fl_id);
    case ReportKind::carbon:
    case ReportKind::nitrogen:
    case ReportKind::microbial:
        plot_line(conn, fl_id); // an unknown plot is named as such, not as one without results
        return result_report(conn, fl_id, kind, evaluate_result_page(conn, fl_id, kind));
    }
    throw std::invalid_argument("unknown report kind");
}

} // namespace stats

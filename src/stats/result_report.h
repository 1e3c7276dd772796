// result_report.h --- the result reports of a plot: simulated against observed organic
// carbon, total nitrogen or microbial biomass with the statistics lines and the chart, and
// the SOM reproduction report.
#pragma once

#include "db/dataset.h"
#include "stats/report.h"
#include "stats/stat_view.h"

#include <cstdint>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace stats {

// "C-Dynamics", "N-Dynamics" or "Cmic-Dynamics" for the three result kinds.
std::string result_title(ReportKind kind);

// What a result page shows: its grid (year, observed and simulated value per row), the
// statistics lines and the chart's series.
struct ResultPageContent {
    db::Dataset grid;
    std::vector<std::string> lines;
    StatChart chart;
};

// The result report of the page's content: the statistics lines, the chart and one row per
// grid row (date, observation, model). Throws NoResults when no row holds a simulated value,
// std::runtime_error "no plot with FL_ID n" when there is no such plot.
Report result_report(db::Connection& conn, std::int64_t fl_id, ReportKind kind,
                     ResultPageContent page);

// The page's content as a click on the plot shows it: the plot evaluated over all records.
// Leaves the evaluation's work tables behind, as the click does.
ResultPageContent evaluate_result_page(db::Connection& conn, std::int64_t fl_id, ReportKind kind);

// The SOM reproduction report of the plot as the database holds it now: title
// "SOM-Reproduction", the line "avg(REP_IX)=" with the plot's mean reproduction index, the
// yearly index as a chart and the rows year, BAT, REP_IX, SOM_Rep with their average.
// Throws NoResults when the plot has no yearly results.
Report reproduction_report(db::Connection& conn, std::int64_t fl_id);

// The report of a kind for a plot from the database alone (the console's way): the result
// reports evaluate the plot first.
Report build_report(db::Connection& conn, std::int64_t fl_id, ReportKind kind);

} // namespace stats

// site_report.h --- the site description of a plot (plot, soil with texture and pore
// space, climate station with its weather means) with the literature of its experiment,
// and the plot line that heads every report's pages.
#pragma once

#include "stats/report.h"

#include <cstdint>
#include <string>

namespace db {
class Connection;
}

namespace stats {

// The site query (parameter: FL_ID): the plot's row with its soil and station joined outer,
// so that a plot without soil, station or weather keeps its values; mwtemp, mwprec and ycnt
// are the station's mean temperature, mean precipitation and number of weather years,
// without the row of year 0 that holds the long-term means.
const std::string& site_query_statement();

// The references of the plot's experiment (parameter: FL_ID), through ref2vcode.
const std::string& reference_query_statement();

// "FL_ID=101  Location - site_description" of the plot. Throws std::runtime_error
// "no plot with FL_ID n" when there is no such plot.
std::string plot_line(db::Connection& conn, std::int64_t fl_id);

// The site description: title "site-description", the facts of the site query and the
// table of references under "References:" (no rows when there are none or the database has
// no literature tables). A missing value prints "n/a", a station without weather rows
// "no weather data", a plot without soil "no soil data". Throws as plot_line does.
Report site_report(db::Connection& conn, std::int64_t fl_id);

} // namespace stats

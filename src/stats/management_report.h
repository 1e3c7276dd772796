// management_report.h --- the management list of a plot as a report.
#pragma once

#include "stats/report.h"

#include <cstdint>

namespace db {
class Connection;
}

namespace stats {

// Title "Bewirtschaftung"; one row per management event of the plot in the order of the
// Management page (year, action): date, action, item, amount and its unit. The date is
// day.month.year when day and month are known, else the year. Throws
// std::runtime_error "no plot with FL_ID n" when there is no such plot, db::Error when the
// list cannot be read.
Report management_report(db::Connection& conn, std::int64_t fl_id, bool regional_mode);

} // namespace stats

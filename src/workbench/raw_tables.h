// raw_tables.h --- the raw table panel of an experiment: the filters of its management and
// measurement grids and the rows they add.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace db {
class Connection;
}

namespace workbench {

// The base filter of the management and measurement grids: the rows of one plot.
std::string plot_rows_filter(std::int64_t fl_id);

// The user's condition added to the grid's base filter: "(base) and (condition)". It is
// built from the base filter each time, so applying it again gives the same filter.
std::string raw_filter(const std::string& base, const std::string& condition);

// The same after the database has read it on the table; a condition it cannot read (or
// more than one statement) is refused as EntryRefused naming "filter condition".
std::string checked_raw_filter(db::Connection& conn, const std::string& table,
                               const std::string& base, const std::string& condition);

// The values a new management row starts with: those of the row last worked on.
struct RawEvent {
    std::int64_t macode = 0;
    std::int64_t day = 1, month = 1, year = 0;
    std::int64_t item_ix = -99;
};

// The values a new measurement row starts with when "keep content" is ticked.
struct RawMeasurement {
    std::int64_t m_ix = 0;
    std::int64_t day = 1, month = 1, year = 0;
    std::int64_t year_number = 0;
};

// Adds a management row to the plot the grids show (after checking the plot exists) and
// returns its cultivation_id. One transaction; the plot's simulated results go.
std::int64_t add_raw_event(db::Connection& conn, std::int64_t fl_id, const RawEvent& start);

// Adds a measurement row to the plot, with the kept content or empty; returns its meas_id.
std::int64_t add_raw_measurement(db::Connection& conn, std::int64_t fl_id,
                                 const std::optional<RawMeasurement>& keep);

} // namespace workbench

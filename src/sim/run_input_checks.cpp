// run_input_checks.cpp --- plausibility of a run's inputs, and the plots it left out.
#include "sim/run_input_checks.h"

#include "db/text.h"

#include <cmath>

namespace sim {

const PlausibleRange plausible_ranges[7] = {
    {"cultivation", "year", 1700, 2300},      {"cultivation", "Quantity", -99, 100000},
    {"measurements", "year", 1700, 2300},     {"measurements", "meas_value", -1000, 100000},
    {"climate_data", "year", 0, 2300}, // year 0: the station's default year
    {"climate_data", "temperature", -99, 60}, {"climate_data", "precipitation", -99, 15000},
};

namespace {

// At most this many offending rows are listed per column.
constexpr int listed_rows = 50;

// The rows of one range that lie outside it (or hold no number): owner, year, value.
std::string offending_rows_query(const PlausibleRange& r) {
    const std::string column = std::string("t.\"") + r.column + "\"";
    const bool climate = std::string(r.table) == "climate_data";
    const std::string owner = climate ? "t.climate_ID" : "t.FL_ID";
    const std::string rows =
        climate ? " WHERE t.climate_ID IN (SELECT f.climate_ID FROM field_description f JOIN "
                  "site_state s ON s.FL_ID = f.FL_ID WHERE s.status = 1)"
                : " JOIN site_state s ON s.FL_ID = t.FL_ID WHERE s.status = 1";
    return "SELECT " + owner + ", t.\"year\", " + column + " FROM " + r.table + " t" + rows +
           " AND " + column + " IS NOT NULL AND (typeof(" + column +
           ") NOT IN ('integer', 'real') OR " + column + " < ? OR " + column + " > ?) ORDER BY " +
           owner + ", t.\"year\" LIMIT " + std::to_string(listed_rows + 1);
}

// Whole numbers as such, others (and huge ones) as the database writes them.
std::string plain(double v) {
    if (std::abs(v) < 1e15 && v == std::floor(v)) return std::to_string(std::llround(v));
    return db::format_number(v);
}

std::string offence(const PlausibleRange& r, const db::Value& v) {
    if (!v.is_number()) return "'" + v.as_text() + "' is not a number";
    return plain(v.as_double()) + " lies outside " + plain(r.low) + " to " + plain(r.high);
}

// Lists the offending rows of one range; returns how many there are (up to listed_rows+1).
int list_offending_rows(RunContext& ctx, const PlausibleRange& r) {
    const bool climate = std::string(r.table) == "climate_data";
    db::Statement rows = ctx.conn.prepare_native(offending_rows_query(r));
    rows.bind(1, r.low).bind(2, r.high);
    int found = 0;
    while (rows.step()) {
        if (++found > listed_rows) {
            ctx.message("... and more rows of " + std::string(r.table) + "." + r.column);
            break;
        }
        ctx.message((climate ? "climate station " : "plot ") + rows.column(0).as_text() + ", " +
                    r.table + ", year " + rows.column(1).as_text() + ": " + r.column + " = " +
                    offence(r, rows.column(2)));
    }
    return found;
}

db::Value first_value(db::Connection& conn, const std::string& native, std::int64_t key) {
    db::Statement st = conn.prepare_native(native);
    st.bind(1, key);
    return st.step() ? st.column(0) : db::Value();
}

bool exists(db::Connection& conn, const std::string& native, const db::Value& key) {
    db::Statement st = conn.prepare_native(native);
    st.bind(1, key);
    return st.step();
}

} // namespace

void check_run_inputs(RunContext& ctx) {
    int offending = 0;
    for (const PlausibleRange& r : plausible_ranges)
        if (ctx.conn.has_column(r.table, r.column)) offending += list_offending_rows(ctx, r);
    if (offending > 0)
        throw ImplausibleInput("The run's inputs hold values outside their plausible range (" +
                               std::to_string(offending) +
                               (offending > listed_rows ? " or more" : "") +
                               " rows, listed in the message list); nothing was changed.");
}

std::string left_out_reason(db::Connection& conn, std::int64_t plot) {
    if (!exists(conn, "SELECT 1 FROM field_description WHERE FL_ID = ?", plot))
        return "it is not in field_description";
    const db::Value soil =
        first_value(conn, "SELECT soil_ID FROM field_description WHERE FL_ID = ?", plot);
    if (soil.is_null()) return "it has no soil (soil_ID is empty)";
    if (!exists(conn, "SELECT 1 FROM soilproperties WHERE soil_ID = ?", soil))
        return "its soil_ID " + soil.as_text() + " is not in soilproperties";
    const db::Value station =
        first_value(conn, "SELECT climate_ID FROM field_description WHERE FL_ID = ?", plot);
    if (!exists(conn, "SELECT 1 FROM climate_station WHERE climate_ID = ?", station))
        return "its climate_ID " + station.as_text() + " is not in climate_station";
    const db::Value corg = first_value(conn,
                                       "SELECT min(meas_value) FROM measurements WHERE FL_ID = ? "
                                       "AND M_IX = 7 AND year_number = 0",
                                       plot);
    if (corg.is_null()) return "it has no initial Corg measurement (M_IX 7, year_number 0)";
    if (corg.as_double() < 0) return "its initial Corg " + corg.as_text() + " is negative";
    if (!exists(conn, "SELECT 1 FROM cultivation WHERE FL_ID = ?", plot))
        return "it has no management records in cultivation";
    return "its work tables hold no rows for the final stage";
}

void report_simulated_plots(RunContext& ctx) {
    db::Statement missing = ctx.conn.prepare_native(
        "SELECT s.FL_ID FROM site_state s WHERE s.status = 1 AND s.FL_ID NOT IN (SELECT FL_ID "
        "FROM tsm_driver WHERE FL_ID IS NOT NULL) ORDER BY s.FL_ID");
    int left_out = 0;
    while (missing.step()) {
        const std::int64_t plot = missing.column(0).as_int();
        ctx.message("plot " + std::to_string(plot) +
                    " left out: " + left_out_reason(ctx.conn, plot));
        ++left_out;
    }
    const int selected = static_cast<int>(
        ctx.conn.scalar("select count(*) from site_state where status=1").as_int());
    ctx.message(std::to_string(selected - left_out) + " of " + std::to_string(selected) +
                " selected plots simulated");
}

} // namespace sim

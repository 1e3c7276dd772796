// n_deposition.cpp --- the N deposition series of the climate stations: station default,
// measured yearly values and the historic trend between two anchor years.
#include "sim/n_deposition.h"

#include "db/connection.h"
#include "db/value.h"
#include "sim/run_driver.h"

#include <optional>
#include <string>

namespace sim {
namespace {

constexpr const char* create_series =
    "create table tmp_ndeposit ( climate_id int,  [year] int, N_dep_y float   )";

// Stations whose plots have an initial measurement and crop records: the first year of the
// series (earliest initial measurement), its last year (latest crop year) and the anchors.
constexpr const char* station_list =
    "SELECT field_description.climate_ID, Min(measurements.[year]) AS ajahr, "
    "Max(cultivation.[year]) AS ejahr, climate_station.year0_nd, climate_station.ndep_0, "
    "climate_station.year1_nd, climate_station.ndep_1 \n"
    " FROM ((field_description INNER JOIN measurements ON field_description.FL_ID = "
    "measurements.FL_ID) \n"
    " INNER JOIN cultivation ON field_description.FL_ID = cultivation.FL_ID) \n"
    " INNER JOIN climate_station ON field_description.climate_ID = climate_station.climate_ID \n"
    " WHERE measurements.year_number=0 AND cultivation.Macode In (2,9) ";
constexpr const char* station_list_tail =
    " GROUP BY field_description.climate_ID, climate_station.year0_nd, climate_station.ndep_0, "
    "climate_station.year1_nd, climate_station.ndep_1 ORDER BY field_description.climate_ID";

constexpr const char* append_year =
    "INSERT INTO tmp_ndeposit (climate_id, [year], N_dep_y) VALUES (?, ?, -99.9)";

// The station default (year 0) for every year of the station.
constexpr const char* station_default =
    " UPDATE tmp_ndeposit INNER JOIN reg_ndeposit ON tmp_ndeposit.climate_id = "
    "reg_ndeposit.climate_id SET tmp_ndeposit.N_dep_y = reg_ndeposit.N_dep_y \n"
    " WHERE reg_ndeposit.[year]=0 AND reg_ndeposit.N_dep_y Is Not Null AND "
    "tmp_ndeposit.climate_id=";

// The measured value of the same year.
constexpr const char* measured_years =
    " UPDATE tmp_ndeposit INNER JOIN reg_ndeposit ON (tmp_ndeposit.climate_id = "
    "reg_ndeposit.climate_id) AND (tmp_ndeposit.[year] = reg_ndeposit.[year]) \n"
    " SET tmp_ndeposit.N_dep_y = reg_ndeposit.N_dep_y \n"
    " WHERE reg_ndeposit.N_dep_y Is Not Null AND tmp_ndeposit.climate_id=";

struct Station {
    int id = 0;
    int first_year = 0, last_year = 0;
    db::Value year0, ndep0, year1, ndep1; // the anchors of the historic trend
};

// No station when its first or last year is missing (years without a value): no series then.
std::optional<Station> station_of(const db::Dataset& d) {
    if (d["ajahr"].is_null() || d["ejahr"].is_null()) return std::nullopt;
    Station s;
    s.id = static_cast<int>(d["climate_ID"].as_int());
    s.first_year = static_cast<int>(d["ajahr"].as_int());
    s.last_year = static_cast<int>(d["ejahr"].as_int());
    s.year0 = d["year0_nd"];
    s.ndep0 = d["ndep_0"];
    s.year1 = d["year1_nd"];
    s.ndep1 = d["ndep_1"];
    return s;
}

int append_years(db::Connection& conn, const Station& s) {
    db::Statement insert = conn.prepare(append_year);
    int rows = 0;
    for (int year = s.first_year; year <= s.last_year; ++year) rows += insert.execute({s.id, year});
    return rows;
}

// Years up to year1_nd follow the line through the two anchors, constant ndep_0 before
// year0_nd. Without a complete pair of anchors with year1_nd > year0_nd there is no trend.
void apply_trend(db::Connection& conn, const Station& s) {
    if (s.year0.is_null() || s.year1.is_null() || s.ndep0.is_null() || s.ndep1.is_null()) return;
    const double y0 = s.year0.as_double(), y1 = s.year1.as_double();
    if (!(y1 > y0)) return;
    const double n0 = s.ndep0.as_double();
    const double slope = (s.ndep1.as_double() - n0) / (y1 - y0);
    conn.execute(" UPDATE tmp_ndeposit SET N_dep_y = IIf([year]<=" + db::format_number(y0) + ", " +
                 db::format_number(n0) + ", " + db::format_number(n0) + "+([year]-" +
                 db::format_number(y0) + ")*" + db::format_number(slope) + ") WHERE climate_id=" +
                 std::to_string(s.id) + " AND [year]<=" + db::format_number(y1));
}

} // namespace

int prepare_N_deposition(db::Connection& conn, int afid, const std::function<void()>& advance) {
    if (!conn.has_table("tmp_ndeposit")) conn.execute(create_series);
    std::string list = station_list;
    if (afid > 0) list += " AND field_description.climate_ID=" + std::to_string(afid);
    db::Dataset stations = conn.open(list + station_list_tail);

    db::Transaction tx(conn, true);
    conn.execute(" DELETE * FROM tmp_ndeposit ");
    int rows = 0;
    for (stations.first(); !stations.eof(); stations.next()) {
        if (const auto s = station_of(stations)) {
            rows += append_years(conn, *s);
            conn.execute(station_default + std::to_string(s->id));
            conn.execute(measured_years + std::to_string(s->id));
            apply_trend(conn, *s);
        }
        if (advance) advance();
        if (afid != 0) break;
    }
    tx.commit();
    return rows;
}

void n_deposition_step(RunContext& ctx) {
    ctx.count("tmp_ndeposit :", prepare_N_deposition(ctx.conn, 0));
}

} // namespace sim

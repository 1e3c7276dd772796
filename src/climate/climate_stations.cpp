// climate_stations.cpp --- creating, renaming and deleting climate stations.
#include "climate/climate_stations.h"

#include "app/datamodel.h"
#include "db/connection.h"
#include "db/text.h"

namespace climate {
namespace {

// How many plots a refusal names before it says how many more there are.
constexpr std::size_t plots_named = 10;

Station station_of(const db::Statement& q) {
    Station s{q.column(0).as_int(), q.column(1).as_text(), {}};
    for (int c = 2; c < 6; ++c) {
        const db::Value v = q.column(c);
        s.historic.push_back(v.is_null() ? Cell() : Cell(v.as_double()));
    }
    return s;
}

constexpr const char* station_columns =
    "select climate_id, station, year0_nd, ndep_0, year1_nd, ndep_1 from climate_station ";

// The name a station may take: trimmed, not empty, not "-?-", not another station's.
std::string usable_name(db::Connection& conn, const std::string& name,
                        std::optional<std::int64_t> own) {
    const std::string trimmed = db::trim(name);
    if (trimmed.empty() || trimmed == no_station)
        throw InputError("station: a name is needed (not \"" + trimmed + "\")");
    if (const auto other = find_station(conn, trimmed); other && other->climate_id != own)
        throw InputError("station: the name \"" + trimmed + "\" is already used by station " +
                         std::to_string(other->climate_id));
    return trimmed;
}

} // namespace

std::vector<Station> load_stations(db::Connection& conn, std::optional<std::int64_t> only) {
    db::Statement q = conn.prepare(std::string(station_columns) +
                                   (only ? "where climate_id=? " : "") + "order by climate_id");
    if (only) q.bind(1, *only);
    std::vector<Station> stations;
    while (q.step()) stations.push_back(station_of(q));
    return stations;
}

std::optional<Station> find_station(db::Connection& conn, const std::string& name) {
    db::Statement q = conn.prepare(std::string(station_columns) +
                                   "where UCase(Trim(station))=UCase(?) order by climate_id");
    q.bind(1, db::trim(name));
    if (!q.step()) return std::nullopt;
    return station_of(q);
}

std::int64_t create_station(db::Connection& conn, const std::string& name) {
    db::Transaction t(conn, true);
    const std::string checked = usable_name(conn, name, std::nullopt);
    const std::int64_t key = app::get_key(conn, "climate_station", "climate_id");
    conn.prepare("insert into climate_station (climate_id, station) values (?, ?)")
        .execute({key, checked});
    t.commit();
    return key;
}

void rename_station(db::Connection& conn, std::int64_t climate_id, const std::string& name) {
    db::Transaction t(conn, true);
    const std::string checked = usable_name(conn, name, climate_id);
    conn.prepare("update climate_station set station=? where climate_id=?")
        .execute({checked, climate_id});
    t.commit();
}

std::vector<PlotUse> plots_using(db::Connection& conn, std::int64_t climate_id) {
    db::Statement q = conn.prepare(
        "select FL_ID, site_description from field_description where climate_ID=? order by FL_ID");
    q.bind(1, climate_id);
    std::vector<PlotUse> plots;
    while (q.step()) plots.push_back({q.column(0).as_int(), q.column(1).as_text()});
    return plots;
}

void delete_station(db::Connection& conn, std::int64_t climate_id) {
    db::Transaction t(conn);
    if (const auto plots = plots_using(conn, climate_id); !plots.empty()) {
        std::string names;
        for (std::size_t i = 0; i < plots.size() && i < plots_named; ++i)
            names += (i ? ", " : "") + std::to_string(plots[i].fl_id) + " " + plots[i].name;
        if (plots.size() > plots_named)
            names += " and " + std::to_string(plots.size() - plots_named) + " more";
        throw InputError("Station " + std::to_string(climate_id) + " is used by " +
                         std::to_string(plots.size()) + " plot(s) (FL_ID " + names +
                         "); give them another station first. Nothing was deleted.");
    }
    for (const char* table : {"climate_data", "reg_ndeposit", "vc2cls", "climate_station"})
        if (conn.has_table(table))
            conn.prepare(std::string("delete from ") + table + " where climate_id=?")
                .execute({climate_id});
    t.commit();
}

void save_historic(db::Connection& conn, std::int64_t climate_id, const DetailRow& historic) {
    const std::vector<ColumnRule>& rules = historic_columns();
    if (historic.size() != rules.size()) throw InputError("historic deposition: 4 values needed");
    for (std::size_t c = 0; c < rules.size(); ++c)
        if (std::string fault = cell_fault(rules[c], historic[c]); !fault.empty())
            throw InputError("historic deposition: " + fault);
    if (historic[0] && historic[2] && *historic[2] < *historic[0])
        throw InputError("historic deposition: the final year " + cell_text(rules[2], historic[2]) +
                         " lies before the basic year " + cell_text(rules[0], historic[0]));
    db::Transaction t(conn, true);
    db::Statement update = conn.prepare(
        "update climate_station set year0_nd=?, ndep_0=?, year1_nd=?, ndep_1=? where climate_id=?");
    int index = 0;
    for (const auto& cell : historic) // an empty cell stays null
        update.bind(++index, cell ? db::Value(*cell) : db::Value());
    update.bind(++index, climate_id);
    update.execute();
    t.commit();
}

} // namespace climate

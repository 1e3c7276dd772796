// climate_stations.h --- the climate stations of an experiment database: listing, creating,
// renaming and deleting them, and their two-point historic N deposition.
#pragma once

#include "climate/detail_tables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace climate {

// The name field's text when no station is chosen.
inline constexpr const char* no_station = "-?-";

struct Station {
    std::int64_t climate_id = 0;
    std::string name;
    DetailRow historic; // year0_nd, ndep_0, year1_nd, ndep_1 (historic_columns())
};

// The stations in key order; with `only`, just that station (none when it does not exist).
std::vector<Station> load_stations(db::Connection& conn,
                                   std::optional<std::int64_t> only = std::nullopt);
// The station of that name, compared without regard to case and surrounding blanks.
std::optional<Station> find_station(db::Connection& conn, const std::string& name);

// Creates a station with the next free key (app::get_key) and no rows of its own: a
// station without weather is told apart from one with weather. Refuses an empty name,
// "-?-" and a name already in use (InputError). Returns the key. One transaction; joins
// an open one.
std::int64_t create_station(db::Connection& conn, const std::string& name);
// Gives the station a new name; the same refusals as create_station.
void rename_station(db::Connection& conn, std::int64_t climate_id, const std::string& name);

struct PlotUse {
    std::int64_t fl_id = 0;
    std::string name;
};
// The plots whose climate_ID is the station's, by FL_ID.
std::vector<PlotUse> plots_using(db::Connection& conn, std::int64_t climate_id);

// Deletes the station with its weather records, its annual N deposition and the offers of
// it to experiments (vc2cls), in one transaction. Refused (InputError naming them) while
// plots use the station; a later station reusing the key inherits nothing.
void delete_station(db::Connection& conn, std::int64_t climate_id);

// Stores the historic deposition (checked against historic_columns(); a final year before
// the basic year is refused).
void save_historic(db::Connection& conn, std::int64_t climate_id, const DetailRow& historic);

} // namespace climate

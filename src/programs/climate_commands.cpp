// climate_commands.cpp --- weather series of a station from and to CSV files.
#include "programs/climate_commands.h"

#include "climate/climate_stations.h"
#include "climate/weather_csv.h"
#include "db/connection.h"

#include <fstream>
#include <ostream>
#include <stdexcept>

namespace app {
namespace {

int climate_import(const std::vector<std::string>& a, std::ostream& out) {
    const bool replace = a.size() == 5 && a[4] == "--replace";
    if (a.size() != 4 && !replace) throw std::invalid_argument(climate_import_usage);
    std::ifstream file(a[3], std::ios::binary);
    if (!file) throw std::runtime_error("The weather file '" + a[3] + "' cannot be read.");
    std::vector<climate::DetailRow> rows;
    try {
        rows = climate::read_weather_csv(file);
    } catch (const climate::InputError& e) {
        throw climate::InputError(a[3] + ", " + e.what() + "; nothing was imported.");
    }
    db::Connection c(a[1]);
    const climate::ImportResult r = climate::import_weather(c, a[2], rows, replace);
    out << (r.created ? "Created station " : "Station ") << r.climate_id << " \"" << a[2]
        << "\": " << r.added << " years added, " << r.replaced << " years replaced\n";
    return 0;
}

int climate_export(const std::vector<std::string>& a, std::ostream& out) {
    if (a.size() != 4) throw std::invalid_argument(climate_export_usage);
    db::Connection c(a[1]);
    const auto station = climate::find_station(c, a[2]);
    if (!station) throw climate::InputError("There is no climate station \"" + a[2] + "\".");
    const auto rows = climate::load_rows(c, climate::weather_table(), station->climate_id);
    std::ofstream file(a[3], std::ios::binary);
    if (file) climate::write_weather_csv(file, rows);
    if (!file.flush())
        throw std::runtime_error("The weather file '" + a[3] + "' cannot be written.");
    out << "Station " << station->climate_id << " \"" << station->name << "\": " << rows.size()
        << " years written to " << a[3] << '\n';
    return 0;
}

} // namespace

int run_climate_command(const std::vector<std::string>& args, std::ostream& out) {
    if (!args.empty() && args[0] == "climate-export") return climate_export(args, out);
    return climate_import(args, out);
}

} // namespace app

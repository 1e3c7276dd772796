#include "synthetic_database.h"

#include "db/connection.h"
#include "db/new_database.h"

#include <random>

namespace bench {
namespace {

constexpr int stations = 30, soils = 3, first_year = 1960;

void add_climate(db::Connection& c, int years, std::mt19937& rng) {
    std::normal_distribution<double> temperature(9.0, 0.8), rain(600.0, 120.0);
    db::Statement station = c.prepare(
        "insert into climate_station (climate_ID, station, year0_nd, ndep_0, year1_nd, ndep_1) "
        "values (?, ?, 1960, 25, 2020, 15)");
    db::Statement weather =
        c.prepare("insert into climate_data (climate_ID, [day], [month], "
                  "[year], temperature, precipitation) values (?, 0, 0, ?, ?, ?)");
    for (int s = 1; s <= stations; ++s) {
        station.execute({s, "station " + std::to_string(s)});
        weather.execute({s, 0, 9.0, 600.0});
        for (int y = 0; y < years; ++y)
            weather.execute({s, first_year + y, temperature(rng), rain(rng)});
    }
}

void add_soils(db::Connection& c) {
    c.execute("insert into soilproperties (soil_ID, profile, BA_RBS, BA_KA4, clay, silt, sand, "
              "FAT, BD, BD_org, cif, skelett, fchw, fbio) values "
              "(1, 'loess', 'L', 'Ut3', 20, 70, 10, 24, 1.45, -1, 0.3, 0, 40, 0.15)");
    c.execute("insert into soilproperties (soil_ID, profile, BA_RBS, BA_KA4, clay, silt, sand, "
              "FAT, BD, BD_org, cif, skelett, fchw, fbio) values "
              "(2, 'sand', 'Sl', 'Sl2', 6, 12, 82, 8, 1.55, -1, 0.2, 2, 40, 0.15)");
    c.execute("insert into soilproperties (soil_ID, profile, BA_RBS, BA_KA4, clay, silt, sand, "
              "FAT, BD, BD_org, cif, skelett, fchw, fbio) values "
              "(3, 'clay loam', 'LT', 'Lt2', 30, 40, 30, 33, 1.4, -1, 0.35, 1, 40, 0.15)");
}

void add_plots(db::Connection& c, int plots, int years, std::mt19937& rng) {
    std::normal_distribution<double> yield(70.0, 12.0), carbon(1.4, 0.3);
    db::Statement plot =
        c.prepare("insert into field_description (FL_ID, Location, versuch_code, site_description, "
                  "Herkunft, climate_ID, soil_ID, i_con, area, notill, rep_cnt) "
                  "values (?, ?, ?, ?, 'synthetic', ?, ?, 'obsval', 0.1, 0, 0)");
    db::Statement state =
        c.prepare("insert into site_state (FL_ID, status, res_VAL) values (?, 0, 0)");
    db::Statement event = c.prepare("insert into cultivation (FL_ID, [day], [month], [year], "
                                    "Macode, Item_IX, Quantity, Sim_Quantity, FL_ID_alt) "
                                    "values (?, 1, ?, ?, ?, ?, ?, ?, 0)");
    db::Statement meas =
        c.prepare("insert into measurements (FL_ID, [day], [Month], [year], "
                  "year_number, M_IX, meas_value, weight) values (?, 1, 9, ?, ?, ?, ?, 1)");
    for (int p = 1; p <= plots; ++p) {
        const int experiment = 1 + (p - 1) / 100;
        plot.execute({p, "trial " + std::to_string(experiment), std::to_string(experiment),
                      "plot " + std::to_string(p), 1 + p % stations, 1 + p % soils});
        state.execute({p});
        const double c0 = carbon(rng);
        for (int y = 0; y < years; ++y) {
            const int year = first_year + y, crop = 1 + (y % 4);
            const double q = yield(rng);
            event.execute({p, 8, year, y % 2 ? 9 : 2, crop, q, q});
            event.execute({p, 4, year, 4, 1, 120.0, 120.0});
            event.execute({p, 10, year, 5, 1, 25.0, 25.0});
            if (y % 3 == 0) event.execute({p, 3, year, 3, 101, 300.0, 300.0});
            if (y % 5 == 0) {
                meas.execute({p, year, y, 7, c0 + 0.002 * y});
                meas.execute({p, year, y, 0, (c0 + 0.002 * y) / 10});
            }
        }
    }
}

} // namespace

void make_synthetic_database(const std::filesystem::path& file, int plots, int years) {
    db::remove_database_files(file);
    db::Connection c = db::create_experiment_database(file, false);
    std::mt19937 rng(20261210);
    db::Transaction tr(c);
    add_climate(c, years, rng);
    add_soils(c);
    add_plots(c, plots, years, rng);
    tr.commit();
}

} // namespace bench

// climate_fixture.h --- an empty experiment database with two stations, their weather and
// deposition, and plots on station 1.
#pragma once

#include "db/new_database.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <string>

namespace test {

class ClimateFixture : public testing::Test {
protected:
    ClimateFixture() {
        c.execute_native(
            "insert into climate_station (climate_ID, station) values (1, 'Dry'), (2, 'Wet');"
            "insert into climate_data (climate_ID, day, month, year, temperature, precipitation) "
            "values (1, 0, 0, 0, 8.9, 480), (1, 0, 0, 1990, 9.1, 502.5), (2, 0, 0, 0, 10, 800);"
            "insert into reg_ndeposit (climate_id, year, N_dep_y) values (1, 1990, 30), "
            "(2, 1990, 20);"
            "insert into vc2cls (exp_id, climate_ID) values (1, 1), (1, 2);"
            "insert into field_description (FL_ID, site_description, climate_ID) values "
            "(11, 'north', 1), (12, 'south', 1);");
    }
    std::string rows(const std::string& query) { return test::rows(c, query); }
    // Every row a station owns, for checks that nothing changed.
    std::string station_rows() {
        return rows("select * from climate_station order by climate_id") +
               rows("select * from climate_data order by climate_id, year") +
               rows("select * from reg_ndeposit order by climate_id, year") +
               rows("select * from vc2cls order by climate_id");
    }

    TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "climate.db", false);
};

} // namespace test

// climate_stations_test.cpp --- creating, renaming and deleting stations, and the historic
// deposition.
#include "app/datamodel.h"
#include "climate/climate_stations.h"
#include "climate_fixture.h"

namespace {

using climate::InputError;

class ClimateStationsTest : public test::ClimateFixture {};

TEST_F(ClimateStationsTest, NewStationTakesTheNextKeyAndOwnsNoRows) {
    EXPECT_EQ(climate::create_station(c, "  Moist  "), 3);
    EXPECT_EQ(rows("select climate_id, station from climate_station where climate_id=3"),
              "3|Moist\n");
    // No placeholder rows: a station without weather stays one.
    EXPECT_EQ(rows("select count(*) from climate_data where climate_id=3"), "0\n");
    EXPECT_EQ(rows("select count(*) from reg_ndeposit where climate_id=3"), "0\n");

    c.execute("delete from climate_station");
    EXPECT_EQ(climate::create_station(c, "First"), 0); // an empty table starts at 0
}

TEST_F(ClimateStationsTest, UnusableNamesAreRefusedAndNothingIsWritten) {
    const std::string before = station_rows();
    for (const char* name : {"", "   ", "-?-", "Dry", "dry", " WET "})
        EXPECT_THROW(climate::create_station(c, name), InputError) << name;
    for (const char* name : {"", "-?-", "dry ", "DRY"})
        EXPECT_THROW(climate::rename_station(c, 2, name), InputError) << name;
    EXPECT_EQ(station_rows(), before);
    climate::rename_station(c, 1, "DRY region");
    climate::rename_station(c, 2, "wet"); // its own name in another case
    EXPECT_EQ(rows("select station from climate_station order by climate_id"), "DRY region\nwet\n");
}

TEST_F(ClimateStationsTest, DeleteIsRefusedWhilePlotsUseTheStation) {
    const std::string before = station_rows();
    try {
        climate::delete_station(c, 1);
        FAIL() << "deleted a station in use";
    } catch (const InputError& e) {
        EXPECT_NE(std::string(e.what()).find("2 plot(s) (FL_ID 11 north, 12 south)"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(station_rows(), before);
}

TEST_F(ClimateStationsTest, DeleteRemovesEverythingOfTheStationOnly) {
    c.execute("update field_description set climate_ID=2");
    climate::delete_station(c, 1);
    EXPECT_EQ(rows("select climate_id from climate_station"), "2\n");
    for (const char* table : {"climate_data", "reg_ndeposit", "vc2cls"})
        EXPECT_EQ(rows(std::string("select distinct climate_id from ") + table), "2\n") << table;
    // A new station reusing a freed key inherits nothing.
    climate::delete_station(c, 3); // no such station: nothing to do
    c.execute("update field_description set climate_ID=-99");
    climate::delete_station(c, 2);
    EXPECT_EQ(climate::create_station(c, "New"), 0);
    EXPECT_EQ(rows("select count(*) from climate_data") + rows("select count(*) from reg_ndeposit"),
              "0\n0\n");
}

TEST_F(ClimateStationsTest, AFailingDeleteLeavesEveryRow) {
    c.execute("update field_description set climate_ID=2");
    c.execute_native("create trigger keep before delete on climate_station "
                     "begin select raise(abort, 'station locked'); end;");
    const std::string before = station_rows();
    EXPECT_THROW(climate::delete_station(c, 1), std::exception);
    EXPECT_EQ(station_rows(), before);
}

TEST_F(ClimateStationsTest, HistoricDepositionIsCheckedBeforeItIsStored) {
    using Row = climate::DetailRow;
    const std::string before = station_rows();
    const std::vector<std::pair<Row, const char*>> refused = {
        {{1985, 40, 1970, 20}, "final year 1970 lies before the basic year 1985"},
        {{1985.5, 40, 2005, 20}, "year0_nd 1985.5 is not a whole number"},
        {{1985, -3, 2005, 20}, "ndep_0 -3 lies outside 0 to 300"},
        {{1985, 40, 2005, 900}, "ndep_1 900 lies outside"},
        {{1985, 40, 2005}, "4 values needed"},
    };
    for (const auto& [row, fault] : refused) {
        try {
            climate::save_historic(c, 1, row);
            ADD_FAILURE() << "stored " << fault;
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find(fault), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(station_rows(), before);
    climate::save_historic(c, 1, {1985, 40.5, std::nullopt, std::nullopt});
    EXPECT_EQ(rows("select year0_nd, ndep_0, year1_nd, ndep_1 from climate_station where "
                   "climate_id=1"),
              "1985|40.5|NULL|NULL\n");
    EXPECT_EQ(climate::load_stations(c, 1).at(0).historic, (Row{1985, 40.5, {}, {}}));
}

TEST_F(ClimateStationsTest, StationsAreFoundByKeyOrName) {
    EXPECT_EQ(climate::load_stations(c).size(), 2u);
    EXPECT_TRUE(climate::load_stations(c, 7).empty());
    EXPECT_EQ(climate::find_station(c, " wet")->climate_id, 2);
    EXPECT_FALSE(climate::find_station(c, "We"));
}

} // namespace

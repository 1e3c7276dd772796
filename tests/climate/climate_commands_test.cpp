// climate_commands_test.cpp --- tsm-batch climate-import and climate-export: a good file,
// a file with a bad line, replacing years, the round trip, and wrong arguments.
#include "db/new_database.h"
#include "programs/batch_commands.h"
#include "test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

class ClimateCommandsTest : public testing::Test {
protected:
    ClimateCommandsTest() { db::create_experiment_database(db, false); }

    int batch(std::vector<std::string> args) {
        out.str({});
        err.str({});
        std::istringstream in;
        return app::run_batch(args, in, out, err);
    }
    std::string file(const std::string& name, const std::string& text) {
        const std::string path = (dir / name).string();
        std::ofstream(path) << text;
        return path;
    }
    std::string weather() {
        db::Connection c(db);
        return test::rows(c, "select s.climate_id, s.station, d.year, d.temperature, "
                             "d.precipitation from climate_station s left join climate_data d on "
                             "s.climate_id=d.climate_id order by s.climate_id, d.year");
    }

    test::TempDir dir;
    std::string db = (dir / "exp.db").string();
    std::ostringstream out, err;
};

TEST_F(ClimateCommandsTest, ImportsAGoodFileAndReplacesOnlyWithReplace) {
    const std::string good = file("good.csv", "Year;Temperature;Precipitation\n0;8,9;480\n"
                                              "1990;9,1;502,5\n");
    ASSERT_EQ(batch({"climate-import", db, "Halle", good}), 0) << err.str();
    EXPECT_EQ(out.str(), "Created station 0 \"Halle\": 2 years added, 0 years replaced\n");
    EXPECT_EQ(weather(), "0|Halle|0|8.9|480\n0|Halle|1990|9.1|502.5\n");

    const std::string newer = file("newer.csv", "year,temperature,precipitation\n"
                                                "1990,9.4,510\n1991,8.2,455\n");
    EXPECT_EQ(batch({"climate-import", db, "halle", newer}), 1);
    EXPECT_NE(err.str().find("already has weather for 1 of these years (1990)"), std::string::npos)
        << err.str();
    EXPECT_EQ(weather(), "0|Halle|0|8.9|480\n0|Halle|1990|9.1|502.5\n");

    ASSERT_EQ(batch({"climate-import", db, "halle", newer, "--replace"}), 0) << err.str();
    EXPECT_EQ(out.str(), "Station 0 \"halle\": 1 years added, 1 years replaced\n");
    EXPECT_EQ(weather(), "0|Halle|0|8.9|480\n0|Halle|1990|9.4|510\n0|Halle|1991|8.2|455\n");
}

TEST_F(ClimateCommandsTest, ABadLineWritesNothingAndNamesTheLine) {
    const std::string bad = file("bad.csv", "year,temperature,precipitation\n1990,9.4,510\n"
                                            "1991,82,455\n1992,8.0,470\n");
    EXPECT_EQ(batch({"climate-import", db, "Halle", bad}), 1);
    EXPECT_NE(err.str().find("bad.csv, line 3: temperature 82 lies outside -50 to 50; nothing "
                             "was imported."),
              std::string::npos)
        << err.str();
    EXPECT_EQ(weather(), ""); // not even the station
}

TEST_F(ClimateCommandsTest, ExportedWeatherImportsAsTheSameRows) {
    const std::string source =
        file("in.csv", "day,month,year,temperature,precipitation\n,,0,8.95,480.25\n"
                       "1,1,1990,9.125,502\n");
    ASSERT_EQ(batch({"climate-import", db, "Halle", source}), 0) << err.str();
    const std::string exported = (dir / "out.csv").string();
    ASSERT_EQ(batch({"climate-export", db, "HALLE", exported}), 0) << err.str();
    EXPECT_EQ(out.str(), "Station 0 \"Halle\": 2 years written to " + exported + "\n");
    ASSERT_EQ(batch({"climate-import", db, "Copy", exported}), 0) << err.str();
    db::Connection c(db);
    const std::string columns = "select day, month, year, temperature, precipitation from "
                                "climate_data where climate_id=";
    EXPECT_EQ(test::rows(c, columns + "1 order by year"),
              test::rows(c, columns + "0 order by year"));
    EXPECT_EQ(test::rows(c, columns + "1 order by year"),
              "NULL|NULL|0|8.95|480.25\n1|1|1990|9.125|502\n");
}

TEST_F(ClimateCommandsTest, WrongArgumentsAndMissingThingsAreReported) {
    const std::string good = file("good.csv", "year,temperature,precipitation\n0,8,480\n");
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"climate-import", db, "Halle"}, 2},
        {{"climate-import", db, "Halle", good, "--force"}, 2},
        {{"climate-export", db, "Halle"}, 2},
        {{"climate-import", db, "Halle", (dir / "none.csv").string()}, 1},
        {{"climate-export", db, "Nowhere", (dir / "x.csv").string()}, 1},
        {{"climate-import", (dir / "none.db").string(), "Halle", good}, 1},
    };
    for (const auto& [args, code] : cases) EXPECT_EQ(batch(args), code) << args.back();
    EXPECT_EQ(weather(), "");
}

} // namespace

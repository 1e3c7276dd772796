// weather_csv_test.cpp --- weather files: reading and checking them, importing them into a
// station, and the round trip through an export.
#include "climate/climate_stations.h"
#include "climate/weather_csv.h"
#include "climate_fixture.h"

#include <sstream>

namespace {

using climate::DetailRow;
using climate::InputError;

std::vector<DetailRow> read(const std::string& text) {
    std::istringstream in(text);
    return climate::read_weather_csv(in);
}

class WeatherCsvTest : public test::ClimateFixture {};

TEST(WeatherCsv, HeaderNamesTheColumnsInAnyOrderAndCase) {
    const std::vector<DetailRow> expected{{{}, {}, 0, 8.9, 480}, {{}, {}, 1990, 9.25, 502.5}};
    for (const char* text :
         {"year,temperature,precipitation\n0,8.9,480\n1990,9.25,502.5\n",
          "\xEF\xBB\xBFPrecipitation;YEAR;Temperature\r\n480;0;8,9\r\n502,5;1990;9.25\r\n\r\n",
          "\"year\" , \"temperature\" , precipitation\n\n0, 8.9 ,480\n1990,9.25,502.5"})
        EXPECT_EQ(read(text), expected) << text;
    EXPECT_EQ(read("day;month;year;temperature;precipitation\n1;7;1990;18;80\n"),
              (std::vector<DetailRow>{{1, 7, 1990, 18, 80}}));
}

TEST(WeatherCsv, ABadLineRefusesTheFileNamingLineAndColumn) {
    const std::string header = "year;temperature;precipitation\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {header + "1990;8;500\n1991;warm;600\n",
         "line 3, column temperature: \"warm\" is not a number"},
        {header + "1990;8;500\n1990;9;600\n", "line 3: year 1990 is given twice (also line 2)"},
        {header + "1990;8;500\n\n1991;8;-5\n", "line 4: precipitation -5 lies outside 0 to 15000"},
        {header + "1990;8\n", "line 2: 2 fields instead of 3"},
        {header + "1990;;500\n", "line 2: temperature is missing"},
        {header, "the file holds no weather rows"},
        {"", "the file is empty"},
        {"year;temperature\n1990;8\n", "line 1: the column \"precipitation\" is missing"},
        {"year;temp;precipitation\n", "line 1: unknown column \"temp\""},
        {"year;year;temperature;precipitation\n", "line 1: column \"year\" given twice"},
        {"year,temperature,precipitation\n1990,8,5,500\n", "line 2: 4 fields instead of 3"},
    };
    for (const auto& [text, message] : cases) {
        try {
            read(text);
            ADD_FAILURE() << "accepted: " << message;
        } catch (const InputError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, message.size()), message) << e.what();
        }
    }
}

TEST_F(WeatherCsvTest, ImportAddsCreatesAndReplacesOnlyWhenAsked) {
    const auto file = read("year,temperature,precipitation\n1990,9.5,510\n1991,8.7,470\n");
    const std::string before = station_rows();
    try {
        climate::import_weather(c, "dry", file, false);
        ADD_FAILURE() << "replaced without being asked";
    } catch (const InputError& e) {
        EXPECT_NE(std::string(e.what()).find("already has weather for 1 of these years (1990)"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(station_rows(), before);

    const climate::ImportResult replaced = climate::import_weather(c, "dry", file, true);
    EXPECT_EQ(replaced.climate_id, 1);
    EXPECT_FALSE(replaced.created);
    EXPECT_EQ(replaced.added, 1);
    EXPECT_EQ(replaced.replaced, 1);
    EXPECT_EQ(rows("select year, temperature, precipitation from climate_data where "
                   "climate_id=1 order by year"),
              "0|8.9|480\n1990|9.5|510\n1991|8.7|470\n");

    const climate::ImportResult created = climate::import_weather(c, "Coast", file, false);
    EXPECT_EQ(created.climate_id, 3);
    EXPECT_TRUE(created.created);
    EXPECT_EQ(created.added, 2);
    EXPECT_EQ(rows("select station from climate_station where climate_id=3"), "Coast\n");
}

TEST_F(WeatherCsvTest, ExportAndImportGiveTheSameRows) {
    climate::save_rows(
        c, climate::weather_table(), 1,
        {{{}, {}, 0, 8.9, 480}, {15, 6, 1990, 0.1 + 0.2, 1.0 / 3}, {0, 0, 1991, -3, 0}});
    const auto stored = climate::load_rows(c, climate::weather_table(), 1);
    std::ostringstream out;
    climate::write_weather_csv(out, stored);
    EXPECT_EQ(out.str().substr(0, out.str().find('\n')),
              "year,day,month,temperature,precipitation");
    climate::import_weather(c, "Copy", read(out.str()), false);
    EXPECT_EQ(climate::load_rows(c, climate::weather_table(), 3), stored);
}

} // namespace

// detail_tables_test.cpp --- typed values, the check of a station's rows, and saving them.
#include "climate/detail_tables.h"
#include "climate_fixture.h"

namespace {

using climate::Cell;
using climate::DetailRow;
using climate::InputError;

class DetailTablesTest : public test::ClimateFixture {};

TEST(DetailCells, TypedTextBecomesANumberOrIsRefused) {
    const climate::ColumnRule& temperature = climate::weather_table().columns[3];
    const std::vector<std::pair<const char*, Cell>> read = {
        {"8.5", 8.5}, {" 8,5 ", 8.5}, {"-1", -1.0}, {"", std::nullopt}, {"  ", std::nullopt}};
    for (const auto& [text, value] : read) EXPECT_EQ(climate::read_cell(temperature, text), value);
    for (const char* text : {"warm", "8.5.1", "1e999", "8,5,1"})
        EXPECT_THROW(climate::read_cell(temperature, text), InputError) << text;
    const climate::ColumnRule& year = climate::weather_table().columns[2];
    EXPECT_EQ(climate::cell_text(year, 1990.0), "1990");
    EXPECT_EQ(climate::cell_text(temperature, 8.25), "8.25");
}

// Weather rows: day, month, year, temperature, precipitation.
TEST(DetailRows, FaultsNameTheRowAndTheColumn) {
    const std::vector<std::pair<std::vector<DetailRow>, std::string>> cases = {
        {{{0, 0, 1990, 8, 500}, {0, 0, 1990, 9, 600}},
         "row 2: year 1990 is given twice (also row 1)"},
        {{{0, 0, 1990, 8, 500}, {0, 0, 1650, 9, 600}},
         "row 2: year 1650 lies outside 1700 to 2300 (or 0)"},
        {{{0, 0, 1990.5, 8, 500}}, "row 1: year 1990.5 is not a whole number"},
        {{{0, 0, {}, 8, 500}}, "row 1: year is missing"},
        {{{0, 0, 1990, {}, 500}}, "row 1: temperature is missing"},
        {{{0, 0, 1990, 85, 500}}, "row 1: temperature 85 lies outside -50 to 50"},
        {{{0, 0, 1990, 8, -1}}, "row 1: precipitation -1 lies outside 0 to 15000"},
        {{{0, 13, 1990, 8, 500}}, "row 1: month 13 lies outside 0 to 12"},
        {{{0, 0, 1990, 8}}, "row 1: 4 values instead of 5"},
    };
    const auto name = [](std::size_t r) { return "row " + std::to_string(r + 1); };
    for (const auto& [rows, message] : cases) {
        try {
            climate::check_rows(climate::weather_table(), rows, name);
            ADD_FAILURE() << "accepted: " << message;
        } catch (const InputError& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
    EXPECT_NO_THROW(climate::check_rows(climate::weather_table(),
                                        {{{}, {}, 0, -2.5, 0}, {31, 12, 2300, 50, 15000}}, name));
}

TEST_F(DetailTablesTest, SavedRowsReplaceTheStationsRowsOrNothingChanges) {
    const climate::DetailTable& deposition = climate::deposition_table();
    EXPECT_EQ(climate::load_rows(c, deposition, 1), (std::vector<DetailRow>{{1990, 30}}));
    const std::string before = station_rows();
    EXPECT_THROW(climate::save_rows(c, deposition, 1, {{1991, 28}, {1991, 27}}), InputError);
    EXPECT_EQ(station_rows(), before);

    climate::save_rows(c, deposition, 1, {{1992, 25.5}, {0, 14}});
    EXPECT_EQ(rows("select climate_id, year, N_dep_y from reg_ndeposit order by climate_id, year"),
              "1|0|14\n1|1992|25.5\n2|1990|20\n");
    climate::save_rows(c, climate::weather_table(), 2, {});
    EXPECT_EQ(rows("select count(*) from climate_data where climate_id=2"), "0\n");
}

} // namespace

// weather_csv.h --- a station's weather series as a CSV file: reading and checking a file
// from a weather service, importing it into climate_data, and writing it out again.
#pragma once

#include "climate/detail_tables.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace climate {

// Reads a weather file. The header line names the columns: year, temperature and
// precipitation, and optionally day and month, without regard to case and in any order;
// fields are separated by ";" or "," (the header decides), decimals by "." or (with ";")
// ",". Blank lines are skipped. Every line is checked (numbers, plausible ranges, a year
// given twice); the first fault throws InputError naming the line and the column. The rows
// come in the columns of weather_table().
std::vector<DetailRow> read_weather_csv(std::istream& in);

// Writes the rows with the header "year,day,month,temperature,precipitation", "." as the
// decimal point and every value at full precision, so that reading the file gives the
// same rows.
void write_weather_csv(std::ostream& out, const std::vector<DetailRow>& rows);

// The years of `rows` the station already has weather for.
std::vector<std::int64_t> years_present(db::Connection& conn, std::int64_t climate_id,
                                        const std::vector<DetailRow>& rows);

// The years as a message shows them: "1990, 1991, ..." (the first ten).
std::string year_list(const std::vector<std::int64_t>& years);

struct ImportResult {
    std::int64_t climate_id = 0;
    bool created = false; // the station did not exist and was created
    int added = 0;        // years the station had no weather for
    int replaced = 0;     // years whose weather was replaced
};

// Imports checked rows into the station of that name, creating it when missing. When the
// station already has weather for some of the years, they are replaced only with
// `replace`; otherwise InputError names them and nothing is written. One transaction.
ImportResult import_weather(db::Connection& conn, const std::string& station,
                            const std::vector<DetailRow>& rows, bool replace);
// The same into the station with that key.
ImportResult import_weather(db::Connection& conn, std::int64_t climate_id,
                            const std::vector<DetailRow>& rows, bool replace);

} // namespace climate

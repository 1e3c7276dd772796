// detail_tables.h --- the rows a climate station owns (weather records in climate_data,
// measured annual N deposition in reg_ndeposit): the rules of their columns, the check of
// typed values, and loading and saving one station's rows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace db {
class Connection;
}

namespace climate {

// Input a user typed or a file held that cannot be stored; the message names the row and
// the field. Nothing was written.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a column accepts: whole numbers or decimals, whether it may stay empty, and the
// plausible range (0 may be allowed beside it: the year 0 holds the long-term means).
struct ColumnRule {
    std::string name;
    bool whole = false;
    bool required = false;
    double min = 0, max = 0;
    bool zero_allowed = false;
};

// A table of per-station rows keyed by climate_id, one row per year.
struct DetailTable {
    std::string table;
    std::string key;                 // the station's key column
    std::vector<ColumnRule> columns; // without the key; "year" among them
    std::size_t year_column() const;
    std::optional<std::size_t> column(std::string_view name) const; // without regard to case
};

// climate_data: day, month, year, temperature (°C), precipitation (mm).
const DetailTable& weather_table();
// reg_ndeposit: year, N_dep_y (kg N per ha and year).
const DetailTable& deposition_table();
// The historic deposition of climate_station: year0_nd, ndep_0, year1_nd, ndep_1.
const std::vector<ColumnRule>& historic_columns();

using Cell = std::optional<double>;
using DetailRow = std::vector<Cell>; // one cell per column of the table, in its order

// A typed value: blank is empty, "." or "," the decimal point. Throws InputError naming
// the column when the text is no number.
Cell read_cell(const ColumnRule& rule, std::string_view text);
// The value as a cell shows it ("" when empty; whole columns without decimals).
std::string cell_text(const ColumnRule& rule, const Cell& value);
// What is wrong with the value, "" when it is acceptable.
std::string cell_fault(const ColumnRule& rule, const Cell& value);

// Checks every cell and refuses a year given twice. `row_name(i)` names row i in the
// message ("row 3", "line 7"). Throws InputError at the first fault.
void check_rows(const DetailTable& table, const std::vector<DetailRow>& rows,
                const std::function<std::string(std::size_t)>& row_name);

// The station's rows, ordered by year.
std::vector<DetailRow> load_rows(db::Connection& conn, const DetailTable& table,
                                 std::int64_t climate_id);
// Checks the rows (named "row 1", "row 2", ... in messages) and makes them the station's
// rows, in one transaction.
void save_rows(db::Connection& conn, const DetailTable& table, std::int64_t climate_id,
               const std::vector<DetailRow>& rows);
// Writes the rows for the station, replacing rows of the same years; joins an open
// transaction. The rows must have been checked.
void put_rows(db::Connection& conn, const DetailTable& table, std::int64_t climate_id,
              const std::vector<DetailRow>& rows);

} // namespace climate

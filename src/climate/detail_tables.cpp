// detail_tables.cpp --- column rules, typed values and the rows of one station.
#include "climate/detail_tables.h"

#include "db/connection.h"
#include "db/text.h"
#include "db/value.h"

#include <cmath>
#include <map>

namespace climate {
namespace {

// Years of experiments and of the weather series that drive them; 0 holds the long-term
// means of a station (or its default deposition).
ColumnRule year_rule() {
    return {"year", true, true, 1700, 2300, true};
}

std::string bracketed_list(const DetailTable& t) {
    std::string s;
    for (const ColumnRule& c : t.columns) s += ", [" + c.name + "]";
    return s;
}

db::Value to_value(const ColumnRule& rule, const Cell& cell) {
    if (!cell) return {};
    if (rule.whole) return static_cast<std::int64_t>(*cell);
    return *cell;
}

} // namespace

std::size_t DetailTable::year_column() const {
    return *column("year");
}

std::optional<std::size_t> DetailTable::column(std::string_view name) const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (db::iequals(columns[i].name, name)) return i;
    return std::nullopt;
}

const DetailTable& weather_table() {
    static const DetailTable t{"climate_data",
                               "climate_id",
                               {{"day", true, false, 0, 31},
                                {"month", true, false, 0, 12},
                                year_rule(),
                                {"temperature", false, true, -50, 50},
                                {"precipitation", false, true, 0, 15000}}};
    return t;
}

const DetailTable& deposition_table() {
    static const DetailTable t{
        "reg_ndeposit", "climate_id", {year_rule(), {"N_dep_y", false, true, 0, 300}}};
    return t;
}

const std::vector<ColumnRule>& historic_columns() {
    static const std::vector<ColumnRule> c{{"year0_nd", true, false, 1700, 2300},
                                           {"ndep_0", false, false, 0, 300},
                                           {"year1_nd", true, false, 1700, 2300},
                                           {"ndep_1", false, false, 0, 300}};
    return c;
}

Cell read_cell(const ColumnRule& rule, std::string_view text) {
    std::string s = db::trim(text);
    if (s.empty()) return std::nullopt;
    if (const auto comma = s.find(','); comma != std::string::npos) s[comma] = '.';
    const std::optional<double> v = db::parse_number(s);
    if (!v || !std::isfinite(*v))
        throw InputError(rule.name + ": \"" + std::string(text) + "\" is not a number");
    return v;
}

std::string cell_text(const ColumnRule& rule, const Cell& value) {
    if (!value) return {};
    if (rule.whole && *value == std::floor(*value) && std::fabs(*value) < 9e15)
        return std::to_string(static_cast<std::int64_t>(*value));
    return db::format_cstr(*value);
}

std::string cell_fault(const ColumnRule& rule, const Cell& value) {
    if (!value) return rule.required ? rule.name + " is missing" : std::string();
    const double v = *value;
    if (rule.whole && v != std::floor(v))
        return rule.name + " " + db::format_cstr(v) + " is not a whole number";
    if (rule.zero_allowed && v == 0) return {};
    if (v < rule.min || v > rule.max)
        return rule.name + " " + db::format_cstr(v) + " lies outside " + db::format_cstr(rule.min) +
               " to " + db::format_cstr(rule.max) + (rule.zero_allowed ? " (or 0)" : "");
    return {};
}

void check_rows(const DetailTable& table, const std::vector<DetailRow>& rows,
                const std::function<std::string(std::size_t)>& row_name) {
    const std::size_t year = table.year_column();
    std::map<double, std::size_t> seen;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r].size() != table.columns.size())
            throw InputError(row_name(r) + ": " + std::to_string(rows[r].size()) +
                             " values instead of " + std::to_string(table.columns.size()));
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            if (std::string fault = cell_fault(table.columns[c], rows[r][c]); !fault.empty())
                throw InputError(row_name(r) + ": " + fault);
        const auto [at, fresh] = seen.emplace(*rows[r][year], r);
        if (!fresh)
            throw InputError(row_name(r) + ": year " +
                             cell_text(table.columns[year], rows[r][year]) +
                             " is given twice (also " + row_name(at->second) + ")");
    }
}

std::vector<DetailRow> load_rows(db::Connection& conn, const DetailTable& table,
                                 std::int64_t climate_id) {
    std::string select = "select " + bracketed_list(table).substr(2) + " from " + table.table +
                         " where " + table.key + "=? order by [year]";
    db::Statement q = conn.prepare(select);
    q.bind(1, climate_id);
    std::vector<DetailRow> rows;
    while (q.step()) {
        DetailRow row;
        for (int c = 0; c < static_cast<int>(table.columns.size()); ++c) {
            const db::Value v = q.column(c);
            row.push_back(v.is_null() ? Cell() : Cell(v.as_double()));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void put_rows(db::Connection& conn, const DetailTable& table, std::int64_t climate_id,
              const std::vector<DetailRow>& rows) {
    db::Transaction t(conn, true);
    db::Statement remove =
        conn.prepare("delete from " + table.table + " where " + table.key + "=? and [year]=?");
    std::string marks;
    for (std::size_t i = 0; i < table.columns.size(); ++i) marks += ", ?";
    db::Statement insert = conn.prepare("insert into " + table.table + " (" + table.key +
                                        bracketed_list(table) + ") values (?" + marks + ")");
    const std::size_t year = table.year_column();
    for (const DetailRow& row : rows) {
        remove.execute({climate_id, to_value(table.columns[year], row[year])});
        std::vector<db::Value> values{climate_id};
        for (std::size_t c = 0; c < row.size(); ++c)
            values.push_back(to_value(table.columns[c], row[c]));
        insert.execute(values);
    }
    t.commit();
}

void save_rows(db::Connection& conn, const DetailTable& table, std::int64_t climate_id,
               const std::vector<DetailRow>& rows) {
    check_rows(table, rows, [](std::size_t r) { return "row " + std::to_string(r + 1); });
    db::Transaction t(conn);
    conn.prepare("delete from " + table.table + " where " + table.key + "=?").execute({climate_id});
    put_rows(conn, table, climate_id, rows);
    t.commit();
}

} // namespace climate

// weather_csv.cpp --- weather series read from and written to CSV files.
#include "climate/weather_csv.h"

#include "climate/climate_stations.h"
#include "db/connection.h"
#include "db/text.h"

#include <istream>
#include <ostream>

namespace climate {
namespace {

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = line.find(separator, from);
        std::string field = db::trim(line.substr(from, at - from));
        if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
            field = field.substr(1, field.size() - 2);
        fields.push_back(field);
        if (at == std::string::npos) return fields;
        from = at + 1;
    }
}

std::string line_name(std::size_t line) {
    return "line " + std::to_string(line);
}

// The position in weather_table() of each column of the file.
std::vector<std::size_t> header_columns(const std::vector<std::string>& names) {
    const DetailTable& t = weather_table();
    std::vector<std::size_t> positions;
    std::vector<bool> given(t.columns.size(), false);
    for (const std::string& name : names) {
        const auto at = t.column(name);
        if (!at)
            throw InputError(line_name(1) + ": unknown column \"" + name +
                             "\" (expected year, day, month, temperature, precipitation)");
        if (given[*at]) throw InputError(line_name(1) + ": column \"" + name + "\" given twice");
        given[*at] = true;
        positions.push_back(*at);
    }
    for (std::size_t c = 0; c < t.columns.size(); ++c)
        if (t.columns[c].required && !given[c])
            throw InputError(line_name(1) + ": the column \"" + t.columns[c].name +
                             "\" is missing");
    return positions;
}

bool next_line(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

} // namespace

std::vector<DetailRow> read_weather_csv(std::istream& in) {
    const DetailTable& t = weather_table();
    std::string line;
    if (!next_line(in, line)) throw InputError("the file is empty");
    if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3); // byte order mark
    const char separator = line.find(';') != std::string::npos ? ';' : ',';
    const std::vector<std::size_t> positions = header_columns(split(line, separator));

    std::vector<DetailRow> rows;
    std::vector<std::size_t> lines;
    for (std::size_t number = 2; next_line(in, line); ++number) {
        if (db::trim(line).empty()) continue;
        const std::vector<std::string> fields = split(line, separator);
        if (fields.size() != positions.size())
            throw InputError(line_name(number) + ": " + std::to_string(fields.size()) +
                             " fields instead of " + std::to_string(positions.size()));
        DetailRow row(t.columns.size());
        for (std::size_t f = 0; f < fields.size(); ++f) {
            try {
                row[positions[f]] = read_cell(t.columns[positions[f]], fields[f]);
            } catch (const InputError& e) {
                throw InputError(line_name(number) + ", column " + e.what());
            }
        }
        rows.push_back(std::move(row));
        lines.push_back(number);
    }
    if (rows.empty()) throw InputError("the file holds no weather rows");
    check_rows(t, rows, [&](std::size_t r) { return line_name(lines[r]); });
    return rows;
}

void write_weather_csv(std::ostream& out, const std::vector<DetailRow>& rows) {
    const DetailTable& t = weather_table();
    const std::vector<std::size_t> order{t.year_column(), *t.column("day"), *t.column("month"),
                                         *t.column("temperature"), *t.column("precipitation")};
    for (std::size_t i = 0; i < order.size(); ++i)
        out << (i ? "," : "") << t.columns[order[i]].name;
    out << '\n';
    for (const DetailRow& row : rows) {
        for (std::size_t i = 0; i < order.size(); ++i) {
            const Cell& cell = row[order[i]];
            out << (i ? "," : "");
            if (cell)
                out << (t.columns[order[i]].whole ? cell_text(t.columns[order[i]], cell)
                                                  : db::format_number(*cell));
        }
        out << '\n';
    }
}

std::vector<std::int64_t> years_present(db::Connection& conn, std::int64_t climate_id,
                                        const std::vector<DetailRow>& rows) {
    const std::size_t year = weather_table().year_column();
    db::Statement q =
        conn.prepare("select count(*) from climate_data where climate_id=? and [year]=?");
    std::vector<std::int64_t> present;
    for (const DetailRow& row : rows) {
        const auto y = static_cast<std::int64_t>(row[year].value_or(0));
        q.bind(1, climate_id).bind(2, y);
        if (q.step() && q.column(0).as_int() > 0) present.push_back(y);
        q.reset();
    }
    return present;
}

std::string year_list(const std::vector<std::int64_t>& years) {
    std::string text;
    for (std::size_t i = 0; i < years.size() && i < 10; ++i)
        text += (i ? ", " : "") + std::to_string(years[i]);
    if (years.size() > 10) text += ", ...";
    return text;
}

ImportResult import_weather(db::Connection& conn, const std::string& station,
                            const std::vector<DetailRow>& rows, bool replace) {
    db::Transaction t(conn);
    const auto existing = find_station(conn, station);
    const std::int64_t id = existing ? existing->climate_id : create_station(conn, station);
    ImportResult result = import_weather(conn, id, rows, replace);
    result.created = !existing;
    t.commit();
    return result;
}

ImportResult import_weather(db::Connection& conn, std::int64_t climate_id,
                            const std::vector<DetailRow>& rows, bool replace) {
    check_rows(weather_table(), rows, [](std::size_t r) { return "row " + std::to_string(r + 1); });
    db::Transaction t(conn, true);
    const auto station = load_stations(conn, climate_id);
    if (station.empty())
        throw InputError("There is no climate station " + std::to_string(climate_id) + ".");
    const std::vector<std::int64_t> present = years_present(conn, climate_id, rows);
    if (!present.empty() && !replace) {
        throw InputError("The station \"" + station[0].name + "\" already has weather for " +
                         std::to_string(present.size()) + " of these years (" + year_list(present) +
                         "); nothing was imported. Replace them to import the file.");
    }
    put_rows(conn, weather_table(), climate_id, rows);
    t.commit();
    ImportResult result;
    result.climate_id = climate_id;
    result.replaced = static_cast<int>(present.size());
    result.added = static_cast<int>(rows.size()) - result.replaced;
    return result;
}

} // namespace climate

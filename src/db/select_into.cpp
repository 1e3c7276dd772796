// SELECT ... INTO: a new table made from a query, with the column types that the
// source columns and the values give it.
#include "db/connection.h"
#include "db/db_error.h"
#include "db/jet/translation.h"
#include "db/text.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <sqlite3.h>

namespace db {
namespace {

// The type of a new column copied from a declared table column ("" when unknown).
std::string type_from_declared(const std::string& declared) {
    const std::string d = upper(declared);
    if (d.empty()) return "";
    if (d.find("INT") != std::string::npos) return "INTEGER";
    if (d.find("CHAR") != std::string::npos || d.find("CLOB") != std::string::npos ||
        d.find("TEXT") != std::string::npos)
        return "TEXT COLLATE NOCASE";
    if (d.find("BLOB") != std::string::npos) return "BLOB";
    return "REAL";
}

// The type of a computed column from the kinds of values it holds: text wins over
// numbers, real over integer; a column of Nulls only gets no type.
std::string type_from_kinds(const std::set<std::string>& kinds) {
    if (kinds.count("text")) return "TEXT COLLATE NOCASE";
    if (kinds.count("real")) return "REAL";
    if (kinds.count("integer")) return "INTEGER";
    if (kinds.count("blob")) return "BLOB";
    return "";
}

std::string type_from_values(Connection& c, const std::string& work, const std::string& column) {
    Statement st = c.prepare_native("SELECT DISTINCT typeof(" + jet::quote_name(column) +
                                    ") FROM temp." + work);
    std::set<std::string> kinds;
    while (st.step()) kinds.insert(st.column(0).as_text());
    return type_from_kinds(kinds);
}

// A constant column holds one kind of value in every row.
std::string type_of_constant(Connection& c, const std::string& constant) {
    Statement st = c.prepare_native("SELECT typeof(" + constant + ")");
    st.step();
    return type_from_kinds({st.column(0).as_text()});
}

std::string create_statement(const std::string& target, const std::vector<std::string>& names,
                             const std::vector<std::string>& types) {
    std::string create = "CREATE TABLE " + target + " (";
    for (std::size_t i = 0; i < names.size(); ++i)
        create +=
            (i ? ", " : "") + jet::quote_name(names[i]) + (types[i].empty() ? "" : " ") + types[i];
    return create + ")";
}

} // namespace

int Connection::run_select_into(const std::string& jet_text, const jet::Translation& t) {
    const std::string target = jet::quote_name(t.into_schema) + "." + jet::quote_name(t.into_table);
    if (t.into_schema == "main" && has_table(t.into_table))
        throw Error("Table '" + t.into_table + "' already exists.", jet_text, t.sqlite_text());

    std::vector<std::string> names, types;
    std::vector<bool> known;
    {
        Statement probe(db_, jet_text, t.main);
        std::set<std::string> seen;
        for (int i = 0; i < probe.column_count(); ++i) {
            names.push_back(probe.column_name(i));
            std::string key = names.back();
            key = lower(key);
            if (!seen.insert(key).second)
                throw Error("Duplicate output destination '" + names.back() + "'.", jet_text,
                            t.sqlite_text());
            types.push_back(type_from_declared(probe.column_decltype(i)));
            known.push_back(!types.back().empty());
        }
    }
    // Constant columns take the kind of their value, as long as the query returns rows.
    std::vector<std::string> without_constants = types;
    bool constants = false;
    for (std::size_t i = 0; i < types.size() && i < t.into_constants.size(); ++i)
        if (!known[i] && !t.into_constants[i].empty()) {
            types[i] = type_of_constant(*this, t.into_constants[i]);
            known[i] = constants = true;
        }
    const bool all_known = std::find(known.begin(), known.end(), false) == known.end();

    Savepoint sp(*this, "jet_into");
    const std::string work = "jet_into";
    std::string source = t.main;
    if (!all_known) {
        // Computed columns: hold the rows once to see what values they carry.
        execute_native("DROP TABLE IF EXISTS temp." + work);
        execute_native("CREATE TEMP TABLE " + work + " AS " + t.main);
        std::vector<std::string> work_columns;
        Statement info =
            prepare_native("SELECT name FROM pragma_table_info('" + work + "', 'temp')");
        while (info.step()) work_columns.push_back(info.column(0).as_text());
        for (std::size_t i = 0; i < types.size() && i < work_columns.size(); ++i)
            if (!known[i] || types[i].empty())
                types[i] = type_from_values(*this, work, work_columns[i]);
        source = "SELECT * FROM temp." + work + " ORDER BY rowid";
    }
    execute_native(create_statement(target, names, types));
    const sqlite3_int64 before = sqlite3_total_changes64(db_);
    Statement fill(db_, jet_text, "INSERT INTO " + target + " " + source);
    fill.step();
    const int rows = static_cast<int>(sqlite3_total_changes64(db_) - before);
    if (!all_known) execute_native("DROP TABLE temp." + work);
    if (rows == 0 && constants) { // no values: those columns get no type either
        execute_native("DROP TABLE " + target);
        execute_native(create_statement(target, names, without_constants));
    }
    sp.release();
    return rows;
}

} // namespace db

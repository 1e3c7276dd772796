// climate_scratch.cpp --- the scratch database of the work alongside the run's own.
#include "sim/climate_scratch.h"

#include "db/jet/translation.h"
#include "db/new_database.h"
#include "sim/climate_preparation.h"
#include "sim/shard_file.h"

#include <filesystem>
#include <sqlite3.h>
#include <stdexcept>

namespace sim {
namespace {

constexpr const char* run_schema = "run_db";
constexpr const char* scratch_schema = "climate_scratch";

// The run's database as a URI that opens it for reading only (the library here takes URI
// file names; where one does not, the attachment fails and the run keeps to the sequence).
std::string read_only_uri(const std::string& file) {
    std::string uri = "file:";
    for (const char c : file) {
        if (c == '%' || c == '?' || c == '#') {
            static const char hex[] = "0123456789abcdef";
            uri += '%';
            uri += hex[(c >> 4) & 0xf];
            uri += hex[c & 0xf];
        } else {
            uri += c;
        }
    }
    return uri + "?mode=ro";
}

std::string database_file(db::Connection& run) {
    std::string file = open_file(run);
    if (file.empty()) throw std::runtime_error("the run's database is not a file");
    return file;
}

db::Connection fresh_file(const std::string& file) {
    db::remove_database_files(file);
    return db::Connection::create(file);
}

// The definitions of a table of `schema` and of its indexes.
std::vector<std::string> definitions(db::Connection& c, const std::string& schema,
                                     const std::string& table) {
    db::Statement st = c.prepare_native("SELECT sql FROM " + schema +
                                        ".sqlite_master WHERE tbl_name = ? COLLATE NOCASE "
                                        "AND sql IS NOT NULL ORDER BY type <> 'table', rowid");
    st.bind(1, table);
    std::vector<std::string> sql;
    while (st.step()) sql.push_back(st.column(0).as_text());
    return sql;
}

} // namespace

std::string open_file(const db::Connection& conn) {
    const char* file = sqlite3_db_filename(conn.handle(), "main");
    return file != nullptr ? file : "";
}

ClimateScratch::ClimateScratch(db::Connection& run)
    : file_(database_file(run) + ".run-climate"), conn_(fresh_file(file_)) {
    // A statement that fails is rolled back; the file itself need not survive a crash.
    // Smaller caches than the run's own connection's: the two work at the same time, and
    // the run's memory stays within what the run's connection alone takes.
    conn_.execute_native("PRAGMA main.journal_mode=MEMORY; PRAGMA main.synchronous=OFF; "
                         "PRAGMA cache_size=-16384; PRAGMA temp.cache_size=-16384");
    {
        const AttachedDatabase scratch(run, file_, scratch_schema);
        run.execute_native(std::string("CREATE TABLE ") + scratch_schema +
                           ".site_state AS SELECT * FROM site_state; CREATE INDEX " +
                           scratch_schema + ".site_state_plot ON site_state (FL_ID)");
    }
    for (const char* table : refilled_time_tables)
        for (const std::string& definition : definitions(run, "main", table))
            conn_.execute_native(definition);
    // Read only: nothing here can change it, and a transaction here takes no lock of it
    // from the run's own connection.
    conn_.prepare_native(std::string("ATTACH DATABASE ? AS ") + run_schema)
        .execute({read_only_uri(database_file(run))});
    if (sqlite3_db_readonly(conn_.handle(), run_schema) != 1)
        throw std::runtime_error("the run's database is not attached for reading only");
}

ClimateScratch::~ClimateScratch() {
    conn_.close();
    db::remove_database_files(file_);
}

void ClimateScratch::copy_into(db::Connection& run) {
    const AttachedDatabase scratch(run, file_, scratch_schema);
    db::Transaction all(run);
    for (const char* table : yearly_climate_tables) db::drop_work_table(run, table);
    for (const char* table : refilled_time_tables) {
        run.execute_native("DELETE FROM main." + db::jet::quote_name(table));
        copy_rows(run, table);
    }
    for (const std::string& table : made_tables(run)) {
        db::drop_work_table(run, table);
        for (const std::string& definition : definitions(run, scratch_schema, table))
            run.execute_native(definition);
        copy_rows(run, table);
    }
    all.commit();
}

// The tables the steps made, in the order they made them: all but the selection and the
// refilled tables.
std::vector<std::string> ClimateScratch::made_tables(db::Connection& run) {
    std::string skipped = "'site_state'";
    for (const char* table : refilled_time_tables) skipped += ", " + db::jet::quote_text(table);
    db::Statement st =
        run.prepare_native("SELECT name FROM " + std::string(scratch_schema) +
                           ".sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' "
                           "ESCAPE '!' AND lower(name) NOT IN (" +
                           skipped + ") ORDER BY rowid");
    std::vector<std::string> tables;
    while (st.step()) tables.push_back(st.column(0).as_text());
    return tables;
}

// Fills the run's empty table of the same definition and indexes with the rows of the table
// built here, with their row ids. The rows and index entries are copied as they are stored,
// in one pass; where that gives row ids anew (a table without indexes) and the ones built
// here do not run from 1 without a gap, the rows are copied again with their own.
void ClimateScratch::copy_rows(db::Connection& run, const std::string& table) {
    const std::string from = std::string(scratch_schema) + "." + db::jet::quote_name(table);
    const std::string to = "main." + db::jet::quote_name(table);
    run.execute_native("INSERT INTO " + to + " SELECT * FROM " + from);
    db::Statement same = run.prepare_native("SELECT (SELECT max(rowid) FROM " + to +
                                            ") IS (SELECT max(rowid) FROM " + from + ")");
    if (same.step() && same.column(0).as_int() == 1) return;
    run.execute_native("DELETE FROM " + to);
    db::Statement st = run.prepare_native(std::string("SELECT name FROM pragma_table_info(?, '") +
                                          scratch_schema + "') ORDER BY cid");
    st.bind(1, table);
    std::string columns = "rowid";
    while (st.step()) columns += ", " + db::jet::quote_name(st.column(0).as_text());
    run.execute_native("INSERT INTO " + to + " (" + columns + ") SELECT " + columns + " FROM " +
                       from + " ORDER BY rowid");
}

} // namespace sim

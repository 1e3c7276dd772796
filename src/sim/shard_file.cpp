// shard_file.cpp --- the file a shard's run leaves.
#include "sim/shard_file.h"

#include "db/connection.h"
#include "db/statement.h"

#include <sstream>
#include <stdexcept>

namespace sim {
namespace {

const char* const record_table = "shard_run";

void write_record(db::Connection& out, const ShardRecord& r) {
    out.execute_native("CREATE TABLE shard_run (name TEXT PRIMARY KEY, value TEXT);"
                       "CREATE TABLE shard_plots (FL_ID INTEGER)");
    db::Statement field = out.prepare_native("INSERT INTO shard_run (name, value) VALUES (?, ?)");
    const std::pair<const char*, std::string> fields[] = {{"input_hash", r.input_hash},
                                                          {"input", r.input},
                                                          {"parameters", r.parameters},
                                                          {"method", r.method},
                                                          {"shard", r.shard},
                                                          {"protocol", r.protocol ? "1" : "0"},
                                                          {"run_id", std::to_string(r.run_id)}};
    for (const auto& [name, value] : fields) field.execute({name, value});
    db::Statement plot = out.prepare_native("INSERT INTO shard_plots (FL_ID) VALUES (?)");
    for (int p : r.plots) plot.execute({p});
}

std::string table_definition(db::Connection& conn, const std::string& schema,
                             const std::string& table) {
    db::Statement st = conn.prepare_native("SELECT sql FROM " + schema +
                                           ".sqlite_master WHERE type = 'table' AND name = ? "
                                           "COLLATE NOCASE");
    st.bind(1, table);
    return st.step() ? st.column(0).as_text() : std::string();
}

void copy_result_rows(db::Connection& out, const std::string& table) {
    const std::string definition = table_definition(out, "run", table);
    if (definition.empty()) return; // the run left no such table
    out.execute_native(definition);
    const std::string filter = std::string(table) == "tsm_driver"
                                   ? ""
                                   : " WHERE FL_ID IN (SELECT FL_ID FROM main.shard_plots)";
    out.execute_native("INSERT INTO main." + table + " SELECT * FROM run." + table + filter +
                       " ORDER BY rowid");
}

bool is_shard_file(const std::filesystem::path& file) {
    try {
        db::Connection c(file);
        return c.has_table(record_table);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

AttachedDatabase::AttachedDatabase(db::Connection& conn, const std::filesystem::path& file,
                                   std::string schema)
    : conn_(conn), schema_(std::move(schema)) {
    conn_.prepare_native("ATTACH DATABASE ? AS " + schema_).execute({file.string()});
}

AttachedDatabase::~AttachedDatabase() {
    try {
        conn_.execute_native("DETACH DATABASE " + schema_);
    } catch (...) {
        // a closed connection has nothing attached any more
    }
}

bool schema_has_table(db::Connection& conn, const std::string& schema, const std::string& table) {
    return !table_definition(conn, schema, table).empty();
}

void write_shard_file(const std::filesystem::path& run_database, const std::filesystem::path& out,
                      const ShardRecord& record) {
    std::error_code ec;
    if (std::filesystem::exists(out, ec) && !is_shard_file(out))
        throw std::runtime_error("--out " + out.string() +
                                 ": the file exists and is not a shard file; it is left as it is");
    std::filesystem::path part = out;
    part += ".part";
    std::filesystem::remove(part, ec);
    {
        db::Connection file = db::Connection::create(part);
        file.execute_native("PRAGMA journal_mode=DELETE");
        AttachedDatabase run(file, run_database, "run");
        db::Transaction all(file);
        write_record(file, record);
        for (const char* table : shard_result_tables) copy_result_rows(file, table);
        all.commit();
    }
    std::filesystem::rename(part, out);
}

ShardRecord read_shard_record(db::Connection& conn, const std::string& schema,
                              const std::filesystem::path& file) {
    if (!schema_has_table(conn, schema, record_table) ||
        !schema_has_table(conn, schema, "shard_plots"))
        throw std::runtime_error(file.string() + " is not a shard file (no shard_run table)");
    ShardRecord r;
    db::Statement fields = conn.prepare_native("SELECT name, value FROM " + schema + ".shard_run");
    while (fields.step()) {
        const std::string name = fields.column(0).as_text(), value = fields.column(1).as_text();
        if (name == "input_hash") r.input_hash = value;
        if (name == "input") r.input = value;
        if (name == "parameters") r.parameters = value;
        if (name == "method") r.method = value;
        if (name == "shard") r.shard = value;
        if (name == "protocol") r.protocol = value == "1";
        if (name == "run_id") r.run_id = std::stoi(value);
    }
    db::Statement plots =
        conn.prepare_native("SELECT FL_ID FROM " + schema + ".shard_plots ORDER BY rowid");
    while (plots.step()) r.plots.push_back(static_cast<int>(plots.column(0).as_int()));
    return r;
}

} // namespace sim

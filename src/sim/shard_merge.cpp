// shard_merge.cpp --- the shards of a split run merged into the database they came from.
#include "sim/shard_merge.h"

#include "app/run_lock.h"
#include "db/connection.h"
#include "db/content_hash.h"
#include "db/statement.h"
#include "sim/assessment.h"
#include "sim/result_tables.h"
#include "sim/run_driver.h"
#include "sim/shard.h"
#include "sim/shard_file.h"

#include <algorithm>
#include <future>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace sim {
namespace {

const ResultTable& layout_of(const std::string& table) {
    if (table == "sim_result") return sim_result_layout();
    if (table == "tsm_nresult") return nresult_layout();
    if (table == "tsm_zbv") return zbv_layout();
    return driver_layout();
}

std::string work_table(const std::string& table) {
    return "temp.merge_" + table;
}

struct ShardInput {
    std::filesystem::path file;
    ShardRecord record;
};

void refuse(const std::filesystem::path& file, const std::string& why) {
    throw MergeRefused(file.string() + ": " + why + "; nothing was merged");
}

// Same input, parameters and method as the first shard and as the database now.
void check_origin(const ShardInput& s, const ShardInput& first, const std::string& hash) {
    if (s.record.input_hash != hash)
        refuse(s.file, "it was run from another database or from this one before it changed");
    if (s.record.parameters != first.record.parameters)
        refuse(s.file, "its run parameters differ from those of " + first.file.string());
    if (s.record.method != first.record.method)
        refuse(s.file, "its method differs from that of " + first.file.string());
}

// Every selected plot in exactly one shard, and no other plot.
void check_plots(const std::vector<ShardInput>& shards, const std::vector<int>& selected) {
    std::map<int, const ShardInput*> owner;
    for (const ShardInput& s : shards)
        for (int plot : s.record.plots) {
            const auto [it, fresh] = owner.emplace(plot, &s);
            if (!fresh)
                refuse(s.file,
                       "plot " + std::to_string(plot) + " is also in " + it->second->file.string());
            if (!std::binary_search(selected.begin(), selected.end(), plot))
                refuse(s.file, "plot " + std::to_string(plot) + " is not selected in the database");
        }
    for (int plot : selected)
        if (!owner.count(plot))
            throw MergeRefused("the selected plot " + std::to_string(plot) +
                               " is in none of the shards; nothing was merged");
}

// The content hash of the database, taken on a connection of its own so that it runs
// beside the gathering of the shards' rows (each on a core of its own). The database is
// only read; the result is awaited before anything is written.
std::future<std::string> hash_beside(const std::filesystem::path& file) {
    return std::async(std::launch::async, [file] {
        db::Connection own(file);
        return db::content_hash(own);
    });
}

// The work tables of the gathered rows, dropped however the merge ends.
class GatheredRows {
public:
    explicit GatheredRows(db::Connection& conn) : conn_(conn) {}
    GatheredRows(const GatheredRows&) = delete;
    GatheredRows& operator=(const GatheredRows&) = delete;
    ~GatheredRows() {
        for (const std::string& table : tables) try {
                conn_.execute_native("DROP TABLE IF EXISTS " + work_table(table));
            } catch (const std::exception&) {
                // a temporary table left behind goes with the connection
            }
    }
    std::vector<std::string> tables; // the result tables some shard has, in merge order

private:
    db::Connection& conn_;
};

// The shard files as the merge reads them. When SQLite can attach all of them at once
// (10 databases unless built otherwise), they stay attached under shard0, shard1, ...
// for the whole merge, and their rows go straight into the database in its transaction
// (a database can be attached only outside of one). Otherwise each is attached as
// "shard" while it is read, and the rows are gathered in work tables first.
class ShardFiles {
public:
    ShardFiles(db::Connection& conn, const std::vector<std::filesystem::path>& files)
        : conn_(conn), files_(files) {
        const int limit = sqlite3_limit(conn.handle(), SQLITE_LIMIT_ATTACHED, -1);
        if (files.size() > static_cast<std::size_t>(limit) - attached_now()) return;
        for (std::size_t i = 0; i < files.size(); ++i)
            attached_.push_back(std::make_unique<AttachedDatabase>(conn, files[i], schema(i)));
    }
    bool all_attached() const { return !attached_.empty(); }
    std::size_t size() const { return files_.size(); }
    // Calls read(schema) with shard i attached under that schema name.
    template <typename Read> auto with(std::size_t i, Read read) const {
        if (all_attached()) return read(schema(i));
        const AttachedDatabase one(conn_, files_[i], "shard");
        return read(std::string("shard"));
    }
    static std::string schema(std::size_t i) { return "shard" + std::to_string(i); }

private:
    std::size_t attached_now() const {
        return static_cast<std::size_t>(
            conn_
                .scalar("select count(*) from pragma_database_list where name <> 'main' "
                        "and name <> 'temp'")
                .as_int());
    }
    db::Connection& conn_;
    const std::vector<std::filesystem::path>& files_;
    std::vector<std::unique_ptr<AttachedDatabase>> attached_;
};

// The shards' rows of a table, gathered in a work table before the transaction. Returns
// whether any shard has it.
bool gather_rows(db::Connection& conn, const ShardFiles& shards, const std::string& table) {
    conn.execute_native("DROP TABLE IF EXISTS " + work_table(table));
    bool created = false;
    for (std::size_t i = 0; i < shards.size(); ++i)
        shards.with(i, [&](const std::string& schema) {
            if (!schema_has_table(conn, schema, table)) return;
            if (!created)
                conn.execute_native("CREATE TABLE " + work_table(table) +
                                    " AS SELECT 0 AS merge_fl, 0 AS merge_shard, 0 AS merge_row, "
                                    "* FROM " +
                                    schema + "." + table + " WHERE 0");
            created = true;
            conn.prepare_native("INSERT INTO " + work_table(table) +
                                " SELECT FL_ID, ?, rowid, * FROM " + schema + "." + table)
                .execute({static_cast<int>(i)});
        });
    return created;
}

// The table definition a shard brings for a table the database does not have yet.
std::string shard_definition(db::Connection& conn, const ShardFiles& shards,
                             const std::string& table) {
    for (std::size_t i = 0; i < shards.size(); ++i) {
        std::string definition = shards.with(i, [&](const std::string& schema) {
            db::Statement st = conn.prepare_native("SELECT sql FROM " + schema +
                                                   ".sqlite_master WHERE type = 'table' AND "
                                                   "name = ? COLLATE NOCASE");
            st.bind(1, table);
            return st.step() ? st.column(0).as_text() : std::string();
        });
        if (!definition.empty()) return definition;
    }
    return {};
}

// The columns of a table (`name` in `schema`) that the database's table has too, in the
// order of the former.
std::string shared_columns(db::Connection& conn, const std::string& schema, const std::string& name,
                           const std::string& table) {
    std::string list;
    db::Statement st = conn.prepare_native("SELECT name FROM pragma_table_info(?, ?) ORDER BY cid");
    st.bind(1, name).bind(2, schema);
    std::vector<std::string> columns;
    while (st.step()) columns.push_back(st.column(0).as_text());
    for (const std::string& column : columns) {
        if (column.rfind("merge_", 0) == 0 || !conn.has_column(table, column)) continue;
        list += (list.empty() ? "\"" : ", \"") + column + "\"";
    }
    return list;
}

void append_gathered_rows(db::Connection& conn, const std::string& table) {
    const std::string columns = shared_columns(conn, "temp", "merge_" + table, table);
    if (columns.empty()) return;
    conn.execute_native("INSERT INTO main." + table + " (" + columns + ") SELECT " + columns +
                        " FROM " + work_table(table) +
                        " ORDER BY merge_fl, merge_shard, merge_row");
}

// The rows of a table in the attached shards, appended in the order of the gathered
// rows: by plot, then shard, then as the shard wrote them.
void append_attached_rows(db::Connection& conn, const ShardFiles& shards,
                          const std::string& table) {
    std::string columns, rows;
    for (std::size_t i = 0; i < shards.size(); ++i) {
        const std::string schema = ShardFiles::schema(i);
        if (!schema_has_table(conn, schema, table)) continue;
        if (columns.empty()) columns = shared_columns(conn, schema, table, table);
        if (columns.empty()) return;
        rows += (rows.empty() ? "SELECT FL_ID AS merge_fl, " : " UNION ALL SELECT FL_ID, ") +
                std::to_string(i) +
                (rows.empty() ? " AS merge_shard, rowid AS merge_row, " : ", rowid, ") + columns +
                " FROM " + schema + "." + table;
    }
    if (rows.empty()) return;
    conn.execute_native("INSERT INTO main." + table + " (" + columns + ") SELECT " + columns +
                        " FROM (" + rows + ") ORDER BY merge_fl, merge_shard, merge_row");
}

int last_plot(db::Connection& conn) {
    if (!conn.has_table("tsm_driver")) return 0;
    return static_cast<int>(conn.scalar("select max(FL_ID) from tsm_driver").as_int());
}

} // namespace

std::vector<std::string> assessment_report(db::Connection& conn) {
    std::vector<std::string> lines = report_lines(compare_with_measurements(conn));
    if (lines.empty()) lines.emplace_back(" no pairs of simulated and measured Corg to assess");
    return lines;
}

MergeOutcome merge_shards(db::Connection& conn, const std::vector<std::filesystem::path>& files) {
    if (files.empty()) throw MergeRefused("no shard files were named; nothing was merged");
    const app::RunLock lock(conn.path()); // no run changes the results meanwhile
    for (const auto& file : files) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) refuse(file, "no such shard file");
    }
    std::future<std::string> hash = hash_beside(conn.path());
    const ShardFiles files_read(conn, files); // detached after the transaction has ended
    std::vector<ShardInput> shards;
    for (std::size_t i = 0; i < files.size(); ++i)
        shards.push_back({files[i], files_read.with(i, [&](const std::string& schema) {
                              return read_shard_record(conn, schema, files[i]);
                          })});
    GatheredRows gathered(conn);
    std::vector<std::string> definitions;
    for (const char* table : shard_result_tables) {
        definitions.push_back(conn.has_table(table) ? ""
                                                    : shard_definition(conn, files_read, table));
        if (!files_read.all_attached() && gather_rows(conn, files_read, table))
            gathered.tables.emplace_back(table);
    }
    const std::string input_hash = hash.get();
    for (const ShardInput& s : shards) check_origin(s, shards.front(), input_hash);
    const std::vector<int> selected = selected_plots(conn);
    check_plots(shards, selected);

    MergeOutcome outcome;
    outcome.plots = static_cast<int>(selected.size());
    const ShardRecord& run = shards.front().record;
    db::Transaction all_at_once(conn);
    std::size_t i = 0;
    for (const char* table : shard_result_tables) {
        const std::string& definition = definitions[i++];
        if (!definition.empty()) conn.execute_native(definition);
        if (conn.has_table(table)) ensure_result_table(conn, layout_of(table));
    }
    remove_earlier_results(conn);
    if (conn.has_table("tsm_driver")) conn.execute("delete from tsm_driver");
    if (files_read.all_attached())
        for (const char* table : shard_result_tables) append_attached_rows(conn, files_read, table);
    for (const std::string& table : gathered.tables) append_gathered_rows(conn, table);
    const Tallies tallies = compare_with_measurements(conn);
    if (run.protocol)
        outcome.protocol_row =
            append_protocol_row(conn, protocol_row(assess(tallies), last_plot(conn), run.run_id));
    all_at_once.commit();

    outcome.report.push_back("merge of " + std::to_string(shards.size()) + " shards into " +
                             conn.path().string());
    outcome.report.push_back("method: " + run.method);
    outcome.report.push_back("plots: " + std::to_string(outcome.plots));
    for (const std::string& line : report_lines(tallies)) outcome.report.push_back(line);
    outcome.report.push_back(job_finished_line());
    return outcome;
}

} // namespace sim

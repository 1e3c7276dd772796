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

// The shards' rows of a table, gathered in a work table before the transaction (a
// database can be attached only outside of one). Returns whether any shard has it.
bool gather_rows(db::Connection& conn, const std::vector<ShardInput>& shards,
                 const std::string& table) {
    conn.execute_native("DROP TABLE IF EXISTS " + work_table(table));
    bool created = false;
    for (std::size_t i = 0; i < shards.size(); ++i) {
        const AttachedDatabase shard(conn, shards[i].file, "shard");
        if (!schema_has_table(conn, "shard", table)) continue;
        if (!created)
            conn.execute_native("CREATE TABLE " + work_table(table) +
                                " AS SELECT 0 AS merge_fl, 0 AS merge_shard, 0 AS merge_row, * "
                                "FROM shard." +
                                table + " WHERE 0");
        created = true;
        conn.prepare_native("INSERT INTO " + work_table(table) +
                            " SELECT FL_ID, ?, rowid, * FROM "
                            "shard." +
                            table)
            .execute({static_cast<int>(i)});
    }
    return created;
}

// The table definition a shard brings for a table the database does not have yet.
std::string shard_definition(db::Connection& conn, const std::vector<ShardInput>& shards,
                             const std::string& table) {
    for (const ShardInput& s : shards) {
        const AttachedDatabase shard(conn, s.file, "shard");
        db::Statement st = conn.prepare_native(
            "SELECT sql FROM shard.sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
        st.bind(1, table);
        if (st.step()) return st.column(0).as_text();
    }
    return {};
}

// The columns of the work table that the database's table has too, in the work table's
// order.
std::string shared_columns(db::Connection& conn, const std::string& table) {
    std::string list;
    db::Statement work =
        conn.prepare_native("SELECT name FROM pragma_table_info(?, 'temp') ORDER BY cid");
    work.bind(1, "merge_" + table);
    std::vector<std::string> work_columns;
    while (work.step()) work_columns.push_back(work.column(0).as_text());
    for (const std::string& column : work_columns) {
        if (column.rfind("merge_", 0) == 0 || !conn.has_column(table, column)) continue;
        list += (list.empty() ? "\"" : ", \"") + column + "\"";
    }
    return list;
}

void append_rows(db::Connection& conn, const std::string& table) {
    const std::string columns = shared_columns(conn, table);
    if (columns.empty()) return;
    conn.execute_native("INSERT INTO main." + table + " (" + columns + ") SELECT " + columns +
                        " FROM " + work_table(table) +
                        " ORDER BY merge_fl, merge_shard, merge_row");
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
    std::vector<ShardInput> shards;
    for (const auto& file : files) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) refuse(file, "no such shard file");
    }
    std::future<std::string> hash = hash_beside(conn.path());
    for (const auto& file : files) {
        const AttachedDatabase shard(conn, file, "shard");
        shards.push_back({file, read_shard_record(conn, "shard", file)});
    }
    GatheredRows gathered(conn);
    std::vector<std::string> definitions;
    for (const char* table : shard_result_tables) {
        definitions.push_back(conn.has_table(table) ? "" : shard_definition(conn, shards, table));
        if (gather_rows(conn, shards, table)) gathered.tables.emplace_back(table);
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
    for (const std::string& table : gathered.tables) append_rows(conn, table);
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

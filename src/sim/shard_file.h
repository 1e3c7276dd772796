// shard_file.h --- the file a shard's run leaves: its result rows, its plots, and what
// the merge checks them against.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace sim {

// The result tables a run writes per plot, in the order the merge replaces them.
inline constexpr const char* shard_result_tables[] = {"sim_result", "tsm_nresult", "tsm_zbv",
                                                      "tsm_driver"};

// What a shard file says about its run.
struct ShardRecord {
    std::string input_hash; // db::content_hash of the input database before the run
    std::string input;      // the input database's path as given
    std::string parameters; // the run's command line (without the database and the shard)
    std::string method;     // the method the run used
    std::string shard;      // "i/k"
    bool protocol = false;  // "ERR_P": the merge writes the protocol row
    int run_id = -99;       // the protocol's run number
    std::vector<int> plots; // the shard's plots, FL_ID order
};

// Writes the shard file `out` from the database the shard ran on: the record, its plots
// (table shard_plots) and, for each result table the run left, the table as the run
// database defines it with the rows of the shard's plots in the order they were written
// (all of tsm_driver, which the run filled alone). The file is written beside `out` and
// renamed onto it when complete; an existing `out` is replaced only when it is a shard
// file itself. Throws std::runtime_error naming the file otherwise, db::Error on a
// failing statement.
void write_shard_file(const std::filesystem::path& run_database, const std::filesystem::path& out,
                      const ShardRecord& record);

// The record of a shard file attached to `conn` under `schema`. Throws
// std::runtime_error naming `file` when it is not a shard file.
ShardRecord read_shard_record(db::Connection& conn, const std::string& schema,
                              const std::filesystem::path& file);

// Whether an attached database (schema) has a table of that name.
bool schema_has_table(db::Connection& conn, const std::string& schema, const std::string& table);

// Attaches a database file under a schema name for as long as the object lives.
class AttachedDatabase {
public:
    AttachedDatabase(db::Connection& conn, const std::filesystem::path& file, std::string schema);
    ~AttachedDatabase();
    AttachedDatabase(const AttachedDatabase&) = delete;
    AttachedDatabase& operator=(const AttachedDatabase&) = delete;

private:
    db::Connection& conn_;
    std::string schema_;
};

} // namespace sim

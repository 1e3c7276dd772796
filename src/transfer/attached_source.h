// attached_source.h --- the source database attached to a destination connection, and
// the columns the two databases share.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace transfer {

// Attaches the source database file to the destination's connection under the schema
// name "src" for as long as it lives; the destination stays "main". Statements that
// name "src" must be finished before it is destroyed.
class AttachedSource {
public:
    AttachedSource(db::Connection& destination, const std::filesystem::path& source);
    ~AttachedSource();
    AttachedSource(const AttachedSource&) = delete;
    AttachedSource& operator=(const AttachedSource&) = delete;

private:
    db::Connection& c_;
};

// One column of a table as declared; row_key marks an INTEGER PRIMARY KEY (the row
// counter that the database assigns itself).
struct Column {
    std::string name;
    bool row_key = false;
};

// The columns of a table in a schema ("main" or "src"); empty when there is no table.
std::vector<Column> table_columns(db::Connection& c, const std::string& schema,
                                  const std::string& table);

// The columns that both databases' tables have, compared without regard to case, in the
// destination's order and spelling; the destination's row counter is left out (new rows
// get new counters).
std::vector<std::string> shared_columns(db::Connection& c, const std::string& table);

// The source's columns that the destination's table lacks.
std::vector<std::string> source_only_columns(db::Connection& c, const std::string& table);

// A name for a statement: in double quotes, an inner quote doubled.
std::string name(const std::string& identifier);

} // namespace transfer

// statement.h --- a prepared statement with bound parameters, for bulk writes.
#pragma once

#include "db/value.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

// A statement prepared once and run many times: bind the "?" parameters, then
// execute() (for writes) or step() through the rows. Reset happens on bind after a run.
class Statement {
public:
    Statement(sqlite3* db, std::string jet_text, std::string sqlite_text);
    Statement(Statement&&) noexcept;
    Statement& operator=(Statement&&) noexcept;
    ~Statement();

    // Parameters count from 1, as in SQLite.
    Statement& bind(int index, const Value& v);
    // Binds bytes as a binary value (BLOB), kept as they are.
    Statement& bind_blob(int index, const std::string& bytes);
    // Binds all parameters in order and runs a write; returns rows changed.
    int execute(std::span<const Value> params);
    int execute(const std::vector<Value>& params = {}) {
        return execute(std::span<const Value>(params));
    }
    // Steps to the next row; false at the end.
    bool step();
    Value column(int index) const;
    // A column read as a number, as column(index).as_double(if_null) reads it, without
    // building the value first.
    double column_number(int index, double if_null = 0.0) const;
    // Whether a column of the current row holds a binary value (column() gives its bytes);
    // ask before column(), which may convert the value.
    bool column_is_blob(int index) const;
    int column_count() const;
    std::string column_name(int index) const;
    // The first result column of that name, compared without regard to case; -1 when none.
    int column_index(const std::string& name) const;
    // The declared type of the table column a result column comes from; "" for
    // expressions.
    std::string column_decltype(int index) const;
    void reset();

private:
    [[noreturn]] void fail(const std::string& what) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
    std::string jet_, sqlite_;
    bool done_ = false;
};

} // namespace db

// connection.h --- the one connection to an experiment database file.
#pragma once

#include "db/dataset.h"
#include "db/statement.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace db {

// Sees the Jet text of every statement a connection sends, before its translation.
using StatementTrace = std::function<void(const std::string& jet_text)>;

namespace jet {
class TranslationCache;
struct Translation;
} // namespace jet

// Wraps one SQLite database file. Statements are written in the Jet dialect and
// translated before SQLite sees them; every connection carries the Jet runtime
// functions. Opening never creates a file: creating a database is create_database().
class Connection {
public:
    // Opens an existing experiment database. Throws db::Error naming the file when
    // it does not exist, is read-only or is not a SQLite database. A file without the
    // table measurements is opened as it is, without the write-ahead journal.
    explicit Connection(const std::filesystem::path& file);
    Connection(Connection&&) noexcept;
    Connection& operator=(Connection&&) noexcept;
    ~Connection();

    // Creates an empty database file (fails when the file exists) and opens it.
    static Connection create(const std::filesystem::path& file);

    const std::filesystem::path& path() const { return path_; }
    // Closes the file; the connection is unusable afterwards.
    void close() noexcept;

    // Runs a statement that returns no rows; returns the rows it changed.
    int execute(const std::string& jet_text);
    // Runs a statement whose failure the operation can live with; returns false when the
    // database refused it. Only database errors are caught. For work tables and indexes use
    // drop_work_table and create_index_if_missing, which ignore exactly the expected case.
    bool execute_ignoring_failure(const std::string& jet_text);
    // Opens a query (or a whole table, given its name) as a data set.
    Dataset open(const std::string& jet_text_or_table);
    // Prepares a statement with "?" parameters for repeated use.
    Statement prepare(const std::string& jet_text);
    // Prepares SQLite's own SQL, without translation.
    Statement prepare_native(const std::string& sqlite_text);
    // Runs SQLite's own SQL (one or more statements), without translation.
    void execute_native(const std::string& sqlite_text);
    // The translation of a Jet statement, as SQLite statements (for messages and tests).
    std::vector<std::string> translate(const std::string& jet_text);
    // First column of the first row of a query, Null when there is no row.
    Value scalar(const std::string& jet_text);

    std::vector<std::string> tables();
    std::vector<std::string> columns(const std::string& table);
    bool has_table(const std::string& table);
    bool has_index(const std::string& index);
    bool has_column(const std::string& table, const std::string& column);

    // Transactions, for bulk writes. Prefer the Transaction guard.
    void begin();
    void commit();
    void rollback() noexcept;
    bool in_transaction() const;
    // Savepoints, nested in an open transaction or opening one. Prefer the Savepoint guard.
    void savepoint(const std::string& name);
    void release(const std::string& name);
    void rollback_to(const std::string& name) noexcept;
    // Whether a statement (or a plain table name) returns rows: a query is opened,
    // anything else executed. Throws db::SyntaxError for a statement the dialect lacks.
    bool returns_rows(const std::string& jet_text_or_table);

    sqlite3* handle() const { return db_; }

    // The trace that sees every Jet statement sent from now on (execute, open, scalar,
    // prepare); an empty function switches tracing off. Returns the trace it replaces.
    // Prefer the TraceScope guard.
    StatementTrace set_trace(StatementTrace trace);

private:
    Connection() = default;
    void configure(bool new_file);
    std::shared_ptr<const jet::Translation> translation(const std::string& jet_text);
    int run_select_into(const std::string& jet_text, const jet::Translation& t);

    sqlite3* db_ = nullptr;
    std::filesystem::path path_;
    std::unique_ptr<jet::TranslationCache> cache_;
    StatementTrace trace_;
};

// Traces the statements of a connection while it lives; the trace before it is restored
// afterwards. The connection must outlive the scope.
class TraceScope {
public:
    TraceScope(Connection& c, StatementTrace trace)
        : c_(c), before_(c.set_trace(std::move(trace))) {}
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;
    ~TraceScope() { c_.set_trace(std::move(before_)); }

private:
    Connection& c_;
    StatementTrace before_;
};

// Drops a work table before it is rebuilt. A table that does not exist is no failure; any
// other failure (a locked or read-only database, an I/O error) throws, naming the table.
void drop_work_table(Connection& conn, const std::string& table);

// The name the index of a "create [unique] index NAME on TABLE ..." statement has in the
// database: Jet index names belong to their table, so the database holds "TABLE.NAME".
std::string stored_index_name(const std::string& jet_create_index);

// Runs "create [unique] index NAME on ..." unless an index NAME exists already; returns true
// when it created the index. Any failure of the creation itself throws.
bool create_index_if_missing(Connection& conn, const std::string& jet_create_index);

// Commits on commit(), rolls back when destroyed before. With join_open, a transaction
// already open on the connection is joined instead: its owner commits or rolls back.
class Transaction {
public:
    explicit Transaction(Connection& c, bool join_open = false)
        : c_(c), owner_(!(join_open && c.in_transaction())) {
        if (owner_) c_.begin();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction() {
        if (owner_ && !done_) c_.rollback();
    }
    void commit() {
        if (owner_) c_.commit();
        done_ = true;
    }

private:
    Connection& c_;
    bool owner_;
    bool done_ = false;
};

// Releases the savepoint on release(), rolls back to it and releases it when destroyed
// before: inside an open transaction only the work since the savepoint is undone.
class Savepoint {
public:
    Savepoint(Connection& c, std::string name) : c_(c), name_(std::move(name)) {
        c_.savepoint(name_);
    }
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    ~Savepoint() {
        if (!done_) c_.rollback_to(name_);
    }
    void release() {
        c_.release(name_);
        done_ = true;
    }

private:
    Connection& c_;
    std::string name_;
    bool done_ = false;
};

} // namespace db

#include "db/connection.h"

#include "db/db_error.h"
#include "db/jet/translation.h"
#include "db/jet_functions.h"
#include "db/text.h"

#include <algorithm>
#include <cctype>
#include <sqlite3.h>
#include <sstream>
#include <utility>

namespace db {
namespace {

const int busy_timeout_ms = 10000;

// A connection is used by one thread at a time (threads that simulate plots never touch
// it), so SQLite need not lock it around every call: reading and writing rows call it
// several times per value.
const int single_thread_calls = SQLITE_OPEN_NOMUTEX;

// A plain table name (possibly in brackets) opened as a whole table.
bool is_table_name(const std::string& s) {
    if (s.size() > 2 && s.front() == '[' && s.back() == ']' && s.find(']') == s.size() - 1)
        return true;
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_' || c >= 0x80;
    }) && !std::isdigit(static_cast<unsigned char>(s[0]));
}

} // namespace

Connection::Connection(const std::filesystem::path& file) : path_(file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw Error("The database file '" + file.string() + "' does not exist.");
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | single_thread_calls, nullptr) !=
        SQLITE_OK) {
        std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error("The database file '" + file.string() + "' cannot be opened: " + msg);
    }
    if (sqlite3_db_readonly(db_, "main") == 1) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error("The database file '" + file.string() +
                    "' is read-only: the workbench writes into its experiment database. "
                    "Give it write permission or open a copy.");
    }
    try {
        configure(false);
    } catch (const Error& e) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error("The file '" + file.string() +
                    "' is not an experiment database: " + e.engine_message());
    }
}

Connection Connection::create(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec))
        throw Error("The file '" + file.string() + "' exists already; it is not overwritten.");
    Connection c;
    c.path_ = file;
    if (sqlite3_open_v2(file.c_str(), &c.db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | single_thread_calls,
                        nullptr) != SQLITE_OK)
        throw Error("The database file '" + file.string() +
                    "' cannot be created: " + (c.db_ ? sqlite3_errmsg(c.db_) : "out of memory"));
    c.configure(true);
    return c;
}

Connection::Connection(Connection&& o) noexcept
    : db_(std::exchange(o.db_, nullptr)), path_(std::move(o.path_)), cache_(std::move(o.cache_)),
      trace_(std::move(o.trace_)) {}

Connection& Connection::operator=(Connection&& o) noexcept {
    if (this != &o) {
        sqlite3_close_v2(db_);
        db_ = std::exchange(o.db_, nullptr);
        path_ = std::move(o.path_);
        cache_ = std::move(o.cache_);
        trace_ = std::move(o.trace_);
    }
    return *this;
}

Connection::~Connection() {
    close();
}

void Connection::close() noexcept {
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

// Two programs may have the file open at once: write-ahead journal and a busy timeout.
// An existing file gets the journal only when it is an experiment database (it has the
// table measurements): opening another program's file, or an empty one, changes nothing.
// Double-quoted names must be names (never silently texts), and every connection
// carries the Jet functions.
void Connection::configure(bool new_file) {
    cache_ = std::make_unique<jet::TranslationCache>();
    sqlite3_busy_timeout(db_, busy_timeout_ms);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    register_jet_functions(db_);
    execute_native("SELECT count(*) FROM sqlite_master"); // fails on a file that is not SQLite
    if (new_file || has_table("measurements")) {
        Statement wal(db_, "", "PRAGMA journal_mode=WAL");
        wal.step();
    }
    // Work tables of a run are built and joined in bulk: a larger page cache for the
    // database and one of the same size for temporary tables and sorts, which spill into
    // a temporary file beyond it, so that memory stays bounded however many plots a run
    // has. Deleted content is overwritten with zeros only where that costs no extra writes
    // (the library's default here zeroes every freed page): a run drops and rebuilds its
    // work tables, and zeroing each page they free made every run slower.
    execute_native("PRAGMA temp_store=FILE; PRAGMA cache_size=-65536; "
                   "PRAGMA temp.cache_size=-65536; PRAGMA secure_delete=FAST");
}

void Connection::execute_native(const std::string& sqlite_text) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sqlite_text.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errmsg(db_);
        sqlite3_free(err);
        throw Error(msg, "", sqlite_text);
    }
}

namespace {

// Runs every statement of a text in turn; returns the rows they changed.
int run_all(sqlite3* db, const std::string& sql, const std::string& jet) {
    const sqlite3_int64 before = sqlite3_total_changes64(db);
    const char* p = sql.c_str();
    while (*p) {
        sqlite3_stmt* st = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db, p, -1, &st, &tail) != SQLITE_OK)
            throw Error(sqlite3_errmsg(db), jet, sql);
        p = tail;
        if (!st) continue;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            std::string msg = sqlite3_errmsg(db);
            sqlite3_finalize(st);
            throw Error(msg, jet, sql);
        }
        sqlite3_finalize(st);
    }
    return static_cast<int>(sqlite3_total_changes64(db) - before);
}

// Whether an UPDATE over joins may take its plain form: no joined table holds a key twice.
// A test that fails leaves the statement to its general form, which reports the failure.
bool meets_each_row_once(sqlite3* db, const jet::Translation& t, const std::string& jet) {
    if (t.direct.empty()) return false;
    try {
        for (const auto& repeat : t.repeats)
            if (Statement(db, jet, repeat).step()) return false;
    } catch (const Error&) {
        return false;
    }
    return true;
}

// Runs the clean-up statements of a translation whatever happened before.
class AfterGuard {
public:
    AfterGuard(sqlite3* db, const std::vector<std::string>& after) : db_(db), after_(after) {}
    ~AfterGuard() {
        for (const auto& s : after_) sqlite3_exec(db_, s.c_str(), nullptr, nullptr, nullptr);
    }

private:
    sqlite3* db_;
    const std::vector<std::string>& after_;
};

} // namespace

// Translations see the tables of this database: which table of a join has a column.
std::shared_ptr<const jet::Translation> Connection::translation(const std::string& jet_text) {
    return cache_->get(jet_text, [this](const std::string& table, const std::string& column) {
        return has_column(table, column);
    });
}

std::vector<std::string> Connection::translate(const std::string& jet_text) {
    auto t = translation(jet_text);
    std::vector<std::string> out = t->before;
    out.push_back(t->main);
    out.insert(out.end(), t->after.begin(), t->after.end());
    return out;
}

StatementTrace Connection::set_trace(StatementTrace trace) {
    return std::exchange(trace_, std::move(trace));
}

int Connection::execute(const std::string& jet_text) {
    if (trace_) trace_(jet_text);
    auto t = translation(jet_text);
    int changed = 0;
    {
        AfterGuard after(db_, t->after);
        for (const auto& b : t->before) run_all(db_, b, jet_text);
        if (t->kind == jet::Translation::Kind::select_into)
            changed = run_select_into(jet_text, *t);
        else if (meets_each_row_once(db_, *t, jet_text))
            changed = run_all(db_, t->direct, jet_text);
        else
            changed = run_all(db_, t->main, jet_text);
    }
    if (t->kind == jet::Translation::Kind::schema || t->kind == jet::Translation::Kind::select_into)
        cache_->clear();
    return changed;
}

bool Connection::execute_ignoring_failure(const std::string& jet_text) {
    try {
        execute(jet_text);
        return true;
    } catch (const Error&) {
        return false;
    }
}

Value Connection::scalar(const std::string& jet_text) {
    Dataset d = open(jet_text);
    return d.empty() || d.field_count() == 0 ? Value() : d.field(0);
}

Statement Connection::prepare(const std::string& jet_text) {
    if (trace_) trace_(jet_text);
    auto t = translation(jet_text);
    if (!t->before.empty() || !t->after.empty() || t->kind == jet::Translation::Kind::select_into)
        throw Error("this statement cannot be prepared for repeated use", jet_text,
                    t->sqlite_text());
    return Statement(db_, jet_text, t->main);
}

Statement Connection::prepare_native(const std::string& sqlite_text) {
    return Statement(db_, "", sqlite_text);
}

namespace {

std::string query_text(const std::string& jet_text_or_table) {
    const std::string& s = jet_text_or_table;
    if (!is_table_name(s)) return s;
    return "SELECT * FROM " + (s.front() == '[' ? s : "[" + s + "]");
}

} // namespace

bool Connection::returns_rows(const std::string& jet_text_or_table) {
    return translation(query_text(jet_text_or_table))->kind == jet::Translation::Kind::query;
}

Dataset Connection::open(const std::string& jet_text_or_table) {
    const std::string jet_text = query_text(jet_text_or_table);
    if (trace_) trace_(jet_text);
    auto t = translation(jet_text);
    if (t->kind != jet::Translation::Kind::query)
        throw Error("The statement returns no rows; it cannot be opened as a query.", jet_text,
                    t->sqlite_text());
    AfterGuard after(db_, t->after);
    for (const auto& b : t->before) run_all(db_, b, jet_text);
    Statement st(db_, jet_text, t->main);
    const int n = st.column_count();
    const bool editable = !t->edit_table.empty();
    const int fields = editable ? n - 1 : n;
    std::vector<std::string> names;
    std::vector<std::string> table_columns;
    for (int i = 0; i < fields; ++i) {
        names.push_back(st.column_name(i));
        if (editable) {
            auto a = t->edit_aliases.find(lower(names.back()));
            table_columns.push_back(a == t->edit_aliases.end() ? names.back() : a->second);
        }
    }
    std::vector<Dataset::Row> rows;
    std::vector<std::optional<std::int64_t>> rowids;
    while (st.step()) {
        Dataset::Row row;
        row.reserve(static_cast<std::size_t>(fields));
        for (int i = 0; i < fields; ++i) row.push_back(st.column(i));
        rows.push_back(std::move(row));
        if (editable) rowids.emplace_back(st.column(fields).as_int());
    }
    return Dataset(this, std::move(names), std::move(rows), editable ? t->edit_table : "",
                   std::move(rowids), std::move(table_columns));
}

std::vector<std::string> Connection::tables() {
    std::vector<std::string> out;
    Statement st(db_, "",
                 "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                 "'sqlite\\_%' ESCAPE '\\' ORDER BY name COLLATE NOCASE");
    while (st.step()) out.push_back(st.column(0).as_text());
    return out;
}

std::vector<std::string> Connection::columns(const std::string& table) {
    std::vector<std::string> out;
    Statement st(db_, "", "SELECT name FROM pragma_table_info(?) ORDER BY cid");
    st.bind(1, table);
    while (st.step()) out.push_back(st.column(0).as_text());
    return out;
}

bool Connection::has_table(const std::string& table) {
    Statement st(db_, "",
                 "SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') AND "
                 "name = ? COLLATE NOCASE");
    st.bind(1, table);
    return st.step();
}

bool Connection::has_index(const std::string& index) {
    Statement st(db_, "",
                 "SELECT 1 FROM sqlite_master WHERE type = 'index' AND name = ? COLLATE NOCASE");
    st.bind(1, index);
    return st.step();
}

bool Connection::has_column(const std::string& table, const std::string& column) {
    Statement st(db_, "", "SELECT 1 FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE");
    st.bind(1, table).bind(2, column);
    return st.step();
}

void Connection::begin() {
    execute_native("BEGIN IMMEDIATE");
}
void Connection::commit() {
    execute_native("COMMIT");
}
// Translations made inside the undone work may know tables that are gone again.
void Connection::rollback() noexcept {
    if (in_transaction()) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    if (cache_) cache_->clear();
}
void Connection::savepoint(const std::string& name) {
    execute_native("SAVEPOINT " + jet::quote_name(name));
}
void Connection::release(const std::string& name) {
    execute_native("RELEASE " + jet::quote_name(name));
}
void Connection::rollback_to(const std::string& name) noexcept {
    // Fails only when the engine has rolled back the whole transaction itself.
    const std::string n = jet::quote_name(name);
    sqlite3_exec(db_, ("ROLLBACK TO " + n + "; RELEASE " + n).c_str(), nullptr, nullptr, nullptr);
    if (cache_) cache_->clear();
}
bool Connection::in_transaction() const {
    return db_ && !sqlite3_get_autocommit(db_);
}

void drop_work_table(Connection& conn, const std::string& table) {
    if (!conn.has_table(table)) return;
    try {
        conn.execute("drop table " + table);
    } catch (const Error& e) {
        // A table that stays would be read as the result of this run, so the run stops.
        throw Error("The work table '" + table + "' cannot be removed: " + e.engine_message(),
                    e.jet_text(), e.sqlite_text());
    }
}

std::string stored_index_name(const std::string& statement) {
    const auto bare = [](std::string word) {
        if (word.size() > 2 && word.front() == '[' && word.back() == ']')
            word = word.substr(1, word.size() - 2);
        return word;
    };
    std::istringstream words(statement);
    std::string word, name, on, table;
    while (words >> word)
        if (lower(word) == "index" && words >> name >> on >> table && lower(on) == "on") {
            table = table.substr(0, table.find('('));
            return bare(table) + "." + bare(name);
        }
    throw Error("not a create index statement", statement);
}

bool create_index_if_missing(Connection& conn, const std::string& jet_create_index) {
    if (conn.has_index(stored_index_name(jet_create_index))) return false;
    conn.execute(jet_create_index);
    return true;
}

} // namespace db

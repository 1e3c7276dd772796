#include "db/statement.h"

#include "db/db_error.h"
#include "db/text.h"

#include <cctype>
#include <sqlite3.h>
#include <utility>

namespace db {

Statement::Statement(sqlite3* db, std::string jet_text, std::string sqlite_text)
    : db_(db), jet_(std::move(jet_text)), sqlite_(std::move(sqlite_text)) {
    const char* tail = nullptr;
    if (sqlite3_prepare_v3(db_, sqlite_.c_str(), static_cast<int>(sqlite_.size()),
                           SQLITE_PREPARE_PERSISTENT, &stmt_, &tail) != SQLITE_OK)
        fail("");
    if (!stmt_) throw Error("empty statement", jet_, sqlite_);
    for (; tail && *tail; ++tail)
        if (!std::isspace(static_cast<unsigned char>(*tail)) && *tail != ';') {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
            throw Error("a prepared statement must be a single statement", jet_, sqlite_);
        }
}

Statement::Statement(Statement&& o) noexcept
    : db_(o.db_), stmt_(std::exchange(o.stmt_, nullptr)), jet_(std::move(o.jet_)),
      sqlite_(std::move(o.sqlite_)), done_(o.done_) {}

Statement& Statement::operator=(Statement&& o) noexcept {
    if (this != &o) {
        sqlite3_finalize(stmt_);
        db_ = o.db_;
        stmt_ = std::exchange(o.stmt_, nullptr);
        jet_ = std::move(o.jet_);
        sqlite_ = std::move(o.sqlite_);
        done_ = o.done_;
    }
    return *this;
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::fail(const std::string& what) const {
    std::string msg = sqlite3_errmsg(db_);
    if (!what.empty()) msg = what + ": " + msg;
    throw Error(msg, jet_, sqlite_);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    done_ = false;
}

Statement& Statement::bind(int index, const Value& v) {
    if (done_ || sqlite3_stmt_busy(stmt_)) reset();
    int rc;
    if (v.is_null())
        rc = sqlite3_bind_null(stmt_, index);
    else if (v.is_integer())
        rc = sqlite3_bind_int64(stmt_, index, v.as_int());
    else if (v.is_real())
        rc = sqlite3_bind_double(stmt_, index, v.as_double());
    else {
        const std::string s = v.as_text();
        rc =
            sqlite3_bind_text(stmt_, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK) fail("binding parameter " + std::to_string(index));
    return *this;
}

Statement& Statement::bind_blob(int index, const std::string& bytes) {
    if (done_ || sqlite3_stmt_busy(stmt_)) reset();
    if (sqlite3_bind_blob(stmt_, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK)
        fail("binding parameter " + std::to_string(index));
    return *this;
}

int Statement::execute(std::span<const Value> params) {
    reset();
    for (std::size_t i = 0; i < params.size(); ++i) bind(static_cast<int>(i) + 1, params[i]);
    while (step()) {
    }
    return sqlite3_changes(db_);
}

bool Statement::step() {
    if (done_) return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    done_ = true;
    if (rc != SQLITE_DONE) {
        const std::string msg = sqlite3_errmsg(db_);
        sqlite3_reset(stmt_);
        throw Error(msg, jet_, sqlite_);
    }
    return false;
}

Value Statement::column(int index) const {
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_INTEGER:
        return Value(static_cast<std::int64_t>(sqlite3_column_int64(stmt_, index)));
    case SQLITE_FLOAT:
        return Value(sqlite3_column_double(stmt_, index));
    case SQLITE_NULL:
        return Value();
    default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
        return Value(
            std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index))));
    }
    }
}

double Statement::column_number(int index, double if_null) const {
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt_, index);
    case SQLITE_INTEGER:
        return static_cast<double>(sqlite3_column_int64(stmt_, index));
    case SQLITE_NULL:
        return if_null;
    default:
        return column(index).as_double(if_null);
    }
}

bool Statement::column_is_blob(int index) const {
    return sqlite3_column_type(stmt_, index) == SQLITE_BLOB;
}

int Statement::column_count() const {
    return sqlite3_column_count(stmt_);
}

std::string Statement::column_name(int index) const {
    const char* n = sqlite3_column_name(stmt_, index);
    return n ? n : "";
}

int Statement::column_index(const std::string& name) const {
    for (int i = 0; i < column_count(); ++i)
        if (iequals(column_name(i), name)) return i;
    return -1;
}

std::string Statement::column_decltype(int index) const {
    const char* t = sqlite3_column_decltype(stmt_, index);
    return t ? t : "";
}

} // namespace db

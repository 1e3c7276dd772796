// content_hash.cpp --- a fingerprint of what a database holds.
#include "db/content_hash.h"

#include "db/connection.h"
#include "db/db_error.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

namespace db {
namespace {

// A statement of SQLite's own SQL on the handle, finalised however the caller leaves.
class RawQuery {
public:
    RawQuery(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st_, nullptr) != SQLITE_OK) {
            const std::string msg = sqlite3_errmsg(db);
            sqlite3_finalize(st_);
            throw Error(msg, "", sql);
        }
    }
    RawQuery(const RawQuery&) = delete;
    RawQuery& operator=(const RawQuery&) = delete;
    ~RawQuery() { sqlite3_finalize(st_); }
    bool step() {
        const int rc = sqlite3_step(st_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) throw Error(sqlite3_errmsg(sqlite3_db_handle(st_)), "", sql());
        return false;
    }
    sqlite3_stmt* get() const { return st_; }
    std::string sql() const { return sqlite3_sql(st_); }

private:
    sqlite3_stmt* st_ = nullptr;
};

void add_value(sqlite3_stmt* st, int i, Fingerprint& f) {
    const int type = sqlite3_column_type(st, i);
    const unsigned char tag = static_cast<unsigned char>(type);
    f.add(&tag, 1);
    switch (type) {
    case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_column_int64(st, i);
        f.add(&v, sizeof v);
        break;
    }
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(st, i);
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        f.add(&bits, sizeof bits);
        break;
    }
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const void* data = type == SQLITE_TEXT
                               ? static_cast<const void*>(sqlite3_column_text(st, i))
                               : sqlite3_column_blob(st, i);
        const auto size = static_cast<std::uint64_t>(sqlite3_column_bytes(st, i));
        f.add(&size, sizeof size);
        if (size) f.add(data, size);
        break;
    }
    default:
        break;
    }
}

std::string quoted(const std::string& name) {
    std::string q = "\"";
    for (char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

// Reads the database file through a memory map while it lives: a scan of every row then
// reads the pages in place instead of copying each into the page cache. The connection's
// own setting comes back afterwards.
class MappedReading {
public:
    explicit MappedReading(sqlite3* db) : db_(db) {
        RawQuery now(db_, "PRAGMA main.mmap_size");
        if (now.step()) before_ = sqlite3_column_int64(now.get(), 0);
        set(std::int64_t{1} << 30);
    }
    MappedReading(const MappedReading&) = delete;
    MappedReading& operator=(const MappedReading&) = delete;
    ~MappedReading() { set(before_); }

private:
    void set(std::int64_t bytes) {
        const std::string sql = "PRAGMA main.mmap_size=" + std::to_string(bytes);
        sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); // a hint: failing is harmless
    }
    sqlite3* db_;
    std::int64_t before_ = 0;
};

} // namespace

void Fingerprint::add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) hash_ = (hash_ ^ bytes[i]) * 0x100000001b3ULL;
}

std::string Fingerprint::hex() const {
    char text[20];
    std::snprintf(text, sizeof text, "%016" PRIx64, hash_);
    return text;
}

long long add_table_rows(Connection& conn, const std::string& table, Fingerprint& f) {
    RawQuery rows(conn.handle(), "SELECT * FROM main." + quoted(table));
    const int columns = sqlite3_column_count(rows.get());
    long long count = 0;
    for (; rows.step(); ++count)
        for (int i = 0; i < columns; ++i) add_value(rows.get(), i, f);
    return count;
}

std::string content_hash(Connection& conn) {
    const MappedReading mapped(conn.handle());
    RawQuery tables(conn.handle(),
                    "SELECT name, coalesce(sql, '') FROM main.sqlite_master WHERE type = 'table' "
                    "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name");
    Fingerprint f;
    while (tables.step()) {
        const std::string name =
            reinterpret_cast<const char*>(sqlite3_column_text(tables.get(), 0));
        const std::string sql = reinterpret_cast<const char*>(sqlite3_column_text(tables.get(), 1));
        f.add(name.c_str(), name.size() + 1);
        f.add(sql.c_str(), sql.size() + 1);
        add_table_rows(conn, name, f);
    }
    return f.hex();
}

} // namespace db

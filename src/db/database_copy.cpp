// database_copy.cpp --- a private copy of a database through SQLite's backup.
#include "db/database_copy.h"

#include "db/db_error.h"

#include <sqlite3.h>
#include <system_error>

namespace db {
namespace {

// A raw handle, closed however the copy ends.
class Handle {
public:
    Handle(const std::filesystem::path& file, int flags) {
        if (sqlite3_open_v2(file.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            const std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            db_ = nullptr;
            throw Error("The database file '" + file.string() + "' cannot be opened: " + msg);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { sqlite3_close(db_); }
    sqlite3* get() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

void copy_pages(sqlite3* from, sqlite3* to, const std::filesystem::path& source) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        throw Error("The database '" + source.string() +
                    "' cannot be copied: " + sqlite3_errmsg(to));
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw Error("The database '" + source.string() +
                    "' cannot be copied: " + sqlite3_errstr(rc));
}

} // namespace

void copy_database(const std::filesystem::path& source, const std::filesystem::path& target) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(source, ec))
        throw Error("The database file '" + source.string() + "' does not exist.");
    if (std::filesystem::exists(target, ec))
        throw Error("The file '" + target.string() + "' exists; the copy is not written over it.");
    try {
        const Handle from(source, SQLITE_OPEN_READONLY);
        sqlite3_busy_timeout(from.get(), 10000);
        const Handle to(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        copy_pages(from.get(), to.get(), source);
    } catch (...) {
        std::filesystem::remove(target, ec);
        throw;
    }
}

} // namespace db

#include "db/new_database.h"

#include "db/db_error.h"
#include "db/embedded_data.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace db {

void put_database_in_place(const std::filesystem::path& built, const std::filesystem::path& file) {
    if (::link(built.c_str(), file.c_str()) == 0) {
        std::filesystem::remove(built);
        return;
    }
    const int error = errno;
    if (error == EEXIST)
        throw Error("The file '" + file.string() + "' exists already; it is not overwritten.");
    // A file system without hard links: a rename after a last look.
    std::error_code ec;
    if (std::filesystem::exists(file, ec))
        throw Error("The file '" + file.string() + "' exists already; it is not overwritten.");
    std::filesystem::rename(built, file, ec);
    if (ec)
        throw Error("The new database '" + file.string() +
                    "' cannot be put in place: " + (error ? std::strerror(error) : ec.message()));
}

void remove_database_files(const std::filesystem::path& file) noexcept {
    std::error_code ec;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        std::filesystem::remove(file.string() + suffix, ec);
}

Connection create_experiment_database(const std::filesystem::path& file, bool with_demo) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec))
        throw Error("The file '" + file.string() + "' exists already; it is not overwritten.");
    // Built beside its place under a name of its own and moved there when complete, so
    // that an interrupted build never leaves a file under the database's name.
    const std::filesystem::path built = file.string() + ".building-" + std::to_string(::getpid());
    remove_database_files(built);
    try {
        Connection c = Connection::create(built);
        Transaction tr(c);
        c.execute_native(template_sql);
        if (with_demo) c.execute_native(demo_sql);
        tr.commit();
        c.close(); // the journal is folded into the file
    } catch (const Error& e) {
        remove_database_files(built);
        throw Error("The new database '" + file.string() +
                    "' could not be built: " + e.engine_message());
    }
    try {
        put_database_in_place(built, file);
    } catch (...) {
        remove_database_files(built);
        throw;
    }
    return Connection(file);
}

} // namespace db

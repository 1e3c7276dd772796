#include "db/new_database.h"

#include "db/db_error.h"
#include "db/embedded_data.h"

namespace db {

void remove_database_files(const std::filesystem::path& file) noexcept {
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(file.string() + suffix, ec);
}

Connection create_experiment_database(const std::filesystem::path& file, bool with_demo) {
    Connection c = Connection::create(file);
    try {
        Transaction tr(c);
        c.execute_native(template_sql);
        if (with_demo) c.execute_native(demo_sql);
        tr.commit();
    } catch (const Error& e) {
        c.close(); // before the file is removed
        remove_database_files(file);
        throw Error("The new database '" + file.string() +
                    "' could not be built: " + e.engine_message());
    }
    return c;
}

} // namespace db

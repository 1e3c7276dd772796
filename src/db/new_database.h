// new_database.h --- creating a new experiment database from the template.
#pragma once

#include "db/connection.h"

#include <filesystem>

namespace db {

// Creates a new experiment database file from the template (schema and standard
// parameter sets); with_demo adds the demo experiments. Refuses to overwrite a file.
// The file is built under a name of its own beside it and moved into place when
// complete: a failure, or a program killed while building, leaves no file under the
// database's name.
Connection create_experiment_database(const std::filesystem::path& file, bool with_demo);

// Puts a database file built under a name of its own in place under its name, never over
// an existing file (a hard link where the file system has them, else a rename after a
// last look). Throws db::Error naming the file; the built file is then left to the caller.
void put_database_in_place(const std::filesystem::path& built, const std::filesystem::path& file);

// Removes a database file with its journals (rollback and write-ahead) and shared-memory
// index.
void remove_database_files(const std::filesystem::path& file) noexcept;

} // namespace db

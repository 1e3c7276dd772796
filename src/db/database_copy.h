// database_copy.h --- a private copy of a database, made without writing the original.
#pragma once

#include <filesystem>

namespace db {

// Copies the database `source` into the new file `target` with SQLite's backup: the
// source is opened read-only and only read (also while other programs read it), the
// copy holds the source's content as one consistent state, committed changes of a
// write-ahead log included. Throws db::Error naming the file when the source cannot be
// read or the target exists or cannot be written; a failed copy leaves no target.
void copy_database(const std::filesystem::path& source, const std::filesystem::path& target);

} // namespace db

// destination.h --- choosing the database that plots are moved into: the source is
// refused, and a backup is made before anything is written there.
#pragma once

#include "db/connection.h"

#include <chrono>
#include <filesystem>

namespace transfer {

// True when both paths name the same file, also through another spelling, a link or a
// hard link. A path that does not exist names no file.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b);

// A consistent copy of the database, taken through the database itself (also while it
// is in use), under a new name beside it: "<file>.<YYYYMMDD-HHMMSS>.bak", with "-2",
// "-3", ... added when that name is taken. Returns the backup's path.
std::filesystem::path
backup_database(db::Connection& c,
                std::chrono::system_clock::time_point when = std::chrono::system_clock::now());

// The destination, opened and backed up. Throws std::invalid_argument when it is the
// source, db::Error when it cannot be opened or backed up.
struct Destination {
    db::Connection connection;
    std::filesystem::path backup;
};
Destination open_destination(const std::filesystem::path& source,
                             const std::filesystem::path& destination);

// The destination's plots as its plot list shows them.
inline constexpr const char* destination_plots_query =
    "select fl_id,location,site_description from field_description";

} // namespace transfer

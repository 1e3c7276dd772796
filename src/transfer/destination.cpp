#include "transfer/destination.h"

#include <ctime>
#include <stdexcept>
#include <string>

namespace transfer {

bool same_file(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    const bool same = std::filesystem::equivalent(a, b, ec);
    return !ec && same;
}

namespace {

std::string time_stamp(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

} // namespace

std::filesystem::path backup_database(db::Connection& c,
                                      std::chrono::system_clock::time_point when) {
    const std::string stem = c.path().string() + "." + time_stamp(when);
    std::filesystem::path backup = stem + ".bak";
    for (int n = 2; std::filesystem::exists(backup); ++n)
        backup = stem + "-" + std::to_string(n) + ".bak";
    // VACUUM INTO reads one consistent state of the database, write-ahead journal
    // included, and never overwrites a file.
    c.prepare_native("VACUUM INTO ?").execute({backup.string()});
    return backup;
}

Destination open_destination(const std::filesystem::path& source,
                             const std::filesystem::path& destination) {
    if (same_file(source, destination))
        throw std::invalid_argument("The destination " + destination.string() +
                                    " is the source database itself. Choose another file.");
    Destination d{db::Connection(destination), {}};
    d.backup = backup_database(d.connection);
    return d;
}

} // namespace transfer

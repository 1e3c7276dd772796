// climate_scratch.h --- the scratch database beside the run's database in which the time
// frame, the soil properties and the yearly climate are built alongside the run's own work.
#pragma once

#include "db/connection.h"

#include <string>
#include <vector>

namespace sim {

// The file a connection has open, with its full path (whatever the working folder is now);
// "" for a database in memory.
std::string open_file(const db::Connection& conn);

// The scratch database beside the run's database (a file of the run, as its lock file; one
// left by a run that crashed is replaced), removed with its journals when it goes: the
// run's selection copied in (its snapshot, narrowed for a shard), the run's database
// attached for reading only. The scratch's own tables are found before those of the run's
// database, so steps run on connection() build their tables in it; the tables the time
// frame refills start here as empty copies. Throws when the run's database is no file or
// cannot be attached for reading only.
class ClimateScratch {
public:
    explicit ClimateScratch(db::Connection& run);
    ~ClimateScratch();
    ClimateScratch(const ClimateScratch&) = delete;
    ClimateScratch& operator=(const ClimateScratch&) = delete;

    db::Connection& connection() { return conn_; }

    // Puts the tables built here into the run's database, in one transaction: each table
    // the steps made replaces the run's table of that name, with its indexes; a refilled
    // table gets the rows of this one in place of its own. The rows keep their order and
    // row ids. The yearly climate tables the run has are dropped also when the steps made
    // no new ones, as climate_bat() drops them. Works on `run` alone, reading the scratch
    // file through an attachment: connection() may meanwhile still read in another thread.
    void copy_into(db::Connection& run);

private:
    std::vector<std::string> made_tables(db::Connection& run);
    void copy_rows(db::Connection& run, const std::string& table);

    std::string file_;
    db::Connection conn_;
};

} // namespace sim

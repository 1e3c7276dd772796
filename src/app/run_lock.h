// run_lock.h --- a run takes its experiment database for itself: an exclusive lock on a
// companion file "<database>.run-lock", held while the lock object lives.
//
// The lock belongs to the open file, so it ends with the process however the process
// ends (also when it is killed); a file left behind locks nothing.
#pragma once

#include <filesystem>
#include <stdexcept>

namespace app {

// Another run holds the database, or its lock file cannot be made.
class RunBusy : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RunLock {
public:
    // Takes the lock at once or throws RunBusy "another run is working on <database>".
    explicit RunLock(const std::filesystem::path& database);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // The companion file of a database.
    static std::filesystem::path lock_file(const std::filesystem::path& database);

private:
    int fd_ = -1;
};

} // namespace app

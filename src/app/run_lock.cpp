// run_lock.cpp --- the exclusive lock of a run on its experiment database.
#include "app/run_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace app {

std::filesystem::path RunLock::lock_file(const std::filesystem::path& database) {
    return database.string() + ".run-lock";
}

RunLock::RunLock(const std::filesystem::path& database) {
    const std::filesystem::path file = lock_file(database);
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0)
        throw RunBusy("the run cannot lock " + database.string() + ": " + file.string() + ": " +
                      std::strerror(errno));
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        if (error == EWOULDBLOCK) throw RunBusy("another run is working on " + database.string());
        throw RunBusy("the run cannot lock " + database.string() + ": " + std::strerror(error));
    }
}

RunLock::~RunLock() {
    if (fd_ >= 0) ::close(fd_); // closing the file ends the lock
}

} // namespace app

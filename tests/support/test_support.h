// test_support.h --- temporary and working folders and result printing shared by the tests.
#pragma once

#include "db/connection.h"

#include <filesystem>
#include <string>

namespace test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Changes the working folder for as long as it lives (a run writes its report there, a
// statement reaching another file finds it relative to it); the previous one comes back.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous_;
};

// The rows of a query as text: fields joined by "|", rows ended by "\n", Null as "NULL".
std::string rows(db::Connection& c, const std::string& query);

} // namespace test

// test_support.h --- temporary and working folders and result printing shared by the tests.
#pragma once

#include "db/connection.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
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

// Sets an environment variable for the life of the object, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// The rows of a query as text: fields joined by "|", rows ended by "\n", Null as "NULL".
std::string rows(db::Connection& c, const std::string& query);

// The row count and a hash (hex) of a native query's rows: every value's type and, for
// numbers, every bit, in the order the rows come; "count hash".
std::string fingerprint(db::Connection& c, const std::string& native_query);

} // namespace test

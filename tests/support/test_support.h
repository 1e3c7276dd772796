// test_support.h --- temporary folders and result printing shared by the tests.
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

// The rows of a query as text: fields joined by "|", rows ended by "\n", Null as "NULL".
std::string rows(db::Connection& c, const std::string& query);

} // namespace test

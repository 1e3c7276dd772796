#include "test_support.h"

#include <atomic>
#include <unistd.h>

namespace test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("tsm-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string rows(db::Connection& c, const std::string& query) {
    db::Dataset d = c.open(query);
    std::string out;
    for (d.first(); !d.eof(); d.next()) {
        for (int i = 0; i < d.field_count(); ++i) {
            const db::Value& v = d.field(i);
            out += (i ? "|" : "") + (v.is_null() ? std::string("NULL") : v.as_text());
        }
        out += "\n";
    }
    return out;
}

} // namespace test

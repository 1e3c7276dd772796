#include "test_support.h"

#include <atomic>
#include <bit>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <unistd.h>

namespace test {
namespace {

// FNV-1a over the bytes of the rows.
class Fingerprint {
public:
    void add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) hash_ = (hash_ ^ bytes[i]) * 0x100000001b3ULL;
    }
    void add(const db::Value& v) {
        const char type = v.is_null() ? 'n' : v.is_integer() ? 'i' : v.is_real() ? 'r' : 't';
        add(&type, 1);
        if (v.is_integer()) {
            const std::int64_t i = v.as_int();
            add(&i, sizeof i);
        } else if (v.is_real()) {
            const auto bits = std::bit_cast<std::uint64_t>(v.as_double());
            add(&bits, sizeof bits);
        } else if (v.is_text()) {
            const std::string text = v.as_text();
            add(text.data(), text.size() + 1);
        }
    }
    std::string hex() const {
        char text[20];
        std::snprintf(text, sizeof text, "%016" PRIx64, hash_);
        return text;
    }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

} // namespace

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

std::string fingerprint(db::Connection& c, const std::string& native_query) {
    db::Statement st = c.prepare_native(native_query);
    Fingerprint f;
    int rows = 0;
    for (; st.step(); ++rows)
        for (int i = 0; i < st.column_count(); ++i) f.add(st.column(i));
    return std::to_string(rows) + " " + f.hex();
}

} // namespace test

#include "import/import_source.h"

#include "import/sqlite_source.h"
#ifdef TSM_WITH_MDB
#include "import/mdb_source.h"
#endif

#include <array>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace import {

SourceFormat source_format(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw std::runtime_error("The file '" + file.string() + "' does not exist.");
    std::ifstream in(file, std::ios::binary);
    std::array<char, 20> head{};
    if (!in.read(head.data(), head.size())) return SourceFormat::unknown;
    if (std::memcmp(head.data(), "SQLite format 3", 16) == 0) return SourceFormat::sqlite;
    if (std::memcmp(head.data() + 4, "Standard Jet DB", 16) == 0 ||
        std::memcmp(head.data() + 4, "Standard ACE DB", 16) == 0)
        return SourceFormat::access;
    return SourceFormat::unknown;
}

std::unique_ptr<ImportSource> open_import_source(const std::filesystem::path& file,
                                                 db::Connection& staging) {
    switch (source_format(file)) {
    case SourceFormat::sqlite:
        return std::make_unique<SqliteSource>(staging, file);
    case SourceFormat::access:
#ifdef TSM_WITH_MDB
        return std::make_unique<MdbSource>(file);
#else
        throw std::runtime_error("The file '" + file.string() +
                                 "' is an Access database, and this build of the TSM "
                                 "workbench cannot read Access databases (it was built "
                                 "without mdbtools).");
#endif
    case SourceFormat::unknown:
        break;
    }
    throw std::runtime_error("The file '" + file.string() +
                             "' is neither an SQLite nor an Access database.");
}

} // namespace import

// import_source.h --- a database file read for an import: its tables, their columns and rows.
#pragma once

#include "db/value.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace import {

// One column of a source table.
struct SourceColumn {
    std::string name;
    // The column's type for a table copied as it is (SQLite's declared type).
    std::string type;
    // A yes/no column: its values are read as true and false.
    bool boolean = false;
    // A column whose values cannot be read (an Access OLE object or attachment): it is
    // left out of the copy and reported.
    bool unreadable = false;
};

// One field of a source row; binary holds the bytes of a binary value in value's text.
struct SourceField {
    db::Value value;
    bool binary = false;
};
using SourceRow = std::vector<SourceField>;

// The rows of one source table, read in order.
class SourceRows {
public:
    virtual ~SourceRows() = default;
    // The next row, one field per column; false after the last row.
    virtual bool next(SourceRow& row) = 0;
};

// A database file read for an import. Reading never changes the file.
class ImportSource {
public:
    virtual ~ImportSource() = default;
    // What the file is, for the report ("SQLite", "Access (Jet 4)", ...).
    virtual std::string kind() const = 0;
    // The user's tables, without the engine's own.
    virtual std::vector<std::string> tables() = 0;
    virtual std::vector<SourceColumn> columns(const std::string& table) = 0;
    virtual std::unique_ptr<SourceRows> rows(const std::string& table) = 0;
};

// The kind of database a file holds, told from its first bytes.
enum class SourceFormat { sqlite, access, unknown };
SourceFormat source_format(const std::filesystem::path& file);

// Opens a database file for an import. An SQLite file is read through the connection
// of the new database (attached to it for as long as the source lives); an Access file
// through mdbtools. Throws std::runtime_error naming the file when it is neither or
// cannot be read.
std::unique_ptr<ImportSource> open_import_source(const std::filesystem::path& file,
                                                 db::Connection& staging);

} // namespace import

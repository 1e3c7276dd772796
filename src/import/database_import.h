// database_import.h --- a new experiment database made from another database file: an
// SQLite experiment database of an older layout or an Access experiment database.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace import {

// What the import did with one table of the source.
struct TableReport {
    std::string table;     // its name in the new database
    bool in_schema = true; // a table of the experiment schema; else copied as it is
    std::int64_t rows_read = 0;
    std::int64_t rows_written = 0;
    // Source columns that were not copied (their values cannot be read).
    std::vector<std::string> left_out;
    // Columns of the schema the source lacks: the data-model adaptation fills them, or
    // they take the schema's default.
    std::vector<std::string> not_in_source;
};

struct ImportReport {
    std::string source_kind; // "SQLite", "Access (Jet 4)", ...
    std::vector<TableReport> tables;
    // The statements of the data-model adaptation that brought the tables up to date.
    std::vector<std::string> adaptation;
};

// A row that cannot be converted: names the table, the row (counted from 1 in the
// source's order) and the column.
class ImportError : public std::runtime_error {
public:
    ImportError(std::string table, std::int64_t row, std::string column, const std::string& why);
    const std::string& table() const { return table_; }
    std::int64_t row() const { return row_; }
    const std::string& column() const { return column_; }

private:
    std::string table_;
    std::int64_t row_;
    std::string column_;
};

// Makes the new experiment database target from the database file source. Every table
// of the experiment schema that the source holds gets the source's rows: the columns
// both have (names compared without regard to case) converted to what the schema
// stores (yes/no as -1 and 0, numbers as numbers, text as it is); tables and columns
// the schema does not know are copied as they are. The schema's tables the source
// lacks come from the template. Then the data-model adaptation of the start-up runs
// and every table of the schema takes the template's exact definition.
// The new file is built beside target under a name of its own and put in place at the
// end: any failure (ImportError for a row, db::Error, std::runtime_error) leaves no file.
// An existing target is never overwritten. The source is only read.
ImportReport import_database(const std::filesystem::path& source,
                             const std::filesystem::path& target);

// Where an import of source goes when the user names no file: <name>.db beside it, or
// <name>_2.db, <name>_3.db, ... when that exists.
std::filesystem::path free_import_target(const std::filesystem::path& source);

} // namespace import

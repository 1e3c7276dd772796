// sqlite_source.h --- an SQLite experiment database (of any older layout) read for an import.
#pragma once

#include "import/attachment.h"
#include "import/import_source.h"

namespace import {

// Attaches the file to the given connection under the schema name "src" for as long as
// it lives and reads its tables from there, never writing to it.
class SqliteSource final : public ImportSource {
public:
    SqliteSource(db::Connection& reader, const std::filesystem::path& file);

    std::string kind() const override { return "SQLite"; }
    std::vector<std::string> tables() override;
    std::vector<SourceColumn> columns(const std::string& table) override;
    std::unique_ptr<SourceRows> rows(const std::string& table) override;

private:
    db::Connection& c_;
    Attachment attached_;
};

// Whether a declared column type is a yes/no type (BOOLEAN, BIT, YESNO, LOGICAL).
bool is_boolean_type(const std::string& declared_type);

} // namespace import

// table_copy.h --- one table of the source copied into the new database.
#pragma once

#include "import/database_import.h"
#include "import/import_source.h"
#include "import/schema_template.h"

namespace db {
class Connection;
}

namespace import {

// Creates the table in the connection's main database and copies the source's rows into
// it. A table of the schema (schema_table given) takes the schema's name, the columns it
// shares with the source with the schema's types (and its indexes on them) and the
// source's other columns; the schema's columns the source lacks are left to the
// data-model adaptation and the schema's completion. Another table is copied as it is.
// A row that cannot be converted or written throws ImportError.
TableReport copy_table(db::Connection& c, ImportSource& source, const std::string& table,
                       const TemplateTable* schema_table);

// The column a constraint message of the engine names ("NOT NULL constraint failed:
// t.col"); "" when it names none.
std::string constraint_column(const std::string& message);

} // namespace import

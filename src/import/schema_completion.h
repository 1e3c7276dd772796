// schema_completion.h --- the tables of an imported database given the template's exact
// definitions.
#pragma once

#include "import/schema_template.h"

namespace db {
class Connection;
}

namespace import {

// Creates a table of the template in the connection's main database with the
// template's definition, indexes and rows, read from the attached schema.
void copy_template_table(db::Connection& c, const TemplateTable& table, const std::string& schema);

// Gives a table of the main database the template's exact definition: the template's
// columns in its order with its types, defaults and indexes, then the table's other
// columns. Every row and value is kept; columns the table lacks take the template's
// default.
void complete_table(db::Connection& c, const TemplateTable& table);

} // namespace import

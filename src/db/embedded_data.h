// embedded_data.h --- the template and demo databases, compiled into the programs.
#pragma once

namespace db {

// The empty experiment database: schema and the standard parameter sets (SQLite SQL).
extern const char* const template_sql;
// The demo experiments, applied on top of the template (SQLite SQL).
extern const char* const demo_sql;

} // namespace db

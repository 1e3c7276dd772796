// schema_template.h --- the tables of the experiment schema as the template database
// defines them: the shape every imported table of the schema takes.
#pragma once

#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace import {

struct TemplateColumn {
    std::string name;
    std::string type; // INTEGER, REAL or TEXT
    bool not_null = false;
    bool has_default = false;
    bool row_key = false; // the table's INTEGER PRIMARY KEY
};

struct TemplateIndex {
    std::string create_sql;
    std::vector<std::string> columns;
};

struct TemplateTable {
    std::string name;
    std::string create_sql;
    std::vector<TemplateColumn> columns;
    std::vector<TemplateIndex> indexes;

    // The column of that name, compared without regard to case; nullptr when none.
    const TemplateColumn* find(const std::string& column) const;
};

class SchemaTemplate {
public:
    // Reads the tables of a template database attached to a connection under a schema
    // name.
    SchemaTemplate(db::Connection& c, const std::string& schema);

    const std::vector<TemplateTable>& tables() const { return tables_; }
    // The table of that name, compared without regard to case; nullptr when none.
    const TemplateTable* find(const std::string& table) const;

private:
    std::vector<TemplateTable> tables_;
};

// A table, column or index name for a statement: in double quotes, an inner quote doubled.
std::string quoted_name(const std::string& name);

// The yes/no columns of the schema, stored as -1 and 0: the origin flags of the soils,
// the selection flag of the selection lists, the organic-amendment flag of the
// amendments.
bool is_schema_boolean(const std::string& table, const std::string& column);

} // namespace import

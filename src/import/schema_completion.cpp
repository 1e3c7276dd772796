#include "import/schema_completion.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/text.h"

namespace import {

namespace {

void create_indexes(db::Connection& c, const TemplateTable& table) {
    for (const TemplateIndex& index : table.indexes) c.execute_native(index.create_sql);
}

// The columns of a main table with their declared types.
std::vector<std::pair<std::string, std::string>> declared_columns(db::Connection& c,
                                                                  const std::string& table) {
    db::Statement st =
        c.prepare_native("SELECT name, type FROM pragma_table_info(?, 'main') ORDER BY cid");
    st.bind(1, table);
    std::vector<std::pair<std::string, std::string>> out;
    while (st.step()) out.emplace_back(st.column(0).as_text(), st.column(1).as_text());
    return out;
}

void drop_indexes_of(db::Connection& c, const std::string& table) {
    std::vector<std::string> names;
    db::Statement st = c.prepare_native("SELECT name FROM main.sqlite_master WHERE type = "
                                        "'index' AND tbl_name = ? AND sql IS NOT NULL");
    st.bind(1, table);
    while (st.step()) names.push_back(st.column(0).as_text());
    for (const std::string& n : names) c.execute_native("DROP INDEX " + quoted_name(n));
}

} // namespace

void copy_template_table(db::Connection& c, const TemplateTable& table, const std::string& schema) {
    c.execute_native(table.create_sql);
    c.execute_native("INSERT INTO main." + quoted_name(table.name) + " SELECT * FROM " + schema +
                     "." + quoted_name(table.name));
    create_indexes(c, table);
}

void complete_table(db::Connection& c, const TemplateTable& table) {
    const std::string staged = table.name + "__import_staged";
    const std::string staged_name = quoted_name(staged);
    c.execute_native("ALTER TABLE " + quoted_name(table.name) + " RENAME TO " + staged_name);
    drop_indexes_of(c, staged);
    c.execute_native(table.create_sql);
    std::string from, to;
    for (const auto& [name, type] : declared_columns(c, staged)) {
        const TemplateColumn* known = table.find(name);
        if (!known)
            c.execute_native("ALTER TABLE " + quoted_name(table.name) + " ADD COLUMN " +
                             quoted_name(name) + (db::trim(type).empty() ? "" : " " + type));
        from += (from.empty() ? "" : ", ") + quoted_name(name);
        to += (to.empty() ? "" : ", ") + quoted_name(known ? known->name : name);
    }
    c.execute_native("INSERT INTO " + quoted_name(table.name) + " (" + to + ") SELECT " + from +
                     " FROM " + staged_name);
    c.execute_native("DROP TABLE " + staged_name);
    create_indexes(c, table);
}

} // namespace import

#include "import/schema_template.h"

#include "db/connection.h"
#include "db/text.h"

#include <algorithm>
#include <array>

namespace import {

namespace {

std::vector<TemplateColumn> read_columns(db::Connection& c, const std::string& schema,
                                         const std::string& table) {
    db::Statement st = c.prepare_native(
        "SELECT name, type, \"notnull\", pk, dflt_value FROM pragma_table_info(?, ?) ORDER BY cid");
    st.bind(1, table).bind(2, schema);
    std::vector<TemplateColumn> columns;
    int key_columns = 0;
    while (st.step()) {
        const bool pk = st.column(3).as_int() > 0;
        key_columns += pk;
        columns.push_back({st.column(0).as_text(), st.column(1).as_text(),
                           st.column(2).as_int() != 0, !st.column(4).is_null(),
                           pk && db::iequals(st.column(1).as_text(), "INTEGER")});
    }
    if (key_columns > 1)
        for (TemplateColumn& col : columns) col.row_key = false; // a composite key is no counter
    return columns;
}

std::vector<TemplateIndex> read_indexes(db::Connection& c, const std::string& schema,
                                        const std::string& table) {
    db::Statement st = c.prepare_native("SELECT name, sql FROM " + schema +
                                        ".sqlite_master WHERE type = 'index' AND "
                                        "tbl_name = ? AND sql IS NOT NULL ORDER BY rowid");
    st.bind(1, table);
    std::vector<TemplateIndex> indexes;
    while (st.step()) {
        TemplateIndex index{st.column(1).as_text(), {}};
        db::Statement cols =
            c.prepare_native("SELECT name FROM pragma_index_info(?, ?) ORDER BY seqno");
        cols.bind(1, st.column(0).as_text()).bind(2, schema);
        while (cols.step()) index.columns.push_back(cols.column(0).as_text());
        indexes.push_back(std::move(index));
    }
    return indexes;
}

} // namespace

const TemplateColumn* TemplateTable::find(const std::string& column) const {
    const auto it = std::find_if(columns.begin(), columns.end(), [&](const TemplateColumn& col) {
        return db::iequals(col.name, column);
    });
    return it == columns.end() ? nullptr : &*it;
}

SchemaTemplate::SchemaTemplate(db::Connection& c, const std::string& schema) {
    db::Statement st = c.prepare_native("SELECT name, sql FROM " + schema +
                                        ".sqlite_master WHERE type = 'table' AND name NOT "
                                        "LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    while (st.step()) {
        TemplateTable table;
        table.name = st.column(0).as_text();
        table.create_sql = st.column(1).as_text();
        table.columns = read_columns(c, schema, table.name);
        table.indexes = read_indexes(c, schema, table.name);
        tables_.push_back(std::move(table));
    }
}

const TemplateTable* SchemaTemplate::find(const std::string& table) const {
    const auto it = std::find_if(tables_.begin(), tables_.end(), [&](const TemplateTable& t) {
        return db::iequals(t.name, table);
    });
    return it == tables_.end() ? nullptr : &*it;
}

std::string quoted_name(const std::string& name) {
    return db::quoted(name, '"');
}

bool is_schema_boolean(const std::string& table, const std::string& column) {
    static const std::array<std::pair<const char*, const char*>, 13> booleans = {{
        {"soilproperties", "silt_org"},
        {"soilproperties", "sand_org"},
        {"soilproperties", "FAT_org"},
        {"soilproperties", "PV_org"},
        {"soilproperties", "FC_org"},
        {"soilproperties", "PWP_org"},
        {"soilproperties", "BD_org"},
        {"soilproperties", "PD_org"},
        {"soilproperties", "cif_org"},
        {"srbsel_crop", "select"},
        {"srbsel_ops", "select"},
        {"srbsel_frt", "select"},
        {"srbopspa", "od"},
    }};
    return std::any_of(booleans.begin(), booleans.end(), [&](const auto& b) {
        return db::iequals(b.first, table) && db::iequals(b.second, column);
    });
}

} // namespace import

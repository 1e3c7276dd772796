#include "import/table_copy.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/text.h"
#include "import/field_conversion.h"

#include <algorithm>

namespace import {

namespace {

// One column of the new table and where its values come from.
struct PlannedColumn {
    std::size_t source_index = 0;
    std::string source_name;
    std::string name;
    std::string definition;
    Conversion conversion = Conversion::as_is;
};

std::string schema_definition(const TemplateColumn& col) {
    std::string d = quoted_name(col.name) + " " + col.type;
    if (col.row_key) return d + " PRIMARY KEY";
    return col.not_null ? d + " NOT NULL" : d;
}

std::string source_definition(const SourceColumn& col) {
    const std::string type = db::trim(col.type);
    return type.empty() ? quoted_name(col.name) : quoted_name(col.name) + " " + type;
}

struct TablePlan {
    std::string name;
    std::vector<PlannedColumn> columns;
    TableReport report;
};

TablePlan plan_table(const std::string& table, const std::vector<SourceColumn>& source_columns,
                     const TemplateTable* schema_table) {
    TablePlan plan;
    plan.name = schema_table ? schema_table->name : table;
    plan.report.table = plan.name;
    plan.report.in_schema = schema_table != nullptr;
    for (std::size_t i = 0; i < source_columns.size(); ++i) {
        const SourceColumn& col = source_columns[i];
        if (col.unreadable) {
            plan.report.left_out.push_back(col.name);
            continue;
        }
        const TemplateColumn* known = schema_table ? schema_table->find(col.name) : nullptr;
        if (!known) {
            plan.columns.push_back(
                {i, col.name, col.name, source_definition(col), Conversion::as_is});
            continue;
        }
        plan.columns.push_back(
            {i, col.name, known->name, schema_definition(*known),
             conversion_for(known->type, is_schema_boolean(plan.name, known->name), col.boolean)});
    }
    if (!schema_table) return plan;
    for (const TemplateColumn& col : schema_table->columns) {
        const bool present =
            std::any_of(plan.columns.begin(), plan.columns.end(),
                        [&](const PlannedColumn& p) { return p.name == col.name; });
        if (!present) plan.report.not_in_source.push_back(col.name);
    }
    return plan;
}

// A column every row needs (NOT NULL, no default) that the source lacks.
std::string missing_required_column(const TablePlan& plan, const TemplateTable* schema_table) {
    if (!schema_table) return {};
    for (const TemplateColumn& col : schema_table->columns)
        if (col.not_null && !col.has_default && !col.row_key &&
            std::find(plan.report.not_in_source.begin(), plan.report.not_in_source.end(),
                      col.name) != plan.report.not_in_source.end())
            return col.name;
    return {};
}

void create_table(db::Connection& c, const TablePlan& plan, const TemplateTable* schema_table) {
    std::string sql = "CREATE TABLE " + quoted_name(plan.name) + " (";
    for (std::size_t i = 0; i < plan.columns.size(); ++i)
        sql += (i ? ", " : "") + plan.columns[i].definition;
    c.execute_native(sql + ")");
    if (!schema_table) return;
    // The schema's indexes on columns the table has: a duplicate key is found at its row.
    for (const TemplateIndex& index : schema_table->indexes) {
        const bool complete =
            std::all_of(index.columns.begin(), index.columns.end(), [&](const std::string& n) {
                return std::any_of(plan.columns.begin(), plan.columns.end(),
                                   [&](const PlannedColumn& p) { return db::iequals(p.name, n); });
            });
        if (complete) c.execute_native(index.create_sql);
    }
}

db::Statement insert_statement(db::Connection& c, const TablePlan& plan) {
    std::string names, marks;
    for (std::size_t i = 0; i < plan.columns.size(); ++i) {
        names += (i ? ", " : "") + quoted_name(plan.columns[i].name);
        marks += i ? ", ?" : "?";
    }
    return c.prepare_native("INSERT INTO " + quoted_name(plan.name) + " (" + names + ") VALUES (" +
                            marks + ")");
}

void bind_row(db::Statement& insert, const TablePlan& plan, const SourceRow& row,
              std::int64_t number) {
    for (std::size_t i = 0; i < plan.columns.size(); ++i) {
        const PlannedColumn& col = plan.columns[i];
        SourceField field;
        try {
            field = convert_field(row.at(col.source_index), col.conversion);
        } catch (const FieldError& e) {
            throw ImportError(plan.name, number, col.source_name, e.what());
        }
        const int parameter = static_cast<int>(i) + 1;
        if (field.binary)
            insert.bind_blob(parameter, field.value.as_text());
        else
            insert.bind(parameter, field.value);
    }
}

// The source's name of a column of the new table.
std::string source_name(const TablePlan& plan, const std::string& column) {
    for (const PlannedColumn& col : plan.columns)
        if (db::iequals(col.name, column)) return col.source_name;
    return column;
}

} // namespace

std::string constraint_column(const std::string& message) {
    const std::string marker = "constraint failed: ";
    const std::size_t at = message.find(marker);
    if (at == std::string::npos) return {};
    std::string names = message.substr(at + marker.size());
    names = names.substr(0, names.find(','));
    const std::size_t dot = names.find('.');
    return db::trim(dot == std::string::npos ? names : names.substr(dot + 1));
}

TableReport copy_table(db::Connection& c, ImportSource& source, const std::string& table,
                       const TemplateTable* schema_table) {
    TablePlan plan = plan_table(table, source.columns(table), schema_table);
    std::unique_ptr<SourceRows> rows = source.rows(table);
    SourceRow row;
    if (plan.columns.empty()) { // nothing of it can be read: counted and reported
        while (rows->next(row)) ++plan.report.rows_read;
        return plan.report;
    }
    create_table(c, plan, schema_table);
    const std::string required = missing_required_column(plan, schema_table);
    db::Statement insert = insert_statement(c, plan);
    while (rows->next(row)) {
        const std::int64_t number = ++plan.report.rows_read;
        if (!required.empty())
            throw ImportError(plan.name, number, required,
                              "the source has no such column, and every row needs a value");
        bind_row(insert, plan, row, number);
        try {
            insert.execute();
        } catch (const db::Error& e) {
            const std::string column = constraint_column(e.engine_message());
            throw ImportError(plan.name, number, column.empty() ? "" : source_name(plan, column),
                              e.engine_message());
        }
        ++plan.report.rows_written;
    }
    return plan.report;
}

} // namespace import

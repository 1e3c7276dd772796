#include "transfer/attached_source.h"

#include "db/connection.h"
#include "db/text.h"

#include <algorithm>

namespace transfer {

AttachedSource::AttachedSource(db::Connection& destination, const std::filesystem::path& source)
    : c_(destination) {
    // The file name is bound: a path is data, never statement text.
    c_.prepare_native("ATTACH DATABASE ? AS src").execute({source.string()});
}

AttachedSource::~AttachedSource() {
    try {
        c_.execute_native("DETACH DATABASE src");
    } catch (const std::exception&) {
        // Detaching fails only while a statement on the source is unfinished; the
        // attachment then ends with the connection.
    }
}

std::vector<Column> table_columns(db::Connection& c, const std::string& schema,
                                  const std::string& table) {
    db::Statement q = c.prepare_native("SELECT name, type, pk FROM pragma_table_info(?, ?)");
    q.bind(1, table).bind(2, schema);
    std::vector<Column> columns;
    int key_columns = 0;
    while (q.step()) {
        const bool pk = q.column(2).as_int() > 0;
        key_columns += pk;
        columns.push_back(
            {q.column(0).as_text(), pk && db::iequals(q.column(1).as_text(), "INTEGER")});
    }
    if (key_columns > 1)
        for (Column& col : columns) col.row_key = false; // a composite key is no counter
    return columns;
}

namespace {

bool contains(const std::vector<Column>& columns, const std::string& n) {
    return std::any_of(columns.begin(), columns.end(),
                       [&](const Column& col) { return db::iequals(col.name, n); });
}

} // namespace

std::vector<std::string> shared_columns(db::Connection& c, const std::string& table) {
    const std::vector<Column> source = table_columns(c, "src", table);
    std::vector<std::string> shared;
    for (const Column& col : table_columns(c, "main", table))
        if (!col.row_key && contains(source, col.name)) shared.push_back(col.name);
    return shared;
}

std::vector<std::string> source_only_columns(db::Connection& c, const std::string& table) {
    const std::vector<Column> destination = table_columns(c, "main", table);
    std::vector<std::string> only;
    for (const Column& col : table_columns(c, "src", table))
        if (!col.row_key && !contains(destination, col.name)) only.push_back(col.name);
    return only;
}

std::string name(const std::string& identifier) {
    return db::quoted(identifier, '"');
}

} // namespace transfer

#include "import/sqlite_source.h"

#include "db/connection.h"
#include "db/text.h"

namespace import {

namespace {

class SqliteRows final : public SourceRows {
public:
    SqliteRows(db::Connection& c, const std::string& table)
        : st_(c.prepare_native("SELECT * FROM src." + db::quoted(table, '"'))) {}

    bool next(SourceRow& row) override {
        if (!st_.step()) return false;
        row.resize(static_cast<std::size_t>(st_.column_count()));
        for (int i = 0; i < st_.column_count(); ++i) {
            // The kind first: reading the value may convert it.
            const bool binary = st_.column_is_blob(i);
            row[static_cast<std::size_t>(i)] = {st_.column(i), binary};
        }
        return true;
    }

private:
    db::Statement st_;
};

} // namespace

bool is_boolean_type(const std::string& declared_type) {
    const std::string t = db::lower(db::trim(declared_type));
    return t == "bit" || t == "yesno" || t == "logical" || t == "logical1" ||
           t.find("bool") != std::string::npos;
}

SqliteSource::SqliteSource(db::Connection& reader, const std::filesystem::path& file)
    : c_(reader), attached_(reader, file, "src") {}

std::vector<std::string> SqliteSource::tables() {
    db::Statement st = c_.prepare_native(
        "SELECT name FROM src.sqlite_master WHERE type = 'table' AND name NOT LIKE "
        "'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    std::vector<std::string> out;
    while (st.step()) out.push_back(st.column(0).as_text());
    return out;
}

std::vector<SourceColumn> SqliteSource::columns(const std::string& table) {
    db::Statement st =
        c_.prepare_native("SELECT name, type FROM pragma_table_info(?, 'src') ORDER BY cid");
    st.bind(1, table);
    std::vector<SourceColumn> out;
    while (st.step()) {
        SourceColumn col;
        col.name = st.column(0).as_text();
        col.type = st.column(1).as_text();
        col.boolean = is_boolean_type(col.type);
        out.push_back(std::move(col));
    }
    return out;
}

std::unique_ptr<SourceRows> SqliteSource::rows(const std::string& table) {
    return std::make_unique<SqliteRows>(c_, table);
}

} // namespace import

// translation.h --- a Jet statement turned into the SQLite statements that carry it out.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace db::jet {

// What the translator may ask of the database: whether a table has a column (case
// is ignored). Without it, names are taken as written.
using ColumnLookup = std::function<bool(const std::string& table, const std::string& column)>;

struct Translation {
    enum class Kind {
        query,       // a SELECT: `main` returns rows
        command,     // `main` changes data; its change count is the statement's
        select_into, // SELECT ... INTO: the connection builds `into_table` from `main`
        schema,      // CREATE, ALTER, DROP: `main` changes the schema
    };
    Kind kind = Kind::command;
    std::vector<std::string> before; // run first (attaching files, work tables)
    std::string main;
    std::vector<std::string> after; // run last, also after a failure (clean-up)

    // SELECT ... INTO: the target and the schema it goes into ("main" or an attached file).
    std::string into_table, into_schema = "main";
    // For each column of a SELECT ... INTO, the SQLite text of its value where that is a
    // constant, else "" (empty when the columns are not known one by one).
    std::vector<std::string> into_constants;

    // An UPDATE over inner joins that may run as one plain UPDATE ... FROM (`direct`)
    // instead of `main`, when none of the `repeats` queries returns a row.
    std::string direct;
    std::vector<std::string> repeats;

    // A query of one table whose rows can be written back: the table, the field that
    // carries the rowid, and field names that are aliases of a column (alias -> column).
    std::string edit_table;
    std::map<std::string, std::string> edit_aliases;

    // All statements in order, for messages and tests.
    std::string sqlite_text() const;
};

// The name of the hidden field that carries the rowid of an editable query.
inline constexpr const char* rowid_field = "jet_rowid";

// Translates one statement. Throws db::SyntaxError for a statement it does not understand.
Translation translate(const std::string& jet_text, const ColumnLookup& columns = {});

// The type SQLite gets for a Jet column type ("char" -> "TEXT COLLATE NOCASE"); throws
// db::Error for a type it does not know.
std::string sqlite_type(const std::string& jet_type);

// SQLite identifier in double quotes.
std::string quote_name(const std::string& name);
// SQLite text literal in single quotes.
std::string quote_text(const std::string& text);

// Translations by statement text; cleared when the schema changes, because the
// translation of a multi-table UPDATE depends on which table has which column.
class TranslationCache {
public:
    std::shared_ptr<const Translation> get(const std::string& jet_text, const ColumnLookup& c);
    void clear() { cache_.clear(); }

private:
    std::unordered_map<std::string, std::shared_ptr<const Translation>> cache_;
};

} // namespace db::jet

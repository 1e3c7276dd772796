// INSERT, UPDATE, DELETE and the schema statements; the entry point of the translator.
#include "db/db_error.h"
#include "db/jet/emitter.h"
#include "db/jet/parser.h"

namespace db::jet {
namespace {

const char* const work_update = "jet_update"; // values of a multi-table UPDATE
const char* const work_delete = "jet_delete"; // rowids of a multi-table DELETE

std::string join_list(const std::vector<std::string>& names) {
    std::string s;
    for (std::size_t i = 0; i < names.size(); ++i) s += (i ? ", " : "") + quote_name(names[i]);
    return s;
}

bool is_constant(const Expr& e) {
    const auto number = [](const Expr& x) {
        return x.kind == Expr::Kind::integer || x.kind == Expr::Kind::real;
    };
    if (e.kind == Expr::Kind::unary) return (e.text == "-" || e.text == "+") && number(*e.args[0]);
    return number(e) || e.kind == Expr::Kind::text || e.kind == Expr::Kind::boolean;
}

bool is_plain_table(const std::vector<TableRefPtr>& from) {
    return from.size() == 1 && from[0]->kind == TableRef::Kind::table;
}

} // namespace

std::string sqlite_type(const std::string& jet_type) {
    static const std::vector<std::pair<std::vector<const char*>, const char*>> types = {
        {{"int", "integer", "long", "short", "smallint", "byte", "tinyint", "bigint", "integer1",
          "integer2", "integer4", "yesno", "bit", "logical", "logical1", "boolean"},
         "INTEGER"},
        {{"double", "float", "number", "real", "single", "float4", "float8", "numeric", "decimal",
          "currency", "money", "ieeedouble", "ieeesingle"},
         "REAL"},
        {{"char", "text", "varchar", "string", "memo", "longtext", "longchar", "note", "character",
          "nchar", "nvarchar", "ntext", "alphanumeric", "guid", "uniqueidentifier", "datetime",
          "date", "time", "timestamp"},
         "TEXT COLLATE NOCASE"},
        {{"binary", "varbinary", "longbinary", "image", "general", "oleobject"}, "BLOB"},
        {{"counter", "autoincrement", "identity"}, "INTEGER PRIMARY KEY AUTOINCREMENT"},
    };
    for (const auto& [names, type] : types)
        for (const char* n : names)
            if (jet_type == n) return type;
    throw Error("Unknown field type '" + jet_type + "'");
}

std::string Translation::sqlite_text() const {
    std::string s;
    for (const auto& b : before) s += b + ";\n";
    s += main;
    for (const auto& a : after) s += ";\n" + a;
    return s;
}

Translation Emitter::statement(const Statement& st) {
    Translation t = std::visit(
        [&](const auto& s) -> Translation {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, SelectPtr>) {
                Translation r;
                const SelectCore& first = s->members[0];
                if (!first.into.empty()) {
                    r.kind = Translation::Kind::select_into;
                    r.into_table = first.into;
                    if (!first.into_file.empty()) {
                        table_name(first.into, first.into_file); // attaches the file
                        r.into_schema = "jet_file" + std::to_string(attach_.size());
                    }
                } else {
                    r.kind = Translation::Kind::query;
                    if (s->members.size() == 1) editable_query(first, r);
                }
                r.main = select(*s);
                if (!first.into.empty() && s->members.size() == 1)
                    r.into_constants = constants(first);
                return r;
            } else if constexpr (std::is_same_v<T, InsertStmt>) {
                return insert(s);
            } else if constexpr (std::is_same_v<T, UpdateStmt>) {
                return update(s);
            } else if constexpr (std::is_same_v<T, DeleteStmt>) {
                return remove(s);
            } else if constexpr (std::is_same_v<T, CreateTableStmt>) {
                return create_table(s);
            } else if constexpr (std::is_same_v<T, AlterTableStmt>) {
                return alter_table(s);
            } else if constexpr (std::is_same_v<T, CreateIndexStmt>) {
                return create_index(s);
            } else {
                return drop(s);
            }
        },
        st);
    for (std::size_t k = 0; k < attach_.size(); ++k) {
        const std::string schema = quote_name("jet_file" + std::to_string(k + 1));
        t.before.insert(t.before.begin() + static_cast<std::ptrdiff_t>(k),
                        "ATTACH DATABASE " + quote_text(attach_[k]) + " AS " + schema);
        t.after.push_back("DETACH DATABASE " + schema);
    }
    return t;
}

// The constant values of a select list, column by column; none when a "*" stands for
// several columns.
std::vector<std::string> Emitter::constants(const SelectCore& c) {
    std::vector<std::string> out;
    for (const auto& item : c.items) {
        if (item.expr->kind == Expr::Kind::column && item.expr->text == "*") return {};
        out.push_back(is_constant(*item.expr) ? expr(item.expr) : "");
    }
    return out;
}

Translation Emitter::insert(const InsertStmt& s) {
    Translation t;
    t.main = "INSERT INTO " + table_name(s.table, s.in_file);
    if (!s.columns.empty()) t.main += " (" + join_list(s.columns) + ")";
    if (s.select) {
        t.main += " " + select(*s.select);
        return t;
    }
    t.main += " VALUES ";
    for (std::size_t r = 0; r < s.rows.size(); ++r) {
        t.main += r ? ", (" : "(";
        for (std::size_t i = 0; i < s.rows[r].size(); ++i)
            t.main += (i ? ", " : "") + expr(s.rows[r][i]);
        t.main += ")";
    }
    return t;
}

// The table an UPDATE's SET column or a DELETE's target belongs to.
std::string Emitter::resolve_table(const std::vector<TableRefPtr>& from, const Expr& column,
                                   std::string* exposed) {
    std::vector<ScopeTable> tables;
    for (const auto& t : from) collect_tables(*t, tables);
    std::vector<const ScopeTable*> found;
    for (const auto& t : tables) {
        if (t.is_subquery) continue;
        const bool match = column.qualifier.empty()
                               ? (tables.size() == 1 || (columns_ && columns_(t.name, column.text)))
                               : lower(t.exposed) == lower(column.qualifier);
        if (match) found.push_back(&t);
    }
    const std::string shown =
        column.qualifier.empty() ? column.text : column.qualifier + "." + column.text;
    if (found.empty()) fail("no table of the statement has '" + shown + "'", column.pos);
    if (found.size() > 1) fail("'" + shown + "' could belong to more than one table", column.pos);
    *exposed = found[0]->exposed;
    return found[0]->name;
}

// UPDATE over a join: the values are worked out over the whole join first, then
// written into the target table(s) by rowid, so LEFT joins and aliases keep their meaning.
Translation Emitter::update(const UpdateStmt& s) {
    Translation t;
    if (is_plain_table(s.from)) {
        const TableRef& ref = *s.from[0];
        t.main = "UPDATE " + table_name(ref.name, ref.in_file);
        if (!ref.alias.empty()) t.main += " AS " + quote_name(ref.alias);
        t.main += " SET ";
        for (std::size_t i = 0; i < s.set.size(); ++i)
            t.main +=
                (i ? ", " : "") + quote_name(s.set[i].column->text) + " = " + expr(s.set[i].value);
        t.main += where_clause(s.where);
        return t;
    }
    struct Target {
        std::string table, exposed;
        std::vector<std::size_t> sets;
    };
    std::vector<Target> targets;
    for (std::size_t i = 0; i < s.set.size(); ++i) {
        std::string exposed;
        std::string table = resolve_table(s.from, *s.set[i].column, &exposed);
        auto it = std::find_if(targets.begin(), targets.end(),
                               [&](const Target& x) { return lower(x.exposed) == lower(exposed); });
        if (it == targets.end()) it = targets.insert(targets.end(), {table, exposed, {}});
        it->sets.push_back(i);
    }
    std::string values;
    for (std::size_t k = 0; k < targets.size(); ++k)
        values += quote_name(targets[k].exposed) + ".rowid AS " +
                  quote_name("jet_rid" + std::to_string(k)) + ", ";
    for (std::size_t i = 0; i < s.set.size(); ++i)
        values += (i ? ", " : "") + expr(s.set[i].value) + " AS " +
                  quote_name("jet_v" + std::to_string(i));
    // Where several rows of the join meet one target row, Jet applies them in turn and
    // the last one stays: keep the last row of each target in the join's order.
    std::string rids;
    for (std::size_t k = 0; k < targets.size(); ++k)
        rids += (k ? ", " : "") + quote_name("jet_rid" + std::to_string(k));
    const std::string source = "SELECT *, max(\"jet_seq\") FROM (SELECT " + values +
                               ", row_number() OVER () AS \"jet_seq\" FROM " + from_clause(s.from) +
                               where_clause(s.where) + ") GROUP BY " + rids;

    auto write = [&](const Target& x, std::size_t k, const std::string& from) {
        std::string u = "UPDATE " + quote_name(x.table) + " AS \"jet_t\" SET ";
        for (std::size_t j = 0; j < x.sets.size(); ++j) {
            const std::size_t i = x.sets[j];
            u += (j ? ", " : "") + quote_name(s.set[i].column->text) + " = \"jet_u\"." +
                 quote_name("jet_v" + std::to_string(i));
        }
        return u + " FROM " + from + " AS \"jet_u\" WHERE \"jet_t\".rowid = \"jet_u\"." +
               quote_name("jet_rid" + std::to_string(k));
    };
    if (targets.size() == 1) {
        t.main = write(targets[0], 0, "(" + source + ")");
        direct_update(s, targets[0].exposed, t);
        return t;
    }
    // Several target tables: fix the values before the first table changes.
    t.before = {std::string("DROP TABLE IF EXISTS temp.") + work_update,
                std::string("CREATE TEMP TABLE ") + work_update + " AS " + source};
    for (std::size_t k = 0; k < targets.size(); ++k)
        t.main += (k ? ";\n" : "") + write(targets[k], k, std::string("temp.") + work_update);
    t.after = {std::string("DROP TABLE IF EXISTS temp.") + work_update};
    return t;
}

// DELETE: rows leave only the tables named with ".*"; other named columns are criteria.
Translation Emitter::remove(const DeleteStmt& s) {
    Translation t;
    std::vector<std::pair<std::string, std::string>> targets; // table, exposed
    for (const auto& e : s.targets) {
        if (e->text != "*" || e->qualifier.empty()) continue;
        std::string exposed;
        std::string table = resolve_table(s.from, *e, &exposed);
        targets.emplace_back(table, exposed);
    }
    if (targets.empty()) {
        if (!is_plain_table(s.from))
            fail("Specify the table containing the records you want to delete", 0);
        targets.emplace_back(s.from[0]->name, s.from[0]->exposed_name());
    }
    if (is_plain_table(s.from) && s.from[0]->alias.empty()) {
        t.main = "DELETE FROM " + table_name(s.from[0]->name, s.from[0]->in_file) +
                 where_clause(s.where);
        return t;
    }
    const std::string from = " FROM " + from_clause(s.from) + where_clause(s.where);
    if (targets.size() == 1) {
        t.main = "DELETE FROM " + quote_name(targets[0].first) + " WHERE rowid IN (SELECT " +
                 quote_name(targets[0].second) + ".rowid" + from + ")";
        return t;
    }
    std::string rowids;
    for (std::size_t k = 0; k < targets.size(); ++k)
        rowids += (k ? ", " : "") + quote_name(targets[k].second) + ".rowid AS " +
                  quote_name("jet_rid" + std::to_string(k));
    t.before = {std::string("DROP TABLE IF EXISTS temp.") + work_delete,
                std::string("CREATE TEMP TABLE ") + work_delete + " AS SELECT " + rowids + from};
    for (std::size_t k = 0; k < targets.size(); ++k)
        t.main += (k ? ";\n" : "") + std::string("DELETE FROM ") + quote_name(targets[k].first) +
                  " WHERE rowid IN (SELECT " + quote_name("jet_rid" + std::to_string(k)) +
                  " FROM temp." + work_delete + ")";
    t.after = {std::string("DROP TABLE IF EXISTS temp.") + work_delete};
    return t;
}

Translation Emitter::create_table(const CreateTableStmt& s) {
    Translation t;
    t.kind = Translation::Kind::schema;
    t.main = "CREATE TABLE " + quote_name(s.table) + " (";
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        const ColumnDef& c = s.columns[i];
        const std::string type = sqlite_type(c.type);
        t.main += (i ? ", " : "") + quote_name(c.name) + " " + type;
        if (c.not_null) t.main += " NOT NULL";
        if (c.primary_key && type.find("PRIMARY KEY") == std::string::npos)
            t.main += " PRIMARY KEY";
        if (c.unique) t.main += " UNIQUE";
    }
    for (const auto& c : s.constraints)
        t.main += std::string(c.kind == TableConstraint::Kind::primary_key ? ", PRIMARY KEY ("
                                                                           : ", UNIQUE (") +
                  join_list(c.columns) + ")";
    t.main += ")";
    return t;
}

Translation Emitter::alter_table(const AlterTableStmt& s) {
    Translation t;
    t.kind = Translation::Kind::schema;
    t.main = "ALTER TABLE " + quote_name(s.table);
    if (s.action == AlterTableStmt::Action::drop) {
        t.main += " DROP COLUMN " + quote_name(s.column.name);
        return t;
    }
    std::string type = sqlite_type(s.column.type);
    if (type.find("PRIMARY KEY") != std::string::npos) type = "INTEGER";
    t.main += " ADD COLUMN " + quote_name(s.column.name) + " " + type;
    return t;
}

// Jet names indexes per table; SQLite per database: the table goes into the name.
Translation Emitter::create_index(const CreateIndexStmt& s) {
    Translation t;
    t.kind = Translation::Kind::schema;
    t.main = std::string(s.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") +
             quote_name(s.table + "." + s.name) + " ON " + quote_name(s.table) + " (";
    for (std::size_t i = 0; i < s.columns.size(); ++i)
        t.main += (i ? ", " : "") + quote_name(s.columns[i].expr->text) +
                  (s.columns[i].descending ? " DESC" : "");
    t.main += ")";
    return t;
}

Translation Emitter::drop(const DropStmt& s) {
    Translation t;
    t.kind = Translation::Kind::schema;
    t.main = s.what == DropStmt::What::table ? "DROP TABLE " + quote_name(s.name)
                                             : "DROP INDEX " + quote_name(s.table + "." + s.name);
    return t;
}

Translation translate(const std::string& jet_text, const ColumnLookup& columns) {
    const Statement st = parse(jet_text);
    return Emitter(jet_text, columns).statement(st);
}

std::shared_ptr<const Translation> TranslationCache::get(const std::string& jet_text,
                                                         const ColumnLookup& columns) {
    auto it = cache_.find(jet_text);
    if (it != cache_.end()) return it->second;
    auto t = std::make_shared<const Translation>(translate(jet_text, columns));
    if (cache_.size() > 4096) cache_.clear(); // statements with values in them: keep it small
    cache_.emplace(jet_text, t);
    return t;
}

} // namespace db::jet

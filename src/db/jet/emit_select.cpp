// SELECT statements, UNIONs and FROM clauses.
#include "db/jet/emitter.h"

namespace db::jet {
namespace {

// Keeps the select list's aliases and the FROM scope of an enclosing SELECT while a
// nested one is written.
template <class T> class Saved {
public:
    explicit Saved(T& slot) : slot_(slot), old_(slot) {}
    ~Saved() { slot_ = old_; }

private:
    T& slot_;
    T old_;
};

} // namespace

void collect_tables(const TableRef& t, std::vector<ScopeTable>& out) {
    switch (t.kind) {
    case TableRef::Kind::table:
        out.push_back({t.name, t.exposed_name(), false});
        break;
    case TableRef::Kind::subquery:
        out.push_back({"", t.alias, true});
        break;
    case TableRef::Kind::join:
        collect_tables(*t.left, out);
        collect_tables(*t.right, out);
        break;
    }
}

bool Emitter::any_table_has(const std::vector<TableRefPtr>& from, const std::string& column) const {
    if (!columns_) return false;
    std::vector<ScopeTable> tables;
    for (const auto& t : from) collect_tables(*t, tables);
    for (const auto& t : tables)
        if (!t.is_subquery && columns_(t.name, column)) return true;
    return false;
}

// In a UNION the order comes from the last member's ORDER BY: Jet accepts an ORDER BY
// in any member, SQLite only at the end.
std::string Emitter::select(const Select& s) {
    const std::size_t n = s.members.size();
    if (n == 1) return select_core(s.members[0], true);
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        const SelectCore& m = s.members[i];
        std::string part = select_core(m, false);
        if (m.top) part = "SELECT * FROM (" + part + ")";
        out += part;
        if (i + 1 < n) out += s.union_all[i] ? " UNION ALL " : " UNION ";
    }
    return out + order_by(s.members.back().order_by, true);
}

std::string Emitter::select_core(const SelectCore& c, bool with_order) {
    Saved<std::map<std::string, ExprPtr>> saved_aliases(aliases_);
    Saved<const std::vector<TableRefPtr>*> saved_scope(scope_);
    aliases_.clear();
    scope_ = &c.from;
    if (c.top_percent) fail("TOP ... PERCENT is not supported", 0);

    std::string s = c.distinct ? "SELECT DISTINCT " : "SELECT ";
    s += select_items(c);
    aliases_.clear();
    if (!c.from.empty()) s += " FROM " + from_clause(c.from);
    s += where_clause(c.where);
    if (!c.group_by.empty()) {
        s += " GROUP BY ";
        for (std::size_t i = 0; i < c.group_by.size(); ++i)
            s += (i ? ", " : "") + grouping_term(c.group_by[i]);
    }
    if (c.having) s += " HAVING " + condition(c.having);
    if (with_order) s += order_by(c.order_by, false);
    if (c.top) s += " LIMIT " + std::to_string(*c.top);
    return s;
}

// Unnamed expressions are named Expr1000, Expr1001, ... as Jet names them; a plain
// column keeps its name.
std::string Emitter::select_items(const SelectCore& c) {
    std::string s;
    int unnamed = 1000;
    for (std::size_t i = 0; i < c.items.size(); ++i) {
        const SelectItem& item = c.items[i];
        if (i) s += ", ";
        s += expr(item.expr);
        if (!item.alias.empty()) {
            s += " AS " + quote_name(item.alias);
            aliases_[lower(item.alias)] = item.expr;
        } else if (item.expr->kind != Expr::Kind::column) {
            s += " AS " + quote_name("Expr" + std::to_string(unnamed++));
        } else if (item.expr->text != "*") {
            // A column keeps its name; SQLite would rename one that comes out of a
            // nested join ("ITEM_IX:1").
            s += " AS " + quote_name(item.expr->text);
        }
    }
    if (!rowid_of_.empty()) { // only the outermost select of an editable query
        s += ", " + quote_name(rowid_of_) + ".rowid AS " + quote_name(rowid_field);
        rowid_of_.clear();
    }
    return s;
}

// SQLite reads a whole number in GROUP BY or ORDER BY as a column number; Jet reads it
// as a constant.
std::string Emitter::grouping_term(const ExprPtr& e) {
    const auto number = [](const ExprPtr& x) {
        return x->kind == Expr::Kind::integer || x->kind == Expr::Kind::real;
    };
    const bool constant =
        number(e) || (e->kind == Expr::Kind::unary && e->text != "not" && number(e->args[0]));
    if (constant) return "CAST(" + expr(e) + " AS NUMERIC)";
    return expr(e);
}

std::string Emitter::where_clause(const ExprPtr& where) {
    return where ? " WHERE " + condition(where) : "";
}

std::string Emitter::order_by(const std::vector<OrderItem>& items, bool compound) {
    if (items.empty()) return {};
    std::string s = " ORDER BY ";
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ExprPtr& e = items[i].expr;
        if (i) s += ", ";
        // The ORDER BY of a UNION names result columns: drop the table.
        if (compound && e->kind == Expr::Kind::column)
            s += quote_name(e->text);
        else
            s += grouping_term(e);
        if (items[i].descending) s += " DESC";
    }
    return s;
}

std::string Emitter::from_clause(const std::vector<TableRefPtr>& from) {
    std::string s;
    for (std::size_t i = 0; i < from.size(); ++i) s += (i ? ", " : "") + table_ref(*from[i]);
    return s;
}

std::string Emitter::table_ref(const TableRef& t) {
    switch (t.kind) {
    case TableRef::Kind::table: {
        std::string s = table_name(t.name, t.in_file);
        if (!t.alias.empty()) s += " AS " + quote_name(t.alias);
        return s;
    }
    case TableRef::Kind::subquery: {
        std::string s = "(" + select(*t.select) + ")";
        if (!t.alias.empty()) s += " AS " + quote_name(t.alias);
        return s;
    }
    case TableRef::Kind::join:
        break;
    }
    const char* kind = t.join == TableRef::Join::inner  ? " INNER JOIN "
                       : t.join == TableRef::Join::left ? " LEFT JOIN "
                                                        : " RIGHT JOIN ";
    return "(" + table_ref(*t.left) + kind + table_ref(*t.right) + " ON " + condition(t.on) + ")";
}

// A table of another database file (IN "file") is reached through an attached schema.
std::string Emitter::table_name(const std::string& name, const std::string& in_file) {
    if (in_file.empty()) return quote_name(name);
    std::size_t k = 0;
    while (k < attach_.size() && attach_[k] != in_file) ++k;
    if (k == attach_.size()) attach_.push_back(in_file);
    return quote_name("jet_file" + std::to_string(k + 1)) + "." + quote_name(name);
}

// A query of one table with plain columns can write its rows back by rowid.
void Emitter::editable_query(const SelectCore& c, Translation& t) {
    if (c.distinct || !c.group_by.empty() || c.having || c.from.size() != 1) return;
    const TableRef& ref = *c.from[0];
    if (ref.kind != TableRef::Kind::table || !ref.in_file.empty()) return;
    for (const auto& item : c.items) {
        const Expr& e = *item.expr;
        if (e.kind != Expr::Kind::column) return;
        if (!item.alias.empty() && e.text != "*") t.edit_aliases[lower(item.alias)] = e.text;
    }
    t.edit_table = ref.name;
    rowid_of_ = ref.exposed_name();
}

} // namespace db::jet

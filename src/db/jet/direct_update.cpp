// An UPDATE over inner joins as one plain SQLite UPDATE ... FROM. SQLite takes an arbitrary
// row where several rows of the join meet one target row, Jet the last one; so the plain
// form is only offered together with the queries that prove every target row meets at
// most one row: each joined table is keyed by columns that the conditions set equal to
// constants or to columns of tables already keyed, and no key occurs twice in it.
#include "db/jet/emitter.h"

#include <algorithm>

namespace db::jet {
namespace {

using K = Expr::Kind;

bool has_subquery(const ExprPtr& e) {
    if (!e) return false;
    if (e->kind == K::subquery || e->kind == K::exists || e->kind == K::in_select) return true;
    return std::any_of(e->args.begin(), e->args.end(), has_subquery);
}

// The tables of an inner-join tree and the conditions joining them; false for a tree with
// an outer join or a subquery.
bool inner_join_parts(const TableRef& t, std::vector<const TableRef*>& tables,
                      std::vector<ExprPtr>& conditions) {
    switch (t.kind) {
    case TableRef::Kind::table:
        tables.push_back(&t);
        return true;
    case TableRef::Kind::subquery:
        return false;
    case TableRef::Kind::join:
        break;
    }
    if (t.join != TableRef::Join::inner) return false;
    conditions.push_back(t.on);
    return inner_join_parts(*t.left, tables, conditions) &&
           inner_join_parts(*t.right, tables, conditions);
}

void conjuncts(const ExprPtr& e, std::vector<const Expr*>& out) {
    if (!e) return;
    if (e->kind == K::binary && e->text == "and") {
        conjuncts(e->args[0], out);
        conjuncts(e->args[1], out);
    } else {
        out.push_back(e.get());
    }
}

} // namespace

// The table of `tables` a column of a condition belongs to; -1 when that is not certain.
int Emitter::owner(const std::vector<const TableRef*>& tables, const Expr& column) const {
    int found = -1;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const bool match = column.qualifier.empty()
                               ? columns_ && columns_(tables[i]->name, column.text)
                               : lower(tables[i]->exposed_name()) == lower(column.qualifier);
        if (!match) continue;
        if (found >= 0) return -1;
        found = static_cast<int>(i);
    }
    return found;
}

void Emitter::direct_update(const UpdateStmt& s, const std::string& target_exposed,
                            Translation& t) {
    std::vector<const TableRef*> tables;
    std::vector<ExprPtr> conditions;
    for (const auto& ref : s.from)
        if (!inner_join_parts(*ref, tables, conditions)) return;
    conditions.push_back(s.where);
    if (std::any_of(conditions.begin(), conditions.end(), has_subquery) ||
        std::any_of(s.set.begin(), s.set.end(),
                    [](const auto& a) { return has_subquery(a.value); }))
        return;
    int target = -1;
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (lower(tables[i]->exposed_name()) == lower(target_exposed)) target = static_cast<int>(i);
    if (target < 0) return;
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (static_cast<int>(i) != target && lower(tables[i]->name) == lower(tables[target]->name))
            return; // the target joined to itself: SQLite would need another name for it

    std::vector<const Expr*> terms;
    for (const auto& c : conditions) conjuncts(c, terms);
    // Key the tables one after the other, starting from the target. A key column set equal
    // to a constant keeps that constant: only rows holding it can meet a target row.
    struct Key {
        std::string column, constant;
    };
    std::vector<std::vector<Key>> keys(tables.size());
    std::vector<bool> keyed(tables.size(), false);
    keyed[static_cast<std::size_t>(target)] = true;
    for (bool progress = true; progress;) {
        progress = false;
        for (std::size_t i = 0; i < tables.size(); ++i) {
            if (keyed[i]) continue;
            for (const Expr* term : terms) {
                if (term->kind != K::binary || term->text != "=") continue;
                for (int side = 0; side < 2; ++side) {
                    const Expr& a = *term->args[side];
                    const Expr& b = *term->args[1 - side];
                    if (a.kind != K::column || owner(tables, a) != static_cast<int>(i)) continue;
                    const int other = b.kind == K::column ? owner(tables, b) : -1;
                    const bool fixed = b.kind == K::integer ||
                                       (other >= 0 && keyed[static_cast<std::size_t>(other)]);
                    const auto same = [&](const Key& k) {
                        return lower(k.column) == lower(a.text);
                    };
                    if (fixed && std::none_of(keys[i].begin(), keys[i].end(), same))
                        keys[i].push_back(
                            {a.text, b.kind == K::integer ? literal(b) : std::string()});
                }
            }
            if (!keys[i].empty()) keyed[i] = progress = true;
        }
    }
    if (std::find(keyed.begin(), keyed.end(), false) != keyed.end()) return;

    // Whole-number keys compare alike under every affinity and collation; a row comes back
    // when a key occurs twice or is not a whole number. A joined table larger than the
    // target is not searched: that costs more than the plain form saves.
    const TableRef& into = *tables[static_cast<std::size_t>(target)];
    std::vector<std::string> repeats;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (static_cast<int>(i) == target) continue;
        const std::string joined = table_name(tables[i]->name, tables[i]->in_file);
        repeats.push_back("SELECT 1 WHERE (SELECT count(*) FROM " + joined +
                          ") > (SELECT count(*) FROM " + table_name(into.name, into.in_file) + ")");
        std::string rows, group, integers = "1";
        for (const Key& k : keys[i]) {
            const std::string col = quote_name(k.column);
            rows += (rows.empty() ? "" : " AND ") + col +
                    (k.constant.empty() ? " IS NOT NULL" : " = " + k.constant);
            if (!k.constant.empty()) continue;
            group += (group.empty() ? "" : ", ") + col;
            integers += " AND typeof(" + col + ") = 'integer'";
        }
        repeats.push_back("SELECT 1 FROM " + joined + " WHERE " + rows + " GROUP BY " +
                          (group.empty() ? "NULL" : group) + " HAVING count(*) > 1 OR min(" +
                          integers + ") = 0 LIMIT 1");
    }

    std::string u = "UPDATE " + table_name(into.name, into.in_file);
    if (!into.alias.empty()) u += " AS " + quote_name(into.alias);
    for (std::size_t i = 0; i < s.set.size(); ++i)
        u +=
            (i ? ", " : " SET ") + quote_name(s.set[i].column->text) + " = " + expr(s.set[i].value);
    std::string from;
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (static_cast<int>(i) != target)
            from += (from.empty() ? " FROM " : ", ") + table_ref(*tables[i]);
    std::string where;
    for (const auto& c : conditions)
        if (c) where += (where.empty() ? " WHERE (" : " AND (") + condition(c) + ")";
    t.direct = u + from + where;
    t.repeats = std::move(repeats);
}

} // namespace db::jet

#include "transfer/key_planner.h"

#include "db/connection.h"
#include "db/text.h"
#include "transfer/attached_source.h"

#include <algorithm>

namespace transfer {

namespace {

// Plots and saved states share their keys: i_con names either.
int key_space(KeyKind kind) {
    return kind == KeyKind::saved_state ? static_cast<int>(KeyKind::plot) : static_cast<int>(kind);
}

bool listed(const std::vector<std::string>& names, const std::string& n) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& x) { return db::iequals(x, n); });
}

// A source column as the destination would hold it: keys replaced through the key map.
std::string source_value(const TableStep& step, const std::string& column) {
    if (db::iequals(column, step.by)) return KeyMap::mapped("s", column, step.by_kind);
    for (const KeyColumn& k : step.refers)
        if (db::iequals(column, k.column)) return KeyMap::mapped("s", column, k.kind);
    return "s." + name(column);
}

} // namespace

KeyPlanner::KeyPlanner(db::Connection& c, KeyMap& map) : c_(c), map_(map) {}
KeyPlanner::~KeyPlanner() = default;

// The columns of a table that decide whether two keys hold the same rows.
const std::vector<std::string>& KeyPlanner::compared_columns(const TableStep& step) {
    auto it = columns_.find(step.table);
    if (it != columns_.end()) return it->second;
    std::vector<std::string> columns;
    for (const std::string& col : shared_columns(c_, step.table))
        if (!listed(step.ignored, col)) columns.push_back(col);
    return columns_.emplace(step.table, std::move(columns)).first->second;
}

bool KeyPlanner::has_table(const std::string& schema, const std::string& table) {
    const std::string key = schema + "." + db::lower(table);
    auto it = tables_.find(key);
    if (it == tables_.end())
        it = tables_.emplace(key, !table_columns(c_, schema, table).empty()).first;
    return it->second;
}

db::Statement& KeyPlanner::cached(const std::string& sql) {
    auto it = statements_.find(sql);
    if (it == statements_.end()) it = statements_.emplace(sql, c_.prepare_native(sql)).first;
    it->second.reset();
    return it->second;
}

// Destination keys whose main row equals the source's, the same key first.
std::vector<std::int64_t> KeyPlanner::candidates(const Entity& e, std::int64_t old_key) {
    const TableStep& main = e.tables.front();
    if (!has_table("src", main.table) || !has_table("main", main.table)) return {};
    std::string sql = "SELECT d." + name(main.by) + " FROM main." + name(main.table) + " d, src." +
                      name(main.table) + " s WHERE s." + name(main.by) + " = ?1";
    for (const std::string& col : compared_columns(main))
        if (!db::iequals(col, main.by))
            sql += " AND d." + name(col) + " IS " + source_value(main, col);
    sql += " ORDER BY d." + name(main.by) + " <> ?1, d." + name(main.by);
    db::Statement& q = cached(sql);
    q.bind(1, old_key);
    std::vector<std::int64_t> keys;
    while (q.step()) keys.push_back(q.column(0).as_int());
    return keys;
}

bool KeyPlanner::same_rows(const Entity& e, std::int64_t old_key, std::int64_t candidate) {
    for (const TableStep& step : e.tables) {
        if (!step.compared) continue;
        if (!has_table("src", step.table) || !has_table("main", step.table)) continue;
        std::string src_list, dst_list;
        for (const std::string& col : compared_columns(step)) {
            src_list += (src_list.empty() ? "" : ", ") + source_value(step, col);
            dst_list += (dst_list.empty() ? "" : ", ") + ("d." + name(col));
        }
        const std::string from_src =
            " FROM src." + name(step.table) + " s WHERE s." + name(step.by) + " = ?1";
        const std::string from_dst =
            " FROM main." + name(step.table) + " d WHERE d." + name(step.by) + " = ?2";
        const std::string sql = "SELECT (SELECT count(*)" + from_src + ") = (SELECT count(*)" +
                                from_dst + ") AND NOT EXISTS (SELECT " + src_list + from_src +
                                " EXCEPT SELECT " + dst_list + from_dst +
                                ") AND NOT EXISTS (SELECT " + dst_list + from_dst +
                                " EXCEPT SELECT " + src_list + from_src + ")";
        db::Statement& q = cached(sql);
        q.bind(1, old_key).bind(2, candidate);
        if (!q.step() || !q.column(0).as_bool()) return false;
    }
    return true;
}

bool KeyPlanner::taken(const Entity& e, std::int64_t key) {
    if (claimed_[key_space(e.kind)].count(key)) return true;
    for (const auto& [table, column] : e.key_tables) {
        if (!has_table("main", table)) continue;
        db::Statement& q =
            cached("SELECT 1 FROM main." + name(table) + " WHERE " + name(column) + " = ? LIMIT 1");
        q.bind(1, key);
        if (q.step()) return true;
    }
    return false;
}

std::int64_t KeyPlanner::next_free(const Entity& e) {
    std::int64_t top = 0;
    const auto& claimed = claimed_[key_space(e.kind)];
    if (!claimed.empty()) top = *claimed.rbegin();
    for (const auto& [table, column] : e.key_tables) {
        if (!has_table("main", table)) continue;
        db::Statement& q = cached("SELECT max(" + name(column) + ") FROM main." + name(table));
        if (q.step()) top = std::max(top, q.column(0).as_int());
    }
    return top + 1;
}

Decision KeyPlanner::decide(KeyKind kind, std::int64_t old_key,
                            const std::function<bool(std::int64_t)>& may_renumber) {
    if (auto known = map_.find(kind, old_key)) {
        // Decided before (two plots of one soil): the same answer.
        db::Statement& q = cached("SELECT copy FROM temp.transfer_keys WHERE kind = ? AND "
                                  "old_key = ?");
        q.bind(1, static_cast<int>(kind)).bind(2, old_key);
        const bool copy = q.step() && q.column(0).as_bool();
        return {old_key, known->as_int(), copy ? Decision::Action::copy : Decision::Action::reuse};
    }
    const Entity& e = entity(kind);
    for (std::int64_t candidate : candidates(e, old_key)) {
        map_.set(kind, old_key, candidate, false);
        if (same_rows(e, old_key, candidate)) return {old_key, candidate, Decision::Action::reuse};
        map_.erase(kind, old_key);
    }
    std::int64_t new_key = old_key;
    if (taken(e, old_key)) {
        new_key = next_free(e);
        if (may_renumber && !may_renumber(new_key))
            return {old_key, old_key, Decision::Action::left_out};
    }
    claimed_[key_space(kind)].insert(new_key);
    map_.set(kind, old_key, new_key, true);
    return {old_key, new_key, Decision::Action::copy};
}

} // namespace transfer

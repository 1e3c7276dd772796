#include "transfer/key_map.h"

#include "db/connection.h"
#include "transfer/attached_source.h"

namespace transfer {

namespace {

std::string kind_number(KeyKind kind) {
    return std::to_string(static_cast<int>(kind));
}

} // namespace

KeyMap::KeyMap(db::Connection& c) : c_(c) {
    c_.execute_native("DROP TABLE IF EXISTS temp.transfer_keys; "
                      "CREATE TEMP TABLE transfer_keys (kind INTEGER NOT NULL, old_key, new_key, "
                      "copy INTEGER NOT NULL, PRIMARY KEY (kind, old_key))");
}

KeyMap::~KeyMap() {
    try {
        c_.execute_native("DROP TABLE IF EXISTS temp.transfer_keys");
    } catch (const std::exception&) {
        // A temporary table ends with the connection anyway.
    }
}

void KeyMap::set(KeyKind kind, const db::Value& old_key, const db::Value& new_key, bool copy) {
    c_.prepare_native("INSERT OR REPLACE INTO temp.transfer_keys (kind, old_key, new_key, copy) "
                      "VALUES (?, ?, ?, ?)")
        .execute({static_cast<int>(kind), old_key, new_key, copy ? 1 : 0});
}

void KeyMap::erase(KeyKind kind, const db::Value& old_key) {
    c_.prepare_native("DELETE FROM temp.transfer_keys WHERE kind = ? AND old_key = ?")
        .execute({static_cast<int>(kind), old_key});
}

std::optional<db::Value> KeyMap::find(KeyKind kind, const db::Value& old_key) {
    db::Statement q =
        c_.prepare_native("SELECT new_key FROM temp.transfer_keys WHERE kind = ? AND old_key = ?");
    q.bind(1, static_cast<int>(kind)).bind(2, old_key);
    if (!q.step()) return std::nullopt;
    return q.column(0);
}

std::string KeyMap::mapped(const std::string& alias, const std::string& column, KeyKind kind) {
    const std::string col = alias + "." + name(column);
    // "+" takes the column's affinity away, so that the key map's index finds the value
    // as it is stored (keys as numbers, codes as texts).
    return "coalesce((SELECT k.new_key FROM temp.transfer_keys k WHERE k.kind = " +
           kind_number(kind) + " AND k.old_key = +" + col + "), " + col + ")";
}

std::string KeyMap::keys(KeyKind kind, bool copied_only) {
    return "(SELECT old_key FROM temp.transfer_keys WHERE kind = " + kind_number(kind) +
           (copied_only ? " AND copy = 1)" : ")");
}

} // namespace transfer

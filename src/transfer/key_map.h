// key_map.h --- the keys of a transfer: for every source key of a kind, the key it has
// in the destination and whether its rows are copied or the destination's are used.
#pragma once

#include "db/value.h"
#include "transfer/transfer_tables.h"

#include <optional>
#include <string>

namespace db {
class Connection;
}

namespace transfer {

// Kept in a temporary table of the destination's connection, so that one statement
// copies all rows of a table with their keys replaced. Removed when destroyed.
class KeyMap {
public:
    explicit KeyMap(db::Connection& c);
    ~KeyMap();
    KeyMap(const KeyMap&) = delete;
    KeyMap& operator=(const KeyMap&) = delete;

    // copy: the source's rows are copied under new_key; otherwise the destination
    // already holds them under new_key.
    void set(KeyKind kind, const db::Value& old_key, const db::Value& new_key, bool copy);
    void erase(KeyKind kind, const db::Value& old_key);
    std::optional<db::Value> find(KeyKind kind, const db::Value& old_key);

    // SQL: the destination's value of column `column` of the row aliased `alias`.
    static std::string mapped(const std::string& alias, const std::string& column, KeyKind kind);
    // SQL: a sub-query of the source keys of a kind (only those copied, or all).
    static std::string keys(KeyKind kind, bool copied_only);

private:
    db::Connection& c_;
};

} // namespace transfer

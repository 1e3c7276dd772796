// key_planner.h --- deciding, before anything is written, the destination key of every
// source key that a transfer moves: the destination's own rows are used only when they
// are the same as the source's; otherwise the rows are copied under their own key when
// it is free there, else under the next free key.
#pragma once

#include "db/statement.h"
#include "transfer/key_map.h"
#include "transfer/transfer_tables.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace transfer {

struct Decision {
    enum class Action { copy, reuse, left_out };
    std::int64_t old_key = 0;
    std::int64_t new_key = 0;
    Action action = Action::copy;
    bool renumbered() const { return action != Action::left_out && new_key != old_key; }
};

// Works on the destination's connection with the source attached (AttachedSource).
class KeyPlanner {
public:
    KeyPlanner(db::Connection& c, KeyMap& map);
    ~KeyPlanner();

    // Decides one source key and enters it into the key map. When the key is taken in
    // the destination by other rows, may_renumber is asked with the proposed new key;
    // false leaves the key out (nothing is entered).
    Decision decide(KeyKind kind, std::int64_t old_key,
                    const std::function<bool(std::int64_t)>& may_renumber = {});

    // True when the destination's rows under `candidate` are the source's rows under
    // `old_key`, with the keys they refer to as the key map has them.
    bool same_rows(const Entity& e, std::int64_t old_key, std::int64_t candidate);

private:
    std::vector<std::int64_t> candidates(const Entity& e, std::int64_t old_key);
    bool taken(const Entity& e, std::int64_t key);
    std::int64_t next_free(const Entity& e);
    db::Statement& cached(const std::string& sql);
    const std::vector<std::string>& compared_columns(const TableStep& step);
    bool has_table(const std::string& schema, const std::string& table);

    db::Connection& c_;
    KeyMap& map_;
    std::map<int, std::set<std::int64_t>> claimed_; // new keys per key space
    std::map<std::string, db::Statement> statements_;
    std::map<std::string, std::vector<std::string>> columns_;
    std::map<std::string, bool> tables_;
};

} // namespace transfer

// item_lists.h --- the item lists of the management forms: crops, organic amendments and
// mineral fertilisers under one key ix = 100000 x kind + item_ix.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace workbench {

// Item kinds (column objekt). Kinds 5, 7 and 14 are placeholder rows "-", one per mineral
// fertiliser, for the actions that name no item.
inline constexpr int crop_kind = 1;
inline constexpr int amendment_kind = 3;
inline constexpr int fertiliser_kind = 4;
inline constexpr int tillage_kind = 5;
inline constexpr int irrigation_kind = 7;
inline constexpr int tillage_change_kind = 14;

inline constexpr std::int64_t kind_factor = 100000;

// The key of an item in the lists.
inline std::int64_t item_key(std::int64_t kind, std::int64_t item_ix) {
    return kind_factor * kind + item_ix;
}

// Kind of the item a management row names through its action code: crops for 0, 1, 2, 9
// and 12, fertilisers for 4, 7 for 7, otherwise the action code itself.
std::int64_t item_kind_of_action(std::int64_t macode);

// tsm_items_ix: every crop, every organic amendment (od true), every fertiliser, and the
// placeholder rows of kinds 7 and 5; ordered by kind, name and item_ix.
const std::string& all_items_statement();

// tsm_items: the crops, amendments and fertilisers picked in the selection lists, and the
// placeholder rows (item_ix -99) of kinds 7 and 14; ordered by name, kind and item_ix.
const std::string& selected_items_statement();

// One row of an item list.
struct Item {
    std::string name;
    std::string item; // the first 25 characters of the name, trimmed
    std::int64_t item_ix = 0;
    std::int64_t kind = 0; // objekt
    std::int64_t ix = 0;
};
using ItemList = std::vector<Item>;

// The rows of an item list statement.
ItemList load_items(db::Connection& conn, const std::string& statement);

// The first item with the key, nullptr when there is none.
const Item* find_item(const ItemList& items, std::int64_t ix);

} // namespace workbench

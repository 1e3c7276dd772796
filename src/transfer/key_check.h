// key_check.h --- the crops and organic amendments that a plot's management uses, looked
// up in the destination's parameter tables, and the copy of a missing parameter row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace transfer {

// One item of a parameter table: its key, its name in the source and, when the
// destination has the key, its name there.
struct KeyItem {
    std::int64_t key = 0;
    std::string source_name;
    std::optional<std::string> destination_name;
    bool missing() const { return !destination_name; }
};

struct KeyCheck {
    // Residues, by-products and green manures of the plot's crops (harvests and
    // ploughing-up of grassland) and the organic amendments it receives.
    std::vector<KeyItem> amendments;
    // The crops of the plot's harvests and ploughing-up of grassland.
    std::vector<KeyItem> crops;
};

// Works on the destination's connection with the source attached (AttachedSource).
KeyCheck check_key_items(db::Connection& c, std::int64_t plot);

// The message list of one half of a key check: the heading of the found items, a line
// "key ==>src: name ==>dst: name" for each, the heading of the missing ones and their
// bare keys.
std::vector<std::string> key_check_lines(const std::vector<KeyItem>& items,
                                         const std::string& found_heading,
                                         const std::string& missing_heading);
inline constexpr const char* amendments_found = "Trefferliste Ops:";
inline constexpr const char* amendments_missing = "Fehlerliste Ops:";
inline constexpr const char* crops_found = "Trefferliste crops:";
inline constexpr const char* crops_missing = "Fehlerliste Crops:";

// Copies the source's row of a parameter table (crop_table or amendment_table) with all
// the columns both databases have, unless the destination has the key already. Returns
// the rows copied (0 or 1). The source must be attached.
int copy_parameter_row(db::Connection& c, const std::string& table, std::int64_t key);

} // namespace transfer

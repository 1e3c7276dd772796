// choice_lists.h --- the weather station and soil profile lists of the Basic-Info page:
// each entry a text with the key it stands for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace workbench {

struct ChoiceEntry {
    std::string text;
    std::int64_t object = 0; // climate_id or soil_id; -99 for "-?-"
    bool operator==(const ChoiceEntry&) const = default;
};
using ChoiceList = std::vector<ChoiceEntry>;

inline constexpr std::int64_t unknown_choice = -99;

// "-?-" followed by every climate station (station, climate_id), in table order.
ChoiceList refresh_stat_list(db::Connection& conn);
// "-?-" followed by every soil profile (profile, soil_id), in table order.
ChoiceList refresh_soil_list(db::Connection& conn);

// Position of the entry whose text is the text of the entry with the key in `all` (the
// full list): the key's station or profile found by name. 0 when there is none.
int choice_position(const ChoiceList& shown, const ChoiceList& all, std::int64_t object);

} // namespace workbench

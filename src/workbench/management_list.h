// management_list.h --- the management list of the active plot with its calculated fields
// AKTION, SUBJEKT and UNIT.
#pragma once

#include "db/value.h"
#include "workbench/action_list.h"
#include "workbench/item_lists.h"

#include <cstdint>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace workbench {

// Field widths of the calculated fields; longer texts are cut.
inline constexpr std::size_t aktion_width = 35;
inline constexpr std::size_t subjekt_width = 25;
inline constexpr std::size_t unit_width = 10;

struct ManagementFields {
    std::string aktion;  // ACTION of the action with ACTION_ID = MACODE, "" when none
    std::string subjekt; // item of the row's item, "?" when none
    std::string unit;    // UNIT_INTENSITY of the action, "" when none
};

// The calculated fields of a management row: the action named by macode, and the item
// whose key is wert1 + 100000 x the kind of the action.
ManagementFields management_fields(std::int64_t macode, std::int64_t wert1,
                                   const ActionList& actions, const ItemList& items);

// The management list of a plot (mas_sql), ordered by year and action; the share column
// part is the stored one in regional mode, 1 otherwise.
std::string management_list_statement(std::int64_t fl_id, bool regional_mode);

struct ManagementRow {
    std::string s_bez;
    std::int64_t cultivation_id = 0;
    std::int64_t snr = 0; // FL_ID
    db::Value fla;        // FL_ID_alt
    std::int64_t utlg = 0;
    db::Value tag, mon, datum; // day, month, year
    std::int64_t macode = 0;
    std::int64_t wert1 = 0; // item_ix
    db::Value wert2;        // sim_quantity
    db::Value origwert;     // quantity
    std::string rein;
    db::Value part;
    ManagementFields calculated;
};

// The rows of a management list statement with their calculated fields.
std::vector<ManagementRow> load_management_list(db::Connection& conn, const std::string& statement,
                                                const ActionList& actions, const ItemList& items);

} // namespace workbench

// action_list.h --- the management actions (SRBAKTION) offered by the workbench, and what
// choosing one does to the management form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace workbench {

// The action list: codes 0, 2, 3, 4, 5, 7 and 9, plus 14 (change of tillage) in regional
// mode.
std::string action_list_statement(bool regional_mode);

struct Action {
    std::int64_t id = 0;           // ACTION_ID, the management rows' MACODE
    std::string name;              // ACTION
    std::string default_intensity; // DEF_INTENSITY
    std::string unit;              // UNIT_INTENSITY
};
using ActionList = std::vector<Action>;

ActionList load_actions(db::Connection& conn, const std::string& statement);

// The first action with the code, nullptr when there is none.
const Action* find_action(const ActionList& actions, std::int64_t id);

// What the management form shows once an action is chosen.
struct ActionChoice {
    std::optional<std::int64_t> item_filter; // kind the item list shows; nothing: all items
    bool item_list_visible = true;
    bool amount_visible = true; // the amount field with its unit and default labels
    bool second_value_enabled = true;
    std::string value_label;
    bool amount_placeholder = false; // the amount field is set to "-99"
};

ActionChoice choose_action(std::int64_t code);

} // namespace workbench

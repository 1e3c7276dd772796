// action_list.cpp --- the action list and the form rules of the actions.
#include "workbench/action_list.h"

#include "db/connection.h"

namespace workbench {

std::string action_list_statement(bool regional_mode) {
    return regional_mode ? "   select * from SRBAKTION where action_id in (0,2,3,4,5,7,9,14)"
                         : "   select * from SRBAKTION where action_id in (0,2,3,4,5,7,9)";
}

ActionList load_actions(db::Connection& conn, const std::string& statement) {
    db::Dataset rows = conn.open(statement);
    ActionList actions;
    for (rows.first(); !rows.eof(); rows.next())
        actions.push_back(Action{rows["ACTION_ID"].as_int(), rows["ACTION"].as_text(),
                                 rows["DEF_INTENSITY"].as_text(),
                                 rows["UNIT_INTENSITY"].as_text()});
    return actions;
}

const Action* find_action(const ActionList& actions, std::int64_t id) {
    for (const Action& a : actions)
        if (a.id == id) return &a;
    return nullptr;
}

ActionChoice choose_action(std::int64_t code) {
    ActionChoice c;
    switch (code) {
    case 0:
    case 1:
    case 2:
    case 9:
    case 12:
        c.item_filter = 1;
        c.value_label = "N-uptake (kg/ha)=";
        break;
    case 3:
        c.item_filter = 3;
        c.value_label = "C-input (kg/ha)=";
        break;
    case 4:
        c.item_filter = 4;
        c.value_label = "NH4-amount (%)=";
        break;
    case 5:
        c.item_filter = 5;
        c.item_list_visible = false;
        c.value_label = "lower calc. layer";
        break;
    case 6:
    case 7:
    case 8:
    case 10:
    case 11:
        c.second_value_enabled = false;
        c.item_list_visible = code != 7;
        break;
    case 14:
        c.item_filter = 14;
        c.item_list_visible = false;
        c.amount_visible = false;
        break;
    case 21:
    case 22:
    case 23:
        c.item_filter = code;
        c.amount_placeholder = true;
        c.value_label = "xxx=";
        break;
    default:
        c.item_filter = -99;
        break;
    }
    return c;
}

} // namespace workbench

// management_entry.cpp --- management events written from the management form.
#include "workbench/management_entry.h"

#include "db/connection.h"
#include "workbench/action_list.h"
#include "workbench/entry_checks.h"

#include <cmath>

namespace workbench {
namespace {

constexpr double largest_amount = 1e6;
constexpr double amount_placeholder = -99;
constexpr std::int64_t no_item = -99;

void check_action(db::Connection& conn, std::int64_t action) {
    db::Statement s = conn.prepare("select count(*) from srbaktion where action_id=?");
    s.bind(1, action);
    if (!s.step() || s.column(0).as_int() == 0)
        throw EntryRefused("action", "action " + std::to_string(action) + " is not known");
}

std::int64_t checked_item(const EventForm& form, const ItemList& items) {
    const ActionChoice choice = choose_action(form.action);
    if (!choice.item_list_visible) return no_item;
    const Item* item = form.item_key ? find_item(items, *form.item_key) : nullptr;
    if (!item) throw EntryRefused("item", "choose an item from the list");
    if (choice.item_filter && item->kind != *choice.item_filter)
        throw EntryRefused("item", "\"" + item->item + "\" does not belong to this action");
    return item->ix - kind_factor * item->kind;
}

// A parameter of the item, 0 when the item has no row.
double item_parameter(db::Connection& conn, const std::string& statement, std::int64_t item_ix) {
    db::Statement s = conn.prepare(statement);
    s.bind(1, item_ix);
    double product = 0;
    if (s.step()) product = s.column(0).as_double();
    return product;
}

double model_value(db::Connection& conn, const EventValues& v) {
    switch (v.macode) {
    case 0:
    case 5:
        return v.quantity / 10;
    case 1:
    case 2:
    case 9:
        return v.quantity *
               item_parameter(conn, "select n_gehalt from srbpflan where item_ix=?", v.item_ix);
    case 3:
        return v.quantity *
               item_parameter(conn, "select ts_gehalt*c_geh_ts*100 from srbopspa where item_ix=?",
                              v.item_ix);
    case 4:
        return item_parameter(conn, "select ammanteil from srbmindg where item_ix=?", v.item_ix);
    default:
        return v.quantity;
    }
}

double checked_amount(const EventForm& form) {
    const ActionChoice choice = choose_action(form.action);
    const double min = choice.amount_placeholder ? amount_placeholder : 0;
    if (!choice.amount_visible)
        return optional_decimal("amount", form.amount, min, largest_amount).value_or(0);
    return required_decimal("amount", form.amount, min, largest_amount);
}

std::vector<db::Value> row_values(const EventValues& v) {
    std::vector<db::Value> values{v.date.year, v.date.month, v.date.day,    v.macode,
                                  v.item_ix,   v.quantity,   v.sim_quantity};
    if (v.part) values.emplace_back(*v.part);
    return values;
}

void require_row(db::Connection& conn, std::int64_t fl_id, std::int64_t cultivation_id) {
    db::Statement s =
        conn.prepare("select count(*) from cultivation where fl_id=? and cultivation_id=?");
    s.bind(1, fl_id).bind(2, cultivation_id);
    if (!s.step() || s.column(0).as_int() == 0)
        throw EntryRefused("record", "the event is not one of plot " + std::to_string(fl_id) +
                                         "; choose a row of the list");
}

} // namespace

EventValues check_event(db::Connection& conn, const EventForm& form, const ItemList& items,
                        bool regional_mode) {
    check_plot_exists(conn, form.fl_id);
    check_entry_date("date", form.date);
    check_action(conn, form.action);
    EventValues v;
    v.date = form.date;
    v.macode = form.action;
    v.item_ix = checked_item(form, items);
    v.quantity = checked_amount(form);
    if (regional_mode) v.part = required_decimal("FLA%", form.share, 0, 100);
    v.sim_quantity = db::round_half_even(model_value(conn, v));
    return v;
}

bool same_event_exists(db::Connection& conn, std::int64_t fl_id, const EventValues& v,
                       std::int64_t except_id) {
    db::Statement s = conn.prepare(
        "select count(*) from cultivation where fl_id=? and [year]=? and [month]=? and [day]=? "
        "and macode=? and item_ix=? and cultivation_id<>?");
    const db::Value values[] = {fl_id,    v.date.year, v.date.month, v.date.day,
                                v.macode, v.item_ix,   except_id};
    for (int i = 0; i < 7; ++i) s.bind(i + 1, values[i]);
    return s.step() && s.column(0).as_int() > 0;
}

std::int64_t insert_event(db::Connection& conn, const EventForm& form, const ItemList& items,
                          bool regional_mode) {
    const EventValues v = check_event(conn, form, items, regional_mode);
    db::Transaction t(conn);
    std::vector<db::Value> values{form.fl_id};
    for (db::Value& x : row_values(v)) values.push_back(std::move(x));
    conn.prepare(std::string("insert into cultivation (fl_id,[year],[month],[day],MACODE,item_ix,"
                             "quantity,sim_quantity") +
                 (v.part ? ",part" : "") + ") values (?,?,?,?,?,?,?,?" + (v.part ? ",?" : "") + ")")
        .execute(values);
    const std::int64_t id = conn.scalar("select max(cultivation_id) from cultivation").as_int();
    remove_plot_results(conn, form.fl_id);
    t.commit();
    return id;
}

void overwrite_event(db::Connection& conn, const EventForm& form, std::int64_t cultivation_id,
                     const ItemList& items, bool regional_mode) {
    const EventValues v = check_event(conn, form, items, regional_mode);
    require_row(conn, form.fl_id, cultivation_id);
    db::Transaction t(conn);
    std::vector<db::Value> values = row_values(v);
    values.emplace_back(form.fl_id);
    values.emplace_back(cultivation_id);
    conn.prepare(std::string("update cultivation set [year]=?, [month]=?, [day]=?, MACODE=?, "
                             "item_ix=?, quantity=?, sim_quantity=?") +
                 (v.part ? ", part=?" : "") + " where fl_id=? and cultivation_id=?")
        .execute(values);
    remove_plot_results(conn, form.fl_id);
    t.commit();
}

void delete_event(db::Connection& conn, std::int64_t fl_id, std::int64_t cultivation_id) {
    require_row(conn, fl_id, cultivation_id);
    db::Transaction t(conn);
    conn.prepare("delete from cultivation where fl_id=? and cultivation_id=?")
        .execute({fl_id, cultivation_id});
    remove_plot_results(conn, fl_id);
    t.commit();
}

bool passes(EventFilter filter, std::int64_t macode) {
    switch (filter) {
    case EventFilter::harvest:
        return macode == 2 || macode == 9;
    case EventFilter::amendment:
        return macode == 3;
    case EventFilter::fertiliser:
        return macode == 4;
    case EventFilter::tillage:
        return macode == 5 || macode == 14;
    case EventFilter::all:
        break;
    }
    return true;
}

} // namespace workbench

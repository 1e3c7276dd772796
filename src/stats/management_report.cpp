// management_report.cpp --- the management list of a plot as a report.
#include "stats/management_report.h"

#include "stats/site_report.h"
#include "workbench/action_list.h"
#include "workbench/item_lists.h"
#include "workbench/management_list.h"

namespace stats {

namespace {

std::string two_digits(std::int64_t v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

std::string event_date(const workbench::ManagementRow& r) {
    const std::int64_t day = r.tag.as_int(), month = r.mon.as_int();
    const std::string year = report_number(r.datum, 0);
    if (day < 1 || day > 31 || month < 1 || month > 12) return year;
    return two_digits(day) + "." + two_digits(month) + "." + year;
}

} // namespace

Report management_report(db::Connection& conn, std::int64_t fl_id, bool regional_mode) {
    Report r;
    r.kind = ReportKind::management;
    r.fl_id = fl_id;
    r.title = "Bewirtschaftung";
    r.plot_line = plot_line(conn, fl_id);
    const workbench::ActionList actions =
        workbench::load_actions(conn, workbench::action_list_statement(regional_mode));
    const workbench::ItemList items = workbench::load_items(conn, workbench::all_items_statement());
    r.table.headers = {"Datum", "Aktion", "Objekt", "Wert", ""};
    r.table.numeric = {false, false, false, true, false};
    for (const workbench::ManagementRow& m : workbench::load_management_list(
             conn, workbench::management_list_statement(fl_id, regional_mode), actions, items))
        r.table.rows.push_back({event_date(m), m.calculated.aktion, m.calculated.subjekt,
                                report_number(m.origwert, 2), m.calculated.unit});
    return r;
}

} // namespace stats

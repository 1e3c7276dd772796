// raw_tables.cpp --- filters and new rows of the raw table panel.
#include "workbench/raw_tables.h"

#include "db/connection.h"
#include "db/text.h"
#include "workbench/entry_checks.h"

namespace workbench {

std::string plot_rows_filter(std::int64_t fl_id) {
    return "fl_id=" + std::to_string(fl_id);
}

std::string raw_filter(const std::string& base, const std::string& condition) {
    if (db::trim(condition).empty()) return base;
    return "(" + base + ") and (" + condition + ")";
}

std::string checked_raw_filter(db::Connection& conn, const std::string& table,
                               const std::string& base, const std::string& condition) {
    const std::string filter = raw_filter(base, condition);
    try {
        conn.open("select count(*) from " + table + " where " + filter);
    } catch (const std::exception& e) {
        throw EntryRefused("filter condition", "\"" + condition + "\" cannot be read: " + e.what());
    }
    return filter;
}

std::int64_t add_raw_event(db::Connection& conn, std::int64_t fl_id, const RawEvent& start) {
    check_plot_exists(conn, fl_id);
    db::Transaction t(conn);
    conn.prepare("insert into cultivation (fl_id, macode, [day], [month], [year], item_ix) "
                 "values (?,?,?,?,?,?)")
        .execute({fl_id, start.macode, start.day, start.month, start.year, start.item_ix});
    const std::int64_t id = conn.scalar("select max(cultivation_id) from cultivation").as_int();
    remove_plot_results(conn, fl_id);
    t.commit();
    return id;
}

std::int64_t add_raw_measurement(db::Connection& conn, std::int64_t fl_id,
                                 const std::optional<RawMeasurement>& keep) {
    check_plot_exists(conn, fl_id);
    db::Transaction t(conn);
    if (keep)
        conn.prepare("insert into measurements (fl_id, m_ix, [day], [month], [year], "
                     "year_number) values (?,?,?,?,?,?)")
            .execute({fl_id, keep->m_ix, keep->day, keep->month, keep->year, keep->year_number});
    else
        conn.prepare("insert into measurements (fl_id) values (?)").execute({fl_id});
    const std::int64_t id = conn.scalar("select max(meas_id) from measurements").as_int();
    remove_plot_results(conn, fl_id);
    t.commit();
    return id;
}

} // namespace workbench

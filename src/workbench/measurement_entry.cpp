// measurement_entry.cpp --- measurements written from the measurement form.
#include "workbench/measurement_entry.h"

#include "db/connection.h"

namespace workbench {
namespace {

constexpr double largest_value = 1e6;
constexpr double largest_content = 100; // organic carbon and total nitrogen in %
constexpr std::int64_t demoted = -99;

bool counts(db::Connection& conn, const std::string& statement, const std::vector<db::Value>& v) {
    db::Statement s = conn.prepare(statement);
    for (std::size_t i = 0; i < v.size(); ++i) s.bind(static_cast<int>(i) + 1, v[i]);
    return s.step() && s.column(0).as_int() > 0;
}

double checked_value(const MeasurementInput& form) {
    if (form.property == nitrogen_property || form.property == carbon_property)
        return required_decimal("value", form.value, 0, largest_content);
    const double min = form.property < 0 ? -largest_value : 0; // corrections may be negative
    return required_decimal("value", form.value, min, largest_value);
}

void require_row(db::Connection& conn, std::int64_t fl_id, std::int64_t meas_id) {
    if (!counts(conn, "select count(*) from measurements where fl_id=? and meas_id=?",
                {fl_id, meas_id}))
        throw EntryRefused("record", "the measurement is not one of plot " + std::to_string(fl_id) +
                                         "; choose a row of the list");
}

// The initial value's effects before its row is written: the property's old initial value
// steps back.
void demote_old_initial(db::Connection& conn, std::int64_t fl_id, const MeasurementValues& v) {
    if (!v.initial_value) return;
    conn.prepare("update measurements set year_number=? where m_ix=? and fl_id=? and "
                 "year_number=0")
        .execute({demoted, v.m_ix, fl_id});
}

// ... and after: the plot's years count from the initial organic carbon value.
void renumber_from_first_year(db::Connection& conn, std::int64_t fl_id,
                              const MeasurementValues& v) {
    if (!v.initial_value || v.m_ix != carbon_property) return;
    const std::int64_t first = v.date.year;
    conn.prepare("update measurements set year_number=1+[year]-? where fl_id=? and "
                 "year_number<>0 and [year]>=?")
        .execute({first, fl_id, first});
    conn.prepare("update measurements set year_number=? where fl_id=? and year_number<>0 and "
                 "[year]<?")
        .execute({demoted, fl_id, first});
    conn.prepare("update field_description set i_con='obsval' where fl_id=? and i_con='null'")
        .execute({fl_id});
}

std::vector<db::Value> row_values(const MeasurementValues& v) {
    return {v.m_ix,       v.value,      v.variance ? db::Value(*v.variance) : db::Value(),
            v.date.year,  v.date.month, v.date.day,
            v.year_number};
}

} // namespace

std::optional<std::int64_t> first_year(db::Connection& conn, std::int64_t fl_id) {
    db::Statement s = conn.prepare(
        "select min([year]) from measurements where fl_id=? and m_ix=? and year_number=0");
    s.bind(1, fl_id).bind(2, carbon_property);
    if (!s.step() || s.column(0).is_null()) return std::nullopt;
    return s.column(0).as_int();
}

MeasurementValues check_measurement(db::Connection& conn, const MeasurementInput& form) {
    check_plot_exists(conn, form.fl_id);
    check_entry_date("sampling date", form.date);
    if (!counts(conn, "select count(*) from cnd_mwml where m_ix=?", {form.property}))
        throw EntryRefused("property",
                           "property " + std::to_string(form.property) + " is not known");
    MeasurementValues v;
    v.date = form.date;
    v.m_ix = form.property;
    v.value = checked_value(form);
    v.variance = optional_decimal("variance", form.variance, 0, largest_value);
    v.initial_value = form.initial_value &&
                      (form.property == nitrogen_property || form.property == carbon_property);
    if (v.initial_value) return v;
    const std::optional<std::int64_t> first = first_year(conn, form.fl_id);
    if (!first) throw FirstYearUnknown();
    if (form.date.year < *first)
        throw EntryRefused("sampling date", "the year " + std::to_string(form.date.year) +
                                                " lies before the plot's first year " +
                                                std::to_string(*first));
    v.year_number = form.date.year - *first + 1;
    return v;
}

bool same_measurement_exists(db::Connection& conn, std::int64_t fl_id, const MeasurementValues& v,
                             std::int64_t except_id) {
    return counts(conn,
                  "select count(*) from measurements where fl_id=? and m_ix=? and [year]=? and "
                  "[month]=? and [day]=? and meas_id<>?",
                  {fl_id, v.m_ix, v.date.year, v.date.month, v.date.day, except_id});
}

std::int64_t insert_measurement(db::Connection& conn, const MeasurementInput& form) {
    const MeasurementValues v = check_measurement(conn, form);
    db::Transaction t(conn);
    demote_old_initial(conn, form.fl_id, v);
    std::vector<db::Value> values{form.fl_id};
    for (db::Value& x : row_values(v)) values.push_back(std::move(x));
    conn.prepare("insert into measurements (fl_id, m_ix, meas_value, vrnz, [year], [month], "
                 "[day], year_number) values (?,?,?,?,?,?,?,?)")
        .execute(values);
    const std::int64_t id = conn.scalar("select max(meas_id) from measurements").as_int();
    renumber_from_first_year(conn, form.fl_id, v);
    remove_plot_results(conn, form.fl_id);
    t.commit();
    return id;
}

void overwrite_measurement(db::Connection& conn, const MeasurementInput& form,
                           std::int64_t meas_id) {
    const MeasurementValues v = check_measurement(conn, form);
    require_row(conn, form.fl_id, meas_id);
    db::Transaction t(conn);
    demote_old_initial(conn, form.fl_id, v);
    std::vector<db::Value> values = row_values(v);
    values.emplace_back(form.fl_id);
    values.emplace_back(meas_id);
    conn.prepare("update measurements set m_ix=?, meas_value=?, vrnz=?, [year]=?, [month]=?, "
                 "[day]=?, year_number=? where fl_id=? and meas_id=?")
        .execute(values);
    renumber_from_first_year(conn, form.fl_id, v);
    remove_plot_results(conn, form.fl_id);
    t.commit();
}

bool is_initial_value(db::Connection& conn, std::int64_t meas_id) {
    return counts(conn, "select count(*) from measurements where meas_id=? and year_number=0",
                  {meas_id});
}

void delete_measurement(db::Connection& conn, std::int64_t fl_id, std::int64_t meas_id) {
    require_row(conn, fl_id, meas_id);
    db::Transaction t(conn);
    conn.prepare("delete from measurements where fl_id=? and meas_id=?").execute({fl_id, meas_id});
    remove_plot_results(conn, fl_id);
    t.commit();
}

} // namespace workbench

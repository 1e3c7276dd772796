// row_change.cpp --- the management and measurement forms filled from the current list row.
#include "workbench/row_change.h"

#include "db/dataset.h"

namespace workbench {
namespace {

bool leap_year(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

std::int64_t days_in_month(std::int64_t month, std::int64_t year) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap_year(year) ? 29 : days[month - 1];
}

FormDate day_month_year(const db::Value& day, const db::Value& month, const db::Value& year) {
    return {day.as_text() + "." + month.as_text() + "." + year.as_text(),
            to_date(day.as_int(), month.as_int(), year.as_int())};
}

FormDate first_of_january(const db::Value& year) {
    return {"01.01." + year.as_text(), to_date(1, 1, year.as_int())};
}

} // namespace

std::optional<CalendarDate> to_date(std::int64_t day, std::int64_t month, std::int64_t year) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return std::nullopt;
    if (day < 1 || day > days_in_month(month, year)) return std::nullopt;
    return CalendarDate{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

ManagementForm management_row_change(const ManagementRow& row, const ActionList& actions) {
    ManagementForm f;
    f.action = row.macode;
    f.date = row.tag.as_int() < 1 || row.mon.as_int() < 1
                 ? first_of_january(row.datum)
                 : day_month_year(row.tag, row.mon, row.datum);
    f.amount = row.origwert.as_text();
    f.second_value = row.part.as_text();
    if (const Action* a = find_action(actions, row.macode)) {
        f.unit_label = a->unit;
        f.default_intensity_label = a->default_intensity;
    }
    f.action_choice = choose_action(row.macode);
    f.item_key = item_key(item_kind_of_action(row.macode), row.wert1);
    f.non_default = row.rein == "J";
    return f;
}

std::string measurement_list_statement(std::int64_t fl_id) {
    return "select \"*\" as s_bez,0 as utlg, meas_id,fl_id as snr,[day] as tag, [month] as mon, "
           "year as datum, year_number, m_ix, vrnz, meas_value as m_wert from measurements "
           "where fl_id=" +
           std::to_string(fl_id) + " order by year_number";
}

MeasurementRow measurement_row(const db::Dataset& list) {
    MeasurementRow r;
    r.meas_id = list["meas_id"].as_int();
    r.tag = list["tag"];
    r.mon = list["mon"];
    r.datum = list["datum"];
    r.year_number = list["year_number"].as_int();
    r.m_ix = list["m_ix"].as_int();
    r.m_wert = list["m_wert"];
    r.vrnz = list["vrnz"];
    return r;
}

MeasurementForm measurement_row_change(const MeasurementRow& row, bool list_editing) {
    MeasurementForm f;
    f.initial_value = row.year_number == 0 && (row.m_ix == 0 || row.m_ix == 7);
    if (row.tag.as_int() > 0 && row.mon.as_int() > 0)
        f.date = day_month_year(row.tag, row.mon, row.datum);
    if (!f.date.date) f.date = first_of_january(row.datum);
    f.property = row.m_ix;
    if (!list_editing) f.insert_mode = row.m_ix <= 0;
    f.value = row.m_wert.as_text();
    f.variance = row.vrnz.as_text();
    f.old_date = f.date.text;
    f.old_value = f.value;
    return f;
}

} // namespace workbench

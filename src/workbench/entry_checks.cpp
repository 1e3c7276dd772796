// entry_checks.cpp --- refusing typed values with a message naming the field.
#include "workbench/entry_checks.h"

#include "db/connection.h"
#include "db/text.h"
#include "db/value.h"
#include "workbench/form_numbers.h"

namespace workbench {

std::string bound_text(double v) {
    return db::format_cstr(v);
}

double required_decimal(const std::string& field, const std::string& text, double min, double max) {
    if (db::trim(text).empty()) throw EntryRefused(field, "enter a value");
    const std::optional<double> v = optional_decimal(field, text, min, max);
    return *v;
}

std::optional<double> optional_decimal(const std::string& field, const std::string& text,
                                       double min, double max) {
    if (db::trim(text).empty()) return std::nullopt;
    const std::optional<double> v = read_decimal(text);
    if (!v)
        throw EntryRefused(field, "\"" + text + "\" is not a number (digits with \",\" or \".\")");
    if (*v < min || *v > max)
        throw EntryRefused(field, "\"" + text + "\" lies outside " + bound_text(min) + " to " +
                                      bound_text(max));
    return v;
}

void check_entry_date(const std::string& field, const CalendarDate& date) {
    if (!to_date(date.day, date.month, date.year) || date.year < first_entry_year ||
        date.year > last_entry_year)
        throw EntryRefused(field, "enter a date between the years " +
                                      std::to_string(first_entry_year) + " and " +
                                      std::to_string(last_entry_year));
}

void check_plot_exists(db::Connection& conn, std::int64_t fl_id) {
    db::Statement s = conn.prepare("select count(*) from field_description where fl_id=?");
    s.bind(1, fl_id);
    if (!s.step() || s.column(0).as_int() == 0)
        throw EntryRefused("plot", "plot " + std::to_string(fl_id) + " does not exist");
}

void remove_plot_results(db::Connection& conn, std::int64_t fl_id) {
    conn.prepare("delete from sim_result where fl_id=?").execute({fl_id});
}

} // namespace workbench

// site_saving.cpp --- saving a plot's site conditions.
#include "workbench/site_saving.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/text.h"
#include "workbench/form_numbers.h"

#include <stdexcept>

namespace workbench {
namespace {

constexpr double unknown_mean_bat = 30;

const char* const save_statement =
    "update  field_description   set  site_description=?, herkunft=?, area=?, climate_id=?, "
    "soil_id=?, mw_bat=?, rep_cnt=?, comment=?, notill=?, i_con=? where fl_id=?";

[[noreturn]] void not_a_number(const SiteForm& form, const std::string& what,
                               const std::string& text) {
    throw std::invalid_argument("The " + what + " of plot " + std::to_string(form.fl_id) +
                                " is not a number: \"" + text + "\"; the site was not saved.");
}

db::Value area_value(const SiteForm& form) {
    if (db::trim(form.area).empty()) return {};
    if (const auto v = read_decimal(form.area)) return *v;
    not_a_number(form, "area", form.area);
}

db::Value repeat_count_value(const SiteForm& form) {
    if (db::trim(form.repeat_count).empty()) return {};
    if (const auto v = read_whole_number(form.repeat_count)) return *v;
    not_a_number(form, "repeat count", form.repeat_count);
}

// The year fields of the page: whole numbers or blank.
void check_year(const SiteForm& form, const std::string& what, const std::string& text) {
    if (!db::trim(text).empty() && !read_whole_number(text)) not_a_number(form, what, text);
}

} // namespace

double mean_bat_value(const std::string& text) {
    return read_decimal(text).value_or(unknown_mean_bat);
}

std::string initial_condition_code(const std::string& entry) {
    return entry.substr(0, entry.find(':'));
}

void save_site(db::Connection& conn, const SiteForm& form) {
    check_year(form, "first year", form.first_year);
    check_year(form, "start year", form.start_year);
    const std::string comment = db::trim(form.comment).empty() ? "?" : form.comment;
    const int changed = conn.prepare(save_statement)
                            .execute({form.name, form.origin, area_value(form), form.climate_id,
                                      form.soil_id, mean_bat_value(form.mean_bat),
                                      repeat_count_value(form), comment, form.tillage_option,
                                      initial_condition_code(form.initial_condition), form.fl_id});
    if (changed == 0)
        throw db::Error("Plot " + std::to_string(form.fl_id) +
                        " does not exist in field_description; the site was not saved.");
}

std::string mode_after_initial_condition(const std::string& entry, const std::string& modus) {
    if (entry == "null") return "ORV";
    if (entry == "obsval" && modus == "ORV") return "TSM";
    return modus;
}

void change_initial_condition(db::Connection& conn, const SiteForm& form, std::string& modus) {
    modus = mode_after_initial_condition(form.initial_condition, modus);
    save_site(conn, form);
}

} // namespace workbench

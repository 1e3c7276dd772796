// site_saving.h --- "update changes": saving a plot's site conditions from the Basic-Info
// page, and the change of its initial condition.
#pragma once

#include <cstdint>
#include <string>

namespace db {
class Connection;
}

namespace workbench {

// The Basic-Info page as it is saved.
struct SiteForm {
    std::int64_t fl_id = 0;        // the plot shown in plot_id
    std::string name;              // site_description
    std::string origin;            // herkunft
    std::string area;              // as typed; blank stores nothing (Null)
    std::int64_t climate_id = -99; // the weather entry's station, -99 for "-?-"
    std::int64_t soil_id = -99;    // the soil entry's profile, -99 for "-?-"
    std::string mean_bat;          // as shown; see mean_bat_value
    std::string repeat_count;      // as typed; blank stores nothing (Null)
    std::string comment;           // empty or blank becomes "?"
    int tillage_option = 0;        // notill: the index of the tillage option
    std::string initial_condition; // the selected entry: "null", "obsval" or "FL_ID: name"
    std::string first_year;        // as typed; checked, not stored (the plot's data set it)
    std::string start_year;        // as typed; checked, not stored (the run takes it)
};

// The mean BAT field as stored: its number with the first "," read as ".", or 30 when the
// field does not read as a number ("?" when no BAT is known).
double mean_bat_value(const std::string& text);

// The initial condition stored for an entry of the list: the entry cut before its first
// ":" (a plot entry "105: name" stores "105").
std::string initial_condition_code(const std::string& entry);

// Writes the form into the plot's field_description row; every text is stored exactly as
// typed. Throws std::invalid_argument naming the plot, the field and the value when the
// area, the repeat count, the first year or the start year is not a number (blank stays
// allowed), before anything is written; db::Error when the plot does not exist.
void save_site(db::Connection& conn, const SiteForm& form);

// The application mode after choosing an initial condition: "null" switches to "ORV",
// "obsval" switches "ORV" to "TSM"; otherwise the mode stays.
std::string mode_after_initial_condition(const std::string& entry, const std::string& modus);

// A new entry chosen in the initial condition list: switches the mode, then saves the site
// with that entry.
void change_initial_condition(db::Connection& conn, const SiteForm& form, std::string& modus);

} // namespace workbench

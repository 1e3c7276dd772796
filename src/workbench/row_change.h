// row_change.h --- what the management and measurement forms show when the current row of
// their list changes.
#pragma once

#include "db/value.h"
#include "workbench/action_list.h"
#include "workbench/management_list.h"

#include <cstdint>
#include <optional>
#include <string>

namespace db {
class Dataset;
}

namespace workbench {

struct CalendarDate {
    int year = 0, month = 0, day = 0;
    bool operator==(const CalendarDate&) const = default;
};

// The calendar date of a day, month and year (years 1 to 9999); nothing when they make none.
std::optional<CalendarDate> to_date(std::int64_t day, std::int64_t month, std::int64_t year);

// A date as a form gets it: the text "day.month.year" and the date it converts to.
struct FormDate {
    std::string text;
    std::optional<CalendarDate> date; // nothing: the text does not convert
};

struct ManagementForm {
    bool overwrite_mode = true;
    std::int64_t action = 0;  // position of the action list (MACODE)
    FormDate date;            // a date that does not convert leaves the picker unchanged
    std::string amount;       // ORIGWERT
    std::string second_value; // part
    std::string unit_label;   // UNIT_INTENSITY of the action
    std::string default_intensity_label;
    ActionChoice action_choice; // the item list's kind filter and the value label
    std::int64_t item_key = 0;  // position of the item list: WERT1 + 100000 x kind
    bool non_default = false;   // the "non default" marker: rein is "J"
};

// The management form for the current row of a non-empty management list.
ManagementForm management_row_change(const ManagementRow& row, const ActionList& actions);

// The measurement list of a plot (messwerte), ordered by year number.
std::string measurement_list_statement(std::int64_t fl_id);

struct MeasurementRow {
    std::int64_t meas_id = 0;
    db::Value tag, mon, datum; // day, month, year
    std::int64_t year_number = 0;
    std::int64_t m_ix = 0;
    db::Value m_wert, vrnz;
};

// The current row of a measurement list data set.
MeasurementRow measurement_row(const db::Dataset& list);

struct MeasurementForm {
    bool initial_value = false; // year number 0 of property 0 or 7
    FormDate date;              // the sampling date
    std::int64_t property = 0;  // position of the property list (m_ix)
    // Insert (true) or overwrite (false); nothing while the list is being edited.
    std::optional<bool> insert_mode;
    std::string value, variance;
    std::string old_date, old_value; // remembered for a later overwrite
};

// The measurement form for the current row of a non-empty measurement list.
MeasurementForm measurement_row_change(const MeasurementRow& row, bool list_editing);

} // namespace workbench

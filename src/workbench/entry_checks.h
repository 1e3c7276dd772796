// entry_checks.h --- a value typed into a form that cannot be saved, the readers and checks
// that refuse such values with a message naming the field, and what every saved entry does.
#pragma once

#include "workbench/row_change.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace db {
class Connection;
}

namespace workbench {

// Years a date of a form may carry.
inline constexpr int first_entry_year = 1800, last_entry_year = 2200;

// Thrown before anything is written; what() names the field and what it accepts.
class EntryRefused : public std::invalid_argument {
public:
    EntryRefused(const std::string& field, const std::string& message)
        : std::invalid_argument(field + ": " + message), field_(field) {}
    const std::string& field() const { return field_; }

private:
    std::string field_;
};

// A decimal number typed into the field ("12,5" and "12.5" alike) within [min, max].
// Throws EntryRefused when the text is empty, no number or out of range.
double required_decimal(const std::string& field, const std::string& text, double min, double max);

// The same for a field that may stay empty: nothing when it is empty or blank.
std::optional<double> optional_decimal(const std::string& field, const std::string& text,
                                       double min, double max);

// The text of a bound: whole numbers without a decimal point.
std::string bound_text(double v);

// Refuses a date that is no calendar date or lies outside the entry years.
void check_entry_date(const std::string& field, const CalendarDate& date);

// Refuses a plot without a row in field_description.
void check_plot_exists(db::Connection& conn, std::int64_t fl_id);

// Removes the plot's simulated results, which no longer match its changed inputs.
void remove_plot_results(db::Connection& conn, std::int64_t fl_id);

} // namespace workbench

// measurement_entry.h --- entering, overwriting and deleting a plot's measurements from the
// measurement form, with the initial value that fixes the plot's first year.
#pragma once

#include "workbench/entry_checks.h"
#include "workbench/row_change.h"

#include <cstdint>
#include <optional>
#include <string>

namespace db {
class Connection;
}

namespace workbench {

// Properties whose year number 0 marks an initial value: total nitrogen and organic carbon.
inline constexpr std::int64_t nitrogen_property = 0, carbon_property = 7;

// A measurement that needs the plot's first year while the plot has no initial Corg value.
class FirstYearUnknown : public EntryRefused {
public:
    FirstYearUnknown()
        : EntryRefused("initial value",
                       "the plot has no initial organic carbon value; enter it first") {}
};

// The measurement form as the user filled it.
struct MeasurementInput {
    std::int64_t fl_id = 0;
    CalendarDate date;          // the sampling date
    std::int64_t property = 0;  // M_IX
    std::string value;          // as typed
    std::string variance;       // as typed; empty stores Null
    bool initial_value = false; // "initial value" ticked; counts for properties 0 and 7 only
};

// The measurements row a form gives.
struct MeasurementValues {
    CalendarDate date;
    std::int64_t m_ix = 0;
    double value = 0;
    std::optional<double> variance;
    bool initial_value = false;
    std::int64_t year_number = 0; // 0 for an initial value, else year - first year + 1
};

// The plot's first year: the year of its initial organic carbon value (property 7, year
// number 0); nothing when it has none.
std::optional<std::int64_t> first_year(db::Connection& conn, std::int64_t fl_id);

// Checks the form and derives the row. A value that is not an initial value needs the
// plot's first year (FirstYearUnknown otherwise) and a sampling year not before it.
// Throws EntryRefused naming the field.
MeasurementValues check_measurement(db::Connection& conn, const MeasurementInput& form);

// Whether the plot has a measurement of the property on that date already (other than the
// row except_id).
bool same_measurement_exists(db::Connection& conn, std::int64_t fl_id, const MeasurementValues& v,
                             std::int64_t except_id = -1);

// Writes the measurement in one transaction. An initial value demotes the property's old
// one (year number -99); an initial organic carbon value makes its year the plot's first
// year, renumbers every other measurement of the plot from it (those before it get -99)
// and lets a plot that started without a measured state start from it (i_con "obsval").
// The plot's simulated results are removed. Returns the new meas_id.
std::int64_t insert_measurement(db::Connection& conn, const MeasurementInput& form);

// The same for the plot's row meas_id, which keeps its meas_id. Throws EntryRefused when
// the row is not one of the plot's.
void overwrite_measurement(db::Connection& conn, const MeasurementInput& form,
                           std::int64_t meas_id);

// Whether the row is an initial value (year number 0).
bool is_initial_value(db::Connection& conn, std::int64_t meas_id);

// Deletes the plot's row and its simulated results. Throws EntryRefused when the row is
// not one of the plot's.
void delete_measurement(db::Connection& conn, std::int64_t fl_id, std::int64_t meas_id);

} // namespace workbench

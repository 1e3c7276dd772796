// new_plot_row.h --- the row of a newly created plot with the defaults of a new plot.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace db {
class Connection;
}

namespace workbench {

struct NewPlotRow {
    std::int64_t fl_id = 0;
    std::string location;
    std::string herkunft;
    std::string versuch_code;
    std::optional<std::string> i_con; // nothing: the column's default
};

// Appends the plot to field_description with site_description "-", comment "-",
// climate_id, soil_id and area -99 and rep_cnt 0. Texts are stored exactly as given.
void append_plot_row(db::Connection& conn, const NewPlotRow& plot);

} // namespace workbench

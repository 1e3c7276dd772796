// new_plot_row.cpp --- appending a new plot to field_description.
#include "workbench/new_plot_row.h"

#include "db/connection.h"

namespace workbench {

void append_plot_row(db::Connection& conn, const NewPlotRow& plot) {
    std::string columns = "fl_id, location, site_description, herkunft, versuch_code, comment, "
                          "climate_id, soil_id, area, rep_cnt";
    std::string marks = "?, ?, '-', ?, ?, '-', -99, -99, -99, 0";
    std::vector<db::Value> values = {plot.fl_id, plot.location, plot.herkunft, plot.versuch_code};
    if (plot.i_con) {
        columns += ", i_con";
        marks += ", ?";
        values.emplace_back(*plot.i_con);
    }
    conn.prepare("insert into field_description (" + columns + ") values (" + marks + ")")
        .execute(values);
}

} // namespace workbench

// plot_id_shift.cpp --- renumbering the plots of an experiment.
#include "workbench/plot_id_shift.h"

#include "db/connection.h"
#include "workbench/form_numbers.h"

#include <algorithm>
#include <stdexcept>

namespace workbench {

std::optional<PlotIdRange> plot_id_range(db::Connection& conn, const std::string& location) {
    db::Statement q = conn.prepare("select max(fl_id)as max_, min(fl_id) as min_ from "
                                   "field_description where location=? group by location");
    q.bind(1, location);
    if (!q.step()) return std::nullopt;
    return PlotIdRange{q.column(1).as_int(), q.column(0).as_int()};
}

std::int64_t parse_plot_id_shift(const std::string& text) {
    if (const auto shift = read_whole_number(text)) return *shift;
    throw std::invalid_argument("The FL_ID shift \"" + text + "\" is not a whole number.");
}

int destination_count(db::Connection& conn, const PlotIdRange& range, std::int64_t shift) {
    db::Statement q = conn.prepare(
        " select count(fl_id) as f_anz from field_description where fl_id>=? and fl_id<=?");
    q.bind(1, range.min + shift).bind(2, range.max + shift);
    q.step();
    return static_cast<int>(q.column(0).as_int());
}

std::string destination_status(int count) {
    const std::string status = std::to_string(count) + " records in destination range !";
    return count == 0 ? status + " press ok to start transfer" : status;
}

void shift_plot_ids(db::Connection& conn, const PlotIdRange& range, std::int64_t shift) {
    db::Transaction t(conn);
    for (const char* table : {"measurements", "cultivation"})
        conn.prepare(" update " + std::string(table) +
                     " set fl_id=fl_id+? where fl_id>=? and fl_id<=?")
            .execute({shift, range.min, range.max});
    // FL_ID is unique and the database checks that row by row, so a plot moving onto the
    // number of a plot of the range not yet moved would fail. The range is first parked
    // above the largest FL_ID, then moved to its destination.
    db::Statement move =
        conn.prepare(" update field_description set fl_id=fl_id+? where fl_id>=? and fl_id<=?");
    const std::int64_t top =
        std::max(conn.scalar("select max(fl_id) from field_description").as_int(), range.max);
    const std::int64_t park = top + 1 - range.min;
    move.execute({park, range.min, range.max});
    move.execute({shift - park, range.min + park, range.max + park});
    t.commit();
}

} // namespace workbench

// plot_id_shift.h --- "shift plots FL_ID": renumbering the plots of an experiment by a fixed
// amount.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace db {
class Connection;
}

namespace workbench {

// The shift the dialog starts with.
inline constexpr const char* default_plot_id_shift = "100";

struct PlotIdRange {
    std::int64_t min = 0, max = 0;
};

// The smallest and largest FL_ID of the location's plots; nothing when it has none.
std::optional<PlotIdRange> plot_id_range(db::Connection& conn, const std::string& location);

// The shift typed into the dialog. Throws std::invalid_argument naming the text when it is
// not a whole number.
std::int64_t parse_plot_id_shift(const std::string& text);

// The number of plots whose FL_ID lies in the destination range [min + shift, max + shift].
int destination_count(db::Connection& conn, const PlotIdRange& range, std::int64_t shift);

// The dialog's status line for that count: count + " records in destination range !", and
// " press ok to start transfer" after it when the count is 0.
std::string destination_status(int count);

// "adapt ID": adds the shift to the FL_ID of every plot in [min, max], whichever experiment
// it belongs to, and of its measurements and management rows, in one transaction. An
// occupied destination is not refused as such; only a plot that would take the FL_ID of a
// plot outside the range makes the shift fail (db::Error), and then nothing moves.
// site_state and the result tables keep the old numbers.
void shift_plot_ids(db::Connection& conn, const PlotIdRange& range, std::int64_t shift);

} // namespace workbench

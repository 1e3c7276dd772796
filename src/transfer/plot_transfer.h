// plot_transfer.h --- moving plots with everything that belongs to them from one
// experiment database into another, in one transaction.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace transfer {

enum class PlotResult {
    moved,         // copied under its own FL_ID
    renumbered,    // its FL_ID was taken in the destination: copied under a new one
    already_there, // the destination holds the same plot with the same rows
    left_out,      // its FL_ID was taken and renumbering was declined
    not_in_source, // no such plot in the source
};

struct PlotOutcome {
    std::int64_t source_id = 0;
    std::int64_t destination_id = 0;
    PlotResult result = PlotResult::moved;
    int measurements = 0;
    int management = 0;
    // Crop and amendment rows that the destination lacked and that came with the plot.
    std::vector<std::string> parameter_rows;
    bool arrived() const {
        return result == PlotResult::moved || result == PlotResult::renumbered ||
               result == PlotResult::already_there;
    }
};

struct TransferReport {
    std::vector<PlotOutcome> plots;
    // Soils, stations, experiments and references that got a new key or were found
    // under another one, and source columns the destination has no place for.
    std::vector<std::string> notes;
    bool all_arrived() const;
};

struct TransferOptions {
    // Asked for a plot whose FL_ID the destination holds for another plot, with the
    // proposed new FL_ID: true renumbers it, false leaves it out. Unset: renumber.
    std::function<bool(std::int64_t fl_id, std::int64_t new_fl_id)> renumber_plot;
};

// Moves the plots (source FL_IDs, in this order) from the source database file into the
// destination: the plot rows, selection state, measurements, management, the plot's
// method inputs, saved states and keywords, its soil, climate station with weather and
// N deposition, experiment with its references and station links, and the crop and
// amendment rows it uses that the destination lacks. Every key is decided before
// anything is written; rows are copied column by column under the columns' names.
// All in one transaction: a failure throws and leaves the destination as it was.
// Throws std::invalid_argument when the destination is the source.
TransferReport transfer_plots(db::Connection& destination, const std::filesystem::path& source,
                              const std::vector<std::int64_t>& plots,
                              const TransferOptions& options = {});

// One line for the plot: "FL_ID 101 -> 101: moved (45 measurements, 230 management
// rows)" and the like.
std::string outcome_line(const PlotOutcome& p);

} // namespace transfer

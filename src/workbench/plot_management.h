// plot_management.h --- adding, copying, moving and deleting plots.
#pragma once

#include <cstdint>
#include <string>

namespace app {
class Dialogs;
}
namespace db {
class Connection;
}

namespace workbench {

// What a new plot takes over from the first plot of its plots folder.
struct PlotFolder {
    std::string location; // the experiment's location
    std::string herkunft; // origin of the first plot; empty becomes "??"
    std::string vcode;    // experiment code of the first plot
};

// "add a new plot": the next free FL_ID with the defaults of a new plot, initial condition
// "null" in application mode "ORV" and "obsval" otherwise, and a site_state row (status 0).
// Returns the new FL_ID.
std::int64_t add_plot(db::Connection& conn, const PlotFolder& folder, const std::string& modus);

// "copy plot": a new plot (largest FL_ID + 1) with the source's site data, named "x" + the
// source name, with copies of its measurements and management (share column part in
// regional mode) and a site_state row (status 0); results are not copied. Throws db::Error
// naming the plot when the source does not exist. Returns the new FL_ID.
std::int64_t copy_plot(db::Connection& conn, std::int64_t source, bool regional_mode);

// "move active plot": the plot's location becomes the name entered in the new folder
// dialog, stored exactly; its experiment code stays.
void move_plot(db::Connection& conn, std::int64_t fl_id, const std::string& location);

// "delete active plot" / "delete plot": asks " Do you really want to delete ALL data of
// plot " + id + " ?" (caption " Confirm Delete"); on Yes removes the plot and its rows in
// cultivation, measurements, site_state, sim_result and tsm_zbv in one transaction: a
// failure leaves the database as it was. Returns false when not confirmed.
bool delete_plot(db::Connection& conn, app::Dialogs& dialogs, const std::string& language,
                 std::int64_t fl_id);

} // namespace workbench

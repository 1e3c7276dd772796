// experiment_folders.h --- creating and deleting experiments (the folders of the tree).
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

// The code of a new experiment, shown in the new folder dialog: the next free exp_id.
std::int64_t next_experiment_code(db::Connection& conn);

// Creates the experiment with the code and the name entered in the new folder dialog, and
// one placeholder plot (the next free FL_ID, origin "??", the defaults of a new plot) so
// that the experiment shows in the tree. The name is stored exactly as entered. Both rows
// are written in one transaction. Returns the placeholder plot's FL_ID. An empty or blank
// name is refused (EntryRefused naming "short name") before anything is written.
std::int64_t create_experiment(db::Connection& conn, std::int64_t code, const std::string& name);

// "delete experiment" on the experiment node with the label: asks label + ": The Folder will
// be deleted!" in the deletion dialog; on "delete" removes the experiment row (by the code
// of the location's first plot) and every plot of the location with its measurements,
// management and selection state, all in one transaction: a failure leaves the database as
// it was. Result rows (sim_result, tsm_zbv) stay. Returns false when not confirmed.
bool delete_experiment(db::Connection& conn, app::Dialogs& dialogs, const std::string& language,
                       const std::string& node_label);

} // namespace workbench

// experiment_code.h --- "shift experiment ID": giving an experiment a new code and location.
#pragma once

#include <optional>
#include <string>

namespace app {
class Dialogs;
}
namespace db {
class Connection;
}

namespace workbench {

// What the experiment code dialog starts with.
struct ExperimentCodeForm {
    std::string old_code; // the code in the experiment node's label
    std::string location; // location of the experiments row with exp_id = old code
    std::string code;     // its exp_id
};

// Reads the experiment of the node for the dialog. When the label's code is not a whole
// number above 0, shows "please change the data manually in the database" (caption
// "background adaptation impossible") and gives nothing. Without an experiments row the
// location and code are empty.
std::optional<ExperimentCodeForm> start_experiment_code_change(db::Connection& conn,
                                                               app::Dialogs& dialogs,
                                                               const std::string& node_label);

// "adapt ID": the experiment, its plots and its literature links take the new code and
// the experiment and its plots the new location, in one transaction; both are stored
// exactly as entered. Throws std::invalid_argument naming the code when the new code is
// not a whole number (nothing is changed), and db::Error when it is taken by another
// experiment.
void change_experiment_code(db::Connection& conn, const std::string& old_code,
                            const std::string& new_code, const std::string& new_location);

} // namespace workbench

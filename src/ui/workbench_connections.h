// workbench_connections.h --- the work behind the workbench's menu entries and buttons:
// experiment and plot management, saving the site, the plot selection panel, the run
// hand-over to the simulator and the statistics update.
#pragma once

#include "stats/result_evaluation.h"
#include "workbench/experiment_code.h"
#include "workbench/plot_id_shift.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

class QWidget;

namespace app {
class Dialogs;
}
namespace db {
class Connection;
}
namespace sim {
struct Simulator;
}

namespace ui {

class Trange_select;
class TtsmadoForm1;

// The questions the entries ask; the windows show dialogs, tests answer them by script.
// Every question gives nothing when it was cancelled.
struct WorkbenchQuestions {
    // The new folder dialog: a name, with the new internal code shown beside it.
    std::function<std::optional<std::string>(const std::string& caption, std::int64_t code)>
        folder_name;
    // The plot number shift dialog: the shift typed, given the location, its range and the
    // status line of a typed shift.
    std::function<std::optional<std::string>(
        const std::string& location, const workbench::PlotIdRange& range,
        const std::function<std::string(const std::string&)>& status)>
        plot_id_shift;
    // The experiment code dialog: the new code and location; new_code gives a free code.
    std::function<std::optional<std::pair<std::string, std::string>>(
        const workbench::ExperimentCodeForm& form, const std::function<std::string()>& new_code)>
        experiment_code;
    // The phase dialog of the statistics update.
    std::function<std::optional<stats::Phase>()> phase;
};

// The dialogs of the windowed program, parented to the window.
WorkbenchQuestions qt_workbench_questions(QWidget* parent);

// What the entries need besides the two windows.
struct WorkbenchActions {
    std::optional<db::Connection>& connection; // the shared connection, closed for a run
    app::Dialogs& dialogs;
    WorkbenchQuestions questions;
    // The method shown by the settings dialog (mean BAT stored and pages chosen after a run);
    // empty: the program state's method.
    std::function<std::string()> settings_method;
    // Called on the simulator before each hand-over (e.g. its database location).
    std::function<void(sim::Simulator&)> before_run;
    std::string run_method = "TSM"; // the method a run from the workbench asks for
};

// Sets every hook of the workbench window to its work.
void connect_workbench(Trange_select& window, TtsmadoForm1& simulator, WorkbenchActions actions);

} // namespace ui

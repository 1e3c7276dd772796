// startup.h --- the launcher's start-up: what its creation and each activation decide
// from the initialisation file, the settings store and the command line.
//
// The launcher window owns a ProgramState and a LauncherState, calls these functions
// and shows the result; nothing here knows a widget.
#pragma once

#include "app/access_conversion.h"
#include "app/command_line.h"
#include "app/dialogs.h"
#include "app/program_state.h"
#include "app/settings_store.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app {

struct LauncherButton {
    explicit LauncherButton(std::string caption_, bool visible_at_design = true)
        : caption(std::move(caption_)), visible(visible_at_design) {}
    std::string caption;
    bool visible;
    bool enabled = true;
    std::optional<int> top; // set by the compact layout; the design geometry otherwise
    std::optional<int> height;
};

// The launcher's own state beside the program-wide one.
struct LauncherState {
    LauncherButton plot_selection{"Plot &Selection"};
    LauncherButton climate{"&Climate Data"};
    LauncherButton parameters{"&Parameters", false};
    LauncherButton sql_module{"S&QL - module", false};
    LauncherButton data_transfer{"Data &Transfer", false};
    LauncherButton settings{"Settin&gs", false};
    LauncherButton database_choice{"Change System &Database"};
    LauncherButton end{"&End"};
    LauncherButton outlier{"Prepare outlier indication", false};
    std::optional<int> label_top; // the "system database" label, below the database button

    std::string status_panel0 = "TSM 2016";
    std::string status_panel1;

    // Set by each activation for the window to hand on:
    std::string simulator_database;          // the simulator's database path
    std::optional<bool> save_som_state;      // the settings dialog's "save SOM state" box
    std::optional<std::string> method_field; // the settings dialog's method field

    // Lines of the initialisation file that were skipped, and a read failure.
    std::vector<std::string> ini_warnings;
};

// Creates the settings key and writes the thirteen values of a first start.
using FirstStartWriter =
    std::function<void(SettingsStore&, const std::string& database, const std::string& cwd)>;

struct StartupContext {
    std::vector<std::string> args;      // the command-line parameters, program name excluded
    std::filesystem::path ini_file;     // ini_path(<program directory>)
    FileExists file_exists;             // whether a database file exists
    std::string current_version;        // program_version()
    std::string cwd;                    // the working directory, "ppath" of a first start
    FirstStartWriter write_first_start; // app::write_first_start_values
    // The database of a first start when none is given: created on demand.
    std::function<std::string()> first_database;
    // The offer to convert an Access database chosen at the start-up question or under
    // "Change System &Database"; without it the chosen file is opened as it is.
    AccessConversion convert_access;
};

// The launcher's creation: language, system tag, mode, database, power flag, button
// layout, versions. A first start (no settings key) creates the key and writes its
// values through context.write_first_start. The connection string is built by the
// caller from state.provider and state.db_f_name.
void create_launcher(ProgramState& state, LauncherState& launcher, SettingsStore& settings,
                     Dialogs& dialogs, const StartupContext& context);

// Activation, first part: status panel 1 shows the version, the simulator is given
// the database.
void begin_activation(const ProgramState& state, LauncherState& launcher,
                      const std::string& current_version);

// Activation after the selection lists: go_on cleared, mode "?" becomes "TSM", then
// the command-line rules 2 to 7.
void apply_activation_rules(ProgramState& state, LauncherState& launcher,
                            const std::vector<std::string>& args);

// Activation, the method check against the model of cbi_setting's first row (when the
// settings key exists): when they differ (blanks around them ignored) the message
// "method not changeable" (title " attention") and the method field gets methode.
void check_method(const ProgramState& state, LauncherState& launcher, Dialogs& dialogs,
                  const std::string& model);

// Activation, last step: status panel 0 from the mode and the system tag.
void update_status_text(const ProgramState& state, LauncherState& launcher);

// The settings button: false (and the button disabled) in the mode "KORVEX", true
// when the settings dialog is to be shown.
bool press_settings(const ProgramState& state, LauncherState& launcher);

// This program's version: four dot-separated whole numbers.
std::string program_version();

} // namespace app

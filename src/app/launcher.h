// launcher.h --- the launcher's life without widgets: creation, first show, activation,
// change of database. The window and the console program drive the same object.
#pragma once

#include "app/database_opening.h"
#include "app/dialogs.h"
#include "app/program_state.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "app/tsm_settings.h"

namespace app {

class Launcher {
public:
    Launcher(SettingsStore& store, Dialogs& dialogs, StartupContext context);

    ProgramState state;
    LauncherState view;
    DatabaseLink link;
    TsmSettings settings;

    // Creation: initialisation file, settings (a first start writes them), command
    // line rule 1, language and layout, versions, the connection string.
    void create();
    // First show: open and adapt the database, a selection-state row for every plot,
    // load the settings object. False when no database could be opened.
    bool first_show();
    // Every activation: version, selection lists, command-line rules 2 to 7, the method
    // check, "scenario", the status text. Database errors propagate to the caller,
    // which shows them; the remaining steps are skipped then. Returns go_on.
    bool activate();
    // "Change System &Database".
    bool change_database();

    bool connected() const { return link.connection.has_value(); }
    db::Connection& connection();

private:
    SettingsStore& store_;
    Dialogs& dialogs_;
    StartupContext context_;
    bool odbc_source_told_ = false;
};

// The context of a real start: the program's folder, the working directory, the real
// file system, the first-start writer, and the demo copy in the user's data folder.
StartupContext startup_context(const std::vector<std::string>& args,
                               const std::filesystem::path& program_dir);

} // namespace app

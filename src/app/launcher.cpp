#include "app/launcher.h"

#include "app/first_start.h"
#include "app/ini_file.h"
#include "app/odbc_source.h"
#include "app/selection_lists.h"
#include "db/db_error.h"
#include "db/new_database.h"

#include <QStandardPaths>

namespace app {

Launcher::Launcher(SettingsStore& store, Dialogs& dialogs, StartupContext context)
    : settings(store, state), store_(store), dialogs_(dialogs), context_(std::move(context)) {}

db::Connection& Launcher::connection() {
    if (!link.connection) throw db::Error("No experiment database is open.");
    return *link.connection;
}

void Launcher::create() {
    create_launcher(state, view, store_, dialogs_, context_);
    if (!view.ini_warnings.empty()) {
        std::string text;
        for (const auto& w : view.ini_warnings) text += w + "\n";
        dialogs_.show_message("tsm.ini", text);
    }
    set_database(link, state.provider, state.db_f_name);
}

bool Launcher::first_show() {
    if (!open_database_at_start(link, store_, state, dialogs_)) return false;
    add_selection_state_rows(*link.connection);
    if (link.method_field) settings.fields.method = *link.method_field;
    if (store_.key_exists()) settings.read_registry(true);
    return true;
}

bool Launcher::activate() {
    begin_activation(state, view, context_.current_version);
    if (link.connection) refresh_selection_lists(*link.connection, state.language);
    apply_activation_rules(state, view, context_.args);
    if (view.save_som_state) settings.set_scenario(*view.save_som_state);
    if (view.method_field) settings.fields.method = *view.method_field;
    if (store_.key_exists() && link.connection) {
        const db::Value model = link.connection->scalar("select model from cbi_setting");
        check_method(state, view, dialogs_, model.as_text());
        if (view.method_field) settings.fields.method = *view.method_field;
    }
    if (store_.key_exists()) settings.write_scenario();
    update_status_text(state, view);
    return state.go_on;
}

bool Launcher::change_database() {
    // A missing data source is told once per program run, not at every change.
    auto update_odbc = [this](const std::string& path, Dialogs& dialogs) {
        if (odbc_source_told_) return point_odbc_source_at(path);
        const bool pointed = update_odbc_source(path, dialogs);
        odbc_source_told_ = !pointed;
        return pointed;
    };
    const bool changed =
        app::change_database(link, store_, state, dialogs_, update_odbc, context_.convert_access);
    if (changed) view.simulator_database = link.simulator_database;
    return changed;
}

StartupContext startup_context(const std::vector<std::string>& args,
                               const std::filesystem::path& program_dir) {
    StartupContext c;
    c.args = args;
    c.ini_file = ini_path(program_dir);
    c.file_exists = [](const std::string& p) {
        std::error_code ec;
        return std::filesystem::is_regular_file(p, ec);
    };
    c.current_version = program_version();
    c.cwd = std::filesystem::current_path().string();
    c.write_first_start = write_first_start_values;
    c.first_database = [] {
        const std::filesystem::path folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
        const std::filesystem::path file = folder / "tsm" / "demo.db";
        std::error_code ec;
        if (!std::filesystem::exists(file, ec)) {
            std::filesystem::create_directories(file.parent_path());
            db::create_experiment_database(file, true);
        }
        return file.string();
    };
    return c;
}

} // namespace app

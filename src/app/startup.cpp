// startup.cpp --- the launcher's creation and activation logic.
#include "app/startup.h"

#include "app/database_opening.h"
#include "app/first_start.h"
#include "app/ini_file.h"
#include "db/text.h"

#include <exception>
#include <sstream>

#ifndef TSM_VERSION
#define TSM_VERSION "0.1.0.0"
#endif

namespace app {

namespace {

const std::string initial_provider = ProgramState{}.provider;

// What the modes other than "TSM" may not do: change settings, parameters or move data.
void disable_restricted_buttons(LauncherState& launcher) {
    launcher.settings.enabled = false;
    launcher.parameters.enabled = false;
    launcher.data_transfer.enabled = false;
}

// The initialisation file's rules, or, without it, the language of the settings store.
void read_language_and_mode(ProgramState& state, LauncherState& launcher, SettingsStore& settings,
                            const std::filesystem::path& ini_file) {
    std::optional<IniFile> ini;
    if (std::filesystem::exists(ini_file)) {
        try {
            ini = IniFile::load(ini_file);
            launcher.ini_warnings = ini->warnings();
        } catch (const IniError& e) {
            launcher.ini_warnings.push_back(e.what());
        }
    }
    if (ini) {
        apply_ini_rules(*ini, state);
        if (state.modus != "TSM") disable_restricted_buttons(launcher);
    }
    try {
        if (ini && settings.key_exists() && settings.has_value("language"))
            settings.write_string("language", state.language);
        else if (!ini && settings.key_exists())
            state.language = settings.has_value("language")
                                 ? language_code(settings.read_string("language"))
                                 : "E";
    } catch (const std::exception&) {
        // The language value is a convenience: a store that fails here is ignored.
    }
}

void use_german(ProgramState& state, LauncherState& launcher) {
    state.power = false;
    launcher.plot_selection.caption = "Daten &Verarbeiten";
    launcher.climate.caption = "&Klimadaten";
    launcher.parameters.caption = "&Parameter";
    launcher.sql_module.caption = "S&QL-Datenrecherche";
    launcher.data_transfer.caption = "Daten&transfer";
    launcher.settings.caption = "Einstellun&gen";
    launcher.database_choice.caption = "Auswahl der &Datenbank";
    launcher.end.caption = "&Ende";
    state.word_insert = "Einfügen";
    state.word_update = "Aktualisieren";
    state.database_question = "Wo ist die Datenbank ?";
}

void lay_out_buttons(const ProgramState& state, LauncherState& launcher) {
    if (state.power) {
        for (LauncherButton* b : {&launcher.parameters, &launcher.sql_module,
                                  &launcher.data_transfer, &launcher.settings})
            b->visible = true;
        return;
    }
    launcher.plot_selection.top = 135;
    launcher.plot_selection.height = 45;
    launcher.climate.top = 175;
    launcher.climate.height = 45;
    launcher.climate.visible = false;
    launcher.database_choice.top = 265;
    launcher.database_choice.height = 45;
    launcher.label_top = 265 + 45 + 5;
    launcher.end.top = 265 + 45 + 5 + 25; // below the database label
    launcher.end.height = 40;
    // The settings (the language among them) stay within reach in the compact layout.
    launcher.settings.visible = true;
}

// An existing settings key: the database (asking for it when the file is missing),
// program path, provider and dynamic-LTS flag.
void read_settings(ProgramState& state, SettingsStore& settings, Dialogs& dialogs,
                   const StartupContext& context) {
    if (state.database == "?") state.database = settings.read_string("database");
    if (!context.file_exists(state.database)) {
        const auto chosen = dialogs.choose_file(state.database_question, database_file_filter);
        const auto file =
            chosen ? database_to_open(*chosen, context.convert_access, state.language, dialogs)
                   : std::nullopt;
        if (file) {
            state.database = *file;
            settings.write_string("database", state.database);
        }
    }
    state.srb_p_path = settings.read_string("ppath");
    const std::string provider = settings.read_string("provider");
    state.provider = provider.empty() ? initial_provider : provider;
    try {
        state.dyn_lts = settings.read_integer("dyn_lts") != 0;
    } catch (const std::exception&) {
        state.dyn_lts = false;
    }
}

void first_start(ProgramState& state, SettingsStore& settings, const StartupContext& context) {
    // A first start without a database at hand opens real data: a copy of the demo
    // database in the user's data folder.
    if (!context.file_exists(state.database)) state.database = context.first_database();
    context.write_first_start(settings, state.database, context.cwd);
}

void record_versions(ProgramState& state, LauncherState& launcher, SettingsStore& settings,
                     const std::string& current_version) {
    const std::string last = settings.read_string("version");
    state.lastversion = last.empty() ? "0.0.0.0" : last;
    state.currentversion = current_version;
    launcher.status_panel1 = "Version: " + current_version;
    settings.write_string("version", current_version);
}

} // namespace

void create_launcher(ProgramState& state, LauncherState& launcher, SettingsStore& settings,
                     Dialogs& dialogs, const StartupContext& context) {
    state.go_on = false;
    state.modus = "?";
    state.system_tag = "int";
    state.database = "?";
    read_language_and_mode(state, launcher, settings, context.ini_file);
    apply_database_rule(context.args, state.database, dialogs, context.file_exists);
    if (state.language == "D") use_german(state, launcher);
    lay_out_buttons(state, launcher);
    if (settings.key_exists()) {
        // A settings file that lacks values (cut short, or edited by hand) is completed
        // with their first-start values; the user is told once, since they are stored.
        const std::vector<std::string> filled = complete_first_start_values(settings, context.cwd);
        if (!filled.empty()) {
            std::string names;
            for (const std::string& name : filled) names += (names.empty() ? "" : ", ") + name;
            dialogs.show_message("TSM settings", "The settings lacked the values " + names +
                                                     "; their first-start values were stored.");
        }
        read_settings(state, settings, dialogs, context);
    } else
        first_start(state, settings, context);
    state.power = state.language != "D";
    state.db_f_name = state.database;
    record_versions(state, launcher, settings, context.current_version);
}

void begin_activation(const ProgramState& state, LauncherState& launcher,
                      const std::string& current_version) {
    launcher.status_panel1 = "Version= " + current_version;
    launcher.simulator_database = state.database;
}

void apply_activation_rules(ProgramState& state, LauncherState& launcher,
                            const std::vector<std::string>& args) {
    state.go_on = false;
    if (state.modus == "?") state.modus = "TSM";
    const LauncherCommands c = parse_launcher_args(args);
    if (c.modus) state.modus = *c.modus;
    if (c.regional) {
        state.appmode = "REGIO";
        state.regional_mode = true;
    }
    launcher.save_som_state = c.save_som_state;
    launcher.method_field = c.method_field;
    if (c.restricted) disable_restricted_buttons(launcher);
    if (c.go) state.go_on = true;
}

void check_method(const ProgramState& state, LauncherState& launcher, Dialogs& dialogs,
                  const std::string& model) {
    if (db::trim(state.methode) == db::trim(model)) return;
    dialogs.show_message(" attention", "method not changeable");
    launcher.method_field = state.methode;
}

void update_status_text(const ProgramState& state, LauncherState& launcher) {
    if (state.modus == "KORVEX") launcher.status_panel0 = "KORVEX 2014";
    if (state.modus == "ORV") launcher.status_panel0 = "ORV 2014";
    if (state.modus != "KORVEX" && launcher.status_panel0.find('/') == std::string::npos)
        launcher.status_panel0 += " / " + state.system_tag;
}

bool press_settings(const ProgramState& state, LauncherState& launcher) {
    if (state.modus == "KORVEX") {
        launcher.settings.enabled = false;
        return false;
    }
    return true;
}

std::string program_version() {
    std::istringstream in(TSM_VERSION);
    std::string out, piece;
    int parts = 0;
    while (parts < 4 && std::getline(in, piece, '.')) {
        int number = 0;
        try {
            number = std::stoi(piece);
        } catch (const std::exception&) {
        }
        out += (parts++ ? "." : "") + std::to_string(number);
    }
    for (; parts < 4; ++parts) out += parts ? ".0" : "0";
    return out;
}

} // namespace app

// tsm_settings.h --- the settings object: the current settings and the settings dialog's
// state, without widgets (the window Tfrm_tsmsetting shows and edits it).
#pragma once

#include "app/dialogs.h"
#include "app/program_state.h"
#include "app/settings_store.h"
#include "db/connection.h"

#include <cstdint>
#include <string>

namespace app {

// The dialog's texts and check boxes, top to bottom.
struct TsmSettingsFields {
    std::string ppath, method, database, soil_scheme, pf_wp, pf_fk, ptf_mode;
    bool cb_dynbd = false;   // " dynamic bulk density " (the one the user can click)
    bool cb_dynlts = false;  // " simulate a dynamic LTS pool "
    bool cb_hassink = false; // "simulate LTS pool with Hassink-saturation"
    std::string r_call, r_result, r_script, bat_recalc, pdf_reader, pdf_dir;
    bool cb_scenario = false;     // "save SOM state during TSM run"
    std::string scenario_status;  // "enabled" or "disabled"
    bool method_editable = false; // once "korvex" > 0, for the rest of the program run
    std::string language = "E";   // "E" or "D": the captions from the next program start
};

// One instance for the whole program run. Other windows read the loaded values (r_call,
// r_result, hassink, the "save SOM state" box, the method field) from here, not from the
// store. The launcher's current method lives in ProgramState::methode.
// Invariant kept by the check boxes: hassink = 1 => dyn_lts = 1 => dyn_bd = 1.
class TsmSettings {
public:
    TsmSettings(SettingsStore& store, ProgramState& state) : store_(store), state_(state) {}

    // The last values loaded from the store.
    std::string pdf_reader, pdf_dir, tsm_p_path, database, pf_wp, pf_fk, ptfmode, r_call, r_result,
        r_script, soil_scheme, language = "E";
    // Method, soil scheme and ptf mode as the dialog was last opened (model change check).
    std::string _methode, _soil_scheme, _ptfmode;
    std::int32_t scenario_ctrl = 0, korvex = 0, hassink = 0, dyn_bd = 0, dyn_lts = 0,
                 recalc_bat = 0;
    TsmSettingsFields fields;

    // The language the program runs in now ("E" or "D").
    const std::string& running_language() const { return state_.language; }

    // Loads the values and the fields from the store when the key exists (the method into
    // ProgramState::methode); memo also remembers method, soil scheme and ptf mode for the
    // model change check. A missing "recalc_bat" throws SettingsError, the fields unchanged.
    void read_registry(bool memo);
    // Stores the fields and flags when the key exists. A "BAT recalc" text that is no
    // integer throws SettingsError after the values before it were written.
    void write_registry();
    // The dialog becomes active: load with memo; "korvex" > 0 makes the method editable.
    void activate();
    // "&save + return": stores the settings, the trimmed method into cbi_setting (creating
    // the table when missing) and, when only the method changed and the user agrees,
    // empties the result tables. False when a statement or the store failed: its message
    // is shown and the dialog stays open (what was saved before the failure stays saved).
    bool save(db::Connection& conn, Dialogs& dialogs);
    // Launcher activation: the "save SOM state" box into the value "scenario".
    void write_scenario();

    // The check boxes, as the user or start-up sets them; a box that changes runs its rule.
    void set_scenario(bool checked);
    void set_dyn_bd(bool checked);
    void set_dyn_lts(bool checked);
    void set_hassink(bool checked);

private:
    void read_values();
    std::int32_t integer_or_zero(const std::string& name) const;
    void show_values();
    void show_flags();
    void scenario_clicked();
    void dyn_bd_clicked();
    void dyn_lts_clicked();
    void hassink_clicked();
    void store_method(db::Connection& conn);
    bool model_changed() const;
    bool confirm_result_deletion(Dialogs& dialogs) const;

    SettingsStore& store_;
    ProgramState& state_;
};

// A stored pF value as the dialog shows it: the store keeps tenths ("42" is pF 4.2); a
// text that is no whole number is shown as it is.
std::string pf_shown(const std::string& stored);

// The folder of a chosen file with its trailing separator (the "pdf dir" field).
std::string folder_of(const std::string& file);

} // namespace app

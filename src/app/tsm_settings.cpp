// tsm_settings.cpp --- the settings object: loading, storing, saving and the check boxes.
#include "app/tsm_settings.h"

#include "app/datamodel.h"
#include "app/ini_file.h"
#include "db/db_error.h"
#include "db/text.h"

#include <charconv>
#include <filesystem>

namespace app {

namespace {

db::Dataset open_cbi_setting(db::Connection& conn) {
    try {
        return conn.open("cbi_setting");
    } catch (const db::Error&) {
        conn.execute(" create table cbi_setting (model char (12))");
        return conn.open("cbi_setting");
    }
}

// The results of the old method no longer match the new one.
void delete_results(db::Connection& conn) {
    conn.execute(" delete * from rs_table ");
    conn.execute(" delete * from tsm_nresult ");
    conn.execute_ignoring_failure(" delete * from tsm_zbv ");
}

} // namespace

// ---------------------------------------------------------------------------
// Loading and storing

void TsmSettings::read_registry(bool memo) {
    scenario_ctrl = 0;
    korvex = 0;
    if (store_.key_exists()) read_values();
    if (memo) {
        _methode = state_.methode;
        _soil_scheme = soil_scheme;
        _ptfmode = ptfmode;
    }
    show_values();
    show_flags();
}

void TsmSettings::read_values() {
    const SettingsStore& s = store_;
    tsm_p_path = s.read_string("ppath");
    state_.methode = s.read_string("methode");
    database = s.read_string("database");
    soil_scheme = s.read_string("soil_scheme");
    pf_wp = s.read_string("pf_wp");
    pf_fk = s.read_string("pf_fk");
    ptfmode = s.read_string("ptfmode");
    r_call = s.read_string("r_call");
    r_result = s.read_string("r_result");
    r_script = s.read_string("r_script");
    recalc_bat = s.read_integer("recalc_bat"); // the first start always writes it
    pdf_reader = s.read_string("pdf_reader");
    pdf_dir = s.read_string("pdf_dir");
    language = s.has_value("language") ? language_code(s.read_string("language")) : "E";
    scenario_ctrl = integer_or_zero("scenario");
    korvex = integer_or_zero("korvex");
    dyn_bd = integer_or_zero("dyn_bd");
    dyn_lts = integer_or_zero("dyn_lts");
    hassink = integer_or_zero("hassink");
}

std::int32_t TsmSettings::integer_or_zero(const std::string& name) const {
    try {
        return store_.read_integer(name);
    } catch (const SettingsError&) {
        return 0;
    }
}

void TsmSettings::show_values() {
    fields.ppath = tsm_p_path;
    fields.method = state_.methode;
    fields.database = database;
    fields.soil_scheme = soil_scheme;
    fields.pf_wp = pf_wp;
    fields.pf_fk = pf_fk;
    fields.ptf_mode = ptfmode;
    fields.r_call = r_call;
    fields.r_result = r_result;
    fields.r_script = r_script;
    fields.bat_recalc = std::to_string(recalc_bat);
    fields.pdf_reader = pdf_reader;
    fields.pdf_dir = pdf_dir;
    fields.language = language;
}

// The boxes take the stored flags in a fixed order, each change running its rule; the
// wanted states are taken before the rules run, so a stored combination that breaks the
// invariant ends with the strongest flag set, whatever the boxes showed before.
void TsmSettings::show_flags() {
    const bool scenario = scenario_ctrl == 1, bd = dyn_bd == 1, lts = dyn_lts == 1,
               limit = hassink == 1;
    set_scenario(scenario);
    set_dyn_bd(bd);
    set_dyn_lts(lts);
    set_hassink(limit);
    dyn_bd = fields.cb_dynbd ? 1 : 0;
    dyn_lts = fields.cb_dynlts ? 1 : 0;
    hassink = fields.cb_hassink ? 1 : 0;
    scenario_clicked();
}

void TsmSettings::write_registry() {
    if (!store_.key_exists()) return;
    SettingsStore& s = store_;
    s.write_string("ppath", fields.ppath);
    s.write_string("methode", fields.method);
    s.write_string("database", fields.database);
    s.write_string("soil_scheme", fields.soil_scheme);
    s.write_string("pf_wp", fields.pf_wp);
    s.write_string("pf_fk", fields.pf_fk);
    s.write_string("ptfmode", fields.ptf_mode);
    s.write_string("r_call", fields.r_call);
    s.write_string("r_result", fields.r_result);
    s.write_string("r_script", fields.r_script);
    s.write_integer("recalc_bat", settings_integer("recalc_bat", fields.bat_recalc));
    s.write_string("pdf_reader", fields.pdf_reader);
    s.write_string("pdf_dir", fields.pdf_dir);
    s.write_string("language", fields.language);
    s.write_integer("scenario", scenario_ctrl);
    s.write_integer("dyn_bd", dyn_bd);
    s.write_integer("dyn_lts", dyn_lts);
    s.write_integer("hassink", hassink);
}

void TsmSettings::activate() {
    read_registry(true);
    if (korvex > 0) fields.method_editable = true;
}

void TsmSettings::write_scenario() {
    if (store_.key_exists()) store_.write_integer("scenario", fields.cb_scenario ? 1 : 0);
}

// ---------------------------------------------------------------------------
// Saving

bool TsmSettings::save(db::Connection& conn, Dialogs& dialogs) {
    try {
        write_registry();
        read_registry(false);
        store_method(conn);
        if (model_changed() && confirm_result_deletion(dialogs)) delete_results(conn);
    } catch (const db::Error& e) {
        dialogs.show_error("TSM settings", e.what());
        return false;
    } catch (const SettingsError& e) {
        dialogs.show_error("TSM settings", e.what());
        return false;
    }
    return true;
}

void TsmSettings::store_method(db::Connection& conn) {
    db::Dataset cbi = open_cbi_setting(conn);
    cbi.first();
    if (cbi.empty())
        cbi.append();
    else
        cbi.edit();
    cbi.set_field("model", db::trim(fields.method));
    cbi.post();
}

// Only a change of the method alone invalidates the results; when the soil scheme or the
// ptf mode changed too, the user is taken to be setting up a new database.
bool TsmSettings::model_changed() const {
    return _methode != state_.methode && _soil_scheme == soil_scheme && _ptfmode == ptfmode;
}

bool TsmSettings::confirm_result_deletion(Dialogs& dialogs) const {
    return dialogs.ask_yes_no(state_.language == "D" ? "ACHTUNG !" : "ATTENTION !",
                              "model change detected: results will be deleted ! Continue anyway ?");
}

// ---------------------------------------------------------------------------
// Check boxes

void TsmSettings::set_scenario(bool checked) {
    if (fields.cb_scenario == checked) return;
    fields.cb_scenario = checked;
    scenario_clicked();
}

void TsmSettings::set_dyn_bd(bool checked) {
    if (fields.cb_dynbd == checked) return;
    fields.cb_dynbd = checked;
    dyn_bd_clicked();
}

void TsmSettings::set_dyn_lts(bool checked) {
    if (fields.cb_dynlts == checked) return;
    fields.cb_dynlts = checked;
    dyn_lts_clicked();
}

void TsmSettings::set_hassink(bool checked) {
    if (fields.cb_hassink == checked) return;
    fields.cb_hassink = checked;
    hassink_clicked();
}

void TsmSettings::scenario_clicked() {
    fields.scenario_status = fields.cb_scenario ? "enabled" : "disabled";
    scenario_ctrl = fields.cb_scenario ? 1 : 0;
}

void TsmSettings::dyn_bd_clicked() {
    if (fields.cb_dynbd) {
        dyn_bd = 1;
        return;
    }
    dyn_bd = dyn_lts = hassink = 0;
    set_dyn_lts(false);
    set_hassink(false);
}

void TsmSettings::dyn_lts_clicked() {
    if (fields.cb_dynlts) {
        dyn_lts = 1;
        set_dyn_bd(true);
        dyn_bd = 1;
        return;
    }
    dyn_lts = 0;
    set_hassink(false);
    hassink = 0;
}

void TsmSettings::hassink_clicked() {
    if (fields.cb_hassink) {
        hassink = 1;
        set_dyn_bd(true);
        set_dyn_lts(true);
        dyn_bd = dyn_lts = 1;
        return;
    }
    hassink = 0;
}

std::string pf_shown(const std::string& stored) {
    const std::string text = db::trim(stored);
    int tenths = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), tenths);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return stored;
    const std::string sign = tenths < 0 ? "-" : "";
    const int magnitude = tenths < 0 ? -tenths : tenths;
    return sign + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
}

std::string folder_of(const std::string& file) {
    return (std::filesystem::path(file).parent_path() / "").string();
}

} // namespace app

// simulator.cpp --- the simulator's state and its activation.
#include "sim/simulator.h"

#include "app/database_opening.h"
#include "db/db_error.h"
#include "db/text.h"
#include "db/value.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

namespace sim {

namespace {

// The window is shown afresh: controls and per-activation fields back to their start.
void reset_window(Simulator& sim, const app::TsmSettings& tsm_settings) {
    sim.scenario = tsm_settings.fields.cb_scenario;
    sim.uncas_mode = false;
    sim.calculate_caption = "calculate";
    sim.calculate_enabled = true;
    sim.sim_prot = false;
    sim.sel_id = "?";
    sim.histogram.fill(0);
    sim.stop_run = false;
    sim.nowait = false;
}

// A settings text that must hold a number; an empty or other text stops the activation.
double settings_number(const app::SettingsStore& store, const std::string& name) {
    const std::string text = store.read_string(name);
    const auto number = db::parse_number(text);
    if (!number) throw app::SettingsError("'" + text + "' is not a valid number (" + name + ")");
    return *number;
}

// A settings value that is set when it holds `on` (any value but 0 when on is 0); false
// when it cannot be read.
bool flag_or_false(const app::SettingsStore& store, const std::string& name, int on = 0) {
    try {
        const int v = store.read_integer(name);
        return on == 0 ? v != 0 : v == on;
    } catch (const app::SettingsError&) {
        return false;
    }
}

void read_settings(Simulator& sim, const app::SettingsStore& store) {
    if (sim.database == "?") sim.database = store.read_string("database");
    sim.hymode = app::settings_integer("ptfmode", store.read_string("ptfmode"));
    sim.pf_wp = settings_number(store, "pf_wp") / 10;
    sim.pf_fk = settings_number(store, "pf_fk") / 10;
    sim.recalc_bat = store.read_integer("recalc_bat") != 0;
    sim.soil_scheme = store.read_string("soil_scheme");
    sim.r_call = store.read_string("r_call");
    sim.r_script = store.read_string("r_script");
    sim.r_result = store.read_string("r_result");
    sim.dyn_lts = flag_or_false(store, "dyn_lts");
    sim.dyn_bd = flag_or_false(store, "dyn_bd");
    sim.hassink = flag_or_false(store, "hassink", 1);
    // Threads of the final stage: one per core unless the value says otherwise.
    try {
        sim.threads = store.has_value("threads") ? store.read_integer("threads") : 0;
    } catch (const app::SettingsError&) {
        sim.threads = 0;
    }
}

void set_first_start_values(Simulator& sim, const std::string& current_dir) {
    if (sim.database == "?")
        sim.database = (std::filesystem::path(current_dir) / "tsm_data.mdb").string();
    sim.hymode = 3;
    sim.methode = "TSM";
    sim.pf_wp = 4.2;
    sim.pf_fk = 1.8;
    sim.z_cnt = 0;
    sim.z_anf = 0;
    sim.recalc_bat = true;
    sim.soil_scheme = "RBS";
}

void apply_command_line(Simulator& sim, const app::SimulatorStart& start) {
    sim.sim_prot = start.sim_prot;
    if (start.run_id) sim.run_id = *start.run_id;
    sim.auto_mode = start.auto_mode;
    if (start.recalc_bat) sim.recalc_bat = *start.recalc_bat;
    sim.simple_version = start.simple_version;
    if (start.methode) sim.methode = *start.methode;
    if (start.z_cnt) sim.z_cnt = *start.z_cnt;
    if (start.z_anf) sim.z_anf = *start.z_anf;
    if (start.threads) sim.threads = *start.threads;
    if (start.soil_scheme) sim.soil_scheme = *start.soil_scheme;
    if (start.interpol) sim.interpol = *start.interpol;
    sim.nowait = start.nowait;
    sim.pre_proc_query = start.pre_proc_query;
    sim.pst_proc_query = start.pst_proc_query;
    sim.pst_processing = start.post_processing;
    sim.uncas_mode = start.uncas_mode;
    sim.sel_id = start.sel_id;
}

// The connection is closed and opened again on the simulator's database, keeping the
// provider it was set up with.
void reopen_connection(Simulator& sim, const app::ProgramState& state,
                       std::optional<db::Connection>& connection) {
    sim.connection_string = app::compose_connection_string(state.provider, sim.database);
    connection.reset();
    connection.emplace(sim.database);
}

std::string cbi_model(db::Connection& conn) {
    db::Dataset ds = conn.open("cbi_setting");
    if (ds.empty()) return {};
    ds.first();
    return ds.field("model").as_text();
}

void write_cbi_model(db::Connection& conn, const std::string& model) {
    db::Dataset ds = conn.open("cbi_setting");
    if (ds.empty()) {
        ds.append();
    } else {
        ds.first();
        ds.edit();
    }
    ds.set_field("model", model);
    ds.post();
}

// A method from the command line is stored only under the KORVEX switch 1; otherwise
// the database's method wins and the user is told.
void settle_command_line_method(Simulator& sim, ActivationContext& ctx, db::Connection& conn) {
    if (!ctx.settings.key_exists()) return;
    const int korvex = ctx.settings.has_value("korvex") ? ctx.settings.read_integer("korvex") : 0;
    if (korvex == 1) {
        ctx.settings.write_string("methode", sim.methode);
        write_cbi_model(conn, without_blanks(sim.methode));
        return;
    }
    const std::string model = without_blanks(cbi_model(conn));
    if (sim.methode != model)
        ctx.dialogs.show_message(method_not_changeable_title, method_not_changeable_text);
    sim.methode = model;
    ctx.settings.write_string("methode", sim.methode);
}

const char* ptf_mode_name(int hymode) {
    switch (hymode) {
    case 1:
        return "Brooks/Corey";
    case 2:
        return "Vereecken";
    case 3:
        return "Lieberoth";
    case 4:
        return "Zacharias";
    default:
        return "unknown";
    }
}

const char* interpol_name(int interpol) {
    switch (interpol) {
    case -1:
        return "min";
    case 0:
        return "mean";
    case 1:
        return "max";
    default:
        return "unknown";
    }
}

} // namespace

std::string without_blanks(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

void add_message(Simulator& sim, RunObserver& observer, const std::string& line) {
    sim.messages.push_back(line);
    observer.message(line);
}

std::string clock_time() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

std::vector<std::string> opening_messages(const Simulator& sim, const std::string& time) {
    return {
        "TSM run started: " + time,
        "ptf_mode=" + std::to_string(sim.hymode) + " / " + ptf_mode_name(sim.hymode),
        "pf_wp=" + db::format_cstr(sim.pf_wp),
        "pf_fk=" + db::format_cstr(sim.pf_fk),
        "soil classes : " + sim.soil_scheme,
        "method : " + sim.methode,
        "silt from soil class : " + std::to_string(sim.interpol) + "==>" +
            interpol_name(sim.interpol),
    };
}

void read_model_parameters(Simulator& sim, db::Connection& conn) {
    sim.parms = ModelParameters{};
    try {
        db::Dataset ds = conn.open(" select * from srbaparm where item_ix=1");
        if (ds.empty()) return;
        ds.first();
        sim.parms.ks = ds.field("K_STAB").as_double();
        sim.parms.km = ds.field("K_AOS").as_double();
        sim.parms.ka = ds.field("K_AKT").as_double();
        sim.parms.cnrsom = ds.field("CNR_OBS").as_double();
        sim.parms.hpwp = ds.field("H_PWP").as_double();
        sim.parms.hfc = ds.field("H_FC").as_double();
    } catch (const std::exception&) {
        // The values read so far stay, the others keep their defaults.
    }
}

void activate(Simulator& sim, ActivationContext& ctx) {
    reset_window(sim, ctx.tsm_settings);
    if (ctx.settings.key_exists())
        read_settings(sim, ctx.settings);
    else
        set_first_start_values(sim, ctx.current_dir);
    sim.path_field = sim.database;
    sim.recalc_bat_box = sim.recalc_bat;
    sim.auto_mode = false;
    sim.pst_processing = false;
    sim.pre_proc_query = "?";
    sim.pst_proc_query = "?";
    sim.simple_version = true;

    const app::SimulatorStart start = app::parse_simulator_args(ctx.args, ctx.file_exists);
    apply_command_line(sim, start);
    // The connection is opened before the method is settled, because settling it reads
    // and writes the database's method table.
    reopen_connection(sim, ctx.state, ctx.connection);
    db::Connection& conn = *ctx.connection;
    if (start.methode) {
        settle_command_line_method(sim, ctx, conn);
        ctx.tsm_settings.fields.method = sim.methode;
    }
    sim.recalc_bat_box = sim.recalc_bat;

    for (const std::string& line : opening_messages(sim, clock_time()))
        add_message(sim, ctx.observer, line);
    read_model_parameters(sim, conn);
}

bool choose_database(Simulator& sim, app::Dialogs& dialogs, const app::ProgramState& state,
                     std::optional<db::Connection>& connection) {
    const auto file = dialogs.choose_file("database", app::database_file_filter);
    if (!file) return false;
    sim.database = *file;
    sim.path_field = sim.database;
    reopen_connection(sim, state, connection);
    return true;
}

} // namespace sim

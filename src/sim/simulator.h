// simulator.h --- the simulator's state (the fields of the window TtsmadoForm1) and what
// the window does each time it becomes active.
#pragma once

#include "app/command_line.h"
#include "app/dialogs.h"
#include "app/program_state.h"
#include "app/settings_store.h"
#include "app/tsm_settings.h"
#include "db/connection.h"
#include "model/model_types.h"
#include "sim/result_tables.h"
#include "sim/run_observer.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// The simulator window's fields and the state of its controls.
struct Simulator {
    // Run settings.
    std::string database = "?";      // experiment database path, "?" until known
    std::string connection_string;   // the string the connection was last opened with
    std::string methode;             // "TSM", "STAND", "HUMOD", "SALCA", "LUFA", "NULL", "HUBA..."
    int hymode = 3;                  // pedotransfer mode 1..4 (settings "ptfmode")
    double pf_wp = 4.2, pf_fk = 1.8; // pF of wilting point and field capacity; reported only
    std::string soil_scheme = "RBS"; // texture classification, "RBS" or "KA4"
    int interpol = 0;                // silt from a texture class: -1 min, 0 mean, 1 max
    bool recalc_bat = true;          // recompute BAT from climate
    bool simple_version = true;      // the built-in BAT computation is used
    int z_cnt = 0, z_anf = 0;        // scenario repetitions and scenario start year
    std::string r_call, r_script, r_result;                 // external statistics program
    std::string sel_id = "?";                               // plot chosen by "ID=", "?" when none
    std::string pre_proc_query = "?", pst_proc_query = "?"; // statement files
    bool pst_processing = false; // an existing post-processing file was given
    bool sim_prot = false;       // write the run protocol
    int run_id = 0;              // run number of the protocol
    bool uncas_mode = false;     // "UNCAS", read by the final stage
    int threads = 0;             // threads that simulate plots in the final stage; 0: one per core
    bool auto_mode = false;      // "GO": run at activation
    bool running = false;        // a run was requested and has not finished
    bool nowait = false;         // end the program once activation is over
    bool autoclick = false;      // press "calculate" at the end of activation
    bool singlemode = false;     // opened by the workbench for one plot
    bool assessment = false;     // set by a final stage that ended normally
    // What the final stage of "TSM" asks the database first, found out while the
    // preparation was still at work; taken and cleared by that final stage.
    struct RunPreview {
        bool initialisation_fails = false; // a plot failed the initialisation check
        int rows = 0;                      // rows of the run statement
    };
    std::optional<RunPreview> run_preview;
    std::string shard; // "i/k" for one shard of a split run (partial assessment)
    ModelParameters parms;
    double mi = 0, me = 0, ma = 0; // pore size parameters of the soil properties

    // Flags read at activation for the final stage.
    bool scenario = false; // "save SOM state during TSM run"
    bool dyn_bd = false, dyn_lts = false;
    bool hassink = false; // saturation limit of the LTS pool ("hassink" equal to 1)
    // Initial-condition mode of the run: the i_con of the workbench item that started it;
    // "*" for a run without one (command line, tsm-batch) and in the mode "ORV".
    std::string icon_mode = "*";

    // Controls.
    std::string path_field;
    std::string calculate_caption = "calculate";
    bool calculate_enabled = true;
    bool database_enabled = true;
    bool recalc_bat_box = true; // the "recalc BAT" check box
    bool recalc_bat_enabled = true;
    bool stop_run = false; // the "STOP RUN" check box
    std::array<int, 7> histogram{};
    std::vector<std::string> messages; // the message list, saved as the run report

    // The end state of the last simulated year, kept for "save OM state".
    OmState om_state;
};

// Adds a line to the message list and shows it.
void add_message(Simulator& sim, RunObserver& observer, const std::string& line);

// An observer whose lines go into the simulator's message list (and so into the run
// report) before they are shown; for steps that report through an observer.
class MessageListObserver : public RunObserver {
public:
    MessageListObserver(Simulator& sim, RunObserver& shown) : sim_(sim), shown_(shown) {}
    void message(const std::string& line) override { add_message(sim_, shown_, line); }
    void progress(int position, int maximum) override { shown_.progress(position, maximum); }
    void process_events() override { shown_.process_events(); }
    bool stop_requested() override { return shown_.stop_requested(); }

private:
    Simulator& sim_;
    RunObserver& shown_;
};

// The classes of experiment minus model (% Corg) of the histogram page, in bar order.
inline constexpr std::array<const char*, 7> histogram_labels = {
    "<-0.5", "-0.5..-0.25", "-0.25..-0.05", "-0.05..0.05", "0.05..0.25", "0.25...0.5", ">+0.5"};

// Texts of the window.
inline constexpr const char* method_not_changeable_title = " attention";
inline constexpr const char* method_not_changeable_text = "method not changeable";

// The grid of selected plots (three lines): plot, initial condition, site, location, climate
// station and soil profile of every plot with selection state 1.
inline constexpr const char* selected_plots_query =
    "SELECT field_description.FL_ID,field_description.i_con, field_description.site_description, "
    "field_description.Location, climate_station.station, soilproperties.profile\n"
    "FROM ((field_description INNER JOIN climate_station ON field_description.climate_ID = "
    "climate_station.climate_ID) INNER JOIN soilproperties ON field_description.soil_ID = "
    "soilproperties.soil_ID) INNER JOIN site_state ON field_description.FL_ID = site_state.FL_ID\n"
    "WHERE (((site_state.status)=1))";

// What activation needs from its surroundings.
struct ActivationContext {
    const std::vector<std::string>& args; // the program's command line, without the program
    app::FileExists file_exists;
    app::SettingsStore& settings;
    app::TsmSettings& tsm_settings; // the "save SOM state" box and the method field
    app::ProgramState& state;       // the provider of the connection string
    app::Dialogs& dialogs;
    RunObserver& observer;
    std::optional<db::Connection>& connection; // the shared connection, reopened here
    std::string current_dir;                   // folder of the default database
};

// Activation up to the model parameters (the first eight steps): resets the window,
// loads the settings, applies the command line, reopens the connection for `database`,
// writes the opening messages and reads the model parameters. A missing settings value
// (other than "dyn_lts", "dyn_bd") throws app::SettingsError, a bad command-line number
// app::CommandLineError, a database that cannot be opened db::Error.
void activate(Simulator& sim, ActivationContext& ctx);

// "database" pressed: the user chooses a database file (cancel: nothing changes), which
// becomes the simulator's database; the connection is reopened on it. Throws db::Error
// when the file cannot be opened. Returns whether a database was chosen.
bool choose_database(Simulator& sim, app::Dialogs& dialogs, const app::ProgramState& state,
                     std::optional<db::Connection>& connection);

// The opening messages of activation and of every run, in order.
std::vector<std::string> opening_messages(const Simulator& sim, const std::string& time);
// The current local time as "hh:mm:ss".
std::string clock_time();

// Reads the model parameters of srbaparm's row item_ix=1 over the defaults; a failure
// leaves the values read so far.
void read_model_parameters(Simulator& sim, db::Connection& conn);

// A text without any blanks.
std::string without_blanks(std::string text);

} // namespace sim

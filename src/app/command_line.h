// command_line.h --- the parameters of the program's command line, as the launcher and
// the simulator read them.
//
// Every parameter is tested against every rule in the order of the rules, so one
// parameter can trigger several rules, and a later parameter overrides an earlier one.
#pragma once

#include "app/dialogs.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace app {

using FileExists = std::function<bool(const std::string& path)>;

// A parameter whose number part is not a whole number, e.g.
// "RC=x2: 'x2' is not a whole number".
class CommandLineError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Launcher rule 1, applied at creation: "DB=<path>" (exact case) sets database to the
// path; a path that does not exist gives the message "database not found, will try to
// use last DB" (title "DB error") and database "?".
void apply_database_rule(const std::vector<std::string>& args, std::string& database,
                         Dialogs& dialogs, const FileExists& file_exists);

// The database the last "DB=" names (its path as given, possibly empty); none without "DB=".
std::optional<std::string> named_database(const std::vector<std::string>& args);

// What launcher rules 2 to 7 ask of one activation.
struct LauncherCommands {
    std::optional<std::string> modus;        // "ORV" (rule 2) or "KORVEX" (rule 6), last wins
    bool regional = false;                   // rule 3 "REGIO"
    std::optional<bool> save_som_state;      // rules 4 "S+" and 5 "S-", last wins
    bool restricted = false;                 // rule 6 "M=": settings, parameters, transfer off
    std::optional<std::string> method_field; // rule 6: the method chosen ("" when no code matched)
    bool go = false;                         // rule 7 "go"
};

// Rules 2 to 7: "ORV" and "REGIO" as prefixes in any letter case; "S+", "S-", "M="
// as exact-case prefixes; "go" as the whole parameter in exact case. "M=" codes: LUF
// LUFA, TSM TSM, STA STAND, SAL SALCA, HUM HUMOD, HHE HUBAHE, HUG HUBAUG, HOG HUBAOG;
// another code keeps the method chosen so far.
LauncherCommands parse_launcher_args(const std::vector<std::string>& args);

// What the simulator's parameters set at its activation. Plain fields carry the value
// the activation resets them to; optionals are set only when a parameter gives them
// (otherwise the simulator's field keeps its value).
struct SimulatorStart {
    bool sim_prot = false;                  // "ERR_P..." write the run protocol
    std::optional<int> run_id;              // "ERR_P<c><number>", -99 without a number
    bool auto_mode = false;                 // "GO" in any case: run at activation
    std::optional<bool> recalc_bat;         // "BAT<c><digit>": the fifth character is "1"
    bool simple_version = true;             // "new_bat" clears it
    std::optional<std::string> methode;     // "M=<method>" up to six characters, no blanks
    std::optional<int> z_cnt;               // "RC=<n>" scenario repetitions, 0 or more
    std::optional<int> z_anf;               // "TC=<year>" scenario start year, 0 or more
    std::optional<std::string> soil_scheme; // "SC=<scheme>" three characters
    std::optional<int> interpol;            // "I=<n>" -1, 0 or 1
    bool nowait = false;                    // "nw" in any case, or "!"
    std::string pre_proc_query = "?";       // "SQL=<file>", "PPQ=<file>"
    std::string pst_proc_query = "?";       // "POQ=<file>"
    bool post_processing = false;           // the last "POQ=" named an existing file
    bool uncas_mode = false;                // "UNCAS"
    std::string sel_id = "?";               // "ID=<plot>": a whole number
    std::optional<int> threads;             // "THREADS=<n>" threads of the final stage
};

// The simulator's rules. "SQL=" sets the pre-processing file whether or not it exists;
// "PPQ=" and "POQ=" set their file only when it exists and "?" otherwise. These three
// are recognised by their first three characters (any letter case) followed by "=",
// so a file whose name holds "sql", "ppq" or "poq" never triggers another of them.
// Throws CommandLineError when a number part is not a whole number (the plot of "ID="
// included) or lies outside its range: "RC=" and "TC=" not negative, "I=" -1 to 1.
SimulatorStart parse_simulator_args(const std::vector<std::string>& args,
                                    const FileExists& file_exists);

// Whether a parameter triggers at least one of the launcher's or the simulator's rules
// (recognised as those rules recognise it; its number part is checked by them).
bool is_startup_parameter(const std::string& arg);

// Whether an argument is THREADS=n (any case): the plot threads of a run's final stage,
// which leave its results as they are.
bool is_threads_argument(const std::string& arg);

} // namespace app

// program_state.h --- the program-wide state decided at start-up and read everywhere.
#pragma once

#include <string>

namespace app {

struct ProgramState {
    // Decided by start-up from the initialisation file, the settings and the command line.
    std::string language = "E";     // "E" English, "D" German
    std::string system_tag = "int"; // "int" or "bio"; shown in the status bar
    bool power = true;              // full feature set: language is not "D"
    bool dyn_lts = false;           // copy of the settings value "dyn_lts"
    std::string provider = "Provider=Microsoft.Jet.OLEDB.4.0;";
    std::string word_insert = "insert", word_update = "update";
    std::string database_question = "Where is the database ?";

    // The launcher's fields.
    std::string modus = "?";    // "?", "TSM", "KORVEX" or "ORV"
    std::string appmode;        // "" or "REGIO"
    bool regional_mode = false; // the workbench's regional mode, set by "REGIO"
    std::string database = "?"; // path of the experiment database
    std::string db_f_name;      // the path the connection uses
    std::string methode;        // method of the current database (cbi_setting)
    std::string caption;        // the launcher's window caption
    bool go_on = false;         // the command line asked for an immediate run
    std::string lastversion = "0.0.0.0", currentversion;
    std::string srb_p_path; // program path (settings value "ppath")
    bool till_eff = true;
};

} // namespace app

// regional_mode.h --- the regional mode of the workbench: told by the column part of
// cultivation (the share of the plot each management row applies to), switched by
// changing that structure, and the settings value that selects the local or regional
// cultivation update.
#pragma once

#include <string>

namespace db {
class Connection;
}

namespace app {
class SettingsStore;
}

namespace workbench {

// Whether the cultivation table has the column part.
bool detect_regional_mode(db::Connection& conn);

// "regional mode enabled" or "regional mode NOT enabled".
std::string regional_state_text(bool regional_mode);

// The window caption: the database file, "; " and the regional state text.
std::string workbench_caption(const std::string& db_f_name, bool regional_mode);

// The settings value "REGMODE"; "LOC" when the settings key or the value is missing.
std::string check_registry(const app::SettingsStore& settings);

// Changes the structure of the database to the regional mode (adds cultivation.part,
// every existing row applying to the whole plot: 100 %) or back to the ordinary one
// (removes the column with its shares). Nothing happens when the structure already
// matches. Returns whether the structure was changed.
bool change_regional_structure(db::Connection& conn, bool regional_mode);

} // namespace workbench

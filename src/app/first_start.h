// first_start.h --- the values a first start writes into a new settings key.
#pragma once

#include "app/settings_store.h"

#include <string>
#include <vector>

namespace app {

// Creates the settings key and writes the thirteen first-start values in their fixed
// order: "database" (the given path), "ppath" (the given working directory), "methode",
// "pf_fk", "pf_wp", "ptfmode", "r_call", "r_script", "r_result", "soil_scheme" (strings),
// "recalc_bat" and "power" (integers), "language" (string). The statistics program is
// called as "R", found on the search path.
// The values are written in one go: a start interrupted while writing them leaves all or
// none of them.
void write_first_start_values(SettingsStore& store, const std::string& database,
                              const std::string& cwd);

// Writes the first-start value of every one of those values (but "database") that an
// existing settings key lacks, in one go; returns their names, in the fixed order.
std::vector<std::string> complete_first_start_values(SettingsStore& store, const std::string& cwd);

} // namespace app

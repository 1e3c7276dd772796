// selection_lists.h --- per-plot selection rows and the crop and amendment pick lists.
#pragma once

#include "db/connection.h"

#include <string>

namespace app {

// Gives every plot without one a site_state row (status 0, res_VAL 0). Returns the
// number of rows added.
int add_selection_state_rows(db::Connection& conn);

// Brings srbsel_ops and srbsel_crop up to date with srbopspa and srbpflan (new items
// selected, entries of deleted items removed) and switches the names of crops,
// amendments and actions to the language ("D" German, "E" English, any letter case;
// other languages leave the names). Runs only when srbpflan has the column NAME_en;
// returns whether it ran.
bool refresh_selection_lists(db::Connection& conn, const std::string& language);

} // namespace app

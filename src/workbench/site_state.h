// site_state.h --- completing the plots' selection state.
#pragma once

namespace db {
class Connection;
}

namespace workbench {

// Gives every plot without a site_state row one, not selected (status 0) and with result
// value 0; existing rows are not touched. Returns the number of rows added.
int reset_site_state(db::Connection& conn);

} // namespace workbench

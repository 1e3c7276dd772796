// site_state.cpp --- completing the plots' selection state.
#include "workbench/site_state.h"

#include "app/selection_lists.h"

namespace workbench {

int reset_site_state(db::Connection& conn) {
    return app::add_selection_state_rows(conn);
}

} // namespace workbench

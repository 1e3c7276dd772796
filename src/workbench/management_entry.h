// management_entry.h --- entering, overwriting and deleting a plot's management events
// (cultivation rows) from the management form, and the filters of the management list.
#pragma once

#include "workbench/item_lists.h"
#include "workbench/row_change.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace workbench {

// The management form as the user filled it.
struct EventForm {
    std::int64_t fl_id = 0;
    CalendarDate date;
    std::int64_t action = 0;              // MACODE
    std::optional<std::int64_t> item_key; // ix of the item list's row; nothing: none chosen
    std::string amount;                   // Edit1, as typed
    std::string share;                    // Edit2 (FLA%), the part of the plot in regional mode
};

// The cultivation row a form gives.
struct EventValues {
    CalendarDate date;
    std::int64_t macode = 0;
    std::int64_t item_ix = 0; // -99 for actions without an item
    double quantity = 0;
    double sim_quantity = 0;
    std::optional<double> part; // regional mode only
};

// Checks the form and derives the row. The item is looked up in the items the form offered
// (item_ix = key - 100000 x its kind); actions whose item list is hidden store -99. The
// value kept for the model (sim_quantity), rounded to a whole number, is derived from the
// amount and the item: actions 0 and 5 amount / 10; 1, 2 and 9 the crop's N_GEHALT x
// amount; 3 amount x TS_GEHALT x C_GEH_TS x 100 of the amendment; 4 the fertiliser's
// AMMANTEIL; otherwise the amount. Throws EntryRefused naming the field.
EventValues check_event(db::Connection& conn, const EventForm& form, const ItemList& items,
                        bool regional_mode);

// Whether the plot has an event of the same date, action and item already (other than
// the row except_id).
bool same_event_exists(db::Connection& conn, std::int64_t fl_id, const EventValues& v,
                       std::int64_t except_id = -1);

// Writes the event in one transaction that also removes the plot's simulated results (they
// no longer match the inputs). Returns the new cultivation_id. Nothing is written when the
// form is refused.
std::int64_t insert_event(db::Connection& conn, const EventForm& form, const ItemList& items,
                          bool regional_mode);

// Overwrites the plot's row cultivation_id with the form, keeping its cultivation_id.
// Throws EntryRefused when the row is not one of the plot's.
void overwrite_event(db::Connection& conn, const EventForm& form, std::int64_t cultivation_id,
                     const ItemList& items, bool regional_mode);

// Deletes the plot's row and its simulated results. Throws EntryRefused when the row is
// not one of the plot's.
void delete_event(db::Connection& conn, std::int64_t fl_id, std::int64_t cultivation_id);

// The filters of the management list: all, harvest, organic amendment, N fertiliser,
// soil tillage (tillage and change of tillage).
enum class EventFilter { all, harvest, amendment, fertiliser, tillage };

// Whether a row of action code macode passes the filter.
bool passes(EventFilter filter, std::int64_t macode);

} // namespace workbench

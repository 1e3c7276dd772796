// preselection.h --- the three selection lists that decide which crops, organic amendments
// and mineral fertilisers the data entry offers, and the commands that maintain them.
#pragma once

#include "db/connection.h"

#include <string>

namespace params {

enum class SelectionList { crops, amendments, fertilisers };

// The list's table ("srbsel_crop", "srbsel_ops", "srbsel_frt").
std::string selection_table(SelectionList list);

// "use all": brings the list up to date with its parameter table (new items added, items
// gone from the parameter table removed, names renewed; the amendment list holds only the
// substrates, od = -1) and selects every entry. One transaction: a failure leaves the list
// as it was. A missing list is created.
void use_all(db::Connection& conn, SelectionList list);
// "use none": unselects every entry.
void use_none(db::Connection& conn, SelectionList list);
// "invert": selects the unselected entries and unselects the selected ones.
void invert(db::Connection& conn, SelectionList list);
// The crop list's "add non-org" (oeko_code 0 or 1) and "add all org" (0 or 2).
void add_crops_by_oeko_code(db::Connection& conn, bool organic);
// A double click on an entry: selected becomes unselected and the other way round. Returns
// the new state; throws db::Error when the list has no entry for the item.
bool toggle(db::Connection& conn, SelectionList list, std::int64_t item_ix);

} // namespace params

// datamodel.h --- bringing an opened experiment database up to the current data model.
#pragma once

#include "app/program_state.h"
#include "app/settings_store.h"
#include "db/connection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace app {

// What one adaptation did.
struct Adaptation {
    // The schema statements executed, in order (empty on a current database).
    std::vector<std::string> executed;
    // The method read from an existing cbi_setting, for the settings dialog's method
    // field; nothing when the table had to be created.
    std::optional<std::string> method_field;
};

// Adds the tables and columns an older database lacks, in a fixed order, and reads the
// database's method from cbi_setting into state.methode, the settings value "methode"
// (when the settings key exists) and the caption. Idempotent: on a current database it
// executes nothing. A missing core table (measurements, tsm_nresult, field_description,
// soilproperties, srbpflan) throws db::Error before anything is changed; a failing
// statement throws db::Error and ends the adaptation at that step, the earlier steps
// staying in effect.
Adaptation adapt_datamodel(db::Connection& conn, SettingsStore& settings, ProgramState& state);

// The first of the core tables (measurements, tsm_nresult, field_description,
// soilproperties, srbpflan) that the database lacks; nothing when it has them all, as every
// experiment database, older ones included, has.
std::optional<std::string> missing_core_table(db::Connection& conn);

// The next free integer key of a table: the largest key plus one, 0 on an empty table.
std::int64_t get_key(db::Connection& conn, const std::string& table, const std::string& key);

} // namespace app

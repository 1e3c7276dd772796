// transfer_tables.h --- what belongs to a moved plot: the kinds of keys that tie the
// tables together, the tables copied with each kind of key, and the columns that
// refer to other keys.
#pragma once

#include <string>
#include <vector>

namespace transfer {

// Kinds of keys. A row that is copied gets the new keys of every key it refers to.
enum class KeyKind : int {
    plot = 1,          // field_description.FL_ID
    soil,              // soilproperties.soil_ID
    station,           // climate_station.climate_ID
    experiment,        // experiments.exp_id
    experiment_code,   // experiments.vcode = field_description.versuch_code (text)
    reference,         // referenzen.lit_id
    keyword,           // refkey_def.key_id
    saved_state,       // som_state.fl_id of a plot that is not moved, named by i_con
    initial_condition, // field_description.i_con (text: a plot key or a word)
};

const char* kind_name(KeyKind kind);

// A column that holds a key of another kind.
struct KeyColumn {
    std::string column;
    KeyKind kind;
};

// A table whose rows are copied with a key: the rows whose column `by` holds a key of
// kind `by_kind` that is copied. `refers` are the further key columns; `ignored` are
// columns that a run rewrites and that therefore do not count when rows are compared;
// `compared` is false for a table that never decides whether rows are the same.
struct TableStep {
    std::string table;
    std::string by;
    KeyKind by_kind;
    std::vector<KeyColumn> refers = {};
    std::vector<std::string> ignored = {};
    bool compared = true;
    bool required = false; // an experiment database without it is refused
};

// A kind of key with the tables whose rows belong to each key: the first table holds
// one row per key, the others the key's dependent rows. `key_tables` are the tables
// whose keys a new key must avoid.
struct Entity {
    KeyKind kind;
    std::vector<TableStep> tables;
    std::vector<std::pair<std::string, std::string>> key_tables; // table, column
};

// In the order in which keys are decided: a kind comes after the kinds it refers to.
const std::vector<Entity>& entities();
const Entity& entity(KeyKind kind);

// Tables of links between keys (experiment to reference, experiment to station): the
// links of the moved keys that the destination lacks are added, never duplicated.
const std::vector<TableStep>& link_tables();

// The parameter tables of crops and organic amendments: rows that the destination
// lacks are copied with the plots that use them, under the same item key.
inline constexpr const char* crop_table = "srbpflan";
inline constexpr const char* amendment_table = "srbopspa";

} // namespace transfer

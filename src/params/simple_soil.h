// simple_soil.h --- the simple soil description: a profile given by name, soil type, clay,
// silt and gravel only; the run derives the rest.
#pragma once

#include "app/dialogs.h"
#include "db/connection.h"

#include <optional>
#include <string>
#include <vector>

namespace params {

// The name that stands for "a new soil" (and for "no soil" after a cancel or a deletion).
inline const std::string new_soil_name = "-?-";

// The soil types of the list ("?" first: none chosen yet).
const std::vector<std::string>& simple_soil_types();

// What the user typed; numbers with "," or "." as decimal separator.
struct SimpleSoilInput {
    std::string name, soil_type, clay, silt, gravel;
};

// The controls that keep the input from being complete: "name" (empty or holding "?"),
// "clay" (holding "?" or empty), "soil type" ("?" or not one of the list).
std::vector<std::string> incomplete_controls(const SimpleSoilInput& input);

// The save: checks everything before anything is written (completeness, numbers, ranges);
// a new soil whose name exists gets "1" appended until the name is free, and the user is
// told the name used; a new soil stores -99 with origin no for FAT, BD, PV, FC, PWP, cif,
// PD and sand, an existing one keeps them; silt counts as measured when above 0. One
// transaction. Returns the name saved, nothing when the input is incomplete (the message
// "Bitte alle Pflicht-Daten eingeben !" was shown). Throws InputError for a number that does
// not convert or lies outside its range.
std::optional<std::string> save_simple_soil(db::Connection& conn, const SimpleSoilInput& input,
                                            bool new_item, app::Dialogs& dialogs);

// "delete this soil": after the user confirmed, deletes the profile named `name` unless plots
// use it (then a message names them). Returns whether it was deleted.
bool delete_simple_soil(db::Connection& conn, const std::string& name, app::Dialogs& dialogs);

} // namespace params

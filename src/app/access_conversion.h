// access_conversion.h --- an Access database chosen where an experiment database is
// asked for: the offer to convert it, handed in by the program that can convert.
#pragma once

#include "app/dialogs.h"

#include <functional>
#include <optional>
#include <string>

namespace app {

// Offers to convert the Access database file into a new experiment database (in the
// language "E" or "D") and returns that database's file; nothing when the user declined
// or the conversion failed (and was shown).
using AccessConversion = std::function<std::optional<std::string>(
    const std::string& file, const std::string& language, Dialogs& dialogs)>;

// Whether a file is an Access database by its name (.mdb, .accdb).
bool is_access_database(const std::string& file);

// The database file to open for the file the user chose: the chosen file itself, or for
// an Access database the converted one when a conversion is given (nothing when it
// gives none).
std::optional<std::string> database_to_open(const std::string& chosen,
                                            const AccessConversion& convert,
                                            const std::string& language, Dialogs& dialogs);

} // namespace app

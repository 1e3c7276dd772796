// access_offer.h --- the offer to convert an Access database the user chose into a new
// experiment database beside it.
#pragma once

#include "app/dialogs.h"

#include <optional>
#include <string>

namespace import {

// Asks whether to convert the Access database file into <name>.db beside it (the first
// free one of <name>.db, <name>_2.db, ...); on Yes imports it and returns the new file.
// Nothing when the user says No or the import fails (its message is shown and no new
// file is left). Texts in German when language is "D". Serves as app::AccessConversion.
std::optional<std::string> offer_access_conversion(const std::string& file,
                                                   const std::string& language,
                                                   app::Dialogs& dialogs);

} // namespace import

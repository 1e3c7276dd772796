// soil_profiles.h --- the soil profiles of soilproperties: finding and creating a profile by
// name, the origin flags of measured values, plausibility checks, saving, copying, and
// deleting only profiles that no plot uses.
#pragma once

#include "app/dialogs.h"
#include "db/connection.h"

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace params {

// Input that cannot be stored; the message names the field and its valid range.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One field of the soil profile record as the editor shows it.
struct SoilField {
    const char* column;
    const char* label; // English caption
    const char* unit;
    double min, max; // plausible range of a given value
    bool mandatory;  // must be given (the underlined items)
    bool has_origin; // has a yes/no column <column>_org: -99 stands for "derive it"
};

// The fields in the order of the record: BD, PV, FC, PWP, FAT, silt, clay, skelett, CIF,
// fchw, fbio.
const std::vector<SoilField>& soil_fields();

// A profile's values by column (profile, BA_RBS and the columns of soil_fields()).
using ProfileValues = std::map<std::string, db::Value>;

// The origin rule for silt, FAT, BD, PV, FC and PWP: a value above 0 is measured (its _org
// column yes, -1); any other value, an empty one too, becomes -99 with _org no (0).
void apply_origin_rule(ProfileValues& values);

// Refuses values that cannot be right: an empty name or clay, a value outside its range
// (-99 stands for a missing value), clay + silt above 100,
// field capacity above pore volume, wilting point above field capacity. Throws InputError
// naming the field and its range.
void validate_profile(const ProfileValues& values);

// A number typed by the user, with "," or "." as decimal separator; empty text gives Null.
// Throws InputError naming the field when the text is no number.
db::Value number_input(const std::string& field, const std::string& text);

// The soil_ID of the profile whose name equals `name` exactly; nothing when none does.
std::optional<std::int64_t> find_profile(db::Connection& conn, const std::string& name);

// "ENTER": the profile named `name`, or after the question "create new profile ?" (title
// "confirm append") a new one with soil_ID = get_key. Nothing when the name is empty or the
// question was declined.
std::optional<std::int64_t> enter_profile(db::Connection& conn, const std::string& name,
                                          app::Dialogs& dialogs);

// The plots whose soil_ID is the profile's, as "FL_ID site_description", by FL_ID.
std::vector<std::string> plots_using_soil(db::Connection& conn, std::int64_t soil_id);
// The plots for a message: all of them up to five, else the first five and the count.
std::string plot_list_text(const std::vector<std::string>& plots);

// Deletes a profile that no plot uses, after the user confirmed. A profile in use is
// refused with a message naming its plots (a deleted key would pass to the next new profile,
// and those plots would silently take it over). Returns whether it was deleted.
bool delete_profile(db::Connection& conn, std::int64_t soil_id, app::Dialogs& dialogs);

// Writes the values into the profile's row in one transaction, after the origin rule and
// validate_profile. Throws InputError (nothing written) on bad values.
void save_profile(db::Connection& conn, std::int64_t soil_id, ProfileValues values);

// A copy of a profile under a new name (which must not exist); returns the copy's soil_ID.
std::int64_t copy_profile(db::Connection& conn, std::int64_t soil_id, const std::string& name);

} // namespace params

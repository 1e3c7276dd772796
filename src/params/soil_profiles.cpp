// soil_profiles.cpp --- finding, creating, checking, saving, copying and deleting profiles.
#include "params/soil_profiles.h"

#include "app/datamodel.h"
#include "db/text.h"

#include <algorithm>
#include <cmath>

namespace params {
namespace {

constexpr double missing = -99;

// The origin columns, in the order the rule treats them.
constexpr const char* origin_columns[] = {"silt", "FAT", "BD", "PV", "FC", "PWP"};

std::string range_text(const SoilField& f) {
    std::string unit = *f.unit ? std::string(" ") + f.unit : "";
    return db::format_cstr(f.min) + " to " + db::format_cstr(f.max) + unit;
}

const db::Value& value_of(const ProfileValues& values, const std::string& column) {
    static const db::Value null;
    const auto it = values.find(column);
    return it == values.end() ? null : it->second;
}

// The value if it is given (not Null, not the -99 of a missing value).
std::optional<double> given(const ProfileValues& values, const SoilField& f) {
    const db::Value& v = value_of(values, f.column);
    if (v.is_null() || v.as_double() == missing) return std::nullopt;
    return v.as_double();
}

const SoilField& field(const std::string& column) {
    for (const SoilField& f : soil_fields())
        if (column == f.column) return f;
    throw std::logic_error("no soil field " + column);
}

[[noreturn]] void refuse(const std::string& text) {
    throw InputError(text + "; nothing was saved.");
}

// One field pair that must keep an order (the smaller value first).
void check_order(const ProfileValues& values, const char* lower, const char* upper) {
    const auto lo = given(values, field(lower)), hi = given(values, field(upper));
    if (lo && hi && *lo > *hi)
        refuse(std::string(field(lower).label) + " (" + db::format_cstr(*lo) +
               ") must not exceed " + field(upper).label + " (" + db::format_cstr(*hi) + ")");
}

} // namespace

const std::vector<SoilField>& soil_fields() {
    static const std::vector<SoilField> fields = {
        {"BD", "Bulk Density", "g/cm³", 0.5, 2.2, false, true},
        {"PV", "PoreVolume", "vol. %", 1, 90, false, true},
        {"FC", "Field Capacity", "vol. %", 1, 80, false, true},
        {"PWP", "Permanent Wilting Point", "vol. %", 0.1, 60, false, true},
        {"FAT", "Fine Particles", "%", 0, 100, false, true},
        {"silt", "Silt", "%", 0, 100, false, true},
        {"clay", "Clay", "%", 0, 100, true, false},
        {"skelett", "Skelett", "%", 0, 100, false, false},
        {"CIF", "C-Inert-Factor (CIF)", "", 0, 1, false, false},
        {"fchw", "Fchw", "", 0, 1000, false, false},
        {"fbio", "Fbio", "", 0, 1000, false, false},
    };
    return fields;
}

void apply_origin_rule(ProfileValues& values) {
    for (const char* column : origin_columns) {
        const double v = value_of(values, column).as_double(0);
        const bool measured = v > 0;
        if (!measured) values[column] = db::Value(missing);
        values[std::string(column) + "_org"] = db::Value(measured);
    }
}

void validate_profile(const ProfileValues& values) {
    if (db::trim(value_of(values, "profile").as_text()).empty())
        refuse("The profile name is empty");
    for (const SoilField& f : soil_fields()) {
        const auto v = given(values, f);
        if (!v) {
            if (f.mandatory) refuse(std::string(f.label) + " is mandatory (" + range_text(f) + ")");
            continue;
        }
        if (!std::isfinite(*v) || *v < f.min || *v > f.max)
            refuse(std::string(f.label) + ": " + db::format_cstr(*v) + " is outside " +
                   range_text(f));
    }
    const auto clay = given(values, field("clay")), silt = given(values, field("silt"));
    if (clay && silt && *clay + *silt > 100)
        refuse("Clay + Silt (" + db::format_cstr(*clay + *silt) + " %) must not exceed 100 %");
    check_order(values, "FC", "PV");
    check_order(values, "PWP", "FC");
}

db::Value number_input(const std::string& field_name, const std::string& text) {
    std::string t = db::trim(text);
    if (t.empty()) return {};
    std::replace(t.begin(), t.end(), ',', '.');
    const auto v = db::parse_number(t);
    if (!v) throw InputError(field_name + ": \"" + text + "\" is no number; nothing was saved.");
    return db::Value(*v);
}

std::optional<std::int64_t> find_profile(db::Connection& conn, const std::string& name) {
    auto st = conn.prepare(" select soil_ID, profile from soilproperties where profile = ? ");
    st.bind(1, db::Value(name));
    while (st.step())
        if (st.column(1).as_text() == name) return st.column(0).as_int(); // exactly, with case
    return std::nullopt;
}

std::optional<std::int64_t> enter_profile(db::Connection& conn, const std::string& name,
                                          app::Dialogs& dialogs) {
    if (db::trim(name).empty()) return std::nullopt;
    if (auto id = find_profile(conn, name)) return id;
    if (!dialogs.ask_yes_no("confirm append", "create new profile ?")) return std::nullopt;
    db::Transaction transaction(conn);
    const std::int64_t id = app::get_key(conn, "soilproperties", "soil_id");
    conn.prepare(" insert into soilproperties (soil_ID, profile) values (?, ?) ")
        .execute({db::Value(id), db::Value(name)});
    transaction.commit();
    return id;
}

std::vector<std::string> plots_using_soil(db::Connection& conn, std::int64_t soil_id) {
    auto st = conn.prepare(" select FL_ID, site_description from field_description "
                           " where soil_ID = ? order by FL_ID ");
    st.bind(1, db::Value(soil_id));
    std::vector<std::string> plots;
    while (st.step()) plots.push_back(st.column(0).as_text() + " " + st.column(1).as_text());
    return plots;
}

std::string plot_list_text(const std::vector<std::string>& plots) {
    constexpr std::size_t shown = 5;
    std::string text;
    for (std::size_t i = 0; i < plots.size() && i < shown; ++i) text += (i ? ", " : "") + plots[i];
    if (plots.size() > shown)
        text += " and " + std::to_string(plots.size() - shown) + " more (" +
                std::to_string(plots.size()) + " plots)";
    return text;
}

bool delete_profile(db::Connection& conn, std::int64_t soil_id, app::Dialogs& dialogs) {
    const auto plots = plots_using_soil(conn, soil_id);
    if (!plots.empty()) {
        dialogs.show_message("soil profile in use", "The soil profile " + std::to_string(soil_id) +
                                                        " is used by the plots " +
                                                        plot_list_text(plots) +
                                                        "; it was not deleted.");
        return false;
    }
    if (!dialogs.ask_yes_no("confirm delete",
                            "delete soil profile " + std::to_string(soil_id) + " ?"))
        return false;
    db::Transaction transaction(conn);
    conn.prepare(" delete from soilproperties where soil_ID = ? ").execute({db::Value(soil_id)});
    transaction.commit();
    return true;
}

void save_profile(db::Connection& conn, std::int64_t soil_id, ProfileValues values) {
    apply_origin_rule(values);
    validate_profile(values);
    std::string sets;
    std::vector<db::Value> params;
    for (const auto& [column, value] : values) {
        if (db::upper(column) == "SOIL_ID") continue;
        sets += (sets.empty() ? "[" : ", [") + column + "] = ?";
        params.push_back(value);
    }
    params.emplace_back(soil_id);
    db::Transaction transaction(conn);
    conn.prepare(" update soilproperties set " + sets + " where soil_ID = ? ").execute(params);
    transaction.commit();
}

std::int64_t copy_profile(db::Connection& conn, std::int64_t soil_id, const std::string& name) {
    if (db::trim(name).empty()) throw InputError("The profile name is empty; nothing was saved.");
    if (find_profile(conn, name))
        throw InputError("A profile named \"" + name + "\" exists; nothing was saved.");
    db::Transaction transaction(conn);
    const std::int64_t id = app::get_key(conn, "soilproperties", "soil_id");
    std::string columns;
    for (const std::string& c : conn.columns("soilproperties")) {
        const std::string u = db::upper(c);
        if (u != "SOIL_ID" && u != "PROFILE") columns += ", [" + c + "]";
    }
    conn.prepare(" insert into soilproperties (soil_ID, profile" + columns + ") select ?, ?" +
                 columns + " from soilproperties where soil_ID = ? ")
        .execute({db::Value(id), db::Value(name), db::Value(soil_id)});
    transaction.commit();
    return id;
}

} // namespace params

// simple_soil.cpp --- saving and deleting a simple soil description.
#include "params/simple_soil.h"

#include "app/datamodel.h"
#include "db/text.h"
#include "params/soil_profiles.h"

#include <algorithm>

namespace params {
namespace {

bool holds_question_mark(const std::string& s) {
    return s.find('?') != std::string::npos;
}

// Whether a profile of that name exists, letter case aside (the workbench's soil list does
// not tell names apart by case either).
bool name_taken(db::Connection& conn, const std::string& name) {
    auto st = conn.prepare(" select count(*) from soilproperties where profile = ? ");
    st.bind(1, db::Value(name));
    return st.step() && st.column(0).as_int() > 0;
}

ProfileValues values_of(const SimpleSoilInput& input) {
    ProfileValues v;
    v["profile"] = db::Value(db::trim(input.name));
    v["BA_RBS"] = db::Value(input.soil_type);
    v["clay"] = number_input("Clay", input.clay);
    v["silt"] = number_input("Silt", input.silt);
    v["skelett"] = number_input("Gravel", input.gravel);
    if (v["silt"].is_null()) v["silt"] = db::Value(-99.0);
    if (v["skelett"].is_null()) v["skelett"] = db::Value(0.0);
    validate_profile(v);
    v["silt_org"] = db::Value(v["silt"].as_double() > 0);
    return v;
}

void insert_new(db::Connection& conn, const ProfileValues& v) {
    std::string columns = "soil_ID", marks = "?";
    std::vector<db::Value> params{db::Value(app::get_key(conn, "soilproperties", "soil_id"))};
    for (const auto& [column, value] : v) {
        columns += ", [" + column + "]";
        marks += ", ?";
        params.push_back(value);
    }
    for (const char* derived : {"FAT", "BD", "PV", "FC", "PWP", "cif", "PD", "sand"}) {
        columns += std::string(", [") + derived + "], [" + derived + "_org]";
        marks += ", -99, 0";
    }
    conn.prepare(" insert into soilproperties (" + columns + ") values (" + marks + ") ")
        .execute(params);
}

void update_existing(db::Connection& conn, const ProfileValues& v) {
    std::string sets;
    std::vector<db::Value> params;
    for (const auto& [column, value] : v) {
        if (column == "profile") continue;
        sets += (sets.empty() ? "[" : ", [") + column + "] = ?";
        params.push_back(value);
    }
    params.push_back(v.at("profile"));
    if (conn.prepare(" update soilproperties set " + sets + " where profile = ? ")
            .execute(params) == 0)
        throw InputError("There is no soil profile \"" + v.at("profile").as_text() +
                         "\"; nothing was saved.");
}

} // namespace

const std::vector<std::string>& simple_soil_types() {
    static const std::vector<std::string> types = {"?",  "S", "Sl", "lS", "SL",
                                                   "sL", "L", "LT", "T"};
    return types;
}

std::vector<std::string> incomplete_controls(const SimpleSoilInput& input) {
    std::vector<std::string> controls;
    if (db::trim(input.name).empty() || holds_question_mark(input.name)) controls.push_back("name");
    if (db::trim(input.clay).empty() || holds_question_mark(input.clay)) controls.push_back("clay");
    const auto& types = simple_soil_types();
    if (input.soil_type == "?" ||
        std::find(types.begin(), types.end(), input.soil_type) == types.end())
        controls.push_back("soil type");
    return controls;
}

std::optional<std::string> save_simple_soil(db::Connection& conn, const SimpleSoilInput& input,
                                            bool new_item, app::Dialogs& dialogs) {
    if (!incomplete_controls(input).empty()) {
        dialogs.show_message("Satz kann nicht gespeichert werden",
                             "Bitte alle Pflicht-Daten eingeben !");
        return std::nullopt;
    }
    ProfileValues v = values_of(input);
    std::string name = v["profile"].as_text();
    db::Transaction transaction(conn);
    if (new_item) {
        const std::string typed = name;
        while (name_taken(conn, name)) name += "1";
        v["profile"] = db::Value(name);
        insert_new(conn, v);
        transaction.commit();
        if (name != typed)
            dialogs.show_message("simple soil description",
                                 "A soil named \"" + typed + "\" exists; the soil was saved as \"" +
                                     name + "\".");
    } else {
        update_existing(conn, v);
        transaction.commit();
    }
    return name;
}

bool delete_simple_soil(db::Connection& conn, const std::string& name, app::Dialogs& dialogs) {
    const auto id = find_profile(conn, name);
    if (!id) return false;
    return delete_profile(conn, *id, dialogs);
}

} // namespace params

// first_start.cpp --- the values a first start writes into a new settings key.
#include "app/first_start.h"

namespace app {

namespace {

// The thirteen values of a first start, in their order.
std::vector<SettingsEntry> first_start_values(const std::string& database, const std::string& cwd) {
    return {{"database", database},
            {"ppath", cwd},
            {"methode", std::string("TSM")},
            {"pf_fk", std::string("18")},
            {"pf_wp", std::string("42")},
            {"ptfmode", std::string("3")},
            {"r_call", std::string("R")},
            {"r_script", std::string("anyscript.r")},
            {"r_result", std::string("anyname.txt")},
            {"soil_scheme", std::string("RBS")},
            {"recalc_bat", std::int32_t{1}},
            {"power", std::int32_t{0}},
            {"language", std::string("E")}};
}

} // namespace

void write_first_start_values(SettingsStore& store, const std::string& database,
                              const std::string& cwd) {
    store.create_key();
    store.write_all(first_start_values(database, cwd));
}

std::vector<std::string> complete_first_start_values(SettingsStore& store, const std::string& cwd) {
    std::vector<SettingsEntry> missing;
    std::vector<std::string> names;
    for (SettingsEntry& e : first_start_values("", cwd)) {
        if (e.name == "database" || store.has_value(e.name)) continue;
        names.push_back(e.name);
        missing.push_back(std::move(e));
    }
    if (!missing.empty()) store.write_all(missing);
    return names;
}

} // namespace app

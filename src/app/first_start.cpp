// first_start.cpp --- the values a first start writes into a new settings key.
#include "app/first_start.h"

namespace app {

void write_first_start_values(SettingsStore& store, const std::string& database,
                              const std::string& cwd) {
    store.create_key();
    store.write_string("database", database);
    store.write_string("ppath", cwd);
    store.write_string("methode", "TSM");
    store.write_string("pf_fk", "18");
    store.write_string("pf_wp", "42");
    store.write_string("ptfmode", "3");
    store.write_string("r_call", "R");
    store.write_string("r_script", "anyscript.r");
    store.write_string("r_result", "anyname.txt");
    store.write_string("soil_scheme", "RBS");
    store.write_integer("recalc_bat", 1);
    store.write_integer("power", 0);
    store.write_string("language", "E");
}

} // namespace app

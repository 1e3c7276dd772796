// regional_mode.cpp --- telling and changing the regional mode.
#include "workbench/regional_mode.h"

#include "app/settings_store.h"
#include "db/connection.h"

namespace workbench {

bool detect_regional_mode(db::Connection& conn) {
    return conn.has_column("cultivation", "part");
}

std::string regional_state_text(bool regional_mode) {
    return regional_mode ? "regional mode enabled" : "regional mode NOT enabled";
}

std::string workbench_caption(const std::string& db_f_name, bool regional_mode) {
    return db_f_name + "; " + regional_state_text(regional_mode);
}

std::string check_registry(const app::SettingsStore& settings) {
    try {
        if (settings.key_exists() && settings.has_value("REGMODE"))
            return settings.read_string("REGMODE");
    } catch (const app::SettingsError&) {
        // a value that cannot be read leaves the local mode
    }
    return "LOC";
}

bool change_regional_structure(db::Connection& conn, bool regional_mode) {
    if (detect_regional_mode(conn) == regional_mode) return false;
    if (regional_mode) {
        conn.execute("alter table cultivation add column part double");
        conn.execute("update cultivation set part=100");
    } else {
        conn.execute("alter table cultivation drop column part");
    }
    return true;
}

} // namespace workbench

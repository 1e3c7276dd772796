// choice_lists.cpp --- the weather station and soil profile lists.
#include "workbench/choice_lists.h"

#include "db/connection.h"

namespace workbench {
namespace {

ChoiceList read_list(db::Connection& conn, const std::string& table, const std::string& text,
                     const std::string& key) {
    ChoiceList list{{"-?-", unknown_choice}};
    db::Dataset rows = conn.open("select * from " + table);
    for (rows.first(); !rows.eof(); rows.next())
        list.push_back({rows[text].as_text(), rows[key].as_int(unknown_choice)});
    return list;
}

} // namespace

ChoiceList refresh_stat_list(db::Connection& conn) {
    return read_list(conn, "climate_station", "station", "climate_id");
}

ChoiceList refresh_soil_list(db::Connection& conn) {
    return read_list(conn, "soilproperties", "profile", "soil_id");
}

int choice_position(const ChoiceList& shown, const ChoiceList& all, std::int64_t object) {
    for (const ChoiceEntry& named : all) {
        if (named.object != object) continue;
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (shown[i].text == named.text) return static_cast<int>(i);
        return 0;
    }
    return 0;
}

} // namespace workbench

// management_list.cpp --- the calculated fields of the management list and its loader.
#include "workbench/management_list.h"

#include "db/connection.h"

namespace workbench {
namespace {

// The first n characters of a UTF-8 text.
std::string first_characters(const std::string& text, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool lead = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (lead && count++ == n) return text.substr(0, i);
    }
    return text;
}

} // namespace

ManagementFields management_fields(std::int64_t macode, std::int64_t wert1,
                                   const ActionList& actions, const ItemList& items) {
    ManagementFields f;
    if (const Action* a = find_action(actions, macode)) {
        f.aktion = first_characters(a->name, aktion_width);
        f.unit = first_characters(a->unit, unit_width);
    }
    const Item* item = find_item(items, item_key(item_kind_of_action(macode), wert1));
    f.subjekt = item ? first_characters(item->item, subjekt_width) : "?";
    return f;
}

std::string management_list_statement(std::int64_t fl_id, bool regional_mode) {
    return std::string("select \"*\" as s_bez, cultivation_id, fl_id as SNR, fl_id_alt as FLA, "
                       "0 as UTLG, day as tag, month as mon, year as datum, MACODE,item_ix as "
                       "WERT1, sim_quantity as WERT2,quantity as ORIGWERT,  \"N\" as rein") +
           (regional_mode ? " ,part " : " , 10*10/100 AS part ") +
           " from cultivation where fl_id=" + std::to_string(fl_id) + "  order by year,MACODE";
}

std::vector<ManagementRow> load_management_list(db::Connection& conn, const std::string& statement,
                                                const ActionList& actions, const ItemList& items) {
    db::Dataset d = conn.open(statement);
    std::vector<ManagementRow> rows;
    for (d.first(); !d.eof(); d.next()) {
        ManagementRow r;
        r.s_bez = d["s_bez"].as_text();
        r.cultivation_id = d["cultivation_id"].as_int();
        r.snr = d["SNR"].as_int();
        r.fla = d["FLA"];
        r.utlg = d["UTLG"].as_int();
        r.tag = d["tag"];
        r.mon = d["mon"];
        r.datum = d["datum"];
        r.macode = d["MACODE"].as_int();
        r.wert1 = d["WERT1"].as_int();
        r.wert2 = d["WERT2"];
        r.origwert = d["ORIGWERT"];
        r.rein = d["rein"].as_text();
        r.part = d["part"];
        r.calculated = management_fields(r.macode, r.wert1, actions, items);
        rows.push_back(std::move(r));
    }
    return rows;
}

} // namespace workbench

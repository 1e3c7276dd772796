// property_list.cpp --- the measured properties.
#include "workbench/property_list.h"

#include "db/connection.h"

namespace workbench {

PropertyList load_properties(db::Connection& conn) {
    db::Dataset d =
        conn.open(" select distinct M_IX, BEZEICHNUNG, EINHEIT,KLASSE from CND_MWML order by m_ix");
    PropertyList list;
    for (d.first(); !d.eof(); d.next())
        list.push_back({d["M_IX"].as_int(), d["BEZEICHNUNG"].as_text(), d["EINHEIT"].as_text()});
    return list;
}

std::string property_name(const PropertyList& properties, std::int64_t m_ix) {
    for (const Property& p : properties)
        if (p.m_ix == m_ix) return p.name;
    return std::to_string(m_ix);
}

} // namespace workbench

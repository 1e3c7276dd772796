// property_list.h --- the measured properties (CND_MWML) offered by the measurement form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace workbench {

struct Property {
    std::int64_t m_ix = 0;
    std::string name; // BEZEICHNUNG
    std::string unit; // EINHEIT
};
using PropertyList = std::vector<Property>;

// The properties ordered by M_IX.
PropertyList load_properties(db::Connection& conn);

// The name of the property, or its number when the list has no such property.
std::string property_name(const PropertyList& properties, std::int64_t m_ix);

} // namespace workbench

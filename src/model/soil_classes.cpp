// soil_classes.cpp --- the KA4 and RBS texture class tables.
#include "model/soil_classes.h"

#include "db/text.h"
#include "model/pedotransfer.h"

#include <algorithm>
#include <array>
#include <string>

namespace sim {

namespace {

constexpr ba_ka4 ka4(std::string_view item, double un, double ux, double tn, double tx) {
    return {item, {}, {}, {}, un, ux, tn, tx};
}

constexpr std::array<ba_ka4, 31> ka4_table{
    ka4("Uu", 80, 100, 0, 8),    ka4("Us", 50, 80, 0, 8),     ka4("Su4", 40, 50, 0, 8),
    ka4("Su3", 25, 40, 0, 8),    ka4("Su2", 10, 25, 0, 5),    ka4("Sl2", 10, 25, 5, 8),
    ka4("Ss", 0, 10, 0, 5),      ka4("St2", 0, 10, 5, 17),    ka4("Sl3", 10, 40, 8, 12),
    ka4("Sl4", 10, 40, 12, 17),  ka4("Slu", 40, 50, 8, 17),   ka4("Uls", 50, 65, 8, 17),
    ka4("Ut2", 65, 100, 8, 12),  ka4("Ut3", 65, 100, 12, 17), ka4("Ut4", 65, 100, 17, 25),
    ka4("Tu4", 65, 100, 25, 35), ka4("Lu", 50, 65, 17, 30),   ka4("Tu3", 50, 65, 30, 45),
    ka4("Lt3", 30, 50, 35, 45),  ka4("Lt2", 30, 50, 25, 35),  ka4("Ls2", 40, 50, 17, 25),
    ka4("Ls3", 30, 40, 17, 25),  ka4("Lts", 15, 30, 25, 45),  ka4("Ls4", 15, 30, 17, 25),
    ka4("St3", 0, 15, 17, 25),   ka4("Ts4", 0, 15, 25, 35),   ka4("Ts3", 0, 15, 35, 45),
    ka4("Ts2", 0, 15, 45, 65),   ka4("Tl", 15, 30, 45, 65),   ka4("Tu2", 30, 55, 45, 65),
    ka4("Tt", 0, 35, 65, 100),
};

constexpr std::array<ba_rbs, 8> rbs_table{{
    {"S", 0, 10},
    {"Sl", 10, 14},
    {"lS", 14, 19},
    {"SL", 19, 24},
    {"sL", 24, 30},
    {"L", 30, 45},
    {"LT", 45, 60},
    {"T", 60, 100},
}};

template <class Table> auto find_class(const Table& table, std::string_view name) {
    return std::find_if(table.begin(), table.end(),
                        [&](const auto& entry) { return entry.item == name; });
}

struct SiltBounds {
    double lower = 0, upper = 0; // % by mass
};

SiltBounds ka4_bounds(std::string_view name) {
    const auto it = find_class(ka4_table, db::trim(name));
    if (it == ka4_table.end()) return {};
    return {it->un, it->ux};
}

// Silt from the fraction below 0.01 mm: extrapolated to 0.063 mm through clay (< 0.002 mm).
double rbs_silt(double finer_than_0_01, double clay) {
    return grain_interp(0.063, 0.01, 0.002, finer_than_0_01, clay) - clay;
}

SiltBounds rbs_bounds(std::string_view name, double clay) {
    const auto it = find_class(rbs_table, name);
    if (it == rbs_table.end()) return {};
    return {rbs_silt(std::max(it->an, clay + 0.0001), clay), rbs_silt(it->ax, clay)};
}

double pick(const SiltBounds& bounds, int interpol) {
    switch (interpol) {
    case -1:
        return bounds.lower;
    case 0:
        return (bounds.lower + bounds.upper) / 2;
    case 1:
        return bounds.upper;
    default:
        throw SoilError("no silt rule for the class interpolation " + std::to_string(interpol) +
                        " (-1 lower bound, 0 mean, 1 upper bound)");
    }
}

} // namespace

std::span<const ba_ka4> ka4_classes() {
    return ka4_table;
}
std::span<const ba_rbs> rbs_classes() {
    return rbs_table;
}

std::string_view ka4_class(double silt, double clay) {
    for (const ba_ka4& c : ka4_table)
        if (c.un < silt && silt <= c.ux && c.tn < clay && clay <= c.tx) return c.item;
    return {};
}

double class2silt(std::string_view name, int scheme, int interpol, double clay) {
    SiltBounds bounds;
    if (scheme == scheme_ka4)
        bounds = ka4_bounds(name);
    else if (scheme == scheme_rbs)
        bounds = rbs_bounds(name, clay);
    else
        throw SoilError("unknown texture class scheme " + std::to_string(scheme));
    const double silt = pick(bounds, interpol);
    return silt == 0 ? 0.0001 : silt;
}

} // namespace sim

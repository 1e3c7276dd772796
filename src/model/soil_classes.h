// soil_classes.h --- the texture classes of the German field-mapping (KA4) and soil-appraisal
// (RBS) schemes, and the silt content they stand for.
#pragma once

#include <span>
#include <string_view>

namespace sim {

// A KA4 texture class: silt and clay bounds, % by mass; a texture belongs to it when
// un < silt <= ux and tn < clay <= tx.
struct ba_ka4 {
    std::string_view item;        // item: class name, e.g. "Su2"
    std::string_view hauptgruppe; // hauptgruppe, gruppe, untergruppe: grouping, empty
    std::string_view gruppe;
    std::string_view untergruppe;
    double un, ux; // un, ux: silt bounds, % by mass
    double tn, tx; // tn, tx: clay bounds, % by mass
};

// An RBS texture class: bounds of the fraction finer than 0.01 mm, % by mass.
struct ba_rbs {
    std::string_view item; // item: class name, e.g. "lS"
    double an, ax;         // an, ax: bounds of the fraction < 0.01 mm, % by mass
};

// The 31 KA4 classes and the 8 RBS classes, in table order.
std::span<const ba_ka4> ka4_classes();
std::span<const ba_rbs> rbs_classes();

// The first KA4 class (table order) that holds the texture, or "" when none does (for instance
// while silt is unknown, or for clay or silt exactly 0).
std::string_view ka4_class(double silt, // silt: % by mass
                           double clay  // clay: % by mass
);

constexpr int scheme_ka4 = 1;
constexpr int scheme_rbs = 2;

// Silt content of a texture class, % by mass: the lower bound (interpol -1), the mean of both
// bounds (0) or the upper bound (1). KA4 names are matched without surrounding blanks, RBS names
// as given; both with exact case (RBS "SL" and "sL" are different classes). An unknown name
// gives bounds 0, and a result of exactly 0 becomes 0.0001. RBS bounds are extrapolated from
// the fraction below 0.01 mm to 0.063 mm on a log-diameter line through clay. Throws SoilError
// for another scheme or another interpol.
double class2silt(std::string_view name, // name: class name
                  int scheme,            // scheme: scheme_ka4 or scheme_rbs
                  int interpol,          // interpol: -1 lower bound, 0 mean, 1 upper bound
                  double clay            // clay: % by mass (used by RBS)
);

} // namespace sim

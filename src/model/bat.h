// bat.h --- biologically active time (BAT): the coefficient nodes, the BAT of a year
// from climate and fine fraction, and the BAT of a soil without tillage.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

namespace sim {

// A climate or coefficient value with which no BAT can be computed. title() is the
// caption of the message box the run shows (empty when the text alone is shown).
class ClimateError : public std::runtime_error {
public:
    explicit ClimateError(const std::string& text, std::string title = {})
        : std::runtime_error(text), title_(std::move(title)) {}
    const std::string& title() const { return title_; }

private:
    std::string title_;
};

// The texts with which a year without usable temperature stops the run.
inline constexpr const char* ltem_stop_title = "unvollständige Klimadaten ?";
inline constexpr const char* ltem_stop_title_english = "incomplete climate data ?";
inline constexpr const char* ltem_stop_text = "LTEM<0 aufgetreten !";

// The caption of a climate stop box in the language of the program ("D" German): the
// German caption of the temperature stop reads in English otherwise.
inline std::string climate_stop_caption(const std::string& title, const std::string& language) {
    return title == ltem_stop_title && language != "D" ? ltem_stop_title_english : title;
}

// One node of the BAT coefficient function (a row of `wmzprm`).
struct WmzNode {
    double xfat; // fine fraction (finer than 0.0063 mm) of the node, % by mass
    double xa;   // temperature coefficient, days per °C
    double xb;   // precipitation coefficient, days per mm
    double xc;   // constant, days
};

inline constexpr std::size_t wmz_node_count = 7;
using WmzTable = std::array<WmzNode, wmz_node_count>; // nodes 1..7, xfat strictly ascending

// The built-in nodes, in force until `wmzprm` replaces them.
inline constexpr WmzTable builtin_wmz_nodes{{
    {6.0, 3.3541, 0.015698, 9.087},
    {8.0, 3.1825, 0.01325, 10.2234},
    {11.5, 3.0629, 0.003204, 14.5547},
    {15.0, 2.1824, -0.009797, 23.0218},
    {22.0, 2.1698, -0.02726, 23.6263},
    {32.0, 2.0054, -0.03232, 22.9473},
    {44.0, 1.8676, -0.03178, 22.93},
}};

// The node table after loading the rows of `wmzprm` (in the order the database returns
// them) over `current`: row i replaces node i, nodes beyond the last row stay. No rows
// leave `current` unchanged. Throws ClimateError, leaving the caller's table as it was,
// for more than seven rows, a value that is not finite, or nodes whose `xfat` are not
// strictly ascending after the merge. A missing table is the caller's affair: it simply
// does not call this.
WmzTable read_prm4wmz(std::span<const WmzNode> rows, // rows of `wmzprm`
                      const WmzTable& current);      // the nodes in force

// Precipitation plus irrigation as the BAT formula takes it: at least 450, at most 700.
double effective_rain(double rain); // rain: precipitation + irrigation of the year, mm; → mm

// BAT of a year, days: the coefficient function B = xa·ltem + xb·rain + xc interpolated
// linearly in the fine fraction between the nodes, held constant below the first and
// above the last node. Throws ClimateError for a value that is not finite.
double wmz_pas(double fat,             // fine fraction of the soil, % by mass
               double rain,            // precipitation + irrigation of the year, mm
               double ltem,            // mean air temperature of the year, °C
               const WmzTable& nodes); // the coefficient nodes in force

// BAT of the same soil without tillage, days. Throws ClimateError for a negative `bat`
// (its square root is taken) or a value that is not finite.
double bat_notill(double fat,  // fine fraction of the soil, % by mass
                  double bat); // BAT of the tilled soil, days

// The BAT pair of one plot-year of `tmp_bat`.
struct YearBat {
    double bat;        // BAT with tillage, days
    double bat_notill; // BAT without tillage, days (−mw_bat when not computed)
};

// One plot-year of the yearly BAT: with rain, BAT = wmz_pas over effective_rain rounded
// to three decimals (halves to even) and its no-tillage BAT (−mw_bat kept when that
// cannot be computed); without rain (≤ 0) the plot's stored mean {mw_bat, −mw_bat}.
// A negative `ltem` (also the marker of a year without station data) throws ClimateError
// with ltem_stop_text and ltem_stop_title; an `ltem` or `rain` that is not finite throws
// ClimateError naming it.
YearBat yearly_bat(double fat,             // fine fraction of the soil, % by mass
                   double ltem,            // mean air temperature of the year, °C
                   double rain,            // precipitation + irrigation of the year, mm
                   double mw_bat,          // the plot's stored mean BAT, days
                   const WmzTable& nodes); // the coefficient nodes in force

} // namespace sim

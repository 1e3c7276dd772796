// bat.cpp --- biologically active time (BAT) from climate and fine fraction.
#include "model/bat.h"

#include "db/value.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace sim {

namespace {

void require_finite(const char* name, double v) {
    if (!std::isfinite(v))
        throw ClimateError(std::string(name) + " is not a number: " + db::format_cstr(v));
}

void require_node_values_finite(const WmzNode& n, std::size_t k) {
    const std::string node = "BAT node " + std::to_string(k) + ": ";
    for (const auto& [name, v] : {std::pair{"xfat", n.xfat}, std::pair{"xa", n.xa},
                                  std::pair{"xb", n.xb}, std::pair{"xc", n.xc}})
        if (!std::isfinite(v))
            throw ClimateError(node + name + " is not a number: " + db::format_cstr(v));
}

void require_ascending(const WmzTable& nodes) {
    for (std::size_t k = 1; k < nodes.size(); ++k)
        if (!(nodes[k].xfat > nodes[k - 1].xfat))
            throw ClimateError("BAT nodes not ascending in xfat: node " + std::to_string(k) +
                               " has " + db::format_cstr(nodes[k - 1].xfat) + ", node " +
                               std::to_string(k + 1) + " has " + db::format_cstr(nodes[k].xfat));
}

// B(k) of one node: days.
double node_bat(const WmzNode& n, double rain, double ltem) {
    return n.xa * ltem + n.xb * rain + n.xc;
}

// Rounded to three decimals, halves to the even neighbour.
double round3(double v) {
    return db::round_half_even(v * 1000.0) / 1000.0;
}

} // namespace

WmzTable read_prm4wmz(std::span<const WmzNode> rows, const WmzTable& current) {
    if (rows.size() > wmz_node_count)
        throw ClimateError("wmzprm has " + std::to_string(rows.size()) + " rows; at most " +
                           std::to_string(wmz_node_count) + " BAT nodes are possible");
    WmzTable nodes = current;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        require_node_values_finite(rows[i], i + 1);
        nodes[i] = rows[i];
    }
    require_ascending(nodes);
    return nodes;
}

double effective_rain(double rain) {
    return std::clamp(rain, 450.0, 700.0);
}

double wmz_pas(double fat, double rain, double ltem, const WmzTable& nodes) {
    require_finite("fat", fat);
    require_finite("rain", rain);
    require_finite("ltem", ltem);
    const auto above =
        std::find_if(nodes.begin(), nodes.end(), [fat](const WmzNode& n) { return fat <= n.xfat; });
    if (above == nodes.begin()) return node_bat(nodes.front(), rain, ltem);
    if (above == nodes.end()) return node_bat(nodes.back(), rain, ltem);
    // fat lies in (below.xfat, above.xfat], so the span is positive.
    const WmzNode& below = *(above - 1);
    const double w = (fat - below.xfat) / (above->xfat - below.xfat);
    return (1.0 - w) * node_bat(below, rain, ltem) + w * node_bat(*above, rain, ltem);
}

double bat_notill(double fat, double bat) {
    require_finite("fat", fat);
    require_finite("bat", bat);
    if (bat < 0.0) throw ClimateError("BAT is negative: " + db::format_cstr(bat));
    const double c = std::max(0.2844 * fat - 1.4586, 0.1);
    const double x = std::sqrt(c * bat / 365.0);
    return bat * (1.0 + std::exp(-x) + std::exp(-2.0 * x)) / 3.0;
}

YearBat yearly_bat(double fat, double ltem, double rain, double mw_bat, const WmzTable& nodes) {
    require_finite("ltem", ltem);
    require_finite("rain", rain);
    if (ltem < 0.0) throw ClimateError(ltem_stop_text, ltem_stop_title);
    YearBat result{mw_bat, -mw_bat};
    if (rain <= 0.0) return result;
    result.bat = round3(wmz_pas(fat, effective_rain(rain), ltem, nodes));
    try {
        result.bat_notill = bat_notill(fat, result.bat);
    } catch (const ClimateError&) {
        // The row keeps the value it was built with, -mw_bat.
    }
    return result;
}

} // namespace sim

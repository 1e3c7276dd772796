// Tests of the BAT functions. Expected values were computed independently from the
// formulas (python3, double precision) and written in here.
#include "model/bat.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

using sim::builtin_wmz_nodes;
using sim::ClimateError;
using sim::WmzNode;
using sim::WmzTable;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

// Every node gives the same constant BAT `xc`, whatever the climate.
WmzTable constant_nodes(double xc) {
    WmzTable t{};
    for (std::size_t k = 0; k < t.size(); ++k)
        t[k] = {6.0 + 10.0 * static_cast<double>(k), 0, 0, xc};
    return t;
}

TEST(BatTest, WmzPasInterpolatesBetweenNodesAndHoldsBeyondThem) {
    struct Case {
        double fat, rain, ltem, bat;
    };
    const Case cases[] = {
        {3.0, 600, 8.5, 47.01565000000001},    // below node 1: node 1 alone
        {6.0, 600, 8.5, 47.01565000000001},    // at node 1
        {7.0, 600, 8.5, 46.12015},             // halfway between nodes 1 and 2
        {8.0, 600, 8.5, 45.22465},             // at node 2
        {13.25, 500, 9.0, 40.743849999999995}, // halfway between nodes 3 and 4
        {15.0, 450, 0.0, 18.613149999999997},  // at node 4, frost-free mean of 0 °C
        {22.0, 550, 7.3, 24.472839999999998},  // at node 5
        {44.0, 700, 10.0, 19.359999999999996}, // at node 7
        {50.0, 700, 10.0, 19.359999999999996}, // beyond node 7: node 7 alone
    };
    for (const auto& c : cases)
        EXPECT_NEAR(sim::wmz_pas(c.fat, c.rain, c.ltem, builtin_wmz_nodes), c.bat, 1e-9)
            << "fat " << c.fat << " rain " << c.rain << " ltem " << c.ltem;

    for (const auto& [fat, rain, ltem] :
         {std::tuple{nan, 600.0, 8.5}, std::tuple{7.0, nan, 8.5}, std::tuple{7.0, 600.0, inf}})
        EXPECT_THROW(sim::wmz_pas(fat, rain, ltem, builtin_wmz_nodes), ClimateError)
            << fat << " " << rain << " " << ltem;
}

TEST(BatTest, BatNotillUsesAFloorOfTheFineFractionFactor) {
    struct Case {
        double fat, bat, notill;
    };
    const Case cases[] = {
        {5.0, 40.0, 36.15605050719887},  // c = 0.1 (floor)
        {5.48, 40.0, 36.15605050719887}, // c still 0.1 at the edge
        {20.0, 46.12, 26.337093898261816}, {30.0, 100.0, 43.67781918167012}, {10.0, 0.0, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(sim::bat_notill(c.fat, c.bat), c.notill, 1e-9) << c.fat << " " << c.bat;

    for (const auto& [fat, bat] :
         {std::pair{20.0, -0.001}, std::pair{nan, 40.0}, std::pair{20.0, nan}})
        EXPECT_THROW(sim::bat_notill(fat, bat), ClimateError) << fat << " " << bat;
}

TEST(BatTest, EffectiveRainIsBoundedTo450To700) {
    for (const auto& [rain, p] :
         {std::pair{300.0, 450.0}, std::pair{450.0, 450.0}, std::pair{600.0, 600.0},
          std::pair{700.0, 700.0}, std::pair{900.0, 700.0}})
        EXPECT_EQ(sim::effective_rain(rain), p) << rain;
}

TEST(BatTest, YearlyBatRoundsBoundsRainAndKeepsStoredMeanWithoutRain) {
    struct Case {
        const char* what;
        WmzTable nodes;
        double fat, ltem, rain, mw_bat, bat, notill;
    };
    const Case cases[] = {
        {"worked example", builtin_wmz_nodes, 7, 8.5, 600, 50, 46.12, 36.387237179346776},
        {"rain 300 counts as 450", builtin_wmz_nodes, 20, 9, 300, 50, 32.992, 20.116681417415684},
        {"rain 450", builtin_wmz_nodes, 20, 9, 450, 50, 32.992, 20.116681417415684},
        {"rain 900 counts as 700", builtin_wmz_nodes, 20, 9, 900, 50, 27.425, 17.304671619528204},
        {"no rain keeps mean", builtin_wmz_nodes, 20, 9, 0, 50, 50, -50},
        {"negative rain keeps mean", builtin_wmz_nodes, 20, 9, -5, 50, 50, -50},
        // 1.0625 and 1.1875 are exact in binary: their thousandths tie.
        {"tie rounds down to even", constant_nodes(1.0625), 20, 9, 600, 50, 1.062,
         0.9543928311567127},
        {"tie rounds up to even", constant_nodes(1.1875), 20, 9, 600, 50, 1.188,
         1.0613341106335172},
        {"negative BAT keeps the no-tillage marker", constant_nodes(-10), 20, 9, 600, 50, -10, -50},
    };
    for (const auto& c : cases) {
        const auto r = sim::yearly_bat(c.fat, c.ltem, c.rain, c.mw_bat, c.nodes);
        EXPECT_DOUBLE_EQ(r.bat, c.bat) << c.what;
        EXPECT_NEAR(r.bat_notill, c.notill, 1e-9) << c.what;
    }
}

TEST(BatTest, YearlyBatStopsOnMissingOrNegativeTemperature) {
    for (const double ltem : {-99.99, -0.1}) {
        try {
            sim::yearly_bat(20, ltem, 600, 50, builtin_wmz_nodes);
            ADD_FAILURE() << "no stop for ltem " << ltem;
        } catch (const ClimateError& e) {
            EXPECT_STREQ(e.what(), "LTEM<0 aufgetreten !");
            EXPECT_EQ(e.title(), "unvollständige Klimadaten ?");
        }
    }
    EXPECT_THROW(sim::yearly_bat(20, nan, 600, 50, builtin_wmz_nodes), ClimateError);
    EXPECT_THROW(sim::yearly_bat(20, 9, nan, 50, builtin_wmz_nodes), ClimateError);
}

TEST(BatTest, ReadPrm4wmzReplacesLeadingNodesAndRejectsUnusableTables) {
    const WmzTable current = constant_nodes(5.0); // xfat 6, 16, ..., 66
    const std::vector<WmzNode> three{{1, 1, 0.1, 10}, {2, 2, 0.2, 20}, {3, 3, 0.3, 30}};

    const WmzTable merged = sim::read_prm4wmz(three, current);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(merged[k].xfat, three[k].xfat) << k;
        EXPECT_EQ(merged[k].xc, three[k].xc) << k;
    }
    for (std::size_t k = 3; k < merged.size(); ++k) {
        EXPECT_EQ(merged[k].xfat, current[k].xfat) << k;
        EXPECT_EQ(merged[k].xc, current[k].xc) << k;
    }
    // The loaded nodes are the ones interpolated: halfway between nodes 1 and 2.
    EXPECT_DOUBLE_EQ(sim::wmz_pas(1.5, 100, 10, merged), 45.0);

    const std::vector<WmzNode> none;
    EXPECT_EQ(sim::read_prm4wmz(none, current)[0].xfat, current[0].xfat);

    const std::vector<WmzNode> all(builtin_wmz_nodes.begin(), builtin_wmz_nodes.end());
    EXPECT_EQ(sim::read_prm4wmz(all, current)[6].xfat, 44.0);

    const std::vector<WmzNode> eight = [&] {
        auto rows = all;
        rows.push_back({50, 1, 0, 1});
        return rows;
    }();
    const std::vector<WmzNode> below_kept{{10, 1, 0, 1}, {20, 1, 0, 1}}; // node 3 has 26
    const std::vector<WmzNode> above_kept{{10, 1, 0, 1}, {30, 1, 0, 1}}; // node 3 has 26
    const std::vector<WmzNode> repeated{{10, 1, 0, 1}, {10, 1, 0, 1}};
    const std::vector<WmzNode> not_a_number{{nan, 1, 0, 1}};
    const std::vector<WmzNode> infinite{{5, 1, 0, inf}};
    EXPECT_NO_THROW(sim::read_prm4wmz(below_kept, current));
    try {
        sim::read_prm4wmz(above_kept, current);
        ADD_FAILURE() << "descending nodes accepted";
    } catch (const ClimateError& e) {
        EXPECT_STREQ(e.what(), "BAT nodes not ascending in xfat: node 2 has 30, node 3 has 26");
    }
    for (const auto* rows : {&eight, &above_kept, &repeated, &not_a_number, &infinite})
        EXPECT_THROW(sim::read_prm4wmz(*rows, current), ClimateError) << rows->size() << " rows";
}

} // namespace

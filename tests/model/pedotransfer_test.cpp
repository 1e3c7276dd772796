// Pedotransfer functions and texture classes: expected values computed independently from the
// published formulas.
#include "model/pedotransfer.h"
#include "model/soil_classes.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

using sim::SoilError;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct Case {
    const char* what;
    double actual, expected;
};

void expect_all(std::initializer_list<Case> cases, double tolerance = 1e-9) {
    for (const Case& c : cases) EXPECT_NEAR(c.actual, c.expected, tolerance) << c.what;
}

// Each call must throw SoilError whose message names the offending value.
struct Fault {
    const char* what;
    std::function<void()> call;
    std::string named;
};

void expect_faults(std::initializer_list<Fault> faults) {
    for (const Fault& f : faults) {
        try {
            f.call();
            ADD_FAILURE() << f.what << ": no SoilError";
        } catch (const SoilError& e) {
            EXPECT_NE(std::string(e.what()).find(f.named), std::string::npos)
                << f.what << ": " << e.what();
        }
    }
}

TEST(GrainSize, InterpolatesOnLogDiameter) {
    expect_all({
        {"FAT from clay 20, clay+silt 50", sim::grain_interp(0.0063, 0.063, 0.002, 50, 20),
         29.9774486510006},
        {"extrapolated beyond d_hi", sim::grain_interp(0.063, 0.01, 0.002, 30, 20),
         41.435977860207444},
        {"at d_lo", sim::grain_interp(0.002, 0.063, 0.002, 50, 20), 20},
        {"at d_hi", sim::grain_interp(0.063, 0.063, 0.002, 50, 20), 50},
        {"USDA silt", sim::silt_usda(40, 20), 37.32043414194205},
        {"USDA sand", sim::sand_usda(40, 20), 42.67956585805795},
        {"USDA sand at least 1e-8", sim::sand_usda(90, 20), 1e-8},
    });
    expect_faults({
        {"zero diameter", [] { sim::grain_interp(0, 0.063, 0.002, 50, 20); }, "0 mm"},
        {"negative diameter", [] { sim::grain_interp(0.01, -0.063, 0.002, 50, 20); }, "-0.063"},
        {"equal diameters", [] { sim::grain_interp(0.01, 0.002, 0.002, 50, 20); }, "0.002"},
    });
}

TEST(BulkDensity, FromCarbonClayAndCoefficient) {
    const double s20 = -0.007538863228397296; // slope for clay 20 %
    expect_all({
        {"regression without coefficient", sim::bd_corg(1.5, 20, 0), 1.39835},
        {"exponential law", sim::bd_corg(1.5, 20, 0.01), 1.0970325655120858},
        {"clay slope", sim::bd_clay_slope(20, 0), s20},
        {"given slope kept", sim::bd_clay_slope(20, -0.005), -0.005},
        {"from clay", sim::bd_corg_clay(2, 20, 0), 1.3945106233281441},
        {"from given slope", sim::bd_corg_clay(2, 20, -0.005), 1.790931128957304},
        {"clay law is bd_corg with the opposite sign", sim::bd_corg(2, 0, -s20),
         sim::bd_corg_clay(2, 20, 0)},
        {"particle density", sim::pd_corg(1.5, 20, 0), 2.6196198901636505},
        {"particle density, given mineral", sim::pd_corg(1.5, 20, 2.65), 2.5572189272715247},
        {"particle density without carbon", sim::pd_corg(0, 20, 0), 2.719},
        {"particle density, 100 % carbon", sim::pd_corg(100, 20, 0), 1.4158515759284995},
    });
    expect_faults({
        {"negative carbon (missing marker)", [] { sim::pd_corg(-99, 20, 0); }, "-99"},
        {"carbon above 100 %", [] { sim::pd_corg(1000, 20, 0); }, "1000"},
    });
}

TEST(BulkDensity, CoefficientFitInvertsBdCorg) {
    struct Fit {
        double corg, bd, k;
    };
    for (const Fit& f : {Fit{1.5, 1.4, 0.00786622391922048}, Fit{0, 1.4, 0.009110065771269238},
                         Fit{5, 0.8, 0.009785491721933362}, Fit{1.5, 2.6839, 2.032835932719688e-06},
                         Fit{50, 0.1, 0.005846475109979927} /* peat */}) {
        const double k = sim::bd_slope4bd(f.corg, f.bd);
        EXPECT_NEAR(k, f.k, 1e-12) << f.corg << " " << f.bd;
        EXPECT_LT(std::abs(sim::bd_corg(f.corg, 0, k) - f.bd) / f.bd, 1e-4);
    }
    expect_faults({
        {"bd at the limit", [] { sim::bd_slope4bd(1.5, 2.684); }, "2.684"},
        {"bd above the limit", [] { sim::bd_slope4bd(1.5, 3.1); }, "3.1"},
        {"bd zero", [] { sim::bd_slope4bd(1.5, 0); }, "bulk density 0"},
        {"bd missing", [] { sim::bd_slope4bd(1.5, -99); }, "-99"},
        {"bd not a number", [] { sim::bd_slope4bd(1.5, nan); }, "NaN"},
        {"carbon missing", [] { sim::bd_slope4bd(-99, 1.4); }, "-99"},
        {"carbon not a number", [] { sim::bd_slope4bd(nan, 1.4); }, "NaN"},
        {"fit that does not settle", [] { sim::bd_slope4bd(100, 1e-6); }, "1E-06"},
    });
}

TEST(WaterRetention, VanGenuchtenParametersAndTheta) {
    const sim::VanGenuchten v = sim::vg_vereecken(40, 20, 1.5, 1.4);
    const sim::VanGenuchten z = sim::vg_zacharias(40, 20, 1.4); // sand below 66.6 %
    const sim::VanGenuchten zs = sim::vg_zacharias(10, 5, 1.5); // sand 85.7 %
    expect_all(
        {
            {"Vereecken theta_r", v.theta_r, 0.136},
            {"Vereecken theta_s", v.theta_s, 0.4338},
            {"Vereecken alpha", v.alpha, 0.002313},
            {"Vereecken n", v.n, 0.727687},
            {"Vereecken m", v.m, 1},
            {"Zacharias theta_r", z.theta_r, 0},
            {"Zacharias theta_s", z.theta_s, 0.4398},
            {"Zacharias alpha", z.alpha, 0.04024},
            {"Zacharias n", z.n, 1.156276},
            {"Zacharias m", z.m, 0.1351545824699294},
            {"Zacharias sandy theta_s", zs.theta_s, 0.412},
            {"Zacharias sandy alpha", zs.alpha, 0.044277},
            {"Zacharias sandy n", zs.n, 1.476499},
            {"Zacharias sandy m", zs.m, 0.3227221962222798},
        },
        1e-12);
    expect_all({
        {"Vereecken FC", sim::vg_theta(v, 63.09), 0.3749159259217602},
        {"Vereecken PWP", sim::vg_theta(v, 50000), 0.14510164820493252},
        {"saturated at h = 0", sim::vg_theta(v, 0), 0.4338},
        {"sign of h ignored", sim::vg_theta(v, -63.09), 0.3749159259217602},
        {"Zacharias FC", sim::vg_theta(z, 63.09), 0.36544436061808167},
        {"Zacharias PWP", sim::vg_theta(z, 50000), 0.1339579750529369},
        {"Zacharias sandy FC", sim::vg_theta(zs, 63.09), 0.23686939640002283},
        {"Zacharias sandy PWP", sim::vg_theta(zs, 50000), 0.010493873757399472},
    });
    expect_faults({
        {"Zacharias without clay", [] { sim::vg_zacharias(40, 0, 1.4); }, "clay 0"},
        {"Zacharias, clay missing", [] { sim::vg_zacharias(40, -99, 1.4); }, "-99"},
    });
}

TEST(WaterRetention, FieldCapacityAndWiltingPoint) {
    const sim::WaterContents bc = sim::bc_rawls(63.09, 50000, 45, 40, 20);
    const sim::WaterContents lb = sim::lieberoth(40, 20);
    expect_all({
        {"Brooks-Corey FC", bc.fc, 29.02419246610584},
        {"Brooks-Corey PWP", bc.pwp, 10.768161582377783},
        {"Lieberoth FC", lb.fc, 37.4},
        {"Lieberoth PWP", lb.pwp, 16.03},
    });
    expect_faults({
        {"zero suction", [] { sim::bc_rawls(0, 50000, 45, 40, 20); }, "suction 0"},
        {"negative suction", [] { sim::bc_rawls(63.09, -15000, 45, 40, 20); }, "-15000"},
    });
}

TEST(Pores, CarbonShareAndSoilCategory) {
    expect_all({
        {"medium-pore parameter 10", sim::cif_pores(16.03, 37.4, 45, 1, 10, 30),
         0.8702339805649554},
        {"medium-pore parameter 12", sim::cif_pores(16.03, 37.4, 45, 1, 12, 30),
         0.8873921668127508},
    });
    expect_faults({
        {"mi zero", [] { sim::cif_pores(16, 37, 45, 0, 10, 30); }, "parameter 0"},
        {"ma negative", [] { sim::cif_pores(16, 37, 45, 1, 10, -30); }, "-30"},
        {"no pore space", [] { sim::cif_pores(0, 0, 0, 1, 10, 30); }, "pore volume 0"},
    });
    struct Cat {
        double available_water;
        int cat;
    };
    for (const Cat& c : {Cat{0, 1}, Cat{15, 1}, Cat{15.01, 2}, Cat{19.99, 2}, Cat{20, 3},
                         Cat{22.99, 3}, Cat{23, 4}, Cat{40, 4}})
        EXPECT_EQ(sim::soil_cat(c.available_water), c.cat) << c.available_water;
}

TEST(TextureClasses, TablesAndKa4Lookup) {
    ASSERT_EQ(sim::ka4_classes().size(), 31u);
    EXPECT_EQ(sim::ka4_classes().front().item, "Uu");
    EXPECT_EQ(sim::ka4_classes().back().item, "Tt");
    EXPECT_TRUE(sim::ka4_classes()[4].hauptgruppe.empty());
    ASSERT_EQ(sim::rbs_classes().size(), 8u);
    EXPECT_EQ(sim::rbs_classes()[4].item, "sL");
    EXPECT_EQ(sim::rbs_classes()[4].an, 24);
    struct Texture {
        double silt, clay;
        const char* cls;
    };
    for (const Texture& t : {
             Texture{17.5, 3, "Su2"}, Texture{25, 5, "Su2"}, // upper bounds belong to the class
             Texture{25.0001, 5, "Su3"},                     // just above: the next class
             Texture{70, 10, "Ut2"}, Texture{20, 80, "Tt"}, Texture{-99, 20, ""}, // silt unknown
             Texture{17.5, 0, ""}, // lower bounds do not belong to the class
         })
        EXPECT_EQ(sim::ka4_class(t.silt, t.clay), t.cls) << t.silt << " " << t.clay;
}

TEST(TextureClasses, SiltFromClassName) {
    using sim::class2silt, sim::scheme_ka4, sim::scheme_rbs;
    expect_all({
        {"KA4 lower", class2silt("Su2", scheme_ka4, -1, 3), 10},
        {"KA4 mean", class2silt("Su2", scheme_ka4, 0, 3), 17.5},
        {"KA4 upper", class2silt("Su2", scheme_ka4, 1, 3), 25},
        {"KA4 blanks removed", class2silt("  Su2 ", scheme_ka4, 0, 3), 17.5},
        {"KA4 lower bound 0", class2silt("Ss", scheme_ka4, -1, 3), 0.0001},
        {"KA4 other case unknown", class2silt("su2", scheme_ka4, 0, 3), 0.0001},
        {"KA4 empty name", class2silt("", scheme_ka4, 0, 3), 0.0001},
        {"RBS L lower", class2silt("L", scheme_rbs, -1, 20), 21.435977860207444},
        {"RBS L upper", class2silt("L", scheme_rbs, 1, 20), 53.58994465051862},
        {"RBS L mean", class2silt("L", scheme_rbs, 0, 20), 37.51296125536303},
        {"RBS sL", class2silt("sL", scheme_rbs, 0, 20), 15.005184502145212},
        {"RBS SL, clay above its lower bound", class2silt("SL", scheme_rbs, 0, 20),
         4.287302751930792},
        {"RBS S", class2silt("S", scheme_rbs, 0, 5), 5.359101644941163},
        {"RBS blanks kept", class2silt(" L", scheme_rbs, 0, 20), 0.0001},
        {"RBS a KA4 name", class2silt("Su2", scheme_rbs, 0, 20), 0.0001},
    });
    expect_faults({
        {"interpol 2", [] { class2silt("L", scheme_rbs, 2, 20); }, "interpolation 2"},
        {"scheme 3", [] { class2silt("L", 3, 0, 20); }, "scheme 3"},
    });
}

} // namespace

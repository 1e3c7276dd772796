#include "db/new_database.h"
#include "model/pedotransfer.h"
#include "model/soil_classes.h"
#include "scripted_dialogs.h"
#include "sim/run_observer.h"
#include "sim/soil_properties.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using sim::SoilSettings;

class SoilPropertiesTest : public ::testing::Test {
protected:
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;

    void select(const std::string& where) {
        c.execute("update site_state set status=0");
        c.execute("update site_state set status=1 where " + where);
    }
    void build(const SoilSettings& s = {}) { sim::build_soil_prop(c, s, observer, dialogs); }
    // One column of the plot's row of tmp_soil_prop.
    db::Value at(int fl_id, const std::string& column) {
        return c.scalar("select " + column +
                        " from tmp_soil_prop where fl_id=" + std::to_string(fl_id));
    }
    double num(int fl_id, const std::string& column) { return at(fl_id, column).as_double(); }
};

TEST_F(SoilPropertiesTest, OneRowPerSelectedPlotWithInitialCarbon) {
    c.execute("delete from measurements where fl_id=202 and m_ix=7 and year_number=0");
    select("fl_id in (101, 202, 205)");
    build();
    EXPECT_EQ(test::rows(c, "select fl_id from tmp_soil_prop order by fl_id"), "101\n205\n");
    EXPECT_EQ(observer.lines,
              (std::vector<std::string>{"tmp soil :2", "checking soil properties"}));
    EXPECT_EQ(at(101, "corg"), c.scalar("select meas_value from measurements where fl_id=101 "
                                        "and m_ix=7 and year_number=0"));
    EXPECT_EQ(at(101, "soil_id").as_int(), 1);

    // Only in the mode "ORV" with the chosen plot marked "null" do plots without initial
    // carbon get a row, every one with year 0 and corg 1.
    SoilSettings orv;
    orv.app_mode = "ORV";
    orv.chosen_i_con = "obsval";
    build(orv);
    EXPECT_EQ(test::rows(c, "select fl_id from tmp_soil_prop order by fl_id"), "101\n205\n");
    orv.chosen_i_con = "null";
    build(orv);
    EXPECT_EQ(test::rows(c, "select fl_id, year, corg from tmp_soil_prop order by fl_id"),
              "101|0|1\n202|0|1\n205|0|1\n");
}

TEST_F(SoilPropertiesTest, MeasuredValuesStayAndMissingOnesAreDerived) {
    select("fl_id in (101, 205)");
    build(); // Lieberoth water contents
    // Soil 1 (RBS "L"): all measured but PD and cif.
    EXPECT_EQ(test::rows(c, "select silt, silt_org, FAT, PV, FC, PWP, BD, BD_org, PD_org, cif_org "
                            "from tmp_soil_prop where fl_id=101"),
              "68|-1|33|47.5|35.5|14|1.38|-1|0|0\n");
    EXPECT_DOUBLE_EQ(num(101, "PD"), 1.38 / (1 - 47.5 / 100)); // from BD and PV
    EXPECT_DOUBLE_EQ(num(101, "cif"), sim::cif_pores(14, 35.5, 47.5, 2, 12, 10));
    EXPECT_EQ(at(101, "soil_cat").as_int(), 3); // 21.5 % available water
    const double f20 = sim::grain_interp(0.02, 0.063, 0.002, 89, 21);
    EXPECT_DOUBLE_EQ(num(101, "hsnk_soc"), ((0.37 * f20 + 4.09) / 10) / 0.77);

    // Soil 2 (RBS "Sl"): texture and BD measured, the rest derived.
    const double corg = num(205, "corg");
    const double fat = sim::grain_interp(0.0063, 0.063, 0.002, 24, 6);
    const double at_ = sim::grain_interp(0.01, 0.063, 0.0063, 24, fat);
    const double pd = sim::pd_corg(corg, 6, 0);
    const double pv = (1 - 1.55 / pd) * 100;
    const sim::WaterContents w = sim::lieberoth(at_, 6);
    EXPECT_DOUBLE_EQ(num(205, "FAT"), fat);
    EXPECT_DOUBLE_EQ(num(205, "PD"), pd);
    EXPECT_DOUBLE_EQ(num(205, "PV"), pv);
    EXPECT_DOUBLE_EQ(num(205, "FC"), w.fc);
    EXPECT_DOUBLE_EQ(num(205, "PWP"), w.pwp);
    EXPECT_DOUBLE_EQ(num(205, "cif"), sim::cif_pores(w.pwp, w.fc, pv, 2, 10, 10));
    EXPECT_DOUBLE_EQ(num(205, "sand"), 76); // entered as measured
    EXPECT_EQ(test::rows(c, "select BD, BD_org, FAT_org, PV_org, FC_org, PWP_org, skelett "
                            "from tmp_soil_prop where fl_id=205"),
              "1.55|-1|0|0|0|0|0.03\n");

    // Vereecken water contents for the same soil.
    SoilSettings vereecken;
    vereecken.hymode = 2;
    build(vereecken);
    const sim::VanGenuchten p = sim::vg_vereecken(18, 6, corg, 1.55);
    EXPECT_DOUBLE_EQ(num(205, "FC"), sim::vg_theta(p, 63.09) * 100);
    EXPECT_DOUBLE_EQ(num(205, "PWP"), sim::vg_theta(p, 50000) * 100);
}

TEST_F(SoilPropertiesTest, MissingSiltComesFromFatOrTheTextureClass) {
    select("fl_id=205");
    const auto silt_with = [&](const std::string& soil, const SoilSettings& s) {
        c.execute("update soilproperties set clay=20, silt=-99, silt_org=0, " + soil +
                  " where soil_id=2");
        build(s);
        return num(205, "silt");
    };
    SoilSettings rbs;
    EXPECT_DOUBLE_EQ(silt_with("FAT=30, FAT_org=-1, BA_RBS='L'", rbs),
                     sim::grain_interp(0.063, 0.006, 0.002, 30, 20) - 20);
    const double class_silt = sim::class2silt("L", sim::scheme_rbs, 0, 20);
    EXPECT_DOUBLE_EQ(silt_with("FAT=-99, FAT_org=0, BA_RBS='L', sand_org=0", rbs), class_silt);
    EXPECT_DOUBLE_EQ(num(205, "sand"), 80 - class_silt);
    SoilSettings ka4;
    ka4.soil_scheme = "KA4";
    ka4.interpol = 1;
    EXPECT_DOUBLE_EQ(silt_with("BA_KA4='Lu'", ka4), 65);
    EXPECT_DOUBLE_EQ(silt_with("BA_KA4=''", ka4), 0.0001);
}

TEST_F(SoilPropertiesTest, StopsNameTheCauseAndThePlot) {
    select("fl_id in (101, 205)");
    SoilSettings unknown_scheme;
    unknown_scheme.soil_scheme = "USDA";
    build(unknown_scheme); // every soil has its silt: no class needed
    SoilSettings unknown_mode;
    unknown_mode.hymode = 7;
    SoilSettings no_interpolation;
    no_interpolation.interpol = 2;
    struct Case {
        std::string soil;
        SoilSettings settings;
        std::string shown;
    };
    const std::vector<Case> cases{
        {"silt_org=0", unknown_scheme, "ERROR: unrecognised soil classification scheme"},
        {"BD=2.7",
         {},
         "ERROR: plot 205: no soil coefficient for the bulk density 2.7 g/cm³: "
         "it must lie above 0 and below 2.684"},
        {"FC_org=0", unknown_mode, "ERROR: plot 205: unknown pedotransfer mode 7"},
        {"silt_org=0", no_interpolation,
         "ERROR: plot 205: no silt rule for the class "
         "interpolation 2"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.shown);
        c.execute("delete from soilproperties where soil_id=2");
        c.execute("insert into soilproperties (soil_id, BA_RBS, clay, silt, silt_org, BD, BD_org, "
                  "FC, FC_org) values (2, 'Sl', 6, 18, -1, 1.55, -1, 30, -1)");
        c.execute("update soilproperties set " + k.soil + " where soil_id=2");
        dialogs.shown.clear();
        try {
            build(k.settings);
            ADD_FAILURE() << "the run went on";
        } catch (const sim::SoilStop& e) {
            EXPECT_EQ(e.title(), "ERROR");
        }
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].substr(0, k.shown.size()), k.shown);
        // The plot before the stop was completed and stays so.
        EXPECT_DOUBLE_EQ(num(101, "PD"), 1.38 / (1 - 47.5 / 100));
    }
}

TEST_F(SoilPropertiesTest, ASecondRunGivesTheSameTable) {
    c.execute("update site_state set status=1");
    build();
    const std::string first = test::rows(c, "select * from tmp_soil_prop order by fl_id");
    build();
    EXPECT_EQ(test::rows(c, "select * from tmp_soil_prop order by fl_id"), first);
    EXPECT_EQ(c.scalar("select count(*) from tmp_soil_prop").as_int(), 11);
}

} // namespace

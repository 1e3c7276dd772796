// method_inputs_test.cpp --- the input tables of HU-MOD, STAND and SALCA.
#include "db/new_database.h"
#include "params/method_inputs.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

bool has_line(const params::MethodMessages& m, const std::string& part) {
    for (const auto& line : m)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

// The demo database: three soils, two stations, eleven plots.
class DemoMethodInputs : public testing::Test {
protected:
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);
    params::MethodMessages messages;
};

TEST_F(DemoMethodInputs, BuildTheDemoTablesAsShipped) {
    params::prepare_method_inputs(c, messages);
    EXPECT_EQ(test::rows(c,
                         "select fl_id, round(MW_NIED,1), round(NURC_1,4), round(NURC_2,4), "
                         "round(NURS,4) from humod_nur where fl_id in (101, 205) order by fl_id"),
              "101|470.4|0.8693|0.8483|0.8853\n205|781.7|0.6277|0.5114|0.6993\n");
    // FAT of the sandy soil is completed from clay and silt.
    EXPECT_EQ(test::rows(c, "select FL_ID, nied, ltem, corg, round(CNR,2), BA_RBS, round(FAT,1) "
                            "from vb_st_gr where FL_ID in (101, 205) order by FL_ID"),
              "101|470|9.1|1.89|10.62|L|33\n205|782|10.1|1.04|12.24|Sl|12\n");
    EXPECT_EQ(test::rows(c, "select distinct standortgr from st_gruppe order by 1"), "2\n3\n");
    EXPECT_EQ(test::rows(c, "select count(*), min(pH), max(pH) from salca_ph_value"),
              "11|6.5|6.5\n");
    EXPECT_TRUE(has_line(messages, "st_gruppe : "));
}

TEST_F(DemoMethodInputs, MissingInputsLeaveThePlotOutNamingIt) {
    c.execute("update soilproperties set clay=-99, FAT=-99 where soil_ID=2"); // plots 205, 206
    c.execute("update measurements set meas_value=0 where FL_ID=101 and M_IX=0 and year_number=0");
    c.execute("delete from measurements where FL_ID=102 and M_IX=7 and year_number=0");
    c.execute("update field_description set climate_ID=9 where FL_ID=103");
    params::build_humod_nur(c, messages);
    params::prepare_stand(c, messages);
    EXPECT_EQ(test::rows(c, "select fl_id from humod_nur where fl_id in (103, 205, 206)"), "");
    EXPECT_TRUE(has_line(messages, "HU-MOD: FL_ID 205 (") &&
                has_line(messages, "clay missing (-99); plot left out"));
    EXPECT_TRUE(has_line(messages, "HU-MOD: FL_ID 103 (103 "));
    EXPECT_TRUE(has_line(messages, "no soil profile or weather data"));
    // A total nitrogen of 0 keeps the C/N ratio at 10 instead of dividing by it.
    EXPECT_EQ(test::rows(c, "select CNR from vb_st_gr where FL_ID=101"), "10\n");
    EXPECT_TRUE(has_line(messages, "STAND: FL_ID 102 ("));
    EXPECT_TRUE(has_line(messages, "no initial organic carbon"));
    EXPECT_EQ(test::rows(c, "select count(*) from vb_st_gr"), "7\n");
}

TEST_F(DemoMethodInputs, TheSalcaTableKeepsTheUsersPh) {
    params::prepare_salca_ph(c, messages);
    c.execute("update salca_ph_value set pH=5.8 where FL_ID=101");
    c.execute("insert into field_description (FL_ID, site_description) values (999, 'new')");
    EXPECT_EQ(params::prepare_salca_ph(c, messages), 1);
    EXPECT_EQ(test::rows(c, "select FL_ID, pH from salca_ph_value where FL_ID in (101, 102, 999) "
                            "order by FL_ID"),
              "101|5.8\n102|6.5\n999|6.5\n");
}

// Site groups of single attribute sets: the first matching rule decides; gaps are reported.
TEST(StandSiteGroups, FirstMatchingRuleAndGaps) {
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "t.db", false);
    struct Case {
        int plot;
        double fat, cnr, ltem;
        int nied;
        const char* ba_rbs;
        int group; // -1: no group
    };
    const Case cases[] = {
        {1, 25, 8, 9, 450, "L", 6},     // also fits group 1 (fat 17-30, nied < 500)
        {2, 25, 10, 9, 450, "L", 5},    //
        {3, 27.5, 10, 9, 600, "L", -1}, // between the rules
        {4, 7, 15, 9, 600, "S", 1},     // fat <= 13 but wide C/N: not 3
        {5, 40, 10, 9, 800, "T", 2},    // fits 2 (fat >= 28, T) before 1
        {6, 18, 10, 8, 450, "lS", 4},
    };
    for (const Case& k : cases)
        c.prepare("insert into vb_st_gr (FL_ID, nied, ltem, corg, CNR, BA_RBS, clay, silt, FAT) "
                  "values (?, ?, ?, 1, ?, ?, 10, 10, ?)")
            .execute({k.plot, k.nied, k.ltem, k.cnr, k.ba_rbs, k.fat});
    params::MethodMessages messages;
    params::categorise_stand(c, messages);
    for (const Case& k : cases) {
        const std::string group = test::rows(
            c, "select st_gruppe.standortgr from vb_st_gr inner join st_gruppe on vb_st_gr.FAT = "
               "st_gruppe.fat and vb_st_gr.CNR = st_gruppe.CNR and vb_st_gr.nied = st_gruppe.nied "
               "where vb_st_gr.FL_ID = " +
                   std::to_string(k.plot));
        EXPECT_EQ(group, k.group < 0 ? "" : std::to_string(k.group) + "\n") << "plot " << k.plot;
    }
    EXPECT_TRUE(has_line(messages, "STAND: FL_ID 3: no site group fits FAT 27.5"));
    EXPECT_EQ(messages.back(), "st_gruppe : 5");
}

} // namespace

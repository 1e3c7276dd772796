// humus_methods_test.cpp --- the humus balance method chains (HUBA family, STAND, SALCA, HUMOD),
// their run statements, and the N deposition series, on small fixtures with balances worked out
// by hand and on the demo database.
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "sim/humus_methods.h"
#include "sim/n_deposition.h"
#include "sim/run_driver.h"
#include "sim/soil_properties.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::string>;

// An experiment database from the template (its coefficient tables, no experiments) and a soil
// work table filled by the test.
class HumusFixture : public ::testing::Test {
protected:
    HumusFixture() : conn(db::create_experiment_database(dir / "humus.sqlite", false)) {
        conn.execute("create table tmp_soil_prop (FL_ID int, [year] int, corg double, clay "
                     "double, BD double, skelett double, cif double)");
    }

    // A plot of station `climate` and soil `soil`, selected, with the initial Corg (and Nt,
    // when given) measured in `year`, and its row in the soil work table.
    void plot(int fl_id, int climate, int soil, int year, double corg, std::optional<double> nt,
              bool selected = true) {
        const std::string id = std::to_string(fl_id);
        conn.execute("insert into field_description (FL_ID, climate_ID, soil_ID) values (" + id +
                     ", " + std::to_string(climate) + ", " + std::to_string(soil) + ")");
        conn.execute("insert into site_state (FL_ID, status, res_VAL) values (" + id + ", " +
                     (selected ? "1" : "0") + ", 0)");
        measure(fl_id, year, 7, corg);
        if (nt) measure(fl_id, year, 0, *nt);
        if (selected)
            conn.execute("insert into tmp_soil_prop values (" + id + ", " + std::to_string(year) +
                         ", " + db::format_number(corg) + ", 20, 1.4, 0, 0.5)");
    }
    void measure(int fl_id, int year, int m_ix, double value) {
        conn.execute("insert into measurements (FL_ID, year, year_number, M_IX, meas_value) "
                     "values (" +
                     std::to_string(fl_id) + ", " + std::to_string(year) + ", 0, " +
                     std::to_string(m_ix) + ", " + db::format_number(value) + ")");
    }
    void cultivate(int fl_id, int year, int macode, int item, double quantity) {
        conn.execute("insert into cultivation (FL_ID, year, Macode, Item_IX, Quantity) values (" +
                     std::to_string(fl_id) + ", " + std::to_string(year) + ", " +
                     std::to_string(macode) + ", " + std::to_string(item) + ", " +
                     db::format_number(quantity) + ")");
    }

    sim::RunContext context(const std::string& method) {
        simulator.methode = method;
        return sim::RunContext{conn, simulator, observer, dialogs, state};
    }
    double number(const std::string& query) { return conn.scalar(query).as_double(-1e9); }
    std::string rows(const std::string& query) { return test::rows(conn, query); }
    bool listed(const std::string& line) const {
        return std::find(observer.lines.begin(), observer.lines.end(), line) !=
               observer.lines.end();
    }
    Rows lines_starting(const std::string& head) const {
        Rows out;
        for (const auto& l : observer.lines)
            if (l.rfind(head, 0) == 0) out.push_back(l);
        return out;
    }

    test::TempDir dir;
    db::Connection conn;
    sim::Simulator simulator;
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;
    app::ProgramState state;
};

// --- N deposition -------------------------------------------------------------------------

// Station 7: trend from (1995, 40) to (2005, 20), default 15, measured 1992 and 2006; its plot is
// measured in 1990 and cropped until 2007. Station 8: no trend (year0_nd = year1_nd), no
// default, measured 1991 only. Station 9: its plot has no initial measurement.
class NDepositionTest : public HumusFixture {
protected:
    NDepositionTest() {
        conn.execute("insert into climate_station (climate_ID, station, year0_nd, ndep_0, "
                     "year1_nd, ndep_1) values (7, 'trend', 1995, 40, 2005, 20), (8, 'flat', "
                     "2000, 50, 2000, 50), (9, 'unmeasured', 1995, 40, 2005, 20)");
        conn.execute("insert into reg_ndeposit (climate_id, year, N_dep_y) values (7, 0, 15), "
                     "(7, 1992, 33), (7, 2006, 18), (8, 1991, 12), (9, 0, 10)");
        plot(71, 7, 1, 1990, 1.2, 0.1);
        cultivate(71, 1990, 2, 1, 60);
        cultivate(71, 2007, 9, 1, 60);
        plot(81, 8, 1, 1990, 1.2, 0.1);
        cultivate(81, 1992, 2, 1, 60);
        conn.execute("insert into field_description (FL_ID, climate_ID, soil_ID) values (91, 9, "
                     "1)");
        cultivate(91, 1990, 2, 1, 60);
    }
    std::string series(int station, int year) {
        return rows("select N_dep_y from tmp_ndeposit where climate_id=" + std::to_string(station) +
                    " and [year]=" + std::to_string(year));
    }
};

TEST_F(NDepositionTest, TrendOverridesMeasuredValuesWhichOverrideTheDefault) {
    EXPECT_EQ(sim::prepare_N_deposition(conn, 0), 18 + 3);

    struct Case {
        int station, year;
        std::string value;
    };
    const Case cases[] = {
        {7, 1990, "40\n"},    {7, 1992, "40\n"}, // before year0_nd: ndep_0, also over a measurement
        {7, 1995, "40\n"},    {7, 2000, "30\n"}, {7, 2005, "20\n"},
        {7, 2006, "18\n"}, // after year1_nd: the measured value
        {7, 2007, "15\n"}, // else the default
        {8, 1990, "-99.9\n"}, {8, 1991, "12\n"}, {8, 1992, "-99.9\n"}, // no trend, no default
        {7, 1989, ""},        {7, 2008, ""}, // outside the station's years
    };
    for (const auto& c : cases)
        EXPECT_EQ(series(c.station, c.year), c.value) << c.station << " " << c.year;
    EXPECT_EQ(rows("select count(*) from tmp_ndeposit where climate_id=9"), "0\n");
}

TEST_F(NDepositionTest, OneStationLeavesOnlyItsRows) {
    sim::prepare_N_deposition(conn, 0);
    int advanced = 0;
    EXPECT_EQ(sim::prepare_N_deposition(conn, 8, [&] { ++advanced; }), 3);
    EXPECT_EQ(advanced, 1);
    EXPECT_EQ(rows("select climate_id, [year], N_dep_y from tmp_ndeposit order by [year]"),
              "8|1990|-99.9\n8|1991|12\n8|1992|-99.9\n");
}

// --- HUBA family ------------------------------------------------------------------------------

// Plot 11 (selected): 2000 crop 901 with its by-product (Macode 9, 60 dt, HI 0.5, by-product 951),
// amendment 952 (200 dt) and mineral N; 2001 crop 901; 2002 only tillage; 2003 only mineral N.
// Plot 12 (not selected): crop 901 in 2000.
class HubaTest : public HumusFixture {
protected:
    HubaTest() {
        conn.execute("insert into huba_crop (crop_IX, NAME, LUFA1, LUFA2, LUFA3, HE_crop, huba, "
                     "HI, kop_ix) values (901, 'test crop', -100, -200, -300, -400, -50, 0.5, "
                     "951)");
        conn.execute("insert into huba_oram (oram_ix, NAME, [HÄQ], HE_od, huba) values (951, "
                     "'test straw', 80, 60, 70), (952, 'test manure', 40, 30, 35)");
        plot(11, 1, 1, 2000, 1.5, 0.15);
        cultivate(11, 2000, 9, 901, 60);
        cultivate(11, 2000, 3, 952, 200);
        cultivate(11, 2000, 4, 1, 80);
        cultivate(11, 2001, 2, 901, 50);
        cultivate(11, 2002, 5, 1, 25);
        cultivate(11, 2003, 4, 1, 80);
        plot(12, 1, 1, 2000, 1.1, 0.1, false);
        cultivate(12, 2000, 2, 901, 50);
    }
    std::string balance_2000() {
        return rows("select hb_crop, HB_ORAM from hubi_c_bilanz where FL_ID=11 and year_=2000");
    }
};

// hb_oram of 2000 = 200/10 * huba(952) + 60*0.5/10 * huba(951).
TEST_F(HubaTest, MethodSuffixChoosesTheWorkingCoefficients) {
    struct Case {
        std::string method, balance;
    };
    const Case cases[] = {
        {"HUBA_1", "-100|1040\n"}, {"HUBA_2", "-200|1040\n"}, {"HUBA_3", "-300|1040\n"},
        {"NULL", "-100|910\n"},    {"HUBAHE", "-400|780\n"},  {"HUBA2", "-50|1040\n"},
        {"HUBAUG", "-50|910\n"},   {"HUBAOG", "-50|910\n"},   {" HUBA_2  ", "-200|1040\n"},
    };
    for (const auto& c : cases) {
        // The coefficients of the previous run.
        conn.execute("update huba_crop set huba=-50 where crop_IX=901");
        conn.execute("update huba_oram set huba=iif(oram_ix=951, 70, 35) where oram_ix>950");
        auto ctx = context(c.method);
        sim::huba_chain(ctx);
        EXPECT_EQ(balance_2000(), c.balance) << c.method;
    }
}

TEST_F(HubaTest, OneBalanceRowPerPlotAndYearWithListLines) {
    auto ctx = context("HUBA_2");
    sim::huba_chain(ctx);
    EXPECT_EQ(rows("select FL_ID, year_, Corg, hb_crop, HB_ORAM from hubi_c_bilanz order by "
                   "FL_ID, year_"),
              "11|2000|1.5|-200|1040\n11|2001|-99|-200|NULL\n11|2002|-99|NULL|NULL\n"
              "12|2000|1.1|-200|NULL\n");
    EXPECT_EQ(observer.lines,
              (Rows{"hubi_c_from_crop_ :3", "hubi_c_from_oram_ :1", "hubi_c_from_by_prod :1",
                    "hubi_c_from_crop :3", "hubi_c_from_oram :1", "crop 2 hubi :3",
                    "oram 2 hubi :1", "corg 2 hubi :2"}));

    // The final stage reads the selected plots only, with their soil.
    EXPECT_EQ(rows(sim::huba_run_statement(ctx)),
              "11|2000|1.5|-200|1040|1.4|0|999\n11|2001|-99|-200|NULL|1.4|0|999\n"
              "11|2002|-99|NULL|NULL|1.4|0|999\n");
    EXPECT_EQ(rows("select count(*) from huba_fin_res"), "3\n");

    // A second run rebuilds the same tables.
    sim::huba_chain(ctx);
    EXPECT_EQ(rows("select count(*) from hubi_c_bilanz"), "4\n");
}

// --- STAND --------------------------------------------------------------------------------------

// Site groups: plots 21, 23, 26 group 2 (loam), 22 group 3 (sand), 25 matches groups 2 and 1, 24
// has no site attributes. Winter wheat (item 1, crop class 1) everywhere; class 1 reproduces
// -304 in group 2, -328 in group 3, -280 in group 1. Amendment class 20 (item 920) is valid for
// 1 to 3 t/ha per year only.
class StandTest : public HumusFixture {
protected:
    StandTest() {
        conn.execute("insert into st_ros_od (ros_ix, NAME, c_hum, m_ug, m_og) values (20, "
                     "'test', 50, 1, 3)");
        conn.execute("insert into srbopspa (ITEM_IX, NAME, ros_ix) values (920, 'test', 20)");
        conn.execute("insert into vb_st_gr (FL_ID, nied, ltem, corg, CNR, BA_RBS, clay, silt, "
                     "FAT) values (21, 600, 9, 1.5, 10, 'L', 20, 60, 30), (22, 600, 9, 1, 11, "
                     "'Sl', 5, 15, 10), (23, 600, 9, 1.5, 10, 'L', 20, 60, 30), (25, 450, 9, "
                     "1.2, 10, 'LT', 25, 40, 28), (26, 600, 9, 1.5, 10, 'L', 20, 60, 30)");
        conn.execute("insert into st_gruppe (CNR, clay, fat, BA_RBS, nied, ltem, standortgr) "
                     "values (10, 20, 30, 'L', 600, 9, 2), (11, 5, 10, 'Sl', 600, 9, 3), (10, 25, "
                     "28, 'LT', 450, 9, 2), (10, 25, 28, 'LT', 450, 9, 1)");
        for (int p : {21, 22, 23, 24, 25, 26}) plot(p, 1, 1, 2000, 1.5, 0.15);
        // 21: four crop years, the last one with the straw left (80 dt, HI 0.8, straw class 7,
        // 100 per t); farmyard manure (class 1, 40 per t) 2 x 200 dt.
        for (int y : {2000, 2001, 2002}) cultivate(21, y, 2, 1, 70);
        cultivate(21, 2003, 9, 1, 80);
        cultivate(21, 2000, 3, 101, 200);
        cultivate(21, 2002, 3, 101, 200);
        for (int p : {22, 23, 26})
            for (int y : {2000, 2001}) cultivate(p, y, 2, 1, 70);
        cultivate(23, 2000, 3, 920, 100); // 5 t/ha per year: outside the valid range
        cultivate(26, 2000, 3, 920, 40);  // 2 t/ha per year
        cultivate(24, 2000, 2, 1, 70);
        cultivate(25, 2000, 2, 1, 70);
    }
};

TEST_F(StandTest, YearlyBalancesOfCropsAndMeanAmendments) {
    auto ctx = context("STAND");
    sim::stand_chain(ctx);
    EXPECT_TRUE(listed("STAND: no site group (vb_st_gr, st_gruppe) for FL_ID 24; plot left out"));

    const std::string run = sim::stand_run_statement(ctx);
    // hbil_oa of 21: 400/4 dt * 40/10 + 64/4 dt * 100/10; 22 has no amendment (its zero row),
    // 23's amendment lies outside its range, 26's inside (20 dt * 50/10).
    EXPECT_EQ(rows("select FL_ID, year_0, hbil_cr, hbil_oa, hbil from (" + run + ")"),
              "21|2000|-304|560|256\n21|2001|-304|560|256\n21|2002|-304|560|256\n"
              "21|2003|-304|560|256\n"
              "22|2000|-328|0|-328\n22|2001|-328|0|-328\n"
              "23|2000|-304|0|-304\n23|2001|-304|0|-304\n"
              "25|2000|-280|0|-280\n"
              "26|2000|-304|100|-204\n26|2001|-304|100|-204\n");
    EXPECT_NEAR(number("select delta_c from stand_fin_res where FL_ID=21 and year_0=2000"),
                256 * 0.0005672 / 25, 1e-12);
    EXPECT_EQ(rows("select distinct corg, BD, skelett, cif from stand_fin_res"), "1.5|1.4|0|0.5\n");
}

// A plot without amendments keeps its balance also when the zero row's class (farmyard manure)
// is valid only from 1 t/ha on; 21's farmyard manure (10 t/ha per year) then counts nothing.
TEST_F(StandTest, PlotsKeepTheirBalanceWhenNoAmendmentClassIsValid) {
    conn.execute("update st_ros_od set m_ug=1, m_og=3 where ros_ix=1");
    auto ctx = context("STAND");
    sim::stand_chain(ctx);
    EXPECT_EQ(rows("select FL_ID, hbil_oa from (" + sim::stand_run_statement(ctx) +
                   ") where year_0=2001 order by FL_ID"),
              "21|160\n22|0\n23|0\n26|100\n");
}

// --- SALCA --------------------------------------------------------------------------------------

// Soil 1 with 20 % clay: minK_brut = 1.6 - 0.012*20 = 1.36. Sugar beet and potatoes count as
// intensive tillage (bb_faktor 1), clover-grass as none (-1).
class SalcaTest : public HumusFixture {
protected:
    SalcaTest() {
        conn.execute("insert into soilproperties (soil_ID, profile, clay) values (1, 'test', 20)");
        for (int p : {31, 32, 33}) plot(p, 1, 1, 2000, 1.5, 0.15);
        plot(34, 1, 1, 2000, 1.5, 0.15, false);
        // 31: five years, two with sugar beet, one with clover-grass; manure 300 dt in 2000.
        cultivate(31, 2000, 2, 9, 600);
        cultivate(31, 2001, 9, 1, 70);
        cultivate(31, 2002, 2, 9, 600);
        cultivate(31, 2003, 2, 1, 70);
        cultivate(31, 2004, 2, 13, 90);
        cultivate(31, 2000, 3, 101, 300);
        // 32: sugar beet every year; 33: potatoes in one of four years.
        for (int y : {2000, 2001}) cultivate(32, y, 2, 9, 600);
        cultivate(33, 2000, 2, 10, 400);
        for (int y : {2001, 2002, 2003}) cultivate(33, y, 2, 1, 70);
        cultivate(34, 2000, 2, 1, 70);
    }
};

TEST_F(SalcaTest, MineralisationRateFollowsTheTillageShares) {
    auto ctx = context("SALCA");
    sim::salca_chain(ctx);
    EXPECT_EQ(rows("select FL_ID, Anzahlvonyear, Y_int_bb, y_nul_bb from salca_ff_wirkung order "
                   "by FL_ID"),
              "31|5|2|1\n32|2|2|0\n33|4|1|0\n");
    struct Case {
        int plot;
        double mink_net;
    };
    const Case cases[] = {
        {31, 1.36 + 0.5 * 0.4 - 0.5 * 0.2}, // shares at and below the 0.4 threshold: halved
        {32, 1.36 + 0.2},                   // share 1: at most 0.2
        {33, 1.36 + 0.5 * 0.25},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(number("select minK_net from salca_mink where FL_ID=" + std::to_string(c.plot)),
                    c.mink_net, 1e-12)
            << c.plot;
}

TEST_F(SalcaTest, YearlyBalanceOfReproductionAgainstMineralisation) {
    auto ctx = context("SALCA");
    sim::salca_chain(ctx);
    const double corg0 = (0.53 + 0.065 * 20) * 1.35 * 3000000 / 172.5;
    const double loss = corg0 * 1.46 / 100;

    db::Dataset run = conn.open(sim::salca_run_statement(ctx));
    ASSERT_EQ(run.record_count(), 5 + 2 + 4); // crop years of the selected plots
    ASSERT_TRUE(run.locate("year_0", 2000));
    EXPECT_EQ(run["fl_id"].as_int(), 31);
    EXPECT_NEAR(run["corg"].as_double(), corg0, 1e-9);
    EXPECT_DOUBLE_EQ(run["hr_cr"].as_double(), 130);  // sugar beet residues
    EXPECT_DOUBLE_EQ(run["hr_od"].as_double(), 1425); // 300 dt * 47.5 / 10
    EXPECT_NEAR(run["delta_c"].as_double(), 130 + 1425 - loss, 1e-9);
    run.next();
    EXPECT_EQ(run["year_0"].as_int(), 2001); // wheat residues and its straw left, no amendment
    EXPECT_NEAR(run["delta_c"].as_double(), 600 + 620 - loss, 1e-9);
    EXPECT_DOUBLE_EQ(run["hr_od"].as_double(), 0);
    EXPECT_EQ(rows("select distinct bd, skelett, cif from (" + sim::salca_run_statement(ctx) + ")"),
              "1.4|0|0.5\n");
}

// --- HUMOD
// ----------------------------------------------------------------------------------------

// Crop 901 of 10 dt/ha: N uptake m = 10*100*1*(0.02+0.005) = 25, n_korr_max 15, C and N supply
// 100 and 10. N utilisation factors NURC_1 0.8, NURC_2 = NURC_3 0.7, NURC_4 = NURS 0.5. Station 5
// deposits 20 (default, no trend): ksonloss_ND = 20*0.7*0.5 = 7. Mineral N 20: ksonloss_MD 16.
// N_KORR = min(16 + 7, 15) = 15, son_dec = (25 - 0 - 15)/0.5 = 20.
class HumodTest : public HumusFixture {
protected:
    HumodTest() {
        conn.execute("insert into humod_crop_parm (item_ix, NAME, DMMP, NconMP, F_NPB, MP_SP, "
                     "NconSP, F_NDFA, F_SOCSUPHR, F_SONSUPHR, sp_oram_ix, s_dnmin) values (901, "
                     "'test crop', 1, 0.02, 0.005, 0, 0, 0, 0.1, 0.01, -99, 0)");
        conn.execute("insert into climate_station (climate_ID, station, year0_nd, ndep_0, "
                     "year1_nd, ndep_1) values (5, 'test', 1990, 20, 1990, 20)");
        conn.execute("insert into climate_data (climate_ID, day, month, year, temperature, "
                     "precipitation) values (5, 0, 0, 0, 9, 600)");
        conn.execute("insert into reg_ndeposit (climate_id, year, N_dep_y) values (5, 0, 20)");
        conn.execute("insert into soilproperties (soil_ID, profile, clay) values (1, 'test', 20)");
    }
    // A plot measured in 2001 and cropped 2000 to 2002: the deposition series starts in 2001.
    void humod_plot(int fl_id, double corg, std::optional<double> nt, double nurc_4 = 0.5) {
        plot(fl_id, 5, 1, 2001, corg, nt);
        conn.execute("insert into humod_nur (fl_id, NURC_1, NURC_2, NURC_3, NURC_4, NURS) values "
                     "(" +
                     std::to_string(fl_id) + ", 0.8, 0.7, 0.7, " + db::format_number(nurc_4) +
                     ", 0.5)");
        for (int y : {2000, 2001, 2002}) {
            cultivate(fl_id, y, 2, 901, 10);
            cultivate(fl_id, y, 4, 1, 20);
        }
    }
    std::string run_humod(sim::RunContext& ctx) {
        sim::n_deposition_step(ctx);
        sim::humod_chain(ctx);
        return sim::humod_run_statement(ctx);
    }
};

TEST_F(HumodTest, CarbonSupplyIsLimitedByTheNSupplyTimesTheCNRatio) {
    humod_plot(1, 1.2, 0.1); // cnr 12: son_rep*cnr = 120 >= soc_rep 100: the whole soc_rep
    humod_plot(2, 1.2, 0.2); // cnr 6: 60 < 100: son_rep*cnr
    // 2002: cattle slurry 100 dt: C 100*100*0.075*0.4 = 300, N 37.5*(1-0.47*0.8-0.53*0.7)*0.5.
    cultivate(1, 2002, 3, 102, 100);
    const double son_rep_2002 = 10 + 37.5 * (1 - 0.47 * 0.8 - 0.53 * 0.7) * 0.5;

    auto ctx = context("HUMOD");
    const std::string run = run_humod(ctx);
    // 2000 lies before the station's series: no balance row.
    EXPECT_EQ(rows("select FL_ID, [year], son_dec, soc_rep, son_rep from humod_balance where "
                   "FL_ID=2"),
              "2|2001|20|100|10\n2|2002|20|100|10\n");

    struct Expected {
        int plot, year;
        double delta_c, delta_n;
    };
    const Expected expected[] = {
        {1, 2001, 100 - 20 * 12, 100.0 / 12 - 20},
        {1, 2002, son_rep_2002 * 12 - 20 * 12, son_rep_2002 - 20},
        {2, 2001, 10 * 6 - 20 * 6, 10 - 20},
        {2, 2002, 10 * 6 - 20 * 6, 10 - 20},
    };
    db::Dataset d = conn.open(run);
    ASSERT_EQ(d.record_count(), 4);
    for (const auto& e : expected) {
        SCOPED_TRACE(std::to_string(e.plot) + " " + std::to_string(e.year));
        EXPECT_EQ(d["FL_ID"].as_int(), e.plot);
        EXPECT_EQ(d["year_0"].as_int(), e.year);
        EXPECT_NEAR(d["delta_c"].as_double(), e.delta_c, 1e-9);
        EXPECT_NEAR(d["delta_n"].as_double(), e.delta_n, 1e-9);
        EXPECT_DOUBLE_EQ(d["son_dec"].as_double(), 20);
        EXPECT_EQ(d["cif"].as_int(), -99);
        d.next();
    }
    EXPECT_TRUE(lines_starting("HUMOD:").empty());
}

TEST_F(HumodTest, PlotsWithoutUsableFactorsOrInitialCNAreLeftOutAndListed) {
    humod_plot(1, 1.2, 0.1);
    humod_plot(3, 1.2, 0.0);          // Nt 0
    humod_plot(4, 1.2, std::nullopt); // no Nt measured
    humod_plot(5, 0.0, 0.1);          // Corg 0
    humod_plot(7, 1.2, 0.1, 0.0);     // NURC_4 0: son_dec would divide by it
    humod_plot(6, 1.2, 0.1);
    conn.execute("delete from humod_nur where fl_id=6"); // factors never built for the plot

    auto ctx = context("HUMOD");
    const std::string run = run_humod(ctx);
    EXPECT_EQ(lines_starting("HUMOD:"),
              (Rows{"HUMOD: no N utilisation factors (humod_nur) for FL_ID 6; plot left out",
                    "HUMOD: N utilisation factor NURC_4 not above 0 for FL_ID 7; plot left out",
                    "HUMOD: no initial Nt for FL_ID 3; plot left out",
                    "HUMOD: no initial Nt for FL_ID 4; plot left out",
                    "HUMOD: initial Corg not above 0 for FL_ID 5; plot left out"}));
    EXPECT_EQ(sim::humod_plots_without_cnr(conn), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(rows("select distinct FL_ID from (" + run + ")"), "1\n");
    EXPECT_EQ(rows("select FL_ID from cnr4humod order by FL_ID"), "1\n6\n7\n");
}

// A year of the series without any deposition value (-99.9) is no deposition of -99.9: the
// plot year gets no balance row, as a year outside the series.
TEST_F(HumodTest, YearWithoutDepositionValueHasNoBalanceRow) {
    conn.execute("delete from reg_ndeposit");
    conn.execute("insert into reg_ndeposit (climate_id, year, N_dep_y) values (5, 2001, 20)");
    humod_plot(1, 1.2, 0.1);
    auto ctx = context("HUMOD");
    run_humod(ctx);
    EXPECT_EQ(rows("select [year], N_dep_y from tmp_ndeposit order by [year]"),
              "2001|20\n2002|-99.9\n");
    EXPECT_EQ(rows("select FL_ID, [year], son_dec from humod_balance"), "1|2001|20\n");
}

// --- the demo database ------------------------------------------------------------------------

class DemoChainsTest : public ::testing::Test {
protected:
    DemoChainsTest() : conn(db::create_experiment_database(dir / "demo.sqlite", true)) {
        conn.execute("update site_state set status=1");
        sim::build_soil_prop(conn, sim::SoilSettings{}, observer, dialogs);
    }
    sim::RunContext context(const std::string& method) {
        simulator.methode = method;
        return sim::RunContext{conn, simulator, observer, dialogs, state};
    }
    // The plots and rows of a run statement.
    std::string plots_and_rows(const std::string& run) {
        return test::rows(conn, "select count(*) from (select distinct FL_ID from (" + run +
                                    ")) union all select count(*) from (" + run + ")");
    }

    test::TempDir dir;
    db::Connection conn;
    sim::Simulator simulator;
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;
    app::ProgramState state;
};

TEST_F(DemoChainsTest, EveryChainGivesEveryPlotItsYearsAndRunsAgain) {
    struct Method {
        std::string name;
        void (*chain)(sim::RunContext&);
        std::string (*run)(sim::RunContext&);
    };
    const Method methods[] = {
        {"HUBA_2", sim::huba_chain, sim::huba_run_statement},
        {"STAND", sim::stand_chain, sim::stand_run_statement},
        {"SALCA", sim::salca_chain, sim::salca_run_statement},
        {"HUMOD",
         [](sim::RunContext& ctx) {
             sim::n_deposition_step(ctx);
             sim::humod_chain(ctx);
         },
         sim::humod_run_statement},
    };
    for (const auto& m : methods) {
        SCOPED_TRACE(m.name);
        auto ctx = context(m.name);
        m.chain(ctx);
        const std::string first = plots_and_rows(m.run(ctx));
        EXPECT_EQ(first.substr(0, first.find('\n')), "11");
        EXPECT_GT(std::stoi(first.substr(first.find('\n') + 1)), 11 * 30);
        m.chain(ctx);
        EXPECT_EQ(plots_and_rows(m.run(ctx)), first);
    }
    for (const auto& line : observer.lines)
        EXPECT_EQ(line.find("left out"), std::string::npos) << line;
}

} // namespace

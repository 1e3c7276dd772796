// n_balance_test.cpp --- the field N balance on small hand-made plots with known terms.
#include "db/db_error.h"
#include "db/new_database.h"
#include "nbal/n_balance.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

// Plots of station 1 with a simulated N mineralisation of 50 kg N/ha in 2000 and 2001.
// Plot 1: 2000 winter wheat 80 dt (144.8 kg N harvested), 120 kg mineral N and 300 dt
// cattle manure; 2001 field peas 40 dt with the straw left on the field, no fertiliser.
// Plot 2: the same crops without fertiliser or manure.
class NBalanceTest : public testing::Test {
protected:
    NBalanceTest() {
        c.execute("insert into climate_station values (1, 'test', 2000, 0, 2000, 0)");
        for (int plot : {1, 2}) {
            const std::string id = std::to_string(plot);
            c.execute("insert into field_description (FL_ID, climate_ID, soil_ID) values (" + id +
                      ", 1, 1)");
            c.execute("insert into measurements (FL_ID, [year], year_number, M_IX, meas_value) "
                      "values (" +
                      id + ", 2000, 0, 7, 1.2)");
            for (int year : {2000, 2001})
                c.execute("insert into tsm_nresult (FL_ID, [year], n_m_om) values (" + id + ", " +
                          std::to_string(year) + ", 50)");
            record(plot, 2000, 2, 1, 80, 144.8);
            record(plot, 2001, 9, 11, 40, 144);
        }
        record(1, 2000, 4, 1, 120);
        record(1, 2000, 3, 101, 300);
    }

    void record(int plot, int year, int macode, int item, double quantity, double sim = 0) {
        c.execute("insert into cultivation (FL_ID, [year], Macode, Item_IX, Quantity, "
                  "Sim_Quantity) values (" +
                  std::to_string(plot) + ", " + std::to_string(year) + ", " +
                  std::to_string(macode) + ", " + std::to_string(item) + ", " +
                  db::format_number(quantity) + ", " + db::format_number(sim) + ")");
    }

    // A column of tsm_n_bilanz for a plot and year.
    double term(int plot, int year, const std::string& column) {
        return c
            .scalar("select " + column + " from tsm_n_bilanz where FL_ID=" + std::to_string(plot) +
                    " and [year]=" + std::to_string(year))
            .as_double(-1e9);
    }

    nbal::NBalanceResult run(nbal::NBalanceOptions options = {}) {
        return nbal::run_n_balance(c, options);
    }

    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "nbal.db", false);
};

TEST_F(NBalanceTest, YearlyTermsFromManagementAndParameters) {
    int steps = 0;
    const auto result = nbal::run_n_balance(c, {}, [&] { ++steps; });
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(result.plot_years, 4);
    EXPECT_GE(steps, 15);
    EXPECT_LE(steps, nbal::progress_steps);

    struct Expected {
        int year;
        const char* column;
        double value;
    };
    const Expected expected[] = {
        {2000, "N_m_om", 50},
        {2000, "n_dng", 120},
        {2000, "asym_nbind", 5},
        {2000, "n_entz", 80 * 1.81},
        {2000, "n_saat", 3},                // 180 kg seed * 1.81 % = 3.26
        {2000, "n_ewr", 144.8 * 0.16 + 15}, // residues of the harvested N
        {2000, "n_org_inp", 300 * 100 * 0.25 * 0.38 / 17},
        {2000, "n_kop_inp", 0},
        {2000, "n_bindung", 0},
        {2001, "n_dng", 0},
        {2001, "asym_nbind", 10}, // no mineral N: 10
        {2001, "n_entz", 40 * 3.6},
        {2001, "n_saat", 8}, // 220 kg seed * 3.6 % = 7.92
        {2001, "n_ewr", 144 * 0.18 + 10},
        {2001, "n_org_inp", 40 * 1 * 0.86 * 0.45 * 100 / 26}, // pea straw left on the field
        {2001, "n_kop_inp", 40 * 1 * 0.86 * 0.45 * 100 / 26},
        {2001, "n_bindung", 40 * 3.5},
    };
    for (const Expected& e : expected)
        EXPECT_NEAR(term(1, e.year, e.column), e.value, 1e-9) << e.column << " " << e.year;
    EXPECT_EQ(term(2, 2000, "asym_nbind"), 10);
}

TEST_F(NBalanceTest, SummariesOverTheYearsKeepThePlotsInTheFertiliserRange) {
    run({.plot = {}, .fertiliser_from = 1});
    // Only plot 1 (mean mineral N 60) is in the range; its means truncated to one decimal:
    // plant uptake (144.8 + 38.168 + 144 + 35.92) / 2 = 181.444, soil inputs
    // 50 + 60 + 70 + 0 + 7.5 + 5.5 = 193, balance 11.556.
    EXPECT_EQ(test::rows(c, "select FL_ID, n_pflanze_out, n_mindg_inp, n_leg_inp, n_asym_inp, "
                            "n_saat_inp, saldo_nmin_soil, anz from nmin_saldo"),
              "1|181.4|60|70|7.5|5.5|11.5|2\n");
    // Removal without the straw left: (144.8 + 144 - 59.54) / 2; manure and straw N:
    // (167.65 + 59.54) / 2.
    EXPECT_EQ(test::rows(c, "select FL_ID, n_abfuhr, n_orgdg_inp from NT_saldo"),
              "1|114.6|113.5\n");
    EXPECT_EQ(test::rows(c, "select FL_ID from tsm_nsaldo"), "1\n");

    run({.plot = {}, .year_from = 2001, .year_to = 2001});
    EXPECT_EQ(test::rows(c, "select FL_ID, n_mindg_inp, anz from nmin_saldo"), "1|0|1\n2|0|1\n");
}

TEST_F(NBalanceTest, OnePlotGivesItsYearsAndLeavesTheAllPlotSummaryAlone) {
    run();
    c.execute("update NT_saldo set n_abfuhr=-1");
    run({.plot = 1, .year_from = 2001, .year_to = 2001, .fertiliser_from = 500});
    EXPECT_EQ(test::rows(c, "select FL_ID, [year], n_mindg_inp, n_asym_inp, anz from nmin_saldo"),
              "1|2000|120|5|1\n1|2001|0|10|1\n");
    EXPECT_EQ(test::rows(c, "select distinct FL_ID from tsm_n_bilanz"), "1\n");
    EXPECT_EQ(test::rows(c, "select count(*) from NT_saldo where n_abfuhr=-1"), "2\n");
}

TEST_F(NBalanceTest, LegumeFixationIsNeverNegative) {
    struct Case {
        double konstante, fixation;
    };
    for (const Case& k : {Case{-50, 90}, Case{-140, 0}, Case{-200, 0}}) {
        c.execute("update leg_parm set konstante=" + db::format_number(k.konstante) +
                  " where item_ix=11");
        run();
        EXPECT_EQ(term(1, 2001, "n_bindung"), k.fixation) << k.konstante;
    }
}

TEST_F(NBalanceTest, DepositionWithoutAValueLeavesZero) {
    c.execute("insert into reg_ndeposit values (1, 2000, 0)");
    c.execute("insert into reg_ndeposit values (1, 2001, 23.5)");
    run();
    EXPECT_EQ(term(1, 2000, "n_deposition"), 0); // measured 0
    EXPECT_EQ(term(1, 2001, "n_deposition"), 23.5);
    c.execute("delete from reg_ndeposit where [year]=2001");
    run();
    EXPECT_EQ(term(1, 2001, "n_deposition"), 0); // no value: -99.9 in the series
    EXPECT_EQ(test::rows(c, "select N_dep_y from tmp_ndeposit where [year]=2001"), "-99.9\n");
}

TEST_F(NBalanceTest, ObservedUptakeReplacesTheHarvestedN) {
    c.execute("insert into measurements (FL_ID, [year], year_number, M_IX, meas_value) values "
              "(1, 2001, 1, 20, 99.5)");
    run({.plot = {}, .observed_uptake = true});
    EXPECT_EQ(term(1, 2001, "n_entz"), 99.5);
    EXPECT_NEAR(term(1, 2000, "n_entz"), 144.8, 1e-9);
}

TEST_F(NBalanceTest, RegionalModeScalesByTheShareOfThePlot) {
    run();
    const char* columns[] = {"n_dng", "n_entz", "n_ewr", "n_org_inp", "n_kop_inp", "n_bindung"};
    std::vector<double> whole;
    for (const char* col : columns) whole.push_back(term(1, 2000, col) + term(1, 2001, col));
    c.execute("alter table cultivation add part float");
    c.execute("update cultivation set part=25");
    ASSERT_TRUE(nbal::regional_database(c));
    run({.plot = {}, .regional = true});
    for (std::size_t i = 0; i < whole.size(); ++i)
        EXPECT_NEAR(term(1, 2000, columns[i]) + term(1, 2001, columns[i]), whole[i] / 4, 1e-9)
            << columns[i];
    EXPECT_EQ(term(1, 2001, "n_saat"), 2); // 7.92 / 4 = 1.98
}

// Parameters that would divide by zero: the balance goes on without the impossible term and
// names the item; no Null reaches the summaries.
TEST_F(NBalanceTest, ParametersThatWouldDivideByZeroAreNamedAndWorkedAround) {
    c.execute("update n_saat_imp set nutzungsjahre=0 where ITEM_IX=11");
    c.execute("update srbopspa set cnr_alt=0 where ITEM_IX=101");
    const auto result = run();
    ASSERT_EQ(result.warnings.size(), 2u);
    EXPECT_NE(result.warnings[0].find("n_saat_imp: item 11 (field peas) has nutzungsjahre 0"),
              std::string::npos)
        << result.warnings[0];
    EXPECT_NE(result.warnings[1].find("srbopspa: amendment item 101"), std::string::npos)
        << result.warnings[1];
    EXPECT_EQ(term(1, 2001, "n_saat"), 8);
    EXPECT_EQ(term(1, 2000, "n_org_inp"), 0);
    EXPECT_EQ(test::rows(c, "select count(*) from nmin_saldo where saldo_nmin_soil is null or "
                            "n_saat_inp is null"),
              "0\n");
}

TEST_F(NBalanceTest, NotANumberQuantityCountsAsNothing) {
    c.execute("update cultivation set Quantity=Null where Macode=4");
    run();
    EXPECT_EQ(term(1, 2000, "n_dng"), 0);
    EXPECT_EQ(term(1, 2000, "asym_nbind"), 10);
    EXPECT_EQ(test::rows(c, "select count(*) from nmin_saldo where saldo_nmin_soil is null"),
              "0\n");
}

TEST_F(NBalanceTest, AFailingStatementEndsTheBalanceNamingItAndKeepsWhatWasBuilt) {
    c.execute("drop table leg_parm");
    try {
        run();
        FAIL() << "the balance went on without leg_parm";
    } catch (const db::Error& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("nbil_nleg"), std::string::npos) << what;
        EXPECT_NE(what.find("leg_parm"), std::string::npos) << what;
    }
    EXPECT_EQ(term(1, 2000, "n_dng"), 120); // built before the failing step
    EXPECT_FALSE(c.has_table("nbil_nleg"));
    EXPECT_FALSE(c.has_table("nmin_saldo"));
    EXPECT_FALSE(c.in_transaction());
}

TEST(PlotFieldTest, IsEveryPlotOrOneNumber) {
    EXPECT_EQ(nbal::parse_plot_field(" * "), std::nullopt);
    EXPECT_EQ(nbal::parse_plot_field("101"), 101);
    for (const char* bad : {"", "1; drop table cultivation", "1.5", "abc", "**"})
        EXPECT_THROW(nbal::parse_plot_field(bad), std::invalid_argument) << bad;
}

} // namespace

// Grubbs' test of single outliers per plot and property: critical values, the outlier
// list tmp_outlist and the weights of the measurements.
#include "programs/batch_commands.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/new_database.h"
#include "stats/outlier_indication.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace {

TEST(ZGrubbs, MatchesTheTabulatedCriticalValues) {
    const std::vector<std::pair<int, double>> table = {
        {3, 1.1543},  {4, 1.4812},  {5, 1.7150},   {6, 1.8871},   {10, 2.2900},
        {20, 2.7082}, {50, 3.1282}, {100, 3.3841}, {200, 3.6055},
    };
    // N = 4 is exactly 1.48125 (with 2 degrees of freedom t has a closed form), which the
    // table rounds half to even: half a unit of the fourth decimal is accepted.
    for (const auto& [n, expected] : table)
        EXPECT_NEAR(stats::z_grubbs(n), expected, 0.5e-4 + 1e-12) << n;
    for (int n : {-1, 0, 1, 2}) EXPECT_EQ(stats::z_grubbs(n), -99) << n;
}

// The plot of the worked example (plot 1, property 7): the 20 is its only outlier.
const std::vector<double> example = {10, 10.1, 9.9, 10.2, 9.8, 20};

class OutlierIndication : public ::testing::Test {
protected:
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "exp.db", false);
    int next_id = 1;

    // Adds measurements of one plot and property, numbered on from the last ones.
    void add(int plot, int property, const std::vector<double>& values, int year_number = 1) {
        db::Statement insert = c.prepare("insert into measurements (meas_ID, FL_ID, M_IX, "
                                         "[year], year_number, meas_value) values (?,?,?,?,?,?)");
        for (double v : values)
            insert.execute({next_id++, plot, property, 2000 + year_number, year_number, v});
    }
    std::string listed() {
        return test::rows(c, "select meas_ID from tmp_outlist order by meas_ID");
    }
    std::string zero_weights() {
        return test::rows(c, "select meas_ID from measurements where weight = 0 order by meas_ID");
    }
    std::string weights() {
        return test::rows(c, "select meas_ID, weight from measurements order by meas_ID");
    }
};

TEST_F(OutlierIndication, MarksTheLargestValueOfTheExampleOnly) {
    add(1, 7, example);
    EXPECT_EQ(stats::prepare_outlier_indication(c), 1);
    EXPECT_EQ(listed(), "6\n");
    EXPECT_EQ(test::rows(c, "select FL_ID, M_IX from tmp_outlist"), "1|7\n");
    EXPECT_EQ(weights(), "1|1\n2|1\n3|1\n4|1\n5|1\n6|0\n");
    EXPECT_EQ(test::rows(c, "select N_OBS, MV_OBS, max_OBS, min_OBS from prepare_teststats"),
              "6|11.6666666666667|20|9.8\n");
    EXPECT_EQ(test::rows(c, "select Round(PG_MAX, 4), Round(PG_Min, 4), Round(ZGRUBB, 4), "
                            "outlier_MAX, outlier_MIN from outlier_check"),
              "2.04|0.457|1.8871|-1|0\n");
}

TEST_F(OutlierIndication, TiesAndYearNumberZeroShareTheMark) {
    add(1, 7, example);
    add(1, 7, {20}, 0);      // 7: outside the statistics, but holds the extreme value
    add(1, 0, {20, 21, 22}); // 8-10: another property: 20 is no outlier there
    add(2, 7, {20});         // 11: another plot
    EXPECT_EQ(stats::prepare_outlier_indication(c), 2);
    EXPECT_EQ(listed(), "6\n7\n");
    EXPECT_EQ(zero_weights(), "6\n7\n");
}

// Groups that are never marked, each beside the example plot, which must still be.
TEST_F(OutlierIndication, UntestableGroupsLeaveTheOthersTested) {
    struct Case {
        const char* name;
        std::vector<double> values;
        int year_number;
    };
    std::vector<double> over_limit(stats::max_grubbs_group, 10.0);
    over_limit.push_back(20);
    const std::vector<Case> cases = {
        {"two measurements", {10, 20}, 1},
        {"all equal", {5, 5, 5, 5, 5}, 1},
        {"all equal fractions", {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1}, 1},
        {"more than 200 values", over_limit, 1},
        {"year number 0 only", example, 0},
    };
    for (const Case& k : cases) {
        c.execute("delete from measurements");
        next_id = 1;
        add(2, 7, k.values, k.year_number);
        const int first = next_id;
        add(1, 7, example);
        EXPECT_EQ(stats::prepare_outlier_indication(c), 1) << k.name;
        EXPECT_EQ(listed(), std::to_string(first + 5) + "\n") << k.name;
        EXPECT_EQ(zero_weights(), std::to_string(first + 5) + "\n") << k.name;
    }
}

TEST_F(OutlierIndication, RepeatedRunsAgreeAndNewDataReplacesTheMarks) {
    add(1, 7, example);
    add(2, 7, {3, 3.1, 2.9, 3, 0.5});
    stats::prepare_outlier_indication(c);
    const std::string list = listed(), w = weights();
    EXPECT_EQ(list, "6\n11\n");
    EXPECT_EQ(stats::prepare_outlier_indication(c), 2);
    EXPECT_EQ(listed(), list);
    EXPECT_EQ(weights(), w);

    c.execute("update measurements set meas_value = 10.05 where meas_ID = 6");
    EXPECT_EQ(stats::prepare_outlier_indication(c), 1);
    EXPECT_EQ(listed(), "11\n");
    EXPECT_EQ(zero_weights(), "11\n");
}

TEST_F(OutlierIndication, AddsAMissingWeightColumn) {
    c.execute_native("ALTER TABLE measurements DROP COLUMN weight");
    add(1, 7, example);
    ASSERT_FALSE(c.has_column("measurements", "weight"));
    EXPECT_EQ(stats::prepare_outlier_indication(c), 1);
    EXPECT_EQ(weights(), "1|1\n2|1\n3|1\n4|1\n5|1\n6|0\n");
}

TEST_F(OutlierIndication, CriticalValuesAreMadeOnceAndKept) {
    stats::ensure_z_grubbs(c);
    EXPECT_EQ(test::rows(c, "select count(*), min(N), max(N) from z_grubbs"), "200|1|200\n");
    EXPECT_EQ(test::rows(c, "select N, ZGRUBB from z_grubbs where N < 3 order by N"),
              "1|-99\n2|-99\n");
    EXPECT_EQ(test::rows(c, "select Round(ZGRUBB, 4) from z_grubbs where N = 6"), "1.8871\n");

    // A complete table is the one used, as it stands.
    c.execute("update z_grubbs set ZGRUBB = 9 where N = 6");
    add(1, 7, example);
    EXPECT_EQ(stats::prepare_outlier_indication(c), 0);
    EXPECT_EQ(test::rows(c, "select ZGRUBB from z_grubbs where N = 6"), "9\n");
}

TEST_F(OutlierIndication, AnInterruptedFillOfCriticalValuesIsRedone) {
    c.execute("create table z_grubbs ( N int, ZGRUBB float   )");
    c.execute("insert into z_grubbs (N, ZGRUBB) values (1, -99)");
    c.execute("insert into z_grubbs (N, ZGRUBB) values (2, -99)");
    add(1, 7, example);
    EXPECT_EQ(stats::prepare_outlier_indication(c), 1);
    EXPECT_EQ(test::rows(c, "select count(*) from z_grubbs"), "200\n");
}

TEST_F(OutlierIndication, ABrokenRunLeavesAnEmptyList) {
    add(1, 7, example);
    stats::prepare_outlier_indication(c);
    // Without year numbers no group statistics can be made.
    c.execute_native("ALTER TABLE measurements DROP COLUMN year_number");
    EXPECT_EQ(stats::prepare_outlier_indication(c), 0);
    EXPECT_TRUE(c.has_table("tmp_outlist"));
    EXPECT_EQ(listed(), "");
    EXPECT_EQ(zero_weights(), "");
}

TEST_F(OutlierIndication, AWorkTableThatCannotBeReplacedStopsTheRun) {
    add(1, 7, example);
    stats::prepare_outlier_indication(c);
    c.execute("update measurements set meas_value = 10.05 where meas_ID = 6");
    {
        // An open read keeps the engine from dropping tables.
        db::Statement reader = c.prepare_native("SELECT * FROM get_outliers");
        ASSERT_TRUE(reader.step());
        try {
            stats::prepare_outlier_indication(c);
            ADD_FAILURE() << "the old outlier list was taken for the new one";
        } catch (const db::Error& e) {
            EXPECT_NE(std::string(e.what()).find("work table 'prepare_teststats'"),
                      std::string::npos)
                << e.what();
        }
    }
    // The previous indication stays whole: list and weights agree.
    EXPECT_EQ(listed(), "6\n");
    EXPECT_EQ(zero_weights(), "6\n");
}

TEST_F(OutlierIndication, ConsoleCommandReportsTheMarkedCount) {
    add(1, 7, example);
    const std::string file = c.path().string();
    c.close();
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(app::run_batch({"outliers", file}, in, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "1 measurements marked as outliers\n");

    const std::string missing = (dir / "missing.db").string();
    std::ostringstream out2, err2;
    EXPECT_EQ(app::run_batch({"outliers", missing}, in, out2, err2), 1);
    EXPECT_NE(err2.str().find(missing), std::string::npos) << err2.str();
    EXPECT_EQ(out2.str(), "");
}

} // namespace

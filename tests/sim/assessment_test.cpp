// Assessment of a run against the measurements: classes, statistics, report, tallying.
#include "db/connection.h"
#include "db/new_database.h"
#include "sim/assessment.h"
#include "test_support.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

sim::Tallies tallies_of(std::initializer_list<double> differences) {
    sim::Tallies t;
    for (double d : differences) t.add(d);
    return t;
}

// The class (1 ... 7) a single difference falls into.
int class_of(double d) {
    const sim::Tallies t = tallies_of({d});
    for (std::size_t i = 0; i < t.classes.size(); ++i)
        if (t.classes[i] == 1) return static_cast<int>(i) + 1;
    return 0;
}

TEST(AssessmentTallies, EachDifferenceFallsIntoTheClassOfItsHalfOpenInterval) {
    const struct {
        double d;
        int cls;
    } cases[] = {
        {-3.0, 1},
        {-0.5001, 1},
        {-0.5, 2},
        {-0.2501, 2},
        {-0.25, 3},
        {-0.06, 3},
        {-0.05, 4},
        {0.0, 4},
        {0.0499, 4},
        {0.05, 5},
        {0.2499, 5},
        {0.25, 6},
        {0.4999, 6},
        {0.5, 7},
        {12.0, 7},
        // Decimal differences computed in binary land beside the bound they equal.
        {1.2 - 1.25, 4},
        {1.25 - 1.2, 5},
        {0.3 - 0.8, 2},
        {1.1 - 0.6, 7},
    };
    for (const auto& c : cases) EXPECT_EQ(class_of(c.d), c.cls) << "d = " << c.d;
}

TEST(AssessmentTallies, SumsAreSignedAndSquared) {
    const sim::Tallies t = tallies_of({0.5, -0.25, -1.0});
    EXPECT_EQ(t.n(), 3);
    EXPECT_DOUBLE_EQ(t.t1, -0.75);
    EXPECT_DOUBLE_EQ(t.t2, -0.75);
    EXPECT_DOUBLE_EQ(t.t3, 0.25 + 0.0625 + 1.0);
}

TEST(AssessmentStatistics, MatchValuesWorkedByHand) {
    // d = 0.1, 0.3, -0.1, 0.5: sum 0.8, sum of squares 0.36, N 4.
    const sim::Assessment a = sim::assess(tallies_of({0.1, 0.3, -0.1, 0.5}));
    EXPECT_EQ(a.n, 4);
    EXPECT_DOUBLE_EQ(a.mean_error, 0.2);
    EXPECT_DOUBLE_EQ(a.rmse, std::sqrt(0.09));
    const double v = (0.36 - 0.64 / 4) / 3; // 0.2 / 3
    EXPECT_DOUBLE_EQ(a.s, std::sqrt(v));
    EXPECT_DOUBLE_EQ(a.smw, std::sqrt(v / 4)); // 0.129 < 0.2
    EXPECT_TRUE(a.bias);
}

TEST(AssessmentStatistics, BiasVerdictWeighsTheSizeOfTheMeanError) {
    const struct {
        std::initializer_list<double> d;
        bool bias;
    } cases[] = {
        {{0.1, 0.3, -0.1, 0.5}, true},   // model too low
        {{-0.1, -0.3, 0.1, -0.5}, true}, // model too high: a negative mean is a bias too
        {{0.4, -0.4, 0.3, -0.2}, false}, // scattered around zero
        {{0.0, 0.0, 0.0}, false},        // perfect agreement
        {{0.1, 0.1, 0.1, 0.1}, true},    // constant offset, no spread
    };
    for (const auto& c : cases) {
        const sim::Assessment a = sim::assess(tallies_of(c.d));
        EXPECT_EQ(a.bias, c.bias) << "mean " << a.mean_error << ", smw " << a.smw;
        EXPECT_FALSE(std::isnan(a.s));
    }
}

TEST(AssessmentStatistics, FewPairs) {
    const sim::Assessment none = sim::assess({});
    EXPECT_EQ(none.n, 0);
    for (double x : {none.mean_error, none.rmse, none.s, none.smw}) EXPECT_EQ(x, sim::not_computed);
    EXPECT_FALSE(none.bias);

    const sim::Assessment one = sim::assess(tallies_of({-0.3}));
    EXPECT_EQ(one.n, 1);
    EXPECT_DOUBLE_EQ(one.mean_error, -0.3);
    EXPECT_DOUBLE_EQ(one.rmse, 0.3);
    EXPECT_EQ(one.s, 0.0);
    EXPECT_EQ(one.smw, 0.0);
    EXPECT_FALSE(one.bias);
}

TEST(AssessmentReport, ListsClassesSharesAndStatistics) {
    // Three differences in class 4, one in class 5; the mean error equals its standard
    // error, which is no significant bias.
    const std::vector<std::string> expected{
        " CL1<-0.5=>0 / 0%",
        " CL2<-0.25=>0 / 0%",
        " CL3<-0.05=>0 / 0%",
        " CL4<0.05=>3 / 75%",
        " CL5<0.25=>1 / 25%",
        " CL6<0.5=>0 / 0%",
        " CL7>0.5=>0 / 0%",
        " N=4",
        " mean error=0.05",
        " RMSE      =0.1",
        " s =0.1",
        " smw=0.05",
        "        no significant bias detected",
    };
    EXPECT_EQ(sim::report_lines(tallies_of({0.0, 0.0, 0.0, 0.2})), expected);
}

TEST(AssessmentReport, SharesAreRoundedToOneDecimal) {
    const std::vector<std::string> lines = sim::report_lines(tallies_of({-1.0, 0.0, 1.0}));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], " CL1<-0.5=>1 / 33.3%");
    EXPECT_EQ(lines[3], " CL4<0.05=>1 / 33.3%");
    EXPECT_EQ(lines[6], " CL7>0.5=>1 / 33.3%");
    EXPECT_EQ(lines[12], "        no significant bias detected");
}

TEST(AssessmentReport, OnePairHasNoSpreadAndNoPairsNoLines) {
    EXPECT_TRUE(sim::report_lines({}).empty());
    const std::vector<std::string> lines = sim::report_lines(tallies_of({0.3}));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[5], " CL6<0.5=>1 / 100%");
    EXPECT_EQ(lines[7], " N=1");
    EXPECT_EQ(lines[8], " mean error=0.3");
    EXPECT_EQ(lines[9], " RMSE      =0.3");
}

TEST(AssessmentProtocol, RowCarriesPlotRunStatisticsAndToday) {
    const sim::Assessment a = sim::assess(tallies_of({0.1, 0.3, -0.1, 0.5}));
    const sim::ProtocolRow row = sim::protocol_row(a, 17, -99);
    EXPECT_EQ(row.fl_id, 17);
    EXPECT_EQ(row.run_id, -99);
    EXPECT_EQ(row.n, 4);
    EXPECT_EQ(row.mean_error, a.mean_error);
    EXPECT_EQ(row.rmsd, a.rmse);
    EXPECT_EQ(row.s, a.s);
    EXPECT_EQ(row.smw, a.smw);
    EXPECT_TRUE(row.bias);
    EXPECT_EQ(row.datum, sim::today_iso());

    const sim::ProtocolRow empty = sim::protocol_row(sim::assess({}), 3, 8);
    EXPECT_EQ(empty.n, 0);
    EXPECT_EQ(empty.rmsd, sim::not_computed);
    EXPECT_FALSE(empty.bias);
}

class CompareWithMeasurements : public ::testing::Test {
protected:
    test::TempDir dir;
    db::Connection conn = db::create_experiment_database(dir / "exp.db", false);

    void SetUp() override {
        if (!conn.has_table("sim_result"))
            conn.execute("create table sim_result (fl_id int, m_ix int, year_ int, "
                         "year_num int, sim_value double)");
        conn.execute("insert into site_state (FL_ID, status) values (1, 1)");
        conn.execute("insert into site_state (FL_ID, status) values (2, 1)");
        conn.execute("insert into site_state (FL_ID, status) values (3, 0)");
    }
    void simulated(int plot, int year, const char* value, int m_ix = 7) {
        conn.execute("insert into sim_result (fl_id, m_ix, year_, year_num, sim_value) values (" +
                     std::to_string(plot) + ", " + std::to_string(m_ix) + ", " +
                     std::to_string(year) + ", " + std::to_string(year - 1989) + ", " + value +
                     ")");
    }
    void measured(int plot, int year, int year_number, const char* value, int m_ix = 7) {
        conn.execute("insert into measurements (FL_ID, [year], year_number, M_IX, meas_value) "
                     "values (" +
                     std::to_string(plot) + ", " + std::to_string(year) + ", " +
                     std::to_string(year_number) + ", " + std::to_string(m_ix) + ", " + value +
                     ")");
    }
};

TEST_F(CompareWithMeasurements, PairsSelectedPlotsCorgOfTheSameYear) {
    simulated(1, 1990, "1.0");
    measured(1, 1990, 1, "1.1"); // pair: +0.1
    measured(1, 1990, 1, "0.9"); // second measurement of the year: -0.1
    simulated(1, 1991, "1.0");
    measured(1, 1991, 2, "1.7");  // pair: +0.7
    measured(1, 1991, 2, "9", 0); // other measurement index
    simulated(2, 1990, "2.0");
    measured(2, 1990, 0, "2.6"); // initial value, not a check of the model
    measured(2, 1992, 3, "2.6"); // year without simulation
    simulated(2, 1993, "Null");
    measured(2, 1993, 4, "2.6"); // no simulated value
    simulated(2, 1994, "2.0");
    measured(2, 1994, 5, "Null"); // no measured value
    simulated(3, 1990, "1.0");
    measured(3, 1990, 1, "1.6"); // plot not in the run
    simulated(1, 1992, "1.0", 0);
    measured(1, 1992, 3, "1.6", 0); // not Corg

    const sim::Tallies t = sim::compare_with_measurements(conn);
    EXPECT_EQ(t.n(), 3);
    EXPECT_EQ(t.classes[2], 1);
    EXPECT_EQ(t.classes[4], 1);
    EXPECT_EQ(t.classes[6], 1);
    EXPECT_NEAR(t.t1, 0.7, 1e-12);
    EXPECT_NEAR(t.t3, 0.51, 1e-12);
}

TEST_F(CompareWithMeasurements, NoPairsGiveEmptyTallies) {
    simulated(1, 1990, "1.0");
    const sim::Tallies t = sim::compare_with_measurements(conn);
    EXPECT_EQ(t.n(), 0);
    EXPECT_TRUE(sim::report_lines(t).empty());
}

} // namespace

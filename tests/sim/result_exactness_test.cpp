// result_exactness_test.cpp --- a "TSM" run over the demo database and over a small
// synthetic database leaves result tables that are identical, bit for bit and in row
// order, to the ones these fingerprints were taken of, whatever the number of threads
// the final stage simulates on.
//
// A fingerprint covers every row of sim_result, tsm_nresult, tsm_zbv and tsm_driver in
// the order the rows were written, with every value's type and, for numbers, every bit.
// A change that is meant to alter the results renews them: the failure message prints
// the new fingerprints.
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "sim/run_driver.h"
#include "sim/run_steps.h"
#include "synthetic_database.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// The fingerprints of the four result tables, with their row counts, one line each.
std::string fingerprints(db::Connection& c) {
    std::string out;
    for (const char* table : {"sim_result", "tsm_nresult", "tsm_zbv", "tsm_driver"}) {
        out += std::string(table) + " " +
               test::fingerprint(c, std::string("select * from ") + table + " order by rowid") +
               "\n";
    }
    return out;
}

struct Case {
    const char* name;
    bool synthetic; // the demo database otherwise
    int threads;
    const char* expected;
};

const char* const demo_fingerprints = "sim_result 500 1ea97ec2215a9682\n"
                                      "tsm_nresult 500 6a108f6717672b3d\n"
                                      "tsm_zbv 500 becd8fbeaae2d921\n"
                                      "tsm_driver 11 8c15aeeec44214fc\n";
const char* const synthetic_fingerprints = "sim_result 192 f5fdf8cc9e74fa0d\n"
                                           "tsm_nresult 192 b481c458fdf40fba\n"
                                           "tsm_zbv 192 22da29663f0da5fa\n"
                                           "tsm_driver 12 a95c6aa2f6fa874b\n";

class ResultExactness : public testing::TestWithParam<Case> {};

TEST_P(ResultExactness, ResultTablesMatchTheirFingerprints) {
    const Case& c = GetParam();
    test::TempDir dir;
    test::WorkingFolder folder{dir.path()};
    const auto file = dir / "run.db";
    if (c.synthetic) bench::make_synthetic_database(file, 12, 16);
    db::Connection conn =
        c.synthetic ? db::Connection(file) : db::create_experiment_database(file, true);
    if (c.synthetic) conn.execute("update site_state set status = 1");
    sim::Simulator simulator;
    simulator.methode = "TSM";
    simulator.threads = c.threads;
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;
    app::ProgramState state;
    sim::RunContext ctx{conn, simulator, observer, dialogs, state};
    ASSERT_EQ(sim::press_calculate(ctx, sim::standard_run_steps()),
              sim::CalculateOutcome::completed);
    ASSERT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    EXPECT_EQ(fingerprints(conn), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ResultExactness,
    testing::Values(Case{"demo_one_thread", false, 1, demo_fingerprints},
                    Case{"demo_four_threads", false, 4, demo_fingerprints},
                    Case{"synthetic_one_thread", true, 1, synthetic_fingerprints},
                    Case{"synthetic_four_threads", true, 4, synthetic_fingerprints}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace

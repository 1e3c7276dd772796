// demo_balance_test.cpp --- the field N balance over the demo experiments after a TSM run.
#include "db/new_database.h"
#include "nbal/n_balance.h"
#include "scripted_dialogs.h"
#include "sim/run_steps.h"
#include "test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// The demo database after a TSM run of every plot (the run writes its report into the
// working folder, so it runs inside the test's folder).
class DemoBalanceTest : public testing::Test {
protected:
    DemoBalanceTest() {
        test::WorkingFolder folder(dir.path());
        c.execute("update site_state set status=1");
        sim::Simulator simulator;
        simulator.methode = "TSM";
        sim::RecordingObserver observer;
        test::ScriptedDialogs dialogs;
        app::ProgramState state;
        sim::RunContext ctx{c, simulator, observer, dialogs, state};
        outcome = sim::press_calculate(ctx, sim::standard_run_steps());
    }

    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);
    sim::CalculateOutcome outcome = sim::CalculateOutcome::failed;
};

TEST_F(DemoBalanceTest, SummarisesEverySimulatedPlotInTheChosenRanges) {
    ASSERT_EQ(outcome, sim::CalculateOutcome::completed);
    nbal::run_n_balance(c, {.plot = {}, .year_from = 1990, .year_to = 1999, .fertiliser_from = 1});

    // Every plot with mineral N, each with its simulated years of the nineties.
    EXPECT_EQ(test::rows(c, "select FL_ID, anz from nmin_saldo"),
              test::rows(c, "select r.FL_ID, count(*) from tsm_nresult r where r.[year] between "
                            "1990 and 1999 and r.FL_ID in (select FL_ID from cultivation where "
                            "Macode=4 and [year] between 1990 and 1999) group by r.FL_ID"));
    EXPECT_EQ(test::rows(c, "select count(*) from nmin_saldo where n_mindg_inp < 1"), "0\n");
    // No term is missing, and the summaries agree with the balance of the plot.
    EXPECT_EQ(test::rows(c, "select count(*) from tsm_n_bilanz where N_m_om is null or n_entz is "
                            "null or n_ewr is null or n_org_inp is null or n_saat is null"),
              "0\n");
    EXPECT_EQ(test::rows(c, "select count(*) from nmin_saldo n inner join tsm_nsaldo s on "
                            "n.FL_ID=s.FL_ID where abs(n.saldo_nmin_soil - s.n_saldo_soil) > 0.1 "
                            "or abs(n.n_mos_inp - s.n_mos_inp) > 0.1"),
              "0\n");
    EXPECT_EQ(test::rows(c, "select count(*) from NT_saldo"),
              test::rows(c, "select count(*) from nmin_saldo"));
    // Deposition of station 1 follows its trend: 30 kg N/ha in 1995.
    EXPECT_EQ(test::rows(c, "select distinct n_deposition from tsm_n_bilanz b inner join "
                            "field_description f on b.FL_ID=f.FL_ID where f.climate_ID=1 and "
                            "b.[year]=1995"),
              "30\n");
}

} // namespace

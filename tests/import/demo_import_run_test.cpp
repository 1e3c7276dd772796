// A run on an imported copy of the demo database gives the demo's results.
#include "db/connection.h"
#include "db/new_database.h"
#include "import/database_import.h"
#include "scripted_dialogs.h"
#include "sim/run_driver.h"
#include "sim/run_observer.h"
#include "sim/run_steps.h"
#include "sim/simulator.h"
#include "test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// A "TSM" run over the selected plots of a database, as "calculate" starts it.
void run_tsm(db::Connection& conn) {
    sim::Simulator simulator;
    simulator.methode = "TSM";
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;
    app::ProgramState state;
    const sim::RunSteps steps = sim::standard_run_steps();
    sim::RunContext ctx{conn, simulator, observer, dialogs, state};
    ASSERT_EQ(sim::press_calculate(ctx, steps), sim::CalculateOutcome::completed)
        << (dialogs.shown.empty() ? std::string("no message") : dialogs.shown.back());
}

// The result tables of a run, every row and column.
std::string results(db::Connection& c) {
    std::string all;
    for (const char* table :
         {"sim_result", "tsm_nresult", "tsm_zbv", "tsm_driver", "som_state", "fom_state"}) {
        db::Statement st =
            c.prepare_native(std::string("SELECT * FROM ") + table + " ORDER BY 1, 2, 3, 4");
        all += std::string(table) + ":\n";
        while (st.step()) {
            for (int i = 0; i < st.column_count(); ++i)
                all += (i ? "|" : "") + st.column(i).as_text();
            all += "\n";
        }
    }
    return all;
}

TEST(DemoImport, RunOnTheImportedCopyGivesTheDemosResults) {
    test::TempDir dir;
    test::WorkingFolder folder(dir.path());
    db::create_experiment_database(dir / "demo.db", true);
    import::import_database(dir / "demo.db", dir / "imported.db");

    db::Connection demo(dir / "demo.db");
    run_tsm(demo);
    db::Connection imported(dir / "imported.db");
    run_tsm(imported);
    const std::string expected = results(demo);
    ASSERT_GT(expected.size(), 10000u) << expected; // the run wrote its results
    EXPECT_EQ(results(imported), expected);
}

} // namespace

// climate_alongside_test.cpp --- a run that builds the time frame and the yearly climate on
// a second connection, while the organic inputs are prepared, leaves the database, the
// message list and the message boxes exactly as the preparation steps one after the other
// leave them: when it completes and when a step stops it, wherever that step runs.
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "sim/run_driver.h"
#include "sim/run_steps.h"
#include "test_support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The work tables of the preparation and the result tables.
const char* const run_tables[] = {
    "tmp_time_int",     "tmp_time_scen", "tmp_tirgint",    "tmp_tirg_pattern",
    "tmp_last_tillage", "tmp_soil_prop", "beregnung_jsum", "eff_climate",
    "clim4sim",         "tmp_bat",       "tmp_hlpcinit",   "crep_year",
    "opstab",           "sim_result",    "tsm_nresult",    "tsm_zbv"};

struct Outcome {
    sim::CalculateOutcome calculate;
    std::vector<std::string> messages; // without the lines that carry the clock time
    std::vector<std::string> shown;
    std::string tables; // each run table's definition, indexes and fingerprint of its rows
    std::vector<std::string> main_statements;
};

std::string tables_of(db::Connection& c) {
    std::string out;
    for (const char* table : run_tables) {
        out += table + std::string(":\n") +
               test::rows(c, std::string("select sql from sqlite_master where tbl_name='") + table +
                                 "' order by type, name");
        if (c.has_table(table))
            out += test::fingerprint(c, std::string("select rowid, * from ") + table +
                                            " order by rowid") +
                   "\n";
    }
    return out;
}

struct Case {
    const char* name;
    const char* fault; // statements that spoil the demo database
    sim::CalculateOutcome calculate;
    int repetitions = 0;               // of each plot's years in the yearly climate
    const char* after_time_frame = ""; // a statement run right after the time frame
    bool rollback_journal = false;     // the database keeps no write-ahead journal
};

Outcome run(const std::filesystem::path& file, const Case& c, bool alongside) {
    db::Connection db = db::create_experiment_database(file, true);
    db.execute("update site_state set status=1");
    if (*c.fault) db.execute(c.fault);
    if (c.rollback_journal) db.execute_native("PRAGMA journal_mode=DELETE");
    sim::Simulator simulator;
    simulator.methode = "TSM";
    simulator.z_cnt = c.repetitions;
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;
    app::ProgramState state;
    sim::RunContext ctx{db, simulator, observer, dialogs, state};
    sim::RunSteps steps = sim::standard_run_steps();
    if (!alongside) steps.climate_alongside = nullptr;
    if (*c.after_time_frame)
        steps.time_frame = [time_frame = steps.time_frame, &c](sim::RunContext& step) {
            time_frame(step);
            step.conn.execute(c.after_time_frame);
        };
    Outcome o;
    {
        db::TraceScope trace(db, [&](const std::string& s) { o.main_statements.push_back(s); });
        o.calculate = sim::press_calculate(ctx, steps);
    }
    for (const std::string& line : simulator.messages)
        if (line.rfind("TSM run started", 0) != 0 && line.rfind("job finished", 0) != 0)
            o.messages.push_back(line);
    o.shown = dialogs.shown;
    o.tables = tables_of(db);
    return o;
}

class ClimateAlongside : public testing::TestWithParam<Case> {};

TEST_P(ClimateAlongside, LeavesWhatTheStepsOneAfterTheOtherLeave) {
    const Case& c = GetParam();
    test::TempDir dir;
    test::WorkingFolder folder{dir.path()};
    const Outcome sequence = run(dir / "sequence.db", c, false);
    // A scratch file left by a run that crashed is replaced.
    std::ofstream(dir / "alongside.db.run-climate") << "left by a crashed run";
    const Outcome alongside = run(dir / "alongside.db", c, true);

    EXPECT_EQ(sequence.calculate, c.calculate);
    EXPECT_EQ(alongside.calculate, sequence.calculate);
    EXPECT_EQ(alongside.messages, sequence.messages);
    EXPECT_EQ(alongside.shown, sequence.shown);
    if (std::string(c.name) == "initialisation_fails") {
        EXPECT_EQ(alongside.shown.size(), 1u);
    }
    EXPECT_EQ(alongside.tables, sequence.tables);
    EXPECT_FALSE(std::filesystem::exists(dir / "alongside.db.run-climate"));
}

// When the run completes, the yearly climate was built on another connection, except in a
// database without a write-ahead journal, where reading it alongside would hold up the
// run's own writes: there the steps run one after the other.
TEST(ClimateAlongsideRun, BuildsTheYearlyClimateOnAnotherConnectionWhereTheJournalAllows) {
    for (const bool rollback_journal : {false, true}) {
        test::TempDir dir;
        test::WorkingFolder folder{dir.path()};
        const Case c{"completes", "", sim::CalculateOutcome::completed, 0, "", rollback_journal};
        const Outcome alongside = run(dir / "alongside.db", c, true);
        ASSERT_EQ(alongside.calculate, sim::CalculateOutcome::completed);
        bool built_here = false;
        for (const std::string& statement : alongside.main_statements)
            built_here = built_here || statement.find("INTO eff_climate") != std::string::npos;
        EXPECT_EQ(built_here, rollback_journal);
        const Outcome sequence = run(dir / "sequence.db", c, false);
        EXPECT_EQ(alongside.tables, sequence.tables);
        EXPECT_EQ(alongside.messages, sequence.messages);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ClimateAlongside,
    testing::Values(
        Case{"completes", "", sim::CalculateOutcome::completed},
        // The yearly climate stops the run: built alongside, then again on the run's own.
        Case{"plot_without_station", "update field_description set climate_ID=99 where fl_id=101",
             sim::CalculateOutcome::failed},
        Case{"year_without_climate",
             "delete from climate_data where climate_ID=1 and [year] in (0, 1990)",
             sim::CalculateOutcome::failed},
        // The soil properties, built before the others, stop the run after the organic inputs.
        Case{"impossible_bulk_density", "update soilproperties set BD=3.1 where soil_ID=1",
             sim::CalculateOutcome::failed},
        // The organic inputs stop the run while the climate is built alongside.
        Case{"missing_parameter_column", "alter table srbopspa drop column eta",
             sim::CalculateOutcome::failed},
        // A plot without soil is left out of the soil properties and the yearly BAT.
        Case{"plot_without_soil", "update field_description set soil_ID=99 where fl_id=101",
             sim::CalculateOutcome::completed},
        // Repeated years of a scenario make the yearly climate longer than the time frame.
        Case{"scenario_repetitions", "", sim::CalculateOutcome::completed, 2},
        // The final stage stops at once when a plot's cultivation starts after its initial
        // measurement (found out alongside).
        Case{"initialisation_fails",
             "update measurements set [year]=1900 where year_number=0 and fl_id=101",
             sim::CalculateOutcome::completed},
        // A table with a gap in its row ids keeps them in the run's database.
        Case{"row_ids_with_a_gap", "", sim::CalculateOutcome::completed, 0,
             "delete from tmp_tirgint where rowid = 2"}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace

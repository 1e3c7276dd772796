// run_driver_test.cpp --- the simulator's activation and the skeleton of a run.
#include "app/run_lock.h"
#include "db/db_error.h"
#include "db/new_database.h"
#include "db/statement_file.h"
#include "model/bat.h"
#include "scripted_dialogs.h"
#include "sim/plot_selection.h"
#include "sim/run_driver.h"
#include "test_support.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace {

// A demo database, the settings of an installed program, and the simulator's surroundings.
class SimulatorTest : public ::testing::Test {
protected:
    SimulatorTest() {
        db::create_experiment_database(db_path(), true).close();
        settings.write_string("database", db_path());
        settings.write_string("ptfmode", "2");
        settings.write_string("pf_wp", "42");
        settings.write_string("pf_fk", "18");
        settings.write_integer("recalc_bat", 1);
        settings.write_string("soil_scheme", "KA4");
        settings.write_string("r_call", "R.exe");
        settings.write_integer("dyn_bd", 1);
    }

    std::string db_path() const { return (dir / "demo.sqlite").string(); }

    void activate(std::vector<std::string> command_line) {
        args = std::move(command_line);
        sim::ActivationContext ctx = context();
        sim::activate(simulator, ctx);
    }

    sim::ActivationContext context() {
        return {args,
                [this](const std::string& f) { return existing.count(f) > 0; },
                settings,
                tsm_settings,
                state,
                dialogs,
                observer,
                connection,
                dir.path().string()};
    }

    db::Connection& conn() {
        if (!connection) connection.emplace(db_path());
        return *connection;
    }

    sim::RunContext run_context() { return {conn(), simulator, observer, dialogs, state}; }

    std::string write_file(const std::string& name, const std::string& text) {
        const std::string path = (dir / name).string();
        std::ofstream(path) << text;
        existing.insert(path);
        return path;
    }

    test::TempDir dir;
    app::MemorySettingsStore settings;
    app::ProgramState state;
    app::TsmSettings tsm_settings{settings, state};
    test::ScriptedDialogs dialogs;
    sim::RecordingObserver observer;
    std::optional<db::Connection> connection;
    std::vector<std::string> args;
    std::set<std::string> existing;
    sim::Simulator simulator;
};

TEST_F(SimulatorTest, ActivationAppliesTheCommandLine) {
    const std::string post = write_file("post.sql", "update site_state set res_VAL=1\n");
    struct Case {
        std::vector<std::string> args;
        std::function<void(const sim::Simulator&)> check;
    };
    const std::vector<Case> cases = {
        {{},
         [](const sim::Simulator& s) {
             EXPECT_FALSE(s.auto_mode);
             EXPECT_EQ(s.sel_id, "?");
             EXPECT_TRUE(s.simple_version);
             EXPECT_TRUE(s.recalc_bat);
             EXPECT_EQ(s.pre_proc_query, "?");
             EXPECT_FALSE(s.pst_processing);
             EXPECT_FALSE(s.nowait);
         }},
        {{"GO"}, [](const sim::Simulator& s) { EXPECT_TRUE(s.auto_mode); }},
        {{"go"}, [](const sim::Simulator& s) { EXPECT_TRUE(s.auto_mode); }},
        {{"ID=203"}, [](const sim::Simulator& s) { EXPECT_EQ(s.sel_id, "203"); }},
        {{"RC=2", "TC=1990"},
         [](const sim::Simulator& s) {
             EXPECT_EQ(s.z_cnt, 2);
             EXPECT_EQ(s.z_anf, 1990);
         }},
        {{"BAT=0"},
         [](const sim::Simulator& s) {
             EXPECT_FALSE(s.recalc_bat);
             EXPECT_FALSE(s.recalc_bat_box);
         }},
        {{"new_bat"}, [](const sim::Simulator& s) { EXPECT_FALSE(s.simple_version); }},
        {{"SC=RBS", "I=-1"},
         [](const sim::Simulator& s) {
             EXPECT_EQ(s.soil_scheme, "RBS");
             EXPECT_EQ(s.interpol, -1);
         }},
        {{"nw"}, [](const sim::Simulator& s) { EXPECT_TRUE(s.nowait); }},
        {{"!"}, [](const sim::Simulator& s) { EXPECT_TRUE(s.nowait); }},
        {{"ERR_P=12"},
         [](const sim::Simulator& s) {
             EXPECT_TRUE(s.sim_prot);
             EXPECT_EQ(s.run_id, 12);
         }},
        {{"UNCAS"}, [](const sim::Simulator& s) { EXPECT_TRUE(s.uncas_mode); }},
        {{"SQL=missing.sql"},
         [](const sim::Simulator& s) { EXPECT_EQ(s.pre_proc_query, "missing.sql"); }},
        {{"POQ=" + post},
         [post](const sim::Simulator& s) {
             EXPECT_EQ(s.pst_proc_query, post);
             EXPECT_TRUE(s.pst_processing);
         }},
        {{"POQ=absent.sql"},
         [](const sim::Simulator& s) {
             EXPECT_EQ(s.pst_proc_query, "?");
             EXPECT_FALSE(s.pst_processing);
         }},
    };
    for (const Case& c : cases) {
        sim::Simulator fresh;
        simulator = fresh;
        activate(c.args);
        SCOPED_TRACE(c.args.empty() ? std::string("(none)") : c.args.front());
        c.check(simulator);
    }
}

TEST_F(SimulatorTest, ActivationResetsPerActivationFieldsAndReadsSettings) {
    simulator.sel_id = "101";
    simulator.nowait = true;
    simulator.calculate_caption = "close";
    simulator.calculate_enabled = false;
    simulator.histogram.fill(5);
    simulator.stop_run = true;
    conn().execute("update srbaparm set K_STAB=0.0012, H_FC=70 where item_ix=1");
    activate({});
    EXPECT_EQ(simulator.sel_id, "?");
    EXPECT_FALSE(simulator.nowait);
    EXPECT_EQ(simulator.calculate_caption, "calculate");
    EXPECT_TRUE(simulator.calculate_enabled);
    EXPECT_EQ(simulator.histogram, (std::array<int, 7>{}));
    EXPECT_FALSE(simulator.stop_run);

    EXPECT_EQ(simulator.database, db_path());
    EXPECT_EQ(simulator.path_field, db_path());
    EXPECT_EQ(simulator.hymode, 2);
    EXPECT_DOUBLE_EQ(simulator.pf_wp, 4.2);
    EXPECT_DOUBLE_EQ(simulator.pf_fk, 1.8);
    EXPECT_EQ(simulator.soil_scheme, "KA4");
    EXPECT_EQ(simulator.r_call, "R.exe");
    EXPECT_TRUE(simulator.dyn_bd);
    EXPECT_FALSE(simulator.dyn_lts); // missing: false
    EXPECT_DOUBLE_EQ(simulator.parms.ks, 0.0012);
    EXPECT_DOUBLE_EQ(simulator.parms.hfc, 70);
    EXPECT_DOUBLE_EQ(simulator.parms.km, 0.00556);
    ASSERT_TRUE(connection.has_value());
    EXPECT_EQ(connection->path().string(), db_path());
    EXPECT_EQ(observer.lines.size(), 7u);
    EXPECT_EQ(simulator.messages, observer.lines);
}

TEST_F(SimulatorTest, FinalStageThreadsFromTheSettingsUnlessTheCommandLineNamesThem) {
    activate({});
    EXPECT_EQ(simulator.threads, 0); // no value: one per core
    settings.write_integer("threads", 3);
    activate({});
    EXPECT_EQ(simulator.threads, 3);
    activate({"THREADS=1"});
    EXPECT_EQ(simulator.threads, 1);
}

TEST_F(SimulatorTest, ActivationWithoutSettingsKeyTakesTheDefaults) {
    app::MemorySettingsStore empty;
    app::TsmSettings empty_settings{empty, state};
    simulator.database = db_path();
    args = {};
    sim::ActivationContext ctx{args,    {},       empty,      empty_settings,     state,
                               dialogs, observer, connection, dir.path().string()};
    sim::activate(simulator, ctx);
    EXPECT_EQ(simulator.hymode, 3);
    EXPECT_EQ(simulator.methode, "TSM");
    EXPECT_DOUBLE_EQ(simulator.pf_wp, 4.2);
    EXPECT_EQ(simulator.soil_scheme, "RBS");
    EXPECT_TRUE(simulator.recalc_bat);
    EXPECT_EQ(simulator.database, db_path());
}

TEST_F(SimulatorTest, MissingSettingsValueStopsActivation) {
    app::MemorySettingsStore partial;
    partial.write_string("database", db_path());
    partial.write_string("ptfmode", "3");
    partial.write_string("pf_wp", ""); // an empty text is no number
    app::TsmSettings partial_settings{partial, state};
    args = {};
    sim::ActivationContext ctx{args,    {},       partial,    partial_settings,   state,
                               dialogs, observer, connection, dir.path().string()};
    EXPECT_THROW(sim::activate(simulator, ctx), app::SettingsError);
}

TEST_F(SimulatorTest, CommandLineMethodIsStoredOnlyUnderKorvexOne) {
    settings.write_integer("korvex", 1);
    activate({"M=STAND"});
    EXPECT_EQ(simulator.methode, "STAND");
    EXPECT_EQ(settings.read_string("methode"), "STAND");
    EXPECT_EQ(test::rows(conn(), "select model from cbi_setting"), "STAND\n");
    EXPECT_EQ(tsm_settings.fields.method, "STAND");
    EXPECT_TRUE(dialogs.shown.empty());

    settings.write_integer("korvex", 0);
    activate({"M=SALCA"});
    EXPECT_EQ(dialogs.shown, std::vector<std::string>{" attention: method not changeable"});
    EXPECT_EQ(simulator.methode, "STAND");
    EXPECT_EQ(settings.read_string("methode"), "STAND");
    EXPECT_EQ(tsm_settings.fields.method, "STAND");
}

TEST_F(SimulatorTest, DatabaseButtonReopensTheConnectionOnTheChosenFile) {
    const std::string other = (dir / "other.sqlite").string();
    db::create_experiment_database(other, false).close();
    conn();
    dialogs.files = {std::nullopt, other};
    EXPECT_FALSE(sim::choose_database(simulator, dialogs, state, connection));
    EXPECT_EQ(connection->path().string(), db_path());
    EXPECT_TRUE(sim::choose_database(simulator, dialogs, state, connection));
    EXPECT_EQ(simulator.database, other);
    EXPECT_EQ(simulator.path_field, other);
    EXPECT_EQ(connection->path().string(), other);
    EXPECT_NE(simulator.connection_string.find(other), std::string::npos);
}

TEST(OpeningMessages, NameModesAndWays) {
    sim::Simulator s;
    s.hymode = 4;
    s.pf_wp = 4.2;
    s.pf_fk = 1.8;
    s.soil_scheme = "KA4";
    s.methode = "TSM";
    s.interpol = 1;
    EXPECT_EQ(sim::opening_messages(s, "10:11:12"),
              (std::vector<std::string>{"TSM run started: 10:11:12", "ptf_mode=4 / Zacharias",
                                        "pf_wp=4.2", "pf_fk=1.8", "soil classes : KA4",
                                        "method : TSM", "silt from soil class : 1==>max"}));
}

// A run whose steps record their calls.
class RunTest : public SimulatorTest {
protected:
    RunTest() {
        conn().execute("update site_state set status=0");
        conn().execute("update site_state set status=1 where fl_id in (101, 102)");
        simulator.database = db_path();
        simulator.methode = "TSM";
    }

    sim::RunStep record(const std::string& name) {
        return [this, name](sim::RunContext& ctx) {
            calls.push_back(name);
            ctx.count(name + " :", 1);
        };
    }

    sim::RunSteps recording_steps() {
        sim::RunSteps s;
        s.load_bat_coefficients = record("bat coefficients");
        s.input_quantities = record("input quantities");
        s.time_frame = record("time frame");
        s.organic_inputs = record("organic inputs");
        s.soil_properties = record("soil");
        s.climate_bat = record("climate");
        s.stand = record("stand");
        s.n_deposition = record("n deposition");
        s.humod = record("humod");
        s.salca = record("salca");
        s.humus_balance = record("humus balance");
        s.final_stage = [this](sim::RunContext& ctx, const std::string& method) {
            calls.push_back("final " + method);
            selected = test::rows(ctx.conn, "select fl_id from site_state where status=1 "
                                            "order by fl_id");
            sim::run_post_processing(ctx);
        };
        return s;
    }

    void run() {
        sim::RunContext ctx = run_context();
        sim::run(ctx, recording_steps());
    }

    std::vector<std::string> calls;
    std::string selected;
};

TEST_F(RunTest, TsmRunCallsThePipelineInOrderAndLogs) {
    run();
    EXPECT_EQ(calls, (std::vector<std::string>{"bat coefficients", "input quantities", "time frame",
                                               "organic inputs", "soil", "climate", "final TSM"}));
    EXPECT_EQ(selected, "101\n102\n");
    ASSERT_EQ(simulator.messages.size(), 13u);
    EXPECT_EQ(simulator.messages[0].rfind("TSM run started: ", 0), 0u);
    EXPECT_EQ(simulator.messages[5], "method : TSM");
    EXPECT_EQ(simulator.messages[7], "bat coefficients :1");
    EXPECT_EQ(simulator.messages[12], "climate :1");
    EXPECT_FALSE(simulator.running);
    EXPECT_EQ(simulator.calculate_caption, "close");
    EXPECT_TRUE(simulator.calculate_enabled);
    EXPECT_TRUE(simulator.database_enabled);
}

TEST_F(RunTest, MethodChoosesItsBranch) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"STAND", {"soil", "stand", "final STAND"}},
        {"HUMOD", {"soil", "n deposition", "humod", "final HUMOD"}},
        {"SALCA", {"soil", "salca", "final SALCA"}},
        {"HUBAHE", {"humus balance", "soil", "final HUBAHE"}},
        {"NULL", {"humus balance", "soil", "final NULL"}},
        {"LUFA", {"final LUFA"}},
    };
    simulator.recalc_bat_box = false; // no BAT coefficients
    for (const auto& [method, expected] : cases) {
        calls.clear();
        simulator.methode = method;
        run();
        EXPECT_EQ(calls, expected) << method;
    }
    calls.clear();
    simulator.methode = "";
    run();
    EXPECT_EQ(calls.back(), "final TSM");
    EXPECT_EQ(calls.size(), 6u);
}

TEST_F(RunTest, RemovesEarlierResultsOfSelectedPlotsOnly) {
    db::Connection& c = conn();
    c.execute("drop table tsm_zbv");
    c.execute("create table tsm_zbv (fl_id int, year_ int, c_som double)");
    c.execute("create table str_result (fl_id int)");
    for (int plot : {101, 102, 103}) {
        const std::string id = std::to_string(plot);
        c.execute("insert into sim_result values (" + id + ", 0, 1990, 1, 1.5)");
        c.execute("insert into tsm_nresult (FL_ID, year) values (" + id + ", 1990)");
        c.execute("insert into tsm_zbv values (" + id + ", 1990, 40000)");
        c.execute("insert into str_result values (" + id + ")");
    }
    run();
    for (const char* table : {"sim_result", "tsm_nresult", "tsm_zbv"})
        EXPECT_EQ(test::rows(c, std::string("select fl_id from ") + table), "103\n") << table;
    EXPECT_EQ(test::rows(c, "select count(*) from str_result"), "0\n");
    // The selection states survive the removal of the results.
    EXPECT_EQ(test::rows(c, "select count(*) from site_state"), "11\n");
    EXPECT_EQ(test::rows(c, "select fl_id from site_state where status=1 order by fl_id"),
              "101\n102\n");
}

// A table that holds results of the selected plots only is emptied at once; a row of no
// selected plot (here one without FL_ID) keeps the removal to the selected plots' rows.
TEST_F(RunTest, RemovesResultsOfEverySelectedPlotAndNothingElse) {
    db::Connection& c = conn();
    for (const bool with_orphan : {false, true}) {
        for (const char* table : {"sim_result", "tsm_nresult", "tsm_zbv"}) {
            c.execute(std::string("delete from ") + table);
            for (const char* id : {"101", "102", with_orphan ? "null" : "101"})
                c.execute(std::string("insert into ") + table + " (fl_id) values (" + id + ")");
        }
        run();
        for (const char* table : {"sim_result", "tsm_nresult", "tsm_zbv"})
            EXPECT_EQ(test::rows(c, std::string("select count(*), count(fl_id) from ") + table),
                      with_orphan ? "1|0\n" : "0|0\n")
                << table;
    }
}

// The earlier results go all at once: a failure part way keeps every one of them.
TEST_F(RunTest, FailedRemovalKeepsEveryEarlierResult) {
    db::Connection& c = conn();
    c.execute("insert into sim_result values (101, 7, 1990, 1, 1.5)");
    c.execute("insert into tsm_nresult (FL_ID, year) values (101, 1990)");
    c.execute_native("INSERT INTO tsm_zbv (fl_id, year_) VALUES (101, 1990);"
                     "CREATE TRIGGER zbv_full BEFORE DELETE ON tsm_zbv "
                     "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
    sim::RunContext ctx = run_context();
    EXPECT_THROW(sim::run(ctx, recording_steps()), db::Error);
    for (const char* table : {"sim_result", "tsm_nresult", "tsm_zbv"})
        EXPECT_EQ(test::rows(c, std::string("select fl_id from ") + table), "101\n") << table;
}

// Another program changes the selection states while the run works: the run goes on
// with the plots selected when it started, and a second run on the file is refused.
TEST_F(RunTest, PlotSetIsReadOnceAndTheDatabaseIsTheRunsAlone) {
    sim::RunSteps steps = recording_steps();
    std::string refused;
    steps.time_frame = [&](sim::RunContext&) {
        db::Connection other(db_path());
        other.execute("update site_state set status=0");
        other.execute("update site_state set status=1 where fl_id=205");
        try {
            app::RunLock second(db_path());
        } catch (const app::RunBusy& e) {
            refused = e.what();
        }
    };
    sim::RunContext ctx = run_context();
    sim::run(ctx, steps);
    EXPECT_EQ(selected, "101\n102\n");
    EXPECT_EQ(refused, "another run is working on " + db_path());
    // After the run the database's own states are seen again, and the lock is free.
    EXPECT_EQ(test::rows(conn(), "select fl_id from site_state where status=1"), "205\n");
    EXPECT_NO_THROW(app::RunLock again(db_path()));
}

// "ID=" names a plot the database lacks: the run stops before the selection changes.
TEST_F(RunTest, UnknownPlotLeavesTheSelection) {
    conn().execute("insert into sim_result values (101, 7, 1990, 1, 1.5)");
    simulator.sel_id = "999999";
    sim::RunContext ctx = run_context();
    EXPECT_THROW(sim::run(ctx, recording_steps()), sim::PlotSelectionError);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(test::rows(conn(), "select fl_id from site_state where status=1 order by fl_id"),
              "101\n102\n");
    EXPECT_EQ(test::rows(conn(), "select count(*) from sim_result"), "1\n");
}

TEST_F(RunTest, NewDatabaseWithoutResultTablesRuns) {
    run();
    EXPECT_TRUE(conn().has_table("sim_result"));
    EXPECT_EQ(calls.back(), "final TSM");
}

TEST_F(RunTest, CommandLinePlotBecomesTheOnlySelected) {
    simulator.sel_id = "203";
    run();
    EXPECT_EQ(selected, "203\n");
}

TEST_F(RunTest, GridShowsTheSelectedPlots) {
    db::Dataset grid = conn().open(sim::selected_plots_query);
    std::vector<std::int64_t> plots;
    for (grid.first(); !grid.eof(); grid.next()) plots.push_back(grid["FL_ID"].as_int());
    std::sort(plots.begin(), plots.end());
    EXPECT_EQ(plots, (std::vector<std::int64_t>{101, 102}));
    EXPECT_TRUE(grid.has_field("station"));
    EXPECT_TRUE(grid.has_field("profile"));
}

TEST_F(RunTest, StatementFilesRunBeforeAndAfter) {
    simulator.pre_proc_query = write_file("pre.sql", "' marks the plots\nupdate site_state "
                                                     "set res_VAL=7\ngo\n");
    simulator.pst_proc_query = write_file("post.sql", "update site_state set res_VAL=res_VAL+1\n");
    simulator.pst_processing = true;
    std::string seen_by_pipeline;
    sim::RunSteps steps = recording_steps();
    steps.input_quantities = [&](sim::RunContext& ctx) {
        seen_by_pipeline = test::rows(ctx.conn, "select max(res_VAL) from site_state");
    };
    sim::RunContext ctx = run_context();
    sim::run(ctx, steps);
    EXPECT_EQ(seen_by_pipeline, "7\n");
    EXPECT_EQ(test::rows(conn(), "select min(res_VAL), max(res_VAL) from site_state"), "8|8\n");
}

// A failing pre-processing file is undone as a whole and stops the run before the run
// removes or writes anything.
TEST_F(RunTest, FailingPreProcessingFileStopsTheRunUnchanged) {
    conn().execute("insert into sim_result values (101, 0, 1990, 1, 1.5)");
    simulator.pre_proc_query = write_file("pre.sql", "update site_state set res_VAL=7\ngo\n"
                                                     "update nosuch set a=1\n");
    sim::RunSteps steps = recording_steps();
    sim::RunContext ctx = run_context();
    EXPECT_THROW(sim::run(ctx, steps), db::ScriptError);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(test::rows(conn(), "select count(*) from site_state where res_VAL=7"), "0\n");
    EXPECT_EQ(test::rows(conn(), "select count(*) from sim_result"), "1\n");
    EXPECT_FALSE(simulator.running);
}

TEST_F(RunTest, FailedOrStoppedRunClearsRunning) {
    sim::RunSteps steps = recording_steps();
    steps.soil_properties = [](sim::RunContext& ctx) { ctx.conn.execute("select * from nowhere"); };
    sim::RunContext ctx = run_context();
    EXPECT_THROW(sim::run(ctx, steps), db::Error);
    EXPECT_FALSE(simulator.running);
    EXPECT_FALSE(simulator.calculate_enabled);
    EXPECT_FALSE(simulator.database_enabled);
    EXPECT_EQ(calls.back(), "organic inputs"); // the final stage was not reached

    // Through the button the failure is shown instead.
    simulator.calculate_caption = "calculate";
    steps.climate_bat = [](sim::RunContext&) {
        throw sim::ClimateError(sim::ltem_stop_text, sim::ltem_stop_title);
    };
    steps.soil_properties = {};
    EXPECT_EQ(sim::press_calculate(ctx, steps), sim::CalculateOutcome::failed);
    EXPECT_EQ(dialogs.shown.back(), "incomplete climate data ?: LTEM<0 aufgetreten !");
    EXPECT_FALSE(simulator.running);
    state.language = "D"; // the caption in the language of the program
    simulator.calculate_caption = "calculate";
    EXPECT_EQ(sim::press_calculate(ctx, steps), sim::CalculateOutcome::failed);
    EXPECT_EQ(dialogs.shown.back(), "unvollständige Klimadaten ?: LTEM<0 aufgetreten !");

    // STOP RUN: the final stage ends early, the run still ends.
    observer.stop = true;
    steps = recording_steps();
    bool final_stage_stopped = false;
    steps.final_stage = [&](sim::RunContext& c, const std::string&) {
        final_stage_stopped = c.observer.stop_requested();
    };
    simulator.calculate_caption = "calculate";
    EXPECT_EQ(sim::press_calculate(ctx, steps), sim::CalculateOutcome::completed);
    EXPECT_TRUE(final_stage_stopped);
    EXPECT_FALSE(simulator.running);
}

TEST_F(RunTest, CloseCaptionClosesOnlyWhereTheWindowWasOpenedForIt) {
    struct Case {
        bool singlemode, go_on;
        std::string modus;
        sim::CalculateOutcome expected;
    };
    const std::vector<Case> cases = {
        {false, false, "TSM", sim::CalculateOutcome::nothing},
        {true, false, "TSM", sim::CalculateOutcome::close_window},
        {false, true, "TSM", sim::CalculateOutcome::close_window},
        {false, false, "ORV", sim::CalculateOutcome::close_window},
    };
    for (const Case& c : cases) {
        simulator.calculate_caption = "close";
        simulator.singlemode = c.singlemode;
        state.go_on = c.go_on;
        state.modus = c.modus;
        sim::RunContext ctx = run_context();
        EXPECT_EQ(sim::press_calculate(ctx, recording_steps()), c.expected);
    }
    EXPECT_TRUE(calls.empty());
}

TEST_F(RunTest, UnattendedActivationRunsAndEndsTheProgram) {
    args = {"GO", "nw", "ID=205"};
    sim::ActivationContext ctx = context();
    int waits = 0;
    const sim::ActivationOutcome outcome =
        sim::activate_window(simulator, ctx, recording_steps(), [&] { return ++waits < 100; });
    EXPECT_TRUE(outcome.ran);
    EXPECT_EQ(outcome.calculate, sim::CalculateOutcome::completed);
    EXPECT_TRUE(outcome.end_program);
    EXPECT_EQ(waits, 0); // the run had already cleared `running`
    EXPECT_EQ(selected, "205\n");
    EXPECT_FALSE(simulator.running);
}

TEST_F(RunTest, WorkbenchActivationSelectsAndPressesCalculate) {
    args = {"ID=204"};
    simulator.autoclick = true;
    sim::ActivationContext ctx = context();
    const sim::ActivationOutcome outcome =
        sim::activate_window(simulator, ctx, recording_steps(), [] { return false; });
    EXPECT_FALSE(outcome.end_program);
    EXPECT_EQ(outcome.calculate, sim::CalculateOutcome::completed);
    EXPECT_EQ(selected, "204\n");
}

} // namespace

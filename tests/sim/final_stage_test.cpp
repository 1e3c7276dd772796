// final_stage_test.cpp --- the final stage of a TSM run on hand-made work tables: the
// plot loop, its years, gaps, repetitions, start states, stops and result rows.
#include "db/new_database.h"
#include "model/som_model.h"
#include "scripted_dialogs.h"
#include "sim/final_stage.h"
#include "sim/run_rows.h"
#include "test_support.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

class FinalStageTest : public testing::Test {
protected:
    FinalStageTest() {
        c.execute("insert into climate_station (climate_ID, station) values (1, 'north')");
        c.execute("insert into soilproperties (soil_ID, profile) values (1, 'loam')");
        c.execute("create table Crep_year (FL_ID int, year_0 int, Crep double, n int, "
                  "year_1 int, Corg double, Norg double)");
        c.execute("create table tmp_soil_prop (FL_ID int, soil_ID int, fchw double, "
                  "fbio double, hsnk_soc double, hsnk_lts double, cif double, PWP double, "
                  "BD double, skelett double, PD double, FC double, fat double, clay double, "
                  "silt double)");
        c.execute("create table tmp_bat (FL_ID int, year_0 int, BAT double, BATnotill double, "
                  "t_level double)");
        c.execute("create table opstab (FL_ID int, year_ int, COPS double, part double, "
                  "K double, ETA double, CNR double, cnr_alt double, item_ix int, mkd int)");
        state.modus = "TSM";
        simulator.methode = "TSM";
    }

    // A plot with its soil, selected, with a year row for each of `years` (the first carries
    // the initial measurement) and a BAT of 1.2 in each.
    void add_plot(int plot, const std::vector<int>& years, const std::string& i_con = "obsval",
                  double bd = 1.4) {
        const std::string p = std::to_string(plot);
        c.execute("insert into field_description (FL_ID, climate_ID, soil_ID, i_con) values (" + p +
                  ", 1, 1, '" + i_con + "')");
        c.execute("insert into site_state (FL_ID, status) values (" + p + ", 1)");
        c.execute("insert into tmp_soil_prop values (" + p + ", 1, 15, 0.2, 3, 2.5, 0.6, 14, " +
                  std::to_string(bd) + ", 0, 2.6, 35, 33, 21, 68)");
        for (std::size_t i = 0; i < years.size(); ++i) {
            const std::string y = std::to_string(years[i]);
            const std::string corg = i == 0 ? "1.5" : "-99.9999";
            const std::string norg = i == 0 ? "0.15" : "-99.9999";
            c.execute("insert into Crep_year values (" + p + ", " + y + ", 500, 1, " + y + "+1, " +
                      corg + ", " + norg + ")");
            c.execute("insert into tmp_bat values (" + p + ", " + y + ", 1.2, 1.0, 0)");
        }
        c.execute("insert into opstab values (" + p + ", " + std::to_string(years.front()) +
                  ", 2000, 100, 0.06, 0.25, 80, 80, 21, 0)");
    }

    void run() { sim::run_final_stage(ctx, "TSM", &settings); }

    std::string years(int plot) {
        return test::rows(c, "select year_, year_num from sim_result where fl_id=" +
                                 std::to_string(plot) + " order by year_num");
    }
    bool listed(const std::string& line) const {
        return std::find(simulator.messages.begin(), simulator.messages.end(), line) !=
               simulator.messages.end();
    }

    test::TempDir dir;
    test::WorkingFolder folder{dir.path()}; // the run report goes here
    db::Connection c = db::create_experiment_database(dir / "t.db", false);
    sim::Simulator simulator;
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;
    app::ProgramState state;
    app::MemorySettingsStore settings;
    sim::RunContext ctx{c, simulator, observer, dialogs, state};
};

TEST_F(FinalStageTest, OneRowPerPlotAndYearAsTheModelComputesThem) {
    add_plot(1, {2000, 2001, 2002, 2003, 2004});
    run();
    EXPECT_EQ(years(1), "2000|1\n2001|2\n2002|3\n2003|4\n2004|5\n");
    EXPECT_EQ(test::rows(c, "select count(*) from tsm_nresult"), "5\n");
    EXPECT_EQ(test::rows(c, "select count(*) from tsm_zbv"), "5\n");
    EXPECT_EQ(test::rows(c, "select fl_id, n_years, spare from tsm_driver"), "1|5|0\n");
    EXPECT_TRUE(simulator.assessment);
    EXPECT_TRUE(std::filesystem::exists(dir / "tsm_report.txt"));
    EXPECT_EQ(simulator.messages.back().rfind("job finished: ", 0), 0u);

    // The same plot driven directly: the year 2000's input comes again in every later year,
    // which has none of its own.
    sim::SiteConstants site{1.5, 1.4, 0, 0.6, 2.5, 0.15, 15, 0.2, 21, 68, 0};
    sim::PlotModel model(site, sim::ModelOptions{});
    double corg = 0;
    for (int y = 0; y < 5; ++y) {
        model.add_input({21, 0, 100, 2000, 80, 1, 80, 0.06, 0.25});
        corg = model.year(1.2).corg_sim;
    }
    EXPECT_DOUBLE_EQ(c.scalar("select sim_value from sim_result where year_=2004").as_double(),
                     std::round(corg * 1e4) / 1e4);
    EXPECT_DOUBLE_EQ(c.scalar("select corg_end from tsm_driver").as_double(), corg);
}

TEST_F(FinalStageTest, GapsAreFilledAndARepeatedYearEndsThePlot) {
    add_plot(1, {2000, 2001, 2003});
    add_plot(2, {2000, 2001, 2001, 2002});
    run();
    EXPECT_EQ(years(1), "2000|1\n2001|2\n2002|3\n2003|4\n");
    EXPECT_EQ(years(2), "2000|1\n2001|2\n");
    EXPECT_TRUE(listed("fl_id2: 2002:missed harvest"));
    EXPECT_EQ(test::rows(c, "select fl_id, n_years from tsm_driver order by fl_id"), "1|4\n2|2\n");
}

TEST_F(FinalStageTest, RepetitionsLoopBackToTheScenarioStartYear) {
    add_plot(1, {2000, 2001, 2002});
    simulator.z_cnt = 1;
    simulator.z_anf = 2001;
    run();
    EXPECT_EQ(years(1), "2000|1\n2001|2\n2002|3\n2003|4\n2004|5\n");

    simulator.z_anf = 1990; // not a year of the plot
    run();
    EXPECT_EQ(dialogs.shown.back(), "cycling error: loopback not possible");
}

TEST_F(FinalStageTest, IdenticalPlotsGiveIdenticalResultsWhateverRanBefore) {
    add_plot(1, {2000, 2001, 2002});
    add_plot(2, {2000, 2001, 2002});
    simulator.dyn_lts = true;
    run();
    EXPECT_EQ(test::rows(c, "select year_, sim_value from sim_result where fl_id=1"),
              test::rows(c, "select year_, sim_value from sim_result where fl_id=2"));
    EXPECT_EQ(test::rows(c, "select a_age, s_age, l_age from tsm_nresult where fl_id=1"),
              test::rows(c, "select a_age, s_age, l_age from tsm_nresult where fl_id=2"));
}

TEST_F(FinalStageTest, ASourcePlotsSavedStateStartsThePlot) {
    add_plot(1, {2000, 2001}, "7");
    add_plot(2, {2000, 2001}, "8"); // no state saved for plot 8
    c.execute("insert into som_state values (7, 1999, 20000, 30000, 15000, 8.5, 8.5, 10)");
    run();
    EXPECT_EQ(years(1), "2000|1\n2001|2\n");
    EXPECT_EQ(years(2), "");
    EXPECT_NE(std::find(dialogs.shown.begin(), dialogs.shown.end(),
                        " initialisation error:  no proper initial conditions found "),
              dialogs.shown.end());
    EXPECT_DOUBLE_EQ(c.scalar("select c_lts from tsm_zbv where fl_id=1 and year_=2000").as_double(),
                     15000);
}

TEST_F(FinalStageTest, UnusableSiteDataSkipThePlot) {
    add_plot(1, {2000, 2001}, "obsval", 0.0);
    add_plot(2, {2000, 2001});
    run();
    EXPECT_TRUE(listed("missing data for FL_ID1"));
    EXPECT_EQ(dialogs.shown.front(), "ERROR: missing data for FL_ID1");
    EXPECT_EQ(years(1), "");
    EXPECT_EQ(years(2), "2000|1\n2001|2\n");
}

TEST_F(FinalStageTest, InitialisationCheckCancelsTheRun) {
    add_plot(1, {2000, 2001});
    c.execute("insert into measurements (FL_ID, year, year_number, M_IX, meas_value) values "
              "(1, 1995, 0, 7, 1.5)");
    c.execute("insert into cultivation (FL_ID, year, Macode, quantity) values (1, 2000, 2, 1)");
    run();
    EXPECT_EQ(dialogs.shown,
              std::vector<std::string>{" simulation run canceled :  Error in initialisation; use "
                                       "tsm_check_init.sql "});
    EXPECT_EQ(test::rows(c, "select count(*) from sim_result"), "0\n");
    EXPECT_FALSE(simulator.assessment);
}

TEST_F(FinalStageTest, StopRunEndsAfterTheCurrentYearWithoutReport) {
    add_plot(1, {2000, 2001, 2002});
    observer.stop = true;
    run();
    EXPECT_EQ(years(1), "2000|1\n");
    EXPECT_FALSE(simulator.assessment);
    EXPECT_TRUE(listed("tsm running"));
    EXPECT_EQ(simulator.messages.back(), sim::run_stopped_line);
}

// Keeps every position and total the progress display is given.
class ProgressObserver : public sim::RecordingObserver {
public:
    void progress(int position, int total) override { shown.emplace_back(position, total); }
    std::vector<std::pair<int, int>> shown;
};

TEST_F(FinalStageTest, ProgressCountsTheRowsOfTheRunStatementAndEndsAtThem) {
    add_plot(1, {2000, 2001, 2002});
    add_plot(2, {2001, 2002, 2003}); // and a year before its initial measurement:
    c.execute("insert into Crep_year values (2, 2000, 500, 1, 2001, -99.9999, -99.9999)");
    c.execute("insert into tmp_bat values (2, 2000, 1.2, 1.0, 0)");
    add_plot(3, {2000, 2001, 2002}); // its last year has no BAT: not a row of the run
    c.execute("delete from tmp_bat where FL_ID=3 and year_0=2002");
    add_plot(4, {2000, 2001}); // not selected
    c.execute("update site_state set status=0 where FL_ID=4");
    add_plot(5, {2000, 2001}); // its soil is missing
    c.execute("delete from tmp_soil_prop where FL_ID=5");
    for (const int threads : {1, 3}) {
        simulator.threads = threads;
        sim::remove_earlier_results(c);
        ProgressObserver progress;
        sim::RunContext progress_ctx{c, simulator, progress, dialogs, state};
        sim::run_final_stage(progress_ctx, "TSM", &settings);
        ASSERT_GE(progress.shown.size(), 3u);
        const int total = sim::count_rows(c, sim::tsm_run_statement(true, nullptr));
        EXPECT_EQ(total, 9);
        EXPECT_EQ(progress.shown.front(), std::make_pair(0, total));
        EXPECT_EQ(progress.shown[progress.shown.size() - 2], std::make_pair(total, total));
        EXPECT_EQ(progress.shown.back(), std::make_pair(0, 0)); // the display is cleared
    }
}

// Stops the run at its n-th plot-year and notes a call from any thread but the one that
// created it.
class StoppingObserver : public sim::RecordingObserver {
public:
    explicit StoppingObserver(int stop_at) : years_left_(stop_at) {}
    void message(const std::string& line) override {
        note_thread();
        RecordingObserver::message(line);
    }
    void progress(int position, int) override {
        note_thread();
        if (position > 0 && --years_left_ == 0) stop = true;
    }
    void process_events() override { note_thread(); }
    bool stop_requested() override {
        note_thread();
        return stop;
    }
    bool called_from_elsewhere = false;

private:
    void note_thread() { called_from_elsewhere |= std::this_thread::get_id() != owner_; }
    int years_left_;
    std::thread::id owner_ = std::this_thread::get_id();
};

TEST_F(FinalStageTest, WorkerThreadsWriteWhatOneThreadWritesAndStopWhereItStops) {
    add_plot(1, {2000, 2001, 2002, 2003});
    add_plot(2, {2000, 2001, 2003});          // a gap
    add_plot(3, {2000, 2001}, "obsval", 0.0); // unusable: a message box
    add_plot(4, {2000, 2001, 2001, 2002});    // a repeated year
    add_plot(5, {2000, 2001, 2002}, "5");     // no saved state
    for (int p = 6; p <= 12; ++p) add_plot(p, {2000, 2001, 2002, 2003, 2004});
    c.execute("insert into opstab values (7, 2002, 900, 50, 0.3, 0.4, 12, 14, 120, 1)");
    simulator.scenario = true;
    // Everything the run leaves behind, in the order it was written or shown.
    const auto run_with = [&](int threads, int stop_at) {
        for (const char* t : {"sim_result", "tsm_nresult", "tsm_zbv", "tsm_driver", "som_state"})
            c.execute_ignoring_failure(std::string("delete from ") + t);
        simulator.messages.clear();
        simulator.om_state = {};
        dialogs.shown.clear();
        simulator.threads = threads;
        StoppingObserver stopping(stop_at);
        sim::RunContext stopping_ctx{c, simulator, stopping, dialogs, state};
        sim::run_final_stage(stopping_ctx, "TSM", &settings);
        EXPECT_FALSE(stopping.called_from_elsewhere) << threads << " threads";
        std::string all;
        for (const char* t : {"sim_result", "tsm_nresult", "tsm_zbv", "tsm_driver", "som_state"})
            all += test::rows(c, std::string("select * from ") + t + " order by rowid");
        for (const std::string& line : simulator.messages)
            if (line.rfind("job finished", 0) != 0) all += line + "\n";
        for (const std::string& shown : dialogs.shown) all += shown + "\n";
        return all + std::to_string(simulator.om_state.c_am) + " " +
               std::to_string(simulator.om_state.fom.size());
    };
    for (const int stop_at : {0, 6, 30}) {
        const std::string one = run_with(1, stop_at);
        EXPECT_EQ(run_with(3, stop_at), one) << "stopped at year " << stop_at;
    }
    // The stopped plot's summary is that of its last written year.
    run_with(3, 6); // in the second year of plot 2
    EXPECT_EQ(test::rows(c, "select top 1 fl_id, n_years from tsm_driver order by fl_id desc"),
              test::rows(c, "select top 1 fl_id, count(*) from sim_result group by fl_id "
                            "order by fl_id desc"));
    EXPECT_EQ(test::rows(c, "select count(*) from sim_result"), "6\n");
}

TEST_F(FinalStageTest, UncertaintyFactorsScaleTheModelsBatAndBulkDensity) {
    add_plot(1, {2000, 2001});
    const auto run_again = [&] {
        sim::remove_earlier_results(c);
        run();
        return years(1) + test::rows(c, "select sim_value from sim_result");
    };
    const std::string normal = run_again();
    c.execute("update tsm_var_fac set F_BAT=0, F_BD=1.1 where ID=1");
    simulator.uncas_mode = true;
    run_again();
    EXPECT_EQ(test::rows(c, "select bat, c_rep from tsm_nresult"), "0|0\n0|0\n");
    EXPECT_NEAR(c.scalar("select BD from tsm_nresult where year=2000").as_double(), 1.4 * 1.1,
                1e-3);
    c.execute("update tsm_var_fac set F_BAT=1, F_BD=1 where ID=1");
    EXPECT_EQ(run_again(), normal);
}

TEST_F(FinalStageTest, ModeNullTurnsOverOnlyTheFreshOrganicMatter) {
    add_plot(1, {2000, 2001});
    simulator.icon_mode = "null";
    run();
    EXPECT_EQ(test::rows(c, "select count(*) from sim_result where sim_value is null"), "2\n");
    EXPECT_GT(c.scalar("select c_rep from tsm_nresult where year=2001").as_double(), 0);
}

TEST_F(FinalStageTest, AssessmentComparesWithLaterMeasurements) {
    add_plot(1, {2000, 2001, 2002});
    c.execute("insert into measurements (FL_ID, year, year_number, M_IX, meas_value) values "
              "(1, 2002, 2, 7, 9.9)");
    run();
    EXPECT_EQ(simulator.histogram[6], 1); // far above the simulated Corg
    EXPECT_TRUE(listed(" N=1"));
}

} // namespace

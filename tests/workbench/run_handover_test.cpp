// run_handover_test.cpp --- the run selection, the simulator's fields and the mean BAT of a
// run started from the workbench.
#include "demo_fixture.h"
#include "workbench/run_handover.h"

namespace {

using RunHandOverTest = test::DemoDatabase;

TEST_F(RunHandOverTest, SinglePlotRunSelectsExactlyThatPlot) {
    workbench::select_single_plot(c, 203);
    EXPECT_EQ(test::rows(c, "select fl_id from site_state where status=1"), "203\n");
}

TEST_F(RunHandOverTest, SelectionRunMarksNullPlotsWhetherSelectedOrNot) {
    c.execute("update field_description set i_con='null' where fl_id in (102, 205)");
    workbench::select_plots_for_run(c, {101, 102});
    EXPECT_EQ(test::rows(c, "select fl_id, status, res_val from site_state where fl_id in "
                            "(101, 102, 104, 205) order by fl_id"),
              "101|1|1\n102|1|0\n104|0|1\n205|0|0\n");
    workbench::select_plots_for_run(c, {}); // an empty selection selects nothing
    EXPECT_EQ(test::rows(c, "select count(*) from site_state where status=1"), "0\n");
}

TEST_F(RunHandOverTest, SimulatorFieldsOfTheHandOver) {
    struct Case {
        bool power;
        const char* modus;
        bool single;
        bool nowait;
    };
    for (const Case& k : {Case{false, "TSM", true, true}, Case{true, "TSM", true, false},
                          Case{true, "ORV", true, true}, Case{true, "TSM", false, false}}) {
        sim::Simulator s;
        workbench::prepare_simulator(s, {1990, 2, k.power, k.modus, "HUMOD", k.single});
        EXPECT_EQ(s.nowait, k.nowait) << k.power << k.modus;
        EXPECT_TRUE(s.autoclick);
        EXPECT_EQ(s.singlemode, k.single);
        EXPECT_FALSE(s.running);
        EXPECT_EQ(s.z_anf, 1990);
        EXPECT_EQ(s.z_cnt, 2);
        EXPECT_EQ(s.methode, "HUMOD");
    }
    EXPECT_EQ(workbench::repeat_count_field(" 5"), 5);
    EXPECT_THROW(workbench::repeat_count_field("100"), std::invalid_argument);
    EXPECT_THROW(workbench::start_year_field("19x0"), std::invalid_argument);
    EXPECT_EQ(workbench::start_year_field("-99"), -99);
}

TEST_F(RunHandOverTest, SelectionPanelEntriesNameTheirPlots) {
    const auto experiment = workbench::experiment_entries(c, "Static fertilisation trial");
    ASSERT_EQ(experiment.size(), 5u);
    EXPECT_EQ(experiment.front().rfind("101: 101 no fertiliser  ===>   ", 0), 0u);
    const auto all = workbench::database_entries(c);
    ASSERT_EQ(all.size(), 11u);
    EXPECT_EQ(all.back().rfind(" 206: Crop rotation trial - 206", 0), 0u);
    EXPECT_EQ(workbench::entry_plot(all.back()), 206);
    EXPECT_EQ(workbench::entry_plot("x: y"), std::nullopt);
}

TEST_F(RunHandOverTest, MeanBatAfterARun) {
    EXPECT_EQ(workbench::mean_bat_after_run(c, 101), "?"); // no run yet
    c.execute("create table tmp_bat (FL_ID int, year_0 int, BAT double)");
    c.execute("insert into tmp_bat values (101, 2000, 20.0), (101, 2001, 21.24)");
    EXPECT_EQ(workbench::mean_bat_after_run(c, 101), "20.6");
    EXPECT_EQ(workbench::mean_bat_after_run(c, 102), "?");
    workbench::store_mean_bat(c, 101, "20,6");
    workbench::store_mean_bat(c, 102, "?");
    EXPECT_EQ(test::rows(c, "select fl_id, mw_BAT from field_description where fl_id in "
                            "(101, 102) order by fl_id"),
              "101|20.6\n102|-99\n");
}

} // namespace

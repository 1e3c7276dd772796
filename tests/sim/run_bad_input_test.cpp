// run_bad_input_test.cpp --- a run on faulty experiment data: it stops with a message that
// names the plot, table or column, or leaves the plot without rows; results of plots that
// were not selected are never touched.
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "sim/run_steps.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

struct BadInput {
    const char* name;
    const char* fault;     // statements that spoil the demo database
    const char* stops_on;  // a text of the shown stop message; "" when the run completes
    int plot_without_rows; // plot left without soil and BAT rows; 0 for none
};

const BadInput cases[] = {
    {"plot_without_soil", "update field_description set soil_ID=99 where fl_id=101", "", 101},
    {"plot_without_initial_carbon",
     "delete from measurements where fl_id=101 and m_ix=7 and year_number=0", "", 101},
    {"plot_without_station", "update field_description set climate_ID=99 where fl_id=101",
     "climate_id 99 (no such station) of plot FL_ID 101 has no weather data", 0},
    {"station_without_climate_years", "delete from climate_data where climate_ID=1",
     "\"Central German dry region (demo)\" (climate_id 1) of plot FL_ID 101 has no weather", 0},
    {"year_without_climate", "delete from climate_data where climate_ID=1 and [year] in (0, 1990)",
     "LTEM<0", 0},
    {"impossible_bulk_density", "update soilproperties set BD=3.1 where soil_ID=1", "3.1", 0},
    {"missing_parameter_table", "drop table pore_size_parm", "pore_size_parm", 0},
    {"missing_parameter_column", "alter table srbopspa drop column eta", "ETA", 0},
};

void PrintTo(const BadInput& input, std::ostream* os) {
    *os << input.name;
}

class RunBadInputTest : public testing::TestWithParam<BadInput> {};

TEST_P(RunBadInputTest, StopsNamingTheFaultOrLeavesThePlotOut) {
    const BadInput& input = GetParam();
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);
    c.execute("update site_state set status=1");
    c.execute("update site_state set status=0 where fl_id=206");
    c.execute("insert into sim_result values (206, 7, 1990, 1, 1.25)");
    c.execute(input.fault);

    sim::Simulator simulator;
    simulator.methode = "TSM";
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;
    app::ProgramState state;
    sim::RunContext ctx{c, simulator, observer, dialogs, state};
    sim::RunSteps steps = sim::standard_run_steps();
    bool final_stage = false;
    steps.final_stage = [&](sim::RunContext&, const std::string&) { final_stage = true; };

    const sim::CalculateOutcome outcome = sim::press_calculate(ctx, steps);
    EXPECT_FALSE(simulator.running);
    if (*input.stops_on) {
        EXPECT_EQ(outcome, sim::CalculateOutcome::failed);
        EXPECT_FALSE(final_stage);
        ASSERT_FALSE(dialogs.shown.empty());
        EXPECT_NE(dialogs.shown.back().find(input.stops_on), std::string::npos)
            << dialogs.shown.back();
        // The plot at fault is named in the box or in the message list.
        if (std::string(input.stops_on) == "LTEM<0") {
            EXPECT_EQ(simulator.messages.back().rfind("FL_ID ", 0), 0u)
                << simulator.messages.back();
        }
    } else {
        EXPECT_EQ(outcome, sim::CalculateOutcome::completed);
        EXPECT_TRUE(final_stage);
        const std::string plot = std::to_string(input.plot_without_rows);
        EXPECT_EQ(test::rows(c, "select count(*) from tmp_soil_prop where fl_id=" + plot), "0\n");
        EXPECT_EQ(test::rows(c, "select count(*) from tmp_bat where fl_id=" + plot), "0\n");
        EXPECT_NE(test::rows(c, "select count(*) from tmp_bat"), "0\n");
    }
    EXPECT_EQ(test::rows(c, "select * from sim_result"), "206|7|1990|1|1.25\n");
}

INSTANTIATE_TEST_SUITE_P(Faults, RunBadInputTest, testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

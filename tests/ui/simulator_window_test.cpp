// simulator_window_test.cpp --- the simulator window on the offscreen platform.
#include "app/settings_store.h"
#include "app/tsm_settings.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "sim/run_steps.h"
#include "test_support.h"
#include "ui/simulator_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace {

class SimulatorWindowTest : public testing::Test {
protected:
    SimulatorWindowTest() {
        db::create_experiment_database(db_path(), true).close();
        settings.write_string("database", db_path());
        settings.write_string("ptfmode", "3");
        settings.write_string("pf_wp", "42");
        settings.write_string("pf_fk", "18");
        settings.write_integer("recalc_bat", 1);
        settings.write_string("soil_scheme", "RBS");
    }

    std::string db_path() const { return (dir / "demo.sqlite").string(); }

    // The real preparation; the final stage only notes that it was reached.
    sim::RunSteps steps() {
        sim::RunSteps s = sim::standard_run_steps();
        s.final_stage = [this](sim::RunContext& ctx, const std::string& method) {
            ctx.message("final stage " + method);
            ++final_stages;
        };
        return s;
    }

    std::unique_ptr<ui::TtsmadoForm1> window(std::vector<std::string> args = {},
                                             bool real_final_stage = false) {
        {
            db::Connection c(db_path());
            c.execute("update site_state set status=1");
        }
        return std::make_unique<ui::TtsmadoForm1>(
            simulator,
            ui::SimulatorEnvironment{std::move(args), settings, tsm_settings, state, dialogs,
                                     connection, dir.path().string()},
            real_final_stage ? sim::standard_run_steps(&settings) : steps());
    }

    static std::vector<std::string> items(const QListWidget* list) {
        std::vector<std::string> out;
        for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
        return out;
    }

    test::TempDir dir;
    app::MemorySettingsStore settings;
    app::ProgramState state;
    app::TsmSettings tsm_settings{settings, state};
    test::ScriptedDialogs dialogs;
    std::optional<db::Connection> connection;
    sim::Simulator simulator;
    int final_stages = 0;
};

TEST_F(SimulatorWindowTest, CalculateRunsAndBecomesClose) {
    auto w = window();
    w->activate();
    EXPECT_EQ(w->windowTitle().toStdString(), "TSM-simulator");
    EXPECT_EQ(w->calculate_button()->text().toStdString(), "calculate");
    EXPECT_EQ(w->path_field()->text().toStdString(), db_path());
    EXPECT_GT(w->plot_grid()->rowCount(), 0);

    w->pages()->setCurrentIndex(2);
    w->calculate_button()->click();
    ASSERT_EQ(final_stages, 1) << (dialogs.shown.empty() ? "" : dialogs.shown.back());
    EXPECT_EQ(w->calculate_button()->text().toStdString(), "close");
    EXPECT_TRUE(w->calculate_button()->isEnabled());
    EXPECT_TRUE(w->database_button()->isEnabled());
    EXPECT_EQ(w->pages()->currentIndex(), 0) << "the run shows its messages";
    EXPECT_FALSE(w->progress_bar()->isVisible());

    // The list shows the run's messages, from the opening lines to the final stage.
    const std::vector<std::string> shown = items(w->message_list());
    EXPECT_EQ(shown, simulator.messages);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front().rfind("TSM run started: ", 0), 0u);
    EXPECT_EQ(shown.back(), "final stage TSM");
    EXPECT_NE(std::find(shown.begin(), shown.end(), "checking soil properties"), shown.end());
}

TEST_F(SimulatorWindowTest, RunOfTheDemoFillsTheHistogramWithTheAssessment) {
    std::optional<test::WorkingFolder> folder(dir.path()); // the run report goes here
    auto w = window({}, true);
    w->activate();
    w->calculate_button()->click();
    folder.reset();
    ASSERT_TRUE(simulator.assessment) << (dialogs.shown.empty() ? "" : dialogs.shown.back());
    int bars = 0;
    for (int i = 0; i < 7; ++i) bars += w->histogram_bar(i)->value();
    const std::vector<std::string> shown = items(w->message_list());
    const auto n = std::find_if(shown.begin(), shown.end(),
                                [](const std::string& l) { return l.rfind(" N=", 0) == 0; });
    ASSERT_NE(n, shown.end());
    EXPECT_EQ(" N=" + std::to_string(bars), *n);
    EXPECT_GT(bars, 0);
    EXPECT_EQ(shown.back().rfind("job finished: ", 0), 0u);
}

TEST_F(SimulatorWindowTest, HandOverOfOnePlotRunsItAndCloses) {
    for (const bool power : {true, false}) {
        std::optional<test::WorkingFolder> folder(dir.path());
        auto w = window({}, true);
        {
            db::Connection c(db_path());
            c.execute("delete from sim_result");
            c.execute("update site_state set status=0");
            c.execute("update site_state set status=1 where fl_id=203");
        }
        simulator.autoclick = true;
        simulator.singlemode = true;
        simulator.methode = "TSM";
        w->hand_over(power);
        folder.reset();
        EXPECT_FALSE(w->isVisible());
        EXPECT_FALSE(simulator.singlemode);
        EXPECT_FALSE(simulator.autoclick);
        db::Connection c(db_path());
        EXPECT_EQ(test::rows(c, "select distinct fl_id from sim_result"), "203\n") << power;
    }
}

TEST_F(SimulatorWindowTest, CloseClosesOnlyAWindowOpenedForOnePlot) {
    auto w = window();
    w->show();
    w->activate();
    w->calculate_button()->click();
    ASSERT_EQ(w->calculate_button()->text().toStdString(), "close");
    w->calculate_button()->click(); // opened for a list of plots: nothing happens
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(final_stages, 1);
    simulator.singlemode = true;
    w->calculate_button()->click();
    EXPECT_FALSE(w->isVisible());
}

TEST_F(SimulatorWindowTest, ShowingWithGoRunsUnattended) {
    auto w = window({"GO"});
    w->show();
    for (int i = 0; i < 50 && final_stages == 0; ++i) QApplication::processEvents();
    EXPECT_EQ(final_stages, 1);
    EXPECT_EQ(w->calculate_button()->text().toStdString(), "close");
    EXPECT_EQ(items(w->message_list()), simulator.messages);
}

TEST_F(SimulatorWindowTest, FailedRunShowsItsMessageAndStaysUsable) {
    auto w = window();
    w->activate();
    connection->execute("drop table cultivation");
    w->calculate_button()->click();
    EXPECT_EQ(final_stages, 0);
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_NE(dialogs.shown.back().find("cultivation"), std::string::npos) << dialogs.shown.back();
    EXPECT_FALSE(simulator.running);
    EXPECT_FALSE(w->calculate_button()->isEnabled());
    w->activate(); // the next activation offers "calculate" again
    EXPECT_TRUE(w->calculate_button()->isEnabled());
    EXPECT_EQ(w->calculate_button()->text().toStdString(), "calculate");
}

// "run r-script" with r_call naming no program says why nothing started.
TEST_F(SimulatorWindowTest, RunRScriptExplainsAFailedStart) {
    const test::ScopedEnv odbc("ODBCINI", (dir / "odbc.ini").string());
    auto w = window();
    w->activate();
    simulator.r_call = (dir / "no R here").string();
    dialogs.shown.clear();
    w->press_run_r_script();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].find("'" + simulator.r_call +
                                    "' (settings value r_call) could "
                                    "not be started"),
              std::string::npos)
        << dialogs.shown[0];
    EXPECT_FALSE(w->app_exec().working);
}

TEST_F(SimulatorWindowTest, SaveOmStateBeforeAnyRunStoresZerosUnderPlotZero) {
    auto w = window();
    w->activate();
    w->press_save_om_state();
    EXPECT_EQ(test::rows(*connection, "select fl_id, yr, c_am, c_sm, c_lts from som_state"),
              "0|2|0|0|0\n");
}

TEST_F(SimulatorWindowTest, HistogramHasSevenLabelledBarsResetAtActivation) {
    simulator.histogram = {1, 2, 3, 4, 5, 6, 7};
    auto w = window();
    w->activate();
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(w->histogram_bar(i)->objectName().toStdString(), "tcl" + std::to_string(i + 1));
        EXPECT_EQ(w->histogram_bar(i)->value(), 0);
    }
}

} // namespace

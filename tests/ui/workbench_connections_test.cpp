// workbench_connections_test.cpp --- the workbench's entries on the demo database: runs
// handed over to the simulator, plots added and deleted, names saved exactly.
#include "app/settings_store.h"
#include "app/tsm_settings.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "sim/run_steps.h"
#include "test_support.h"
#include "ui/management_entry_panel.h"
#include "ui/observation_entry_panel.h"
#include "ui/simulator_window.h"
#include "ui/workbench_connections.h"
#include "ui/workbench_tree_widget.h"
#include "ui/workbench_window.h"
#include "workbench/run_handover.h"
#include "workbench/workbench_texts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace {

using ui::Trange_select;

class WorkbenchConnectionsTest : public testing::Test {
protected:
    WorkbenchConnectionsTest() {
        connection.emplace(db::create_experiment_database(db_path(), true));
        state.db_f_name = db_path();
        state.modus = "TSM";
        state.methode = "TSM";
        settings.write_string("database", db_path());
        settings.write_string("ptfmode", "3");
        settings.write_string("pf_wp", "42");
        settings.write_string("pf_fk", "18");
        settings.write_integer("recalc_bat", 1);
        settings.write_string("soil_scheme", "RBS");
    }

    std::string db_path() const { return (dir / "demo.db").string(); }

    Trange_select& open(bool power = true) {
        state.language = "E";
        state.power = power;
        window = std::make_unique<Trange_select>(
            ui::WorkbenchEnvironment{state, connection, settings, dialogs});
        simulator_window = std::make_unique<ui::TtsmadoForm1>(
            simulator,
            ui::SimulatorEnvironment{
                {}, settings, tsm_settings, state, dialogs, connection, dir.path().string()},
            sim::standard_run_steps(&settings));
        ui::WorkbenchQuestions q;
        q.folder_name = [this](const std::string& caption, std::int64_t) {
            asked.push_back(caption);
            if (names.empty()) return std::optional<std::string>();
            auto name = names.front();
            names.pop_front();
            return name;
        };
        q.plot_id_shift = [this](const std::string& location, const workbench::PlotIdRange& r,
                                 const std::function<std::string(const std::string&)>& status) {
            asked.push_back(location + " " + std::to_string(r.min) + ".." + std::to_string(r.max) +
                            ": " + status("1000"));
            return std::optional<std::string>("1000");
        };
        q.experiment_code = [this](const workbench::ExperimentCodeForm& form,
                                   const std::function<std::string()>&) {
            asked.push_back(form.old_code + " " + form.location);
            return std::optional<std::pair<std::string, std::string>>({"7", "Moved trial"});
        };
        q.phase = [] { return std::optional<stats::Phase>(stats::Phase::late_years); };
        ui::connect_workbench(*window, *simulator_window,
                              ui::WorkbenchActions{connection, dialogs, std::move(q),
                                                   [this] { return settings_method; },
                                                   [this](sim::Simulator& s) {
                                                       if (before_run) before_run(s);
                                                   }});
        window->resize(900, 700);
        window->show();
        window->activate();
        return *window;
    }

    QTreeWidgetItem* node(const std::string& label) const {
        for (QTreeWidgetItemIterator it(window->tree()); *it; ++it)
            if ((*it)->text(0).toStdString() == label) return *it;
        ADD_FAILURE() << "no node " << label;
        return nullptr;
    }
    QTreeWidgetItem* plot_node(std::int64_t id) const {
        for (QTreeWidgetItemIterator it(window->tree()); *it; ++it)
            if (const auto* r = Trange_select::record_of(*it); r && r->snr == id) return *it;
        return nullptr;
    }
    void click_plot(std::int64_t id) {
        QTreeWidgetItem* item = plot_node(id);
        ASSERT_TRUE(item) << id;
        window->press_item(item, Qt::LeftButton);
    }
    std::string query(const std::string& q) { return test::rows(*connection, q); }
    void expect_no_error() {
        for (const std::string& s : dialogs.shown) EXPECT_NE(s.rfind("error:", 0), 0u) << s;
    }

    test::TempDir dir;
    std::optional<db::Connection> connection;
    app::ProgramState state;
    app::MemorySettingsStore settings;
    app::TsmSettings tsm_settings{settings, state};
    test::ScriptedDialogs dialogs;
    sim::Simulator simulator;
    std::unique_ptr<ui::TtsmadoForm1> simulator_window;
    std::unique_ptr<Trange_select> window;
    std::string settings_method = "TSM";
    std::function<void(sim::Simulator&)> before_run; // called with the database closed
    std::deque<std::optional<std::string>> names;
    std::vector<std::string> asked;
};

TEST_F(WorkbenchConnectionsTest, SinglePlotRunSelectsThePlotAndShowsItsMeanBatAgain) {
    struct Case {
        bool power;
        std::string method; // of the settings dialog
    };
    for (const Case& c : {Case{false, "HUMOD"}, Case{true, "TSM"}}) {
        SCOPED_TRACE(c.method);
        settings_method = c.method;
        Trange_select& w = open(c.power);
        connection->execute("update site_state set status=1");
        // Before the first run there is no tmp_bat: the form shows and saves the stored value.
        connection->execute("update field_description set mw_bat=1 where fl_id=203");
        click_plot(203);
        {
            test::WorkingFolder in(dir.path());
            w.button("model run (plot)")->click();
        }
        expect_no_error();
        ASSERT_TRUE(connection.has_value());
        EXPECT_FALSE(simulator_window->isVisible());
        EXPECT_EQ(query("select fl_id from site_state where status=1"), "203\n");
        EXPECT_EQ(query("select distinct fl_id from sim_result"), "203\n");
        const std::string mean_bat = workbench::mean_bat_after_run(*connection, 203);
        ASSERT_NE(mean_bat, "?");
        // Shown by the click on the rebuilt tree, with the two decimals of a plot's page.
        EXPECT_NEAR(w.field("fda_wmz")->text().toDouble(), std::stod(mean_bat), 0.05);
        const std::string stored = query("select mw_bat from field_description where fl_id=203");
        if (c.method == "TSM") {
            EXPECT_DOUBLE_EQ(std::stod(stored), std::stod(mean_bat));
            EXPECT_EQ(w.pages()->currentIndex(), ui::page::om_turnover);
            EXPECT_TRUE(w.pages()->isTabVisible(ui::page::c_dynamics));
        } else {
            EXPECT_EQ(stored, "1\n");
            EXPECT_EQ(w.pages()->currentIndex(), ui::page::misc_results);
        }
        // The plot was clicked again on the rebuilt tree.
        ASSERT_TRUE(w.fields().a_srb_item);
        EXPECT_EQ(w.fields().a_srb_item->snr, 203);
        EXPECT_EQ(w.fields().active_item, plot_node(203));
        EXPECT_EQ(w.plot_id_label()->text(), "203");
        EXPECT_EQ(w.status_line()->text().toStdString().rfind("model run (plot) 203: ", 0), 0u);
        if (c.method == "TSM") {
            EXPECT_EQ(w.status_line()->text().toStdString(),
                      "model run (plot) 203: finished with its report");
        }
        EXPECT_FALSE(simulator.singlemode);
        EXPECT_FALSE(simulator.autoclick);
    }
}

TEST_F(WorkbenchConnectionsTest, SelectionRunRunsTheTickedEntries) {
    Trange_select& w = open();
    w.press_item(node("Static fertilisation trial   <1>"), Qt::LeftButton);
    w.menu_action("experiment simulation")->trigger();
    EXPECT_EQ(w.fields().simulation_mode, "group");
    EXPECT_EQ(w.selection_caption()->text(), "Static fertilisation trial");
    EXPECT_EQ(w.selection_list()->count(), 5);
    EXPECT_EQ(w.front_panel(), w.selection_panel());

    w.menu_action("database simulation")->trigger();
    EXPECT_EQ(w.fields().simulation_mode, "scenario");
    EXPECT_EQ(w.selection_caption()->text().toStdString(), workbench::ui_text(21, "E"));
    QListWidget* list = w.selection_list();
    ASSERT_EQ(list->count(), std::stoi(query("select count(*) from field_description")));
    // Nothing ticked: refused with a message, nothing run.
    w.button("model run for selection")->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0], "model run for selection: No plot is ticked: tick the plots to run "
                                "first. Nothing was run.");
    EXPECT_FALSE(simulator_window->isVisible());
    EXPECT_EQ(query("select count(*) from sim_result"), "0\n");
    dialogs.shown.clear();
    for (int i = 0; i < list->count(); ++i) {
        const auto id = workbench::entry_plot(list->item(i)->text().toStdString());
        if (id == 102 || id == 203) list->item(i)->setCheckState(Qt::Checked);
    }
    {
        test::WorkingFolder in(dir.path());
        w.button("model run for selection")->click();
    }
    expect_no_error();
    ASSERT_TRUE(connection.has_value());
    EXPECT_FALSE(simulator_window->isVisible());
    EXPECT_EQ(query("select fl_id from site_state where status=1 order by fl_id"), "102\n203\n");
    EXPECT_EQ(query("select distinct fl_id from sim_result order by fl_id"), "102\n203\n");
    EXPECT_TRUE(plot_node(102));
    EXPECT_EQ(w.status_line()->text().toStdString(),
              "model run for selection, 2 plots: finished with its report");
}

TEST_F(WorkbenchConnectionsTest, AddsAndDeletesPlotsWithTheAnswersGiven) {
    Trange_select& w = open();
    QTreeWidgetItem* folder = node("Static fertilisation trial   <1>")->child(1);
    ASSERT_EQ(folder->childCount(), 5);
    w.fields().a_item = folder;
    w.menu_action("add a new plot")->trigger();
    expect_no_error();
    const std::string id = query("select max(fl_id) from field_description");
    const std::int64_t new_id = std::stoll(id);
    EXPECT_EQ(query("select location, i_con from field_description where fl_id=" + id),
              "Static fertilisation trial|obsval\n");
    EXPECT_EQ(query("select status from site_state where fl_id=" + id), "0\n");
    ASSERT_TRUE(plot_node(new_id));
    EXPECT_EQ(node("Static fertilisation trial   <1>")->child(1)->childCount(), 6);

    // "No" keeps the plot, "Yes" removes it.
    const std::string question =
        " Do you really want to delete ALL data of plot " + std::to_string(new_id) + " ?";
    for (const bool yes : {false, true}) {
        dialogs.shown.clear();
        dialogs.yes_no = {yes};
        w.fields().a_item = plot_node(new_id);
        w.menu_action("delete plot")->trigger();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0], " Confirm Delete: " + question);
        EXPECT_EQ(query("select count(*) from field_description where fl_id=" + id),
                  yes ? "0\n" : "1\n");
        EXPECT_EQ(plot_node(new_id) == nullptr, yes);
    }
}

// The plots folder's "delete active plot" and "move active plot" act only on the plot shown,
// and only when it belongs to that folder's experiment.
TEST_F(WorkbenchConnectionsTest, ActivePlotEntriesActOnlyOnAPlotOfTheFolder) {
    Trange_select& w = open();
    click_plot(202);
    QTreeWidgetItem* other_folder = node("Static fertilisation trial   <1>")->child(1);
    for (const char* entry : {"delete active plot", "move active plot"}) {
        dialogs.shown.clear();
        dialogs.yes_no = {true};
        names = {"Elsewhere"};
        w.press_item(other_folder, Qt::RightButton);
        w.shown_menu()->close();
        w.menu_action(entry)->trigger();
        EXPECT_EQ(dialogs.shown,
                  (std::vector<std::string>{
                      std::string(entry) +
                      ": No plot of this experiment is shown: click the plot first."}));
        EXPECT_TRUE(asked.empty()) << entry;
        EXPECT_EQ(query("select location from field_description where fl_id=202"),
                  "Crop rotation trial\n");
        other_folder = node("Static fertilisation trial   <1>")->child(1);
    }

    dialogs.shown.clear();
    dialogs.yes_no = {true};
    w.press_item(node("Crop rotation trial   <2>")->child(1), Qt::RightButton);
    w.shown_menu()->close();
    w.menu_action("delete active plot")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0],
              " Confirm Delete:  Do you really want to delete ALL data of plot 202 ?");
    EXPECT_EQ(query("select count(*) from field_description where fl_id=202"), "0\n");
}

TEST_F(WorkbenchConnectionsTest, NamesWithQuotesAreStoredExactly) {
    Trange_select& w = open();
    const std::string name = "O'Neill's \"long\" plot";
    click_plot(101);
    w.field("fda_sbez")->setText(QString::fromStdString(name));
    w.button("update changes")->click();
    expect_no_error();
    EXPECT_EQ(query("select site_description from field_description where fl_id=101"), name + "\n");

    const std::string folder = "Farmer's \"new\" field";
    names = {std::nullopt, folder};
    w.menu_action("create a new experiment")->trigger(); // cancelled
    EXPECT_EQ(query("select count(*) from experiments"), "2\n");
    w.menu_action("create a new experiment")->trigger();
    expect_no_error();
    EXPECT_EQ(asked, (std::vector<std::string>(2, "create new experiment folder")));
    EXPECT_EQ(query("select count(*) from experiments where location=" +
                    std::string("'Farmer''s \"new\" field'")),
              "1\n");
    EXPECT_EQ(w.fields().a_item, w.tree()->topLevelItem(0));
}

// A new experiment needs a name: the dialog offers "ok" only with one and has "cancel"; an
// empty name that gets through is refused naming the field, and nothing is written.
TEST_F(WorkbenchConnectionsTest, NewExperimentWithoutANameIsRefused) {
    Trange_select& w = open();
    names = {std::string(), std::string("  ")};
    w.menu_action("create a new experiment")->trigger();
    w.menu_action("create a new experiment")->trigger();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    for (const std::string& shown : dialogs.shown)
        EXPECT_NE(shown.find("short name"), std::string::npos) << shown;
    EXPECT_EQ(query("select count(*) from experiments"), "2\n");
    EXPECT_EQ(query("select count(*) from field_description where trim(location) = ''"), "0\n");

    const ui::WorkbenchQuestions real = ui::qt_workbench_questions(&w);
    std::vector<std::string> seen;
    for (const char* press : {"cancel", "ok"}) {
        QTimer::singleShot(0, [&seen, press] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_TRUE(dialog);
            auto* name = dialog->findChild<QLineEdit*>("Edit1");
            QPushButton* ok = nullptr;
            for (auto* b : dialog->findChildren<QPushButton*>())
                if (b->text() == "ok") ok = b;
            ASSERT_TRUE(ok);
            seen.push_back(std::string("ok ") + (ok->isEnabled() ? "on" : "off"));
            name->setText("   ");
            seen.push_back(std::string("blank ") + (ok->isEnabled() ? "on" : "off"));
            name->setText("Tillage trial");
            seen.push_back(std::string("named ") + (ok->isEnabled() ? "on" : "off"));
            for (auto* b : dialog->findChildren<QPushButton*>())
                if (b->text() == press) b->click();
        });
        const auto answer = real.folder_name("create new experiment folder", 3);
        EXPECT_EQ(answer, std::string(press) == "ok" ? std::optional<std::string>("Tillage trial")
                                                     : std::nullopt);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"ok off", "blank off", "named on", "ok off",
                                              "blank off", "named on"}));
}

// Edits of Basic-Info are not dropped without a word: another click asks whether to save
// them. Letters in a year field are refused naming the field, and the plot stays shown.
TEST_F(WorkbenchConnectionsTest, UnsavedBasicInfoIsAskedAboutBeforeAnotherClick) {
    Trange_select& w = open();
    const std::string question = "update changes: The changes on Basic-Info of plot ";
    const auto name_of = [&](int plot) {
        return query("select site_description from field_description where fl_id=" +
                     std::to_string(plot));
    };
    click_plot(101);
    click_plot(102); // nothing edited: no question
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();

    w.field("fda_sbez")->setText("renamed");
    dialogs.yes_no = {true};
    click_plot(103);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0], question + "102 are not saved. Save them now?");
    EXPECT_EQ(name_of(102), "renamed\n");
    EXPECT_EQ(w.plot_id_label()->text(), "103");

    const std::string before = name_of(103);
    w.field("fda_sbez")->setText("dropped");
    dialogs.yes_no = {false};
    click_plot(101);
    EXPECT_EQ(name_of(103), before);
    EXPECT_EQ(w.plot_id_label()->text(), "101");

    for (const char* field : {"Edit4", "Edit7"}) {
        SCOPED_TRACE(field);
        dialogs.shown.clear();
        click_plot(101);
        w.field("fda_sbez")->setText("not saved");
        w.field(field)->setText("19x0");
        w.button("update changes")->click();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_NE(
            dialogs.shown[0].find(std::string(field) == "Edit4" ? "first year" : "start year"),
            std::string::npos)
            << dialogs.shown[0];
        // Saving on the way to another plot fails the same way: the plot stays.
        dialogs.yes_no = {true};
        click_plot(102);
        EXPECT_EQ(w.plot_id_label()->text(), "101");
        EXPECT_EQ(w.fields().active_item, plot_node(101));
        EXPECT_NE(name_of(101), "not saved\n");
        dialogs.yes_no = {false};
        click_plot(102);
        EXPECT_EQ(w.plot_id_label()->text(), "102");
    }
}

TEST_F(WorkbenchConnectionsTest, RenumbersPlotsAndExperimentsWithTheAnswersGiven) {
    Trange_select& w = open();
    w.fields().a_item = node("Static fertilisation trial   <1>");
    w.menu_action("shift plots  FL_ID")->trigger();
    EXPECT_EQ(query("select min(fl_id), max(fl_id) from field_description"
                    " where location='Static fertilisation trial'"),
              "1101|1105\n");
    w.fields().a_item = node("Static fertilisation trial   <1>");
    w.menu_action("shift experiment ID")->trigger();
    expect_no_error();
    EXPECT_EQ(asked, (std::vector<std::string>{
                         "Static fertilisation trial 101..105: 0 records in destination range !"
                         " press ok to start transfer",
                         "1 Static fertilisation trial"}));
    EXPECT_EQ(query("select exp_id, location from experiments where vcode='7'"), "7|Moved trial\n");
    EXPECT_TRUE(plot_node(1101));
    EXPECT_TRUE(node("Moved trial   <7>"));
}

TEST_F(WorkbenchConnectionsTest, UpdateStatisticsStoresOneRowPerPlot) {
    Trange_select& w = open();
    click_plot(203);
    {
        test::WorkingFolder in(dir.path());
        w.button("model run (plot)")->click();
    }
    QTreeWidgetItem* other = node("Static fertilisation trial   <1>");
    other->setExpanded(true);
    other->child(1)->setExpanded(true);
    w.menu_action("Update-Statistics")->trigger();
    expect_no_error();
    EXPECT_EQ(query("select count(*) from tsm_stat_corg"),
              query("select count(*) from field_description"));
    EXPECT_EQ(w.fields().phase_select, static_cast<int>(stats::Phase::late_years));
    EXPECT_EQ(w.status_line()->text().toStdString(),
              "Update-Statistics (late years): the statistics of 1 plot stored in tsm_stat_corg "
              "and tsm_stat_nt");

    // Update-Statistics and "copy plot" keep the tree as it was: the expanded nodes, the
    // node under the pointer and the plot shown.
    const auto kept = [&](QTreeWidgetItem* pointed) {
        EXPECT_TRUE(node("Static fertilisation trial   <1>")->isExpanded());
        EXPECT_TRUE(node("Static fertilisation trial   <1>")->child(1)->isExpanded());
        EXPECT_TRUE(node("Crop rotation trial   <2>")->isExpanded());
        EXPECT_EQ(w.fields().active_item, plot_node(203));
        EXPECT_EQ(w.plot_id_label()->text(), "203");
        EXPECT_FALSE(w.pages()->isHidden());
        EXPECT_EQ(w.fields().a_item, pointed);
        EXPECT_EQ(w.tree()->currentItem(), pointed);
    };
    kept(plot_node(203));
    w.fields().a_item = plot_node(101);
    w.menu_action("copy plot")->trigger();
    expect_no_error();
    const std::string copy = query("select max(fl_id) from field_description");
    EXPECT_EQ(w.status_line()->text().toStdString(), "copy plot: plot 101 copied as plot " +
                                                         copy.substr(0, copy.size() - 1) +
                                                         " (without results)");
    kept(plot_node(101));
}

} // namespace

// A plot put in through the windows only: added, given a station and a soil, its management
// and measurements typed into the forms; it runs and gets results.
TEST_F(WorkbenchConnectionsTest, PlotEnteredThroughTheFormsRuns) {
    Trange_select& w = open();
    w.fields().a_item = node("Static fertilisation trial   <1>")->child(1);
    w.menu_action("add a new plot")->trigger();
    const std::int64_t id = std::stoll(query("select max(fl_id) from field_description"));
    click_plot(id);
    w.weather_list()->setCurrentIndex(
        w.weather_list()->findData(QVariant::fromValue<qlonglong>(1)));
    w.soil_list()->setCurrentIndex(w.soil_list()->findData(QVariant::fromValue<qlonglong>(1)));
    w.button("update changes")->click();
    expect_no_error();

    ui::ObservationEntryPanel& o = *w.observation_entry();
    w.pages()->setCurrentIndex(ui::page::observation);
    for (auto [property, value] : {std::pair<int, const char*>{7, "1,2"}, {0, "0,12"}}) {
        o.insert_mode()->setChecked(true);
        o.date()->setDate(QDate(2000, 3, 1));
        o.property_list()->setCurrentIndex(
            o.property_list()->findData(QVariant::fromValue<qlonglong>(property)));
        o.value()->setText(value);
        QApplication::processEvents();
        const QPointF at(8, o.initial_value()->height() / 2.0);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            if (o.initial_value()->isChecked()) break; // still ticked from the row shown
            QMouseEvent e(type, at, o.initial_value()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::ShiftModifier);
            QApplication::sendEvent(o.initial_value(), &e);
        }
        ASSERT_TRUE(o.initial_value()->isChecked());
        o.save_button()->click();
    }
    ui::ManagementEntryPanel& m = *w.management_entry();
    w.pages()->setCurrentIndex(ui::page::management);
    for (int year = 2000; year <= 2004; ++year) {
        m.insert_mode()->setChecked(true);
        m.choose_action(2);
        m.date()->setDate(QDate(year, 8, 1));
        const int wheat = m.item_list()->findData(QVariant::fromValue<qlonglong>(100001));
        ASSERT_GE(wheat, 0);
        m.item_list()->setCurrentIndex(wheat);
        m.amount()->setText("75,5");
        m.save_button()->click();
    }
    expect_no_error();
    EXPECT_EQ(query("select count(*) from cultivation where fl_id=" + std::to_string(id)), "5\n");
    EXPECT_EQ(query("select m_ix, year_number from measurements where fl_id=" + std::to_string(id) +
                    " order by m_ix"),
              "0|0\n7|0\n");
    ASSERT_TRUE(w.button("model run (plot)")->isEnabled());
    {
        test::WorkingFolder in(dir.path());
        w.button("model run (plot)")->click();
    }
    expect_no_error();
    EXPECT_EQ(query("select count(*) > 0 from sim_result where fl_id=" + std::to_string(id)),
              "-1\n"); // true
}

// The database file moved away while the simulator has it: the user is told which file
// cannot be opened, the workbench refuses its work with a message instead of ending, and a
// click once the file is back opens it again.
TEST_F(WorkbenchConnectionsTest, DatabaseMovedAwayDuringARunIsNamedAndOpenedAgainLater) {
    const std::filesystem::path file = db_path();
    const std::filesystem::path away = dir.path() / "away.db";
    before_run = [&](sim::Simulator&) { std::filesystem::rename(file, away); };
    Trange_select& w = open();
    click_plot(203);
    {
        test::WorkingFolder in(dir.path());
        w.button("model run (plot)")->click();
    }
    EXPECT_FALSE(simulator_window->isVisible());
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_NE(dialogs.shown.back().find(file.string()), std::string::npos) << dialogs.shown.back();
    EXPECT_LT(dialogs.shown.size(), 4u) << dialogs.shown.front(); // told, not over and over
    // Without its database every entry refuses with the same message.
    dialogs.shown.clear();
    w.button("model run (plot)")->click();
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_NE(dialogs.shown.back().find(file.string()), std::string::npos) << dialogs.shown.back();

    std::filesystem::rename(away, file);
    before_run = nullptr;
    dialogs.shown.clear();
    click_plot(203);
    expect_no_error();
    ASSERT_TRUE(connection.has_value());
    EXPECT_EQ(w.plot_id_label()->text(), "203");
}

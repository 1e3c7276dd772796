// workbench_window_test.cpp --- the workbench Trange_select on the offscreen platform: the
// demo tree, clicks that load the pages, dragging data between plots, both languages.
#include "app/settings_store.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "ui/nbalance_window.h"
#include "ui/regio_mode_dialog.h"
#include "ui/window_placement.h"
#include "ui/workbench_tree_widget.h"
#include "ui/workbench_window.h"
#include "workbench/experiment_tree.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {

namespace image = workbench::image;
using ui::Trange_select;

class WorkbenchWindowTest : public testing::Test {
protected:
    WorkbenchWindowTest() {
        connection.emplace(db::create_experiment_database(dir / "demo.db", true));
        state.db_f_name = (dir / "demo.db").string();
        state.modus = "TSM";
        state.methode = "TSM";
    }

    // Creates and shows the window in the fixture's language.
    Trange_select& open(const std::string& language = "E") {
        state.language = language;
        state.power = language != "D";
        window = std::make_unique<Trange_select>(
            ui::WorkbenchEnvironment{state, connection, settings, dialogs});
        window->set_quit([this] { ++quits; });
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
    void click(const std::string& label, Qt::KeyboardModifiers m = Qt::NoModifier) {
        window->press_item(node(label), Qt::LeftButton, m);
    }
    // A mouse press or a drop on the node, as the tree's viewport receives them.
    void mouse_press(QTreeWidgetItem* item, Qt::MouseButton button) {
        window->tree()->scrollToItem(item);
        const QPointF at = window->tree()->visualItemRect(item).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, window->tree()->viewport()->mapToGlobal(at),
                          button, button, Qt::NoModifier);
        QApplication::sendEvent(window->tree()->viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at,
                            window->tree()->viewport()->mapToGlobal(at), button, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(window->tree()->viewport(), &release);
    }
    bool drop_event(QTreeWidgetItem* item) {
        QMimeData data;
        data.setData(ui::WorkbenchTree::drag_format, QByteArray());
        window->tree()->scrollToItem(item);
        const QPointF at = window->tree()->visualItemRect(item).center();
        // The enter makes the viewport the drag's target, which receives the drop.
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window->tree()->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window->tree()->viewport(), &drop);
        return drop.isAccepted();
    }

    std::string count(const std::string& table, const std::string& where) {
        return test::rows(*connection, "select count(*) from " + table + " where " + where);
    }

    test::TempDir dir;
    std::optional<db::Connection> connection;
    app::ProgramState state;
    app::MemorySettingsStore settings;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<Trange_select> window;
    int quits = 0;
};

TEST_F(WorkbenchWindowTest, ShowsTheDemoTreeBehindTheCoverPanel) {
    Trange_select& w = open();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    EXPECT_EQ(w.windowTitle().toStdString(), state.db_f_name + "; regional mode NOT enabled");
    EXPECT_EQ(w.front_panel(), w.cover_panel());
    EXPECT_TRUE(w.pages()->isHidden());

    ASSERT_EQ(w.tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* root = w.tree()->topLevelItem(0);
    EXPECT_EQ(root->text(0).toStdString(), workbench::root_label(state.db_f_name));
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(Trange_select::image_of(root), 7); // expanded database node
    ASSERT_EQ(root->childCount(), 2);
    QTreeWidgetItem* experiment = node("Static fertilisation trial   <1>");
    ASSERT_TRUE(experiment);
    EXPECT_EQ(Trange_select::image_of(experiment), image::experiment);
    ASSERT_EQ(experiment->childCount(), 2);
    EXPECT_EQ(experiment->child(0)->text(0), "files");
    EXPECT_EQ(experiment->child(1)->text(0), "plots");
    EXPECT_EQ(experiment->child(1)->childCount(), 5);
    QTreeWidgetItem* plot = experiment->child(1)->child(0);
    EXPECT_EQ(plot->text(0), "101 no fertiliser");
    EXPECT_EQ(Trange_select::image_of(plot), image::plot_without_results);
    EXPECT_EQ(Trange_select::record_of(plot)->snr, 101);
    EXPECT_EQ(w.fields().recs, 11);
    EXPECT_EQ(w.fields().a_item, root);
    EXPECT_FALSE(w.fields().active_item);

    // Expanding and collapsing change the folder images.
    experiment->setExpanded(true);
    EXPECT_EQ(Trange_select::image_of(experiment), 3);
    EXPECT_TRUE(w.fields().just_expanded);
    experiment->setExpanded(false);
    EXPECT_EQ(Trange_select::image_of(experiment), 2);
}

TEST_F(WorkbenchWindowTest, RightPressOpensTheMenuOfTheNodeKind) {
    Trange_select& w = open();
    struct Case {
        std::string label, menu, srb_db;
    };
    const std::vector<Case> cases = {
        {"Crop rotation trial   <2>", "experiment", "Crop rotation trial"},
        {"101 no fertiliser", "plot node", ""},
        {workbench::root_label(state.db_f_name), "database", ""},
    };
    for (const Case& k : cases) {
        w.fields().srb_db.clear();
        w.press_item(node(k.label), Qt::RightButton);
        EXPECT_EQ(w.shown_menu(), w.menu(k.menu)) << k.label;
        EXPECT_EQ(w.fields().srb_db, k.srb_db) << k.label;
        if (w.shown_menu()) w.shown_menu()->close();
    }
    QTreeWidgetItem* plots = node("Static fertilisation trial   <1>")->child(1);
    w.press_item(plots, Qt::RightButton);
    EXPECT_EQ(w.shown_menu(), w.menu("plot"));
    EXPECT_EQ(w.fields().srb_db, "Static fertilisation trial");
    w.shown_menu()->close();
    w.press_item(node("Static fertilisation trial   <1>")->child(0), Qt::RightButton);
    EXPECT_FALSE(w.shown_menu());
    EXPECT_FALSE(w.menu_action("site condition report")->isEnabled());

    // Presses that reach the tree as mouse events.
    w.fields().srb_db.clear();
    mouse_press(node("Crop rotation trial   <2>"), Qt::LeftButton);
    EXPECT_EQ(w.fields().a_item, node("Crop rotation trial   <2>"));
    EXPECT_EQ(w.fields().srb_db, "Crop rotation trial");
    EXPECT_EQ(Trange_select::state_image_of(node("Crop rotation trial   <2>")),
              image::marked_state);
    mouse_press(w.tree()->topLevelItem(0), Qt::RightButton);
    EXPECT_EQ(w.shown_menu(), w.menu("database"));
    w.shown_menu()->close();
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(WorkbenchWindowTest, ClickOnAPlotLoadsItsPages) {
    Trange_select& w = open();
    w.set_hook("model run (plot)", [](Trange_select&) {}); // the run button's work is there
    click("101 no fertiliser");
    ASSERT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    QTreeWidgetItem* plot = node("101 no fertiliser");
    EXPECT_EQ(Trange_select::state_image_of(plot), image::marked_state);
    EXPECT_EQ(w.fields().active_item, plot);
    EXPECT_EQ(w.fields().a_srb_item, Trange_select::record_of(plot));
    EXPECT_EQ(w.front_panel(), w.pages());
    EXPECT_EQ(w.pages()->currentIndex(), ui::page::basic_info);
    EXPECT_EQ(w.plot_id_label()->text(), "101");
    EXPECT_EQ(w.fields().snr_, "101");
    EXPECT_EQ(w.fields().srb_db, "Static fertilisation trial");
    EXPECT_EQ(w.field("fda_sbez")->text(), "101 no fertiliser");
    EXPECT_EQ(w.field("_plotarea")->text(), "0.0265");
    EXPECT_EQ(w.field("Edit4")->text(), "1970");
    EXPECT_EQ(w.field("Edit7")->text(), "1970");
    EXPECT_EQ(w.field("fda_wmz")->text(), "?");
    EXPECT_EQ(w.weather_list()->currentText(), "Central German dry region (demo)");
    EXPECT_EQ(w.soil_list()->currentText(), "Haplic Chernozem, loess");
    EXPECT_EQ(w.initial_conditions()->currentText(), "obsval");
    EXPECT_EQ(w.management_grid()->rowCount(), 46);
    EXPECT_EQ(w.measurement_grid()->rowCount(), std::stoi(count("measurements", "fl_id=101")));
    EXPECT_EQ(w.title_label(ui::page::management)->text(), "101 no fertiliser");
    EXPECT_FALSE(w.button("model run (plot)")->isHidden());
    EXPECT_TRUE(w.button("model run (plot)")->isEnabled());
    EXPECT_FALSE(w.pages()->isTabEnabled(ui::page::c_dynamics));

    // The next click moves the mark; a Shift-click keeps the page in front.
    w.pages()->setCurrentIndex(ui::page::observation);
    click("102 mineral N", Qt::ShiftModifier);
    EXPECT_EQ(Trange_select::state_image_of(plot), image::no_state);
    EXPECT_EQ(Trange_select::state_image_of(node("102 mineral N")), image::marked_state);
    EXPECT_EQ(w.pages()->currentIndex(), ui::page::observation);
    EXPECT_EQ(w.plot_id_label()->text(), "102");
    click("103 farmyard manure");
    EXPECT_EQ(w.pages()->currentIndex(), ui::page::basic_info);

    // A click by program finds the plot below its experiment.
    w.click_on_item("Crop rotation trial", "203 straw incorporated + cattle slurry", true);
    EXPECT_EQ(w.plot_id_label()->text(), "203");
    w.click_on_item("Crop rotation trial", "sand, straw removed", false);
    EXPECT_EQ(w.plot_id_label()->text(), "205");
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
}

TEST_F(WorkbenchWindowTest, NullStartPlotSwitchesToOrv) {
    connection->execute("delete from measurements where fl_id=202");
    connection->execute("update field_description set i_con='null' where fl_id=202");
    Trange_select& w = open();
    w.set_hook("model run (plot)", [](Trange_select&) {});
    click("202 straw incorporated");
    EXPECT_EQ(state.modus, "ORV");
    EXPECT_TRUE(w.button("model run (plot)")->isEnabled());
    for (int p : {ui::page::observation, ui::page::c_dynamics, ui::page::misc_results,
                  ui::page::n_dynamics, ui::page::micr_bm, ui::page::n_balance})
        EXPECT_FALSE(w.pages()->isTabVisible(p)) << p;
    // In "ORV" the weather list offers the stations linked to the experiment.
    EXPECT_EQ(w.weather_list()->count(), 2);
    EXPECT_EQ(w.weather_list()->currentText(), "Lower Rhine region (demo)");
}

TEST_F(WorkbenchWindowTest, TablesNodeShowsThePlotsOfTheExperiment) {
    Trange_select& w = open();
    w.press_item(node("Crop rotation trial   <2>")->child(0), Qt::LeftButton);
    EXPECT_EQ(w.front_panel(), w.table_panel());
    EXPECT_EQ(w.raw_grid()->rowCount(), 6);
    EXPECT_EQ(w.fields().srb_db, "Crop rotation trial");
    click("201 straw removed");
    EXPECT_TRUE(w.table_panel()->isHidden());
    EXPECT_EQ(w.front_panel(), w.pages());
}

// The pages show a plot: clicking an experiment or a folder hides them, so no other node
// shows the last plot's grids under its own title.
TEST_F(WorkbenchWindowTest, FoldersHideTheLastPlotsPages) {
    Trange_select& w = open();
    QTreeWidgetItem* experiment = node("Crop rotation trial   <2>");
    for (QTreeWidgetItem* folder : {experiment, w.tree()->topLevelItem(0), experiment->child(1)}) {
        click("201 straw removed");
        ASSERT_EQ(w.front_panel(), w.pages());
        w.press_item(folder, Qt::LeftButton);
        SCOPED_TRACE(folder->text(0).toStdString());
        EXPECT_TRUE(w.pages()->isHidden());
        EXPECT_EQ(w.front_panel(), w.cover_panel());
    }
    click("201 straw removed");
    EXPECT_EQ(w.front_panel(), w.pages());
    EXPECT_EQ(w.plot_id_label()->text(), "201");
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
}

TEST_F(WorkbenchWindowTest, DraggingCopiesManagementOrMeasurements) {
    Trange_select& w = open();
    QTreeWidgetItem* target = node("102 mineral N");
    EXPECT_FALSE(w.begin_drag()); // no active plot yet
    click("101 no fertiliser");
    w.pages()->setCurrentIndex(ui::page::management);
    ASSERT_TRUE(w.begin_drag());
    EXPECT_EQ(w.fields().s_snr, "101");
    EXPECT_FALSE(w.drop_accepted(node("101 no fertiliser")));
    EXPECT_FALSE(w.drop_accepted(node("Crop rotation trial   <2>")));

    dialogs.yes_no = {false, false, true};
    EXPECT_TRUE(w.drop_on(target)); // answered No to adding and to replacing: nothing copied
    EXPECT_EQ(count("cultivation", "fl_id=102"), "116\n");
    EXPECT_TRUE(w.drop_on(target));
    EXPECT_EQ(w.fields().d_snr, "102");
    EXPECT_EQ(count("cultivation", "fl_id=102"), "162\n");
    ASSERT_EQ(dialogs.shown.size(), 4u);
    EXPECT_EQ(dialogs.shown[1], "ATTENTION !: Delete the 116 management records of plot 102 "
                                "mineral N and copy the 46 of plot 101 no fertiliser in their "
                                "place?");
    EXPECT_EQ(dialogs.shown[2],
              "confirm operation: you are about to copy management data into plot 102 mineral N - "
              "continue ?\n46 records are added to the 116 it has. Answer No to replace them "
              "instead.");
    EXPECT_EQ(dialogs.shown[3], "transfer of management data               : 46 records copied ");

    w.pages()->setCurrentIndex(ui::page::observation);
    const std::string measured = count("measurements", "fl_id=101");
    dialogs.yes_no = {true};
    EXPECT_TRUE(w.drop_on(node("205 sand, straw removed")));
    EXPECT_EQ(dialogs.shown.back(), "transfer of measurement data              : " +
                                        measured.substr(0, measured.size() - 1) +
                                        " records copied ");

    // A drop that reaches the tree as an event copies the same way.
    node("Crop rotation trial   <2>")->setExpanded(true);
    node("Crop rotation trial   <2>")->child(1)->setExpanded(true);
    dialogs.yes_no = {true};
    EXPECT_TRUE(drop_event(node("206 sand, straw incorporated + slurry")));
    EXPECT_EQ(w.fields().d_snr, "206");
    EXPECT_NE(dialogs.shown.back().find(" records copied "), std::string::npos);

    // Pages from "Scenario" on refuse the drop.
    w.pages()->setCurrentIndex(ui::page::c_dynamics);
    const std::size_t asked = dialogs.shown.size();
    EXPECT_FALSE(w.drop_on(target));
    EXPECT_FALSE(drop_event(node("206 sand, straw incorporated + slurry")));
    EXPECT_EQ(dialogs.shown.size(), asked);
    w.end_drag();
    EXPECT_FALSE(w.fields().draging);
}

// A plain press on the plot shown, as a drag begins, loads its Basic-Info page; the drag
// copies what the page in front before the press shows, and may replace the target's records.
TEST_F(WorkbenchWindowTest, DragWithoutModifierCanReplaceTheTargetsManagement) {
    Trange_select& w = open();
    click("101 no fertiliser");
    w.pages()->setCurrentIndex(ui::page::management);
    mouse_press(node("101 no fertiliser"), Qt::LeftButton);
    EXPECT_EQ(w.pages()->currentIndex(), ui::page::basic_info);
    ASSERT_TRUE(w.begin_drag());
    EXPECT_EQ(w.pages()->currentIndex(), ui::page::management);

    dialogs.yes_no = {false, true}; // not added, but replaced
    EXPECT_TRUE(w.drop_on(node("102 mineral N")));
    w.end_drag();
    EXPECT_EQ(count("cultivation", "fl_id=102"), "46\n");
    EXPECT_EQ(count("cultivation", "fl_id=101"), "46\n");
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[2],
              "transfer of management data               : 46 records copied ; 116 records "
              "deleted");

    // A click that is no drag start still shows Basic-Info, and a page chosen after it stays.
    click("101 no fertiliser");
    EXPECT_EQ(w.pages()->currentIndex(), ui::page::basic_info);
    w.pages()->setCurrentIndex(ui::page::observation);
    ASSERT_TRUE(w.begin_drag());
    EXPECT_EQ(w.pages()->currentIndex(), ui::page::observation);
    w.end_drag();
}

TEST_F(WorkbenchWindowTest, GermanVersion) {
    Trange_select& w = open("D");
    EXPECT_FALSE(state.power);
    EXPECT_EQ(w.pages()->tabText(ui::page::basic_info), "Standortdaten");
    EXPECT_EQ(w.pages()->tabText(ui::page::c_dynamics), "Ergebnisse: Corg");
    EXPECT_FALSE(w.pages()->isTabVisible(ui::page::misc_results));
    EXPECT_EQ(w.label("plot")->text(), "Schlagname");
    EXPECT_EQ(w.label("source")->text(), "Schlagnummer");
    EXPECT_EQ(w.label("state")->text(), "Feldblocknummer");
    EXPECT_EQ(w.button("model run (plot)")->text(), "&Modell starten");
    EXPECT_EQ(w.button("End")->text(), "&Ende");
    EXPECT_EQ(w.menu_action("delete experiment")->text(), "Betrieb löschen");
    EXPECT_EQ(w.label("mean BAT")->text(), "mittlere BAT");
    EXPECT_EQ(w.menu_action("regio mode")->text(), "Regio-Modus");
    // The lists of a plot head their columns in German too.
    w.set_hook("model run (plot)", [](Trange_select&) {});
    click("101 no fertiliser");
    EXPECT_EQ(w.management_grid()->horizontalHeaderItem(3)->text(), "Aktion");
    EXPECT_EQ(w.measurement_grid()->horizontalHeaderItem(4)->text(), "Merkmal");
    for (const char* hidden :
         {"shift plots  FL_ID", "shift experiment ID", "Update-Statistics", "N-balance"})
        EXPECT_FALSE(w.menu_action(hidden)->isVisible()) << hidden;
    // Without the power flag the experiments have no tables node.
    QTreeWidgetItem* experiment = node("Static fertilisation trial   <1>");
    ASSERT_EQ(experiment->childCount(), 1);
    EXPECT_EQ(experiment->child(0)->text(0), "Schläge");

    click("101 no fertiliser");
    w.pages()->setCurrentIndex(ui::page::observation);
    ASSERT_TRUE(w.begin_drag());
    dialogs.yes_no = {true};
    w.drop_on(node("102 mineral N"));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].substr(0, dialogs.shown[0].find('\n')),
              "bitte bestätigen: Sie kopieren Messergebnisse nach Fläche 102 mineral N - "
              "fortsetzen ?");
    EXPECT_NE(dialogs.shown[1].find("Transfer von Messwerten:"), std::string::npos);
    EXPECT_NE(dialogs.shown[1].find(" Sätze kopiert "), std::string::npos);
}

// Every caption the window shows, in the order of its widgets: labels, buttons, group
// boxes, menu entries, pages and list entries.
std::vector<std::string> captions(const Trange_select& w) {
    std::vector<std::string> out;
    auto add = [&](const QString& text) {
        if (!text.trimmed().isEmpty()) out.push_back(text.toStdString());
    };
    for (QObject* o : w.findChildren<QObject*>()) {
        if (auto* l = qobject_cast<QLabel*>(o)) add(l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(o)) add(b->text());
        if (auto* g = qobject_cast<QGroupBox*>(o)) add(g->title());
        if (auto* a = qobject_cast<QAction*>(o); a && !a->isSeparator()) add(a->text());
        if (auto* c = qobject_cast<QComboBox*>(o); c && c->objectName() == "till_option")
            for (int i = 0; i < c->count(); ++i) add(c->itemText(i));
    }
    for (int i = 0; i < w.pages()->count(); ++i) add(w.pages()->tabText(i));
    return out;
}

// The German window has a German form of every caption of the English one; only names,
// units and codes stay as they are.
TEST_F(WorkbenchWindowTest, EveryCaptionHasItsGermanForm) {
    auto captions_in = [&](const std::string& language) {
        Trange_select& w = open(language);
        w.regio_dialog(); // made on first use
        return captions(w);
    };
    const std::vector<std::string> english = captions_in("E");
    window.reset();
    const std::vector<std::string> german = captions_in("D");
    ASSERT_EQ(english.size(), german.size());
    const std::set<std::string> same_in_both = {"FL_ID", "FLA%=", "Scenario", "soil physics", "-"};
    for (std::size_t i = 0; i < english.size(); ++i) {
        if (!same_in_both.count(english[i])) {
            EXPECT_NE(english[i], german[i]) << "untranslated: " << english[i];
        }
    }
    // German buttons can be pressed from the keyboard.
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        if (b->text().size() > 1) {
            EXPECT_TRUE(b->text().contains('&')) << "no accelerator: " << b->text().toStdString();
        }
    }
}

// The first size leaves the pages room on any screen; the handle between tree and pages can
// be taken hold of and neither side can vanish; the panel in front covers the others.
TEST_F(WorkbenchWindowTest, FirstSizeFitsTheScreenAndLeavesThePagesRoom) {
    Trange_select w(ui::WorkbenchEnvironment{state, connection, settings, dialogs});
    EXPECT_EQ(w.size(), QSize(1200, 800));
    settings.create_key();
    ui::keep_placement(w, settings, "workbench");
    const QRect screen = w.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w.geometry()));
    EXPECT_EQ(w.width(), std::min(1200, screen.width() * 9 / 10));
    w.show();
    auto* splitter = w.findChild<QSplitter*>("splitter");
    ASSERT_TRUE(splitter);
    EXPECT_GE(splitter->handleWidth(), 6);
    EXPECT_FALSE(splitter->childrenCollapsible());
    EXPECT_GT(splitter->sizes()[1], splitter->sizes()[0]);
    for (QWidget* panel :
         {w.cover_panel(), static_cast<QWidget*>(w.pages()), w.selection_panel(), w.table_panel()})
        EXPECT_TRUE(panel->autoFillBackground()) << panel->objectName().toStdString();
}

// Enter or Space on the current node opens it as a click does; the menu key opens its menu.
TEST_F(WorkbenchWindowTest, KeyboardOpensTreeNodes) {
    Trange_select& w = open();
    auto key = [&](const std::string& label, int k) {
        w.tree()->setCurrentItem(node(label));
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w.tree(), &press);
    };
    key("101 no fertiliser", Qt::Key_Return);
    EXPECT_EQ(w.front_panel(), w.pages());
    EXPECT_EQ(w.plot_id_label()->text(), "101");
    key("102 mineral N", Qt::Key_Space);
    EXPECT_EQ(w.plot_id_label()->text(), "102");
    key("Static fertilisation trial   <1>", Qt::Key_Menu);
    EXPECT_EQ(w.shown_menu(), w.menu("experiment"));
    w.shown_menu()->close();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
}

// Entries and buttons whose work is not connected are disabled and say why in their tool
// tip; connected, they call their hook.
TEST_F(WorkbenchWindowTest, EntriesCallTheirHooksOrAreDisabled) {
    Trange_select& w = open();
    for (const char* entry : {"copy plot", "create a new experiment", "site condition report"}) {
        EXPECT_FALSE(w.menu_action(entry)->isEnabled()) << entry;
        EXPECT_EQ(w.menu_action(entry)->toolTip(), "not part of this version yet") << entry;
    }
    EXPECT_FALSE(w.button("model run (plot)")->isEnabled());
    EXPECT_FALSE(w.button("update changes")->toolTip().isEmpty());
    w.menu_action("copy plot")->trigger();
    EXPECT_TRUE(dialogs.shown.empty());

    std::string seen;
    w.set_hook("model run (plot)", [&](Trange_select& window) { seen = window.fields().snr_; });
    EXPECT_TRUE(w.button("model run (plot)")->isEnabled());
    EXPECT_TRUE(w.button("model run (plot)")->toolTip().isEmpty());
    click("204 ploughed-up grassland, straw incorporated");
    w.button("model run (plot)")->click();
    EXPECT_EQ(seen, "204");

    w.menu_action("N-balance")->trigger();
    ASSERT_TRUE(w.nbalance_window());
    EXPECT_TRUE(w.nbalance_window()->isVisible());
    w.nbalance_window()->close();
}

TEST_F(WorkbenchWindowTest, SelectionPanelTicksItsEntries) {
    Trange_select& w = open();
    for (const char* entry : {"101: a", "102: b", "103: c"}) {
        auto* item = new QListWidgetItem(entry, w.selection_list()); // owned by the list
        item->setCheckState(Qt::Unchecked);
    }
    w.show_selection_panel();
    EXPECT_EQ(w.front_panel(), w.selection_panel());
    EXPECT_EQ(w.field("Edit9")->text(), "-99");
    EXPECT_EQ(w.field("Edit8")->text(), "0");
    w.selection_list()->item(1)->setCheckState(Qt::Checked);
    w.button("invert")->click();
    auto ticked = [&] {
        std::string s;
        for (int i = 0; i < w.selection_list()->count(); ++i)
            s += w.selection_list()->item(i)->checkState() == Qt::Checked ? "x" : "-";
        return s;
    };
    EXPECT_EQ(ticked(), "x-x");
    w.button("all")->click();
    EXPECT_EQ(ticked(), "xxx");
    w.button("none")->click();
    EXPECT_EQ(ticked(), "---");
}

TEST_F(WorkbenchWindowTest, RegionalMode) {
    state.appmode = "REGIO";
    Trange_select& w = open();
    EXPECT_TRUE(state.regional_mode);
    EXPECT_EQ(w.windowTitle().toStdString(), state.db_f_name + "; regional mode enabled");
    EXPECT_FALSE(w.field("Edit2")->isHidden());
    EXPECT_TRUE(w.run_panel()->isHidden());
    EXPECT_TRUE(w.site_panel()->isHidden());
    ASSERT_EQ(w.tillage_options()->count(), 3);
    EXPECT_EQ(w.tillage_options()->currentText(), "manual input");
    w.activate();
    EXPECT_EQ(w.tillage_options()->count(), 3);

    // "regio mode" gives the database the share column; the program then ends.
    QTimer::singleShot(0, [&] {
        w.regio_dialog()->regio_box()->setChecked(true);
        w.regio_dialog()->change_button()->click();
    });
    w.menu_action("regio mode")->trigger();
    EXPECT_TRUE(connection->has_column("cultivation", "part"));
    EXPECT_EQ(quits, 1);
    // Escaping changes nothing.
    QTimer::singleShot(0, [&] {
        w.regio_dialog()->regio_box()->setChecked(false);
        w.regio_dialog()->escape_button()->click();
    });
    w.menu_action("regio mode")->trigger();
    EXPECT_TRUE(connection->has_column("cultivation", "part"));
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
}

TEST_F(WorkbenchWindowTest, DragScrollsNearTheEdges) {
    EXPECT_EQ(ui::WorkbenchTree::drag_scroll(2, 200), -1);
    EXPECT_EQ(ui::WorkbenchTree::drag_scroll(100, 200), 0);
    EXPECT_EQ(ui::WorkbenchTree::drag_scroll(197, 200), 1);
}

} // namespace

// The launcher window on the offscreen platform: captions, layout, activation rules.
#include "app/first_start.h"
#include "app/launcher.h"
#include "app/settings_store.h"
#include "db/new_database.h"
#include "import/access_offer.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "ui/launcher_window.h"
#include "ui/window_placement.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class LauncherWindow : public ::testing::Test {
protected:
    void start(const std::string& language, std::vector<std::string> args = {},
               app::AccessConversion convert_access = {}) {
        db::create_experiment_database(database, true).close();
        app::write_first_start_values(store, database.string(), dir.path().string());
        store.write_string("language", language);
        store.write_integer("recalc_bat", 1);
        app::StartupContext context = app::startup_context(args, dir.path());
        context.write_first_start = [](app::SettingsStore&, const std::string&,
                                       const std::string&) { FAIL() << "not a first start"; };
        context.convert_access = std::move(convert_access);
        launcher = std::make_unique<app::Launcher>(store, dialogs, context);
        launcher->create();
        window = std::make_unique<ui::Tsrb_UIF>(*launcher, dialogs);
        window->first_show();
        window->activate();
    }
    bool visible(const char* name) { return !window->button(name)->isHidden(); }
    // The visible buttons and the database label that overlap another of them.
    std::string overlapping() {
        std::vector<QWidget*> shown{window->database_label()};
        for (QPushButton* b : window->centralWidget()->findChildren<QPushButton*>())
            if (!b->isHidden()) shown.push_back(b);
        std::string found;
        for (std::size_t i = 0; i < shown.size(); ++i)
            for (std::size_t j = i + 1; j < shown.size(); ++j)
                if (shown[i]->geometry().intersects(shown[j]->geometry()))
                    found += shown[i]->objectName().toStdString() + "/" +
                             shown[j]->objectName().toStdString() + " ";
        return found;
    }
    std::string text(const char* name) { return window->button(name)->text().toStdString(); }

    test::TempDir dir;
    std::filesystem::path database = dir / "demo.db";
    app::MemorySettingsStore store;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<app::Launcher> launcher;
    std::unique_ptr<ui::Tsrb_UIF> window;
};

TEST_F(LauncherWindow, EnglishWithEveryButton) {
    start("E");
    EXPECT_EQ(text("plot_selection"), "Plot &Selection");
    EXPECT_EQ(text("database_choice"), "Change System &Database");
    for (const char* b : {"parameters", "sql_module", "data_transfer", "settings"})
        EXPECT_TRUE(visible(b)) << b;
    EXPECT_FALSE(visible("outlier"));
    EXPECT_EQ(overlapping(), "");
    // A button whose window is missing cannot be pressed and says why.
    QPushButton* sql = window->button("sql_module");
    EXPECT_FALSE(sql->isEnabled());
    EXPECT_EQ(sql->toolTip(), "This window is not part of this version yet.");
    window->set_window_opener("sql_module", [] {});
    EXPECT_TRUE(sql->isEnabled());
    EXPECT_TRUE(sql->toolTip().isEmpty());
    EXPECT_TRUE(window->button("end")->isEnabled());
    EXPECT_EQ(window->database_label()->text().toStdString(), "system database=demo.db");
    EXPECT_EQ(window->windowTitle().toStdString().rfind("TSM workbench; Model=TSM", 0), 0u);
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    // Every plot got its selection state.
    EXPECT_EQ(launcher->connection()
                  .scalar("select count(*) from field_description f left join site_state s "
                          "on f.FL_ID = s.FL_ID where s.FL_ID is null")
                  .as_int(),
              0);
}

TEST_F(LauncherWindow, GermanCompactLayout) {
    start("D");
    EXPECT_EQ(text("plot_selection"), "Daten &Verarbeiten");
    EXPECT_EQ(text("end"), "&Ende");
    EXPECT_FALSE(visible("climate"));
    EXPECT_FALSE(visible("parameters"));
    EXPECT_TRUE(visible("settings"));
    EXPECT_EQ(overlapping(), "");
    EXPECT_FALSE(launcher->state.power);
    const QRect plots = window->button("plot_selection")->geometry();
    EXPECT_EQ(plots.top(), 135);
    EXPECT_EQ(plots.height(), 45);
    EXPECT_EQ(window->button("database_choice")->geometry().top(), 265);
    EXPECT_EQ(window->database_label()->geometry().top(), 315);
}

TEST_F(LauncherWindow, MethodCodeOnTheCommandLine) {
    start("E", {"M=HHE"});
    EXPECT_EQ(launcher->state.modus, "KORVEX");
    EXPECT_EQ(launcher->settings.fields.method, "HUBAHE");
    for (const char* b : {"settings", "parameters", "data_transfer"})
        EXPECT_FALSE(window->button(b)->isEnabled()) << b;
    EXPECT_EQ(window->status_panel(0)->text().toStdString(), "KORVEX 2014");
}

// The launcher opens where it was left, unless that place is off the screen now.
TEST_F(LauncherWindow, KeepsItsPlaceWhereItFitsTheScreen) {
    start("E");
    const QRect screen = window->screen()->availableGeometry();
    ui::keep_placement(*window, store, "launcher");
    EXPECT_TRUE(screen.contains(window->geometry()));
    EXPECT_GE(window->width(), window->minimumSizeHint().width());
    window->show();
    window->setGeometry(30, 40, 420, 470);
    window->hide();
    EXPECT_EQ(store.read_string("window_launcher"), "30,40,420,470");

    ui::Tsrb_UIF again(*launcher, dialogs);
    ui::keep_placement(again, store, "launcher");
    EXPECT_EQ(again.geometry(), QRect(30, 40, 420, 470));

    store.write_string("window_launcher", "5000,40,420,470"); // a screen no longer there
    ui::Tsrb_UIF moved(*launcher, dialogs);
    ui::keep_placement(moved, store, "launcher");
    EXPECT_TRUE(screen.contains(moved.geometry()));
}

// Without the data source T_S_M the user is told what to add, once per program run.
TEST_F(LauncherWindow, MissingOdbcSourceIsToldOnce) {
    test::ScopedEnv odbc("ODBCINI", (dir / "odbc.ini").string());
    start("E");
    for (const char* name : {"a.db", "b.db"}) {
        db::create_experiment_database(dir / name, false).close();
        dialogs.files.push_back((dir / name).string());
        window->button("database_choice")->click();
        ASSERT_TRUE(launcher->connected());
        EXPECT_EQ(launcher->connection().path(), dir / name);
    }
    const auto told = std::count_if(dialogs.shown.begin(), dialogs.shown.end(),
                                    [](const std::string& s) { return s.starts_with("ODBC"); });
    EXPECT_EQ(told, 1);
}

// "Change System Database" with a file that is no database keeps the open database, and
// the label and title keep naming it.
TEST_F(LauncherWindow, AFailedDatabaseChangeKeepsTheOpenDatabase) {
    start("E");
    std::ofstream(dir / "notes.txt") << "not a database\n";
    const QString title = window->windowTitle();
    dialogs.files.push_back((dir / "notes.txt").string());
    window->button("database_choice")->click();
    ASSERT_TRUE(launcher->connected());
    EXPECT_EQ(launcher->connection().path(), database);
    EXPECT_EQ(launcher->state.db_f_name, database.string());
    EXPECT_EQ(window->database_label()->text().toStdString(), "system database=demo.db");
    EXPECT_EQ(window->windowTitle(), title);
    ASSERT_FALSE(dialogs.errors.empty()); // shown as an error, not as information
    EXPECT_NE(dialogs.errors.back().find("notes.txt"), std::string::npos) << dialogs.errors.back();
}

// "Change System Database" with an Access database: after Yes to the offer the converted
// database beside it is the system database.
TEST_F(LauncherWindow, AnAccessDatabaseIsConvertedAndOpened) {
    start("E", {}, import::offer_access_conversion);
    // The import reads a file by its content: an older SQLite layout under an Access name.
    {
        db::Connection older = db::create_experiment_database(dir / "trials.mdb", true);
        older.execute_native("ALTER TABLE field_description DROP COLUMN area");
    }
    dialogs.files.push_back((dir / "trials.mdb").string());
    dialogs.yes_no.push_back(true);
    window->button("database_choice")->click();
    ASSERT_TRUE(launcher->connected());
    EXPECT_EQ(launcher->connection().path(), dir / "trials.db");
    EXPECT_EQ(window->database_label()->text().toStdString(), "system database=trials.db");
    EXPECT_EQ(launcher->connection()
                  .scalar("select count(*) from field_description where "
                          "area = -99")
                  .as_int(),
              11);
    ASSERT_GE(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[1].rfind("Access database: 'trials.mdb' is an Access database.", 0), 0u)
        << dialogs.shown[1];
}

} // namespace

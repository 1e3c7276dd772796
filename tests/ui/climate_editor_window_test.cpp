// climate_editor_window_test.cpp --- the climate editor Ttsm_clim on the offscreen platform:
// opened from the launcher and from the workbench, creating and deleting stations, the
// checked grids, CSV import and export, and the German captions.
#include "app/launcher.h"
#include "app/settings_store.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "ui/climate_editor_window.h"
#include "ui/launcher_window.h"
#include "ui/workbench_tree_widget.h"
#include "ui/workbench_window.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

namespace {

using ui::Ttsm_clim;

// The demo database: station 1 (plots 101-105), station 2 (the crop rotation plots).
class ClimateEditorTest : public testing::Test {
protected:
    ClimateEditorTest() {
        connection.emplace(db::create_experiment_database(dir / "demo.db", true));
    }
    Ttsm_clim& editor(const std::string& language = "E") {
        window = std::make_unique<Ttsm_clim>(connection, dialogs, language);
        window->set_stations_changed([this] { ++changes; });
        return *window;
    }
    std::string rows(const std::string& query) { return test::rows(*connection, query); }
    std::string station_rows() {
        return rows("select * from climate_station order by climate_id") +
               rows("select * from climate_data order by climate_id, year") +
               rows("select * from reg_ndeposit order by climate_id, year");
    }
    static std::string text(const QTableWidget* grid, int row, int column) {
        return grid->item(row, column) ? grid->item(row, column)->text().toStdString() : "";
    }
    static std::string header(const QTableWidget* grid, int column) {
        return grid->horizontalHeaderItem(column)->text().toStdString();
    }
    static void type(QTableWidget* grid, int row, int column, const char* value) {
        grid->item(row, column)->setText(value);
    }

    test::TempDir dir;
    std::optional<db::Connection> connection;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<Ttsm_clim> window;
    int changes = 0;
};

TEST_F(ClimateEditorTest, CreateTakesTheNextKeyAndRefusesATakenName) {
    Ttsm_clim& w = editor();
    w.open_tables(std::nullopt, "-?-");
    EXPECT_EQ(w.overview()->rowCount(), 2);
    EXPECT_TRUE(w.name_field()->isEnabled());
    EXPECT_TRUE(w.button("create")->isEnabled());
    EXPECT_EQ(w.pages()->currentIndex(), Ttsm_clim::weather);

    w.press_create(); // the name field still says "-?-": nothing happens
    w.name_field()->setText("Coast");
    w.press_create();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    EXPECT_EQ(rows("select climate_id, station from climate_station where station='Coast'"),
              "3|Coast\n");
    EXPECT_EQ(changes, 1);
    // Only the new station is listed, current, with empty pages (no placeholder rows).
    ASSERT_EQ(w.overview()->rowCount(), 1);
    EXPECT_EQ(w.current_station(), 3);
    EXPECT_EQ(w.grid(Ttsm_clim::weather)->rowCount(), 0);
    EXPECT_EQ(w.grid(Ttsm_clim::annual_deposition)->rowCount(), 0);
    EXPECT_FALSE(w.name_field()->isEnabled());
    EXPECT_EQ(w.name(), "Coast");

    w.open_tables(std::nullopt, "-?-");
    const std::string before = station_rows();
    w.name_field()->setText(" coast");
    w.press_create();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].find("the name \"coast\" is already used by station 3"),
              std::string::npos)
        << dialogs.shown[0];
    EXPECT_EQ(station_rows(), before);
    EXPECT_EQ(changes, 1);
}

TEST_F(ClimateEditorTest, DeleteIsRefusedWhilePlotsUseTheStationAndDisabledWithoutOne) {
    Ttsm_clim& w = editor();
    w.open_tables(-99, "-?-"); // the workbench's "-?-": no station listed
    EXPECT_EQ(w.overview()->rowCount(), 0);
    EXPECT_FALSE(w.button("delete")->isEnabled());

    w.open_tables(std::nullopt, "-?-");
    w.click_station(0);
    EXPECT_EQ(w.name(), "Central German dry region (demo)");
    EXPECT_FALSE(w.button("create")->isEnabled());
    const std::string before = station_rows();
    dialogs.yes_no = {false, true};
    w.press_delete(); // No: nothing happens
    w.press_delete();
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[0], "please confirm wipe off: ALL data of the station will be "
                                "deleted. proceed anyway ?");
    EXPECT_NE(dialogs.shown[2].find("Station 1 is used by 5 plot(s) (FL_ID 101 101 no fertiliser"),
              std::string::npos)
        << dialogs.shown[2];
    EXPECT_EQ(station_rows(), before);

    connection->execute("update field_description set climate_id=2 where climate_id=1");
    dialogs.yes_no = {true};
    w.press_delete();
    EXPECT_EQ(rows("select count(*) from climate_station where climate_id=1") +
                  rows("select count(*) from climate_data where climate_id=1") +
                  rows("select count(*) from reg_ndeposit where climate_id=1"),
              "0\n0\n0\n");
    EXPECT_EQ(w.overview()->rowCount(), 1);
    EXPECT_EQ(w.name(), "-?-");
    EXPECT_TRUE(w.name_field()->isEnabled());
    EXPECT_TRUE(w.button("create")->isEnabled());
    EXPECT_EQ(changes, 1);
}

TEST_F(ClimateEditorTest, GridsKeepKeysReadOnlyAndRefuseDuplicateYearsAndImplausibleValues) {
    Ttsm_clim& w = editor();
    w.open_tables(2, "Lower Rhine region (demo)");
    QTableWidget* weather = w.grid(Ttsm_clim::weather);
    ASSERT_GT(weather->rowCount(), 2);
    EXPECT_EQ(text(weather, 0, 3), "0"); // ordered by year: the long-term means first
    EXPECT_FALSE(weather->item(0, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(w.overview()->item(0, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(w.page_button("post")->isEnabled());

    const std::string before = station_rows();
    const std::string last_year = text(weather, weather->rowCount() - 1, 3);
    const std::vector<std::pair<std::vector<const char*>, std::string>> refused = {
        {{"", "", last_year.c_str(), "9", "700"}, "year " + last_year + " is given twice"},
        {{"", "", "2031", "90", "700"}, "temperature 90 lies outside -50 to 50"},
        {{"", "", "2031", "9", "much"}, "precipitation: \"much\" is not a number"},
        {{"", "", "2031", "", "700"}, "temperature is missing"},
    };
    for (const auto& [values, fault] : refused) {
        dialogs.shown.clear();
        w.press_page("append");
        const int row = weather->rowCount() - 1;
        EXPECT_EQ(text(weather, row, 0), "2");
        for (int c = 0; c < 5; ++c) type(weather, row, c + 1, values[static_cast<std::size_t>(c)]);
        w.press_page("post");
        ASSERT_EQ(dialogs.shown.size(), 1u) << fault;
        EXPECT_EQ(dialogs.shown[0].rfind("weather: row " + std::to_string(row + 1) + ": ", 0), 0u)
            << dialogs.shown[0];
        EXPECT_NE(dialogs.shown[0].find(fault), std::string::npos) << dialogs.shown[0];
        EXPECT_EQ(station_rows(), before);
        w.press_page("cancel");
    }

    w.press_page("append");
    const int row = weather->rowCount() - 1;
    for (int c = 0; c < 5; ++c)
        type(weather, row, c + 1, (const char*[]){"", "", "2031", "9,5", "701"}[c]);
    dialogs.shown.clear();
    w.press_page("post");
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    EXPECT_EQ(rows("select day, month, temperature, precipitation from climate_data where "
                   "climate_id=2 and year=2031"),
              "NULL|NULL|9.5|701\n");

    // The overview's names: a taken one is refused, the keys cannot be typed over.
    w.press_overview("edit");
    type(w.overview(), 0, 1, "central german dry region (DEMO)");
    w.press_overview("post");
    EXPECT_NE(dialogs.shown.back().find("is already used by station 1"), std::string::npos);
    EXPECT_EQ(rows("select station from climate_station where climate_id=2"),
              "Lower Rhine region (demo)\n");
}

TEST_F(ClimateEditorTest, HistoricDepositionIsEditedOnItsPage) {
    Ttsm_clim& w = editor();
    w.open_tables(std::nullopt, "-?-");
    w.pages()->setCurrentIndex(Ttsm_clim::historic_deposition);
    QTableWidget* historic = w.grid(Ttsm_clim::historic_deposition);
    EXPECT_EQ(w.pages()->tabText(Ttsm_clim::historic_deposition), "historic N-Deposition");
    EXPECT_EQ(header(historic, 2), "basic year");
    EXPECT_EQ(header(historic, 6), "N-dep(modern)");
    EXPECT_EQ(text(historic, 0, 2) + "/" + text(historic, 0, 3) + "/" + text(historic, 0, 5) + "/" +
                  text(historic, 0, 6),
              "1985/40/2005/20");
    w.press_page("edit");
    type(historic, 0, 5, "1980");
    w.press_page("post");
    EXPECT_NE(dialogs.shown.back().find("final year 1980 lies before the basic year 1985"),
              std::string::npos);
    type(historic, 0, 5, "2010");
    type(historic, 0, 6, "18,5");
    w.press_page("post");
    EXPECT_EQ(rows("select year1_nd, ndep_1 from climate_station where climate_id=1"),
              "2010|18.5\n");
}

TEST_F(ClimateEditorTest, WeatherImportAsksBeforeReplacingAndExportWritesTheFile) {
    Ttsm_clim& w = editor();
    w.open_tables(std::nullopt, "-?-");
    w.click_station(1); // station 2
    const std::string file = (dir / "in.csv").string();
    std::ofstream(file) << "year;temperature;precipitation\n2020;11,5;900\n2031;9;650\n";
    const std::string before = station_rows();
    dialogs.files = {file, file};
    dialogs.yes_no = {false, true};
    w.press_import();
    EXPECT_EQ(dialogs.shown.back(), "import CSV: The station already has weather for 1 of these "
                                    "years (2020). Replace them ?");
    EXPECT_EQ(station_rows(), before);
    w.press_import();
    EXPECT_EQ(dialogs.shown.back(), "import CSV: 1 years added, 1 years replaced.");
    EXPECT_EQ(rows("select year, temperature, precipitation from climate_data where climate_id=2 "
                   "and year>=2020 order by year"),
              "2020|11.5|900\n2031|9|650\n");

    const std::string bad = (dir / "bad.csv").string();
    std::ofstream(bad) << "year,temperature,precipitation\n2032,9,650\n2033,9,-650\n";
    dialogs.files = {bad};
    const std::string imported = station_rows();
    w.press_import();
    EXPECT_NE(dialogs.shown.back().find("line 3: precipitation -650 lies outside"),
              std::string::npos)
        << dialogs.shown.back();
    EXPECT_EQ(station_rows(), imported);

    const std::string out = (dir / "out.csv").string();
    dialogs.save_files = {out};
    w.press_export();
    std::ifstream written(out);
    std::string first;
    std::getline(written, first);
    EXPECT_EQ(first, "year,day,month,temperature,precipitation");
}

TEST_F(ClimateEditorTest, GermanCaptionsWithoutTheHistoricPage) {
    Ttsm_clim& w = editor("D");
    w.open_tables(std::nullopt, "-?-");
    EXPECT_EQ(w.windowTitle().toStdString(), "TSM Klimadaten");
    EXPECT_EQ(w.overview_label()->text().toStdString(), "Stationsübersicht");
    EXPECT_EQ(w.button("create")->text().toStdString(), "Neue Station");
    EXPECT_EQ(w.button("delete")->text().toStdString(), "aktuelle Station löschen");
    EXPECT_EQ(w.button("close")->text().toStdString(), "Ende");
    EXPECT_EQ(w.pages()->tabText(0).toStdString(), "Wetterdaten");
    EXPECT_EQ(w.pages()->tabText(1).toStdString(), "gemessene N-Deposition");
    EXPECT_TRUE(w.pages()->isTabVisible(0) && w.pages()->isTabVisible(1));
    EXPECT_FALSE(w.pages()->isTabVisible(Ttsm_clim::historic_deposition));
    const std::vector<std::pair<const QTableWidget*, std::vector<std::string>>> titles = {
        {w.overview(), {"ID", "Station"}},
        {w.grid(Ttsm_clim::weather),
         {"ID", "Tag", "Monat", "Jahr", "Temperatur [°C]", "Niederschlag [mm]"}},
        {w.grid(Ttsm_clim::annual_deposition), {"ID", "Jahr", "N-Dep. [kg/ha]"}}};
    for (const auto& [grid, expected] : titles)
        for (std::size_t c = 0; c < expected.size(); ++c)
            EXPECT_EQ(header(grid, static_cast<int>(c)), expected[c]);
    w.click_station(0);
    w.press_delete();
    EXPECT_EQ(dialogs.shown.back(), "Löschbestätigung erforderlich: ALLE Daten der gewählten "
                                    "Station werden gelöscht ! Wollen Sie das ?");
}

// ---- the openers ------------------------------------------------------------------------

TEST(ClimateEditorOpeners, TheLauncherButtonShowsEveryStationWithoutWaiting) {
    test::TempDir dir;
    db::create_experiment_database(dir / "demo.db", true).close();
    app::MemorySettingsStore store;
    store.create_key();
    store.write_string("database", (dir / "demo.db").string());
    store.write_string("language", "E");
    test::ScriptedDialogs dialogs;
    app::Launcher launcher(store, dialogs, app::startup_context({}, dir.path()));
    launcher.create();
    ui::Tsrb_UIF launcher_window(launcher, dialogs);
    launcher_window.first_show();
    Ttsm_clim editor(launcher.link.connection, dialogs, launcher.state.language);
    launcher_window.set_window_opener("climate", [&] { ui::open_from_launcher(editor); });

    launcher_window.button("climate")->click();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_FALSE(editor.isModal());
    EXPECT_EQ(editor.windowTitle().toStdString(), "TSM climate data");
    EXPECT_EQ(editor.overview()->rowCount(), 2);
    EXPECT_EQ(editor.name(), "-?-");
    EXPECT_TRUE(editor.name_field()->isEnabled());
    EXPECT_GT(editor.grid(Ttsm_clim::weather)->rowCount(), 0); // the first station's weather
    editor.close();
}

class WorkbenchOpenerTest : public ClimateEditorTest {
protected:
    WorkbenchOpenerTest() {
        state.db_f_name = (dir / "demo.db").string();
        state.modus = state.methode = "TSM";
        state.language = "E";
        workbench = std::make_unique<ui::Trange_select>(
            ui::WorkbenchEnvironment{state, connection, settings, dialogs});
        workbench->show();
        workbench->activate();
        editor();
        workbench->set_hook("weather",
                            [this](ui::Trange_select& w) { ui::edit_plot_station(w, *window); });
        workbench->set_hook("update changes", [this](ui::Trange_select& w) {
            saved.push_back(w.weather_list()->currentText().toStdString());
        });
        for (QTreeWidgetItemIterator it(workbench->tree()); *it; ++it)
            if (const auto* record = ui::Trange_select::record_of(*it);
                record && record->snr == 101)
                workbench->press_item(*it, Qt::LeftButton);
    }
    // A double click on the weather label; `inside` runs while the editor is shown.
    void double_click_weather(std::function<void()> inside) {
        QTimer::singleShot(0, [this, inside] {
            shown_modal = QApplication::activeModalWidget() == window.get();
            inside();
            window->close();
        });
        QLabel* label = workbench->label("weather");
        QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(2, 2),
                          label->mapToGlobal(QPointF(2, 2)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(label, &click);
    }

    app::ProgramState state;
    app::MemorySettingsStore settings;
    std::unique_ptr<ui::Trange_select> workbench;
    std::vector<std::string> saved;
    bool shown_modal = false;
};

TEST_F(WorkbenchOpenerTest, TheWeatherLabelOpensThePlotsStationModally) {
    ASSERT_EQ(workbench->weather_list()->currentText(), "Central German dry region (demo)");
    std::vector<std::string> listed;
    double_click_weather([&] {
        for (int r = 0; r < window->overview()->rowCount(); ++r)
            listed.push_back(text(window->overview(), r, 1));
        EXPECT_EQ(window->name(), "Central German dry region (demo)");
        EXPECT_FALSE(window->name_field()->isEnabled());
    });
    EXPECT_TRUE(shown_modal);
    EXPECT_EQ(listed, std::vector<std::string>{"Central German dry region (demo)"});
    EXPECT_EQ(saved, std::vector<std::string>{"Central German dry region (demo)"});
}

TEST_F(WorkbenchOpenerTest, AStationCreatedThereBecomesThePlotsChoice) {
    workbench->weather_list()->setCurrentIndex(0); // "-?-"
    int listed = -1;
    double_click_weather([&] {
        listed = window->overview()->rowCount();
        window->name_field()->setText("Coast");
        window->press_create();
    });
    EXPECT_EQ(listed, 0);
    EXPECT_EQ(workbench->weather_list()->count(), 4); // "-?-" and three stations
    EXPECT_EQ(workbench->weather_list()->currentText(), "Coast");
    EXPECT_EQ(workbench->weather_list()->currentData().toLongLong(), 3);
    EXPECT_EQ(saved, std::vector<std::string>{"Coast"});
}

} // namespace

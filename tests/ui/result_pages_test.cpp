// result_pages_test.cpp --- the workbench's result pages after a TSM run of the demo
// database: the comparisons a plot click shows, the "==> xls" export of a result grid and
// Update-Statistics, on the offscreen platform.
#include "app/settings_store.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "sim/run_observer.h"
#include "sim/run_steps.h"
#include "test_support.h"
#include "ui/confirm_dialog.h"
#include "ui/grid_export.h"
#include "ui/result_pages.h"
#include "ui/som_reproduction_levels.h"
#include "ui/stat_chart.h"
#include "ui/workbench_tree_widget.h"
#include "ui/workbench_window.h"
#include "zip_entry.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidgetItemIterator>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace {

using test::zip_entry;

// The whole workbook's cell text: shared strings and the sheet.
std::string workbook_text(const std::filesystem::path& file) {
    return zip_entry(file, "xl/sharedStrings.xml") + zip_entry(file, "xl/worksheets/sheet1.xml");
}

// The demo database after a TSM run of all its plots, made once for the suite.
class ResultPagesTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        run_dir = std::make_unique<test::TempDir>();
        test::WorkingFolder here(run_dir->path());
        db::Connection c = db::create_experiment_database(*run_dir / "demo.db", true);
        c.execute("update site_state set status=1");
        sim::Simulator simulator;
        simulator.methode = "TSM";
        sim::RecordingObserver observer;
        test::ScriptedDialogs dialogs;
        app::ProgramState state;
        sim::RunContext ctx{c, simulator, observer, dialogs, state};
        run_outcome = sim::press_calculate(ctx, sim::standard_run_steps());
    }
    static void TearDownTestSuite() { run_dir.reset(); }

    ResultPagesTest() {
        std::filesystem::copy_file(*run_dir / "demo.db", dir / "demo.db");
        connection.emplace(dir / "demo.db");
        state.db_f_name = (dir / "demo.db").string();
        state.modus = "TSM";
        state.methode = "TSM";
    }

    ui::ResultPages& open(const std::string& language = "E") {
        state.language = language;
        state.power = language != "D";
        window = std::make_unique<ui::Trange_select>(
            ui::WorkbenchEnvironment{state, connection, settings, confirming});
        ui::ResultPages& pages = ui::install_result_pages(*window);
        window->resize(1000, 800);
        window->show();
        window->activate();
        return pages;
    }

    // A plot with simulated carbon beside at least three measurements.
    std::int64_t measured_plot() {
        const db::Value plot = connection->scalar(
            "select s.fl_id from sim_result s inner join measurements m on s.fl_id=m.fl_id and "
            "abs(s.m_ix)=m.m_ix and s.year_=m.year where m.m_ix=7 and s.sim_value>0 and "
            "m.meas_value>0 group by s.fl_id having count(*)>=3 order by s.fl_id");
        if (plot.is_null()) throw std::runtime_error("the demo run left no measured plot");
        return plot.as_int();
    }

    void click_plot(std::int64_t plot) {
        for (QTreeWidgetItemIterator it(window->tree()); *it; ++it)
            if (const workbench::Tsrb_item* r = ui::Trange_select::record_of(*it);
                r && r->snr == plot) {
                window->press_item(*it, Qt::LeftButton);
                return;
            }
        FAIL() << "no node of plot " << plot;
    }

    static int point_count(QChartView* view, int series) {
        const QList<QAbstractSeries*> all = view->chart()->series();
        return static_cast<int>(static_cast<QXYSeries*>(all.at(series))->count());
    }

    static inline std::unique_ptr<test::TempDir> run_dir;
    static inline sim::CalculateOutcome run_outcome{};
    test::TempDir dir;
    std::optional<db::Connection> connection;
    app::ProgramState state;
    app::MemorySettingsStore settings;
    test::ScriptedDialogs dialogs;
    // The windows get the dialogs through the deletion question's wrapper, as in the program.
    ui::ConfirmingDialogs confirming{dialogs};
    std::unique_ptr<ui::Trange_select> window;
};

TEST_F(ResultPagesTest, PlotClickFillsTheCarbonComparison) {
    ASSERT_EQ(run_outcome, sim::CalculateOutcome::completed);
    ui::ResultPages& pages = open();
    const std::int64_t plot = measured_plot();
    click_plot(plot);
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();

    QChartView* chart = pages.carbon().chart;
    EXPECT_EQ(chart->objectName(), "Chart3");
    ASSERT_EQ(chart->chart()->series().size(), 3);
    const auto* observed = static_cast<QScatterSeries*>(chart->chart()->series().at(1));
    const auto* outliers = static_cast<QScatterSeries*>(chart->chart()->series().at(2));
    EXPECT_EQ(chart->chart()->series().at(0)->type(), QAbstractSeries::SeriesTypeLine);
    EXPECT_EQ(observed->markerShape(), QScatterSeries::MarkerShapeCircle);
    EXPECT_EQ(outliers->markerShape(), QScatterSeries::MarkerShapeTriangle);
    EXPECT_GT(point_count(chart, 0), 0);
    EXPECT_EQ(point_count(chart, 1) + point_count(chart, 2),
              static_cast<int>(pages.views().carbon.chart().observed.size() +
                               pages.views().carbon.chart().outliers.size()));
    EXPECT_GE(point_count(chart, 1), 1);
    const QStringList titles{chart->chart()->axes(Qt::Horizontal).front()->titleText(),
                             chart->chart()->axes(Qt::Vertical).front()->titleText()};
    EXPECT_EQ(titles, (QStringList{"year", "Corg[%]"}));

    // The statistics list shows the view's lines, starting with the number of pairs.
    QListWidget* list = pages.carbon().list;
    ASSERT_GT(list->count(), 0);
    EXPECT_EQ(list->count(), static_cast<int>(pages.views().carbon.lines().size()));
    EXPECT_TRUE(list->item(0)->text().startsWith(" N         ="))
        << list->item(0)->text().toStdString();
    EXPECT_EQ(pages.views().carbon.plot(), plot);

    EXPECT_TRUE(window->pages()->isTabVisible(ui::page::c_dynamics));
    EXPECT_TRUE(window->pages()->isTabEnabled(ui::page::c_dynamics));
    EXPECT_GT(pages.carbon().grid->table()->rowCount(), 0);
    EXPECT_GT(pages.turnover().grid->table()->rowCount(), 0);
    EXPECT_GT(pages.misc_results().grid->table()->rowCount(), 0);
    EXPECT_EQ(pages.misc_results().range->count(), 3);
    EXPECT_TRUE(pages.misc_results().range->item(0)->text().startsWith("Mean="));

    // The SOM reproduction assessment: a level, the chart's two series, and the tab.
    EXPECT_TRUE(pages.reproduction().level->text().startsWith("SOM reproduction is "));
    EXPECT_EQ(pages.reproduction().chart->chart()->series().size(), 2);
    EXPECT_TRUE(window->pages()->isTabVisible(ui::page::salca));
    EXPECT_GT(pages.reproduction().grid->table()->rowCount(), 1); // the years and "average"
}

TEST_F(ResultPagesTest, XlsButtonWritesTheGridWithItsTitleRow) {
    ui::ResultPages& pages = open();
    click_plot(measured_plot());
    ui::ResultGrid& grid = *pages.carbon().grid;
    const auto file = dir / "carbon";
    dialogs.save_files.push_back(file.string());
    grid.button()->click();
    ASSERT_TRUE(std::filesystem::exists(dir / "carbon.xlsx"))
        << ::testing::PrintToString(dialogs.shown);
    const std::string text = workbook_text(dir / "carbon.xlsx");
    for (const std::string& field : grid.data().field_names())
        EXPECT_NE(text.find(field), std::string::npos) << field;
    const std::string sheet = zip_entry(dir / "carbon.xlsx", "xl/worksheets/sheet1.xml");
    const std::string last_row =
        "<row r=\"" + std::to_string(grid.data().record_count() + 1) + "\"";
    EXPECT_NE(sheet.find(last_row), std::string::npos);
    EXPECT_EQ(sheet.find("<row r=\"" + std::to_string(grid.data().record_count() + 2) + "\""),
              std::string::npos);

    // Cancelled: nothing written. An unwritable place: the error is shown.
    EXPECT_FALSE(grid.export_to_xlsx());
    dialogs.save_files.push_back((dir / "no such folder" / "x.xlsx").string());
    dialogs.shown.clear();
    EXPECT_FALSE(grid.export_to_xlsx());
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[1].find("no such folder"), std::string::npos) << dialogs.shown[1];
}

TEST_F(ResultPagesTest, EmptyGridExportsTheTitleRowOnly) {
    test::ScriptedDialogs d;
    db::Dataset empty(nullptr, {"year_", "crepflx"}, {});
    d.save_files.push_back((dir / "empty.xlsx").string());
    ASSERT_TRUE(ui::grid2excel(empty, d, {"", "Hum.aufb[kgC/ha/a]"}));
    const std::string text = workbook_text(dir / "empty.xlsx");
    EXPECT_NE(text.find("year_"), std::string::npos);
    EXPECT_NE(text.find("Hum.aufb[kgC/ha/a]"), std::string::npos);
    EXPECT_EQ(text.find("crepflx"), std::string::npos);
    EXPECT_EQ(zip_entry(dir / "empty.xlsx", "xl/worksheets/sheet1.xml").find("<row r=\"2\""),
              std::string::npos);
}

// Before any run the comparison chart has titles but no numbers on its axes; with points
// the axes are numbered again.
TEST(StatChart, AxesAreNumberedOnlyWithPoints) {
    QChart chart;
    ui::show_comparison(chart, stats::StatChart{}, "year", "Corg[%]");
    for (QAbstractAxis* axis : chart.axes()) EXPECT_FALSE(axis->labelsVisible());
    EXPECT_EQ(chart.axes(Qt::Horizontal).front()->titleText(), "year");

    stats::StatChart points;
    points.simulated = {{1970, 1.2}, {1980, 1.1}};
    ui::show_comparison(chart, points, "year", "Corg[%]");
    for (QAbstractAxis* axis : chart.axes()) EXPECT_TRUE(axis->labelsVisible());
}

TEST(ReproductionTexts, LevelsAtTheirBounds) {
    struct Case {
        const char* language;
        double flx, ix;
        const char *supply, *level;
    };
    const Case cases[] = {
        {"D", 1239.9, 54.9, "Humuszufuhr ist gering (1239.9)", "Humusversorgung: gering (54.9)"},
        {"D", 1240, 55, "Humuszufuhr ist normal (1240)", "Humusversorgung: normal (55)"},
        {"D", 1770, 95, "Humuszufuhr ist hoch (1770)", "Humusversorgung: hoch (95)"},
        {"E", 0, 29.99, "", "SOM reproduction is very low"},
        {"E", 0, 30, "", "SOM reproduction is low"},
        {"E", 0, 40, "", "SOM reproduction is normal"},
        {"E", 0, 50, "", "SOM reproduction is high"},
        {"E", 0, 70, "", "SOM reproduction is very high"},
    };
    for (const Case& c : cases) {
        const ui::ReproductionTexts t = ui::reproduction_texts(c.language, c.flx, c.ix);
        EXPECT_EQ(t.supply, c.supply) << c.language << c.ix;
        EXPECT_EQ(t.level, c.level) << c.language << c.ix;
    }
}

} // namespace

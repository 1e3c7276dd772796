// report_printing_test.cpp --- the reports as PDF files read back with pdftotext and
// pdfimages: from the console after a TSM run of plot 101, the page header and the repeated
// table header, print sizes in PDF and preview, and the workbench's report buttons.
#include "app/settings_store.h"
#include "db/new_database.h"
#include "programs/report_command.h"
#include "scripted_dialogs.h"
#include "sim/run_observer.h"
#include "sim/run_steps.h"
#include "stats/management_report.h"
#include "test_support.h"
#include "ui/report_actions.h"
#include "ui/report_document.h"
#include "ui/report_printing.h"
#include "ui/result_pages.h"
#include "ui/workbench_tree_widget.h"
#include "ui/workbench_window.h"

#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QTreeWidgetItemIterator>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// What a command prints on standard output.
std::string output_of(const std::string& command) {
    std::string text;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, p)) text.append(buffer, n);
        pclose(p);
    }
    return text;
}

std::string pdf_text(const fs::path& file, int page = 0) {
    const std::string pages =
        page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
    return output_of("pdftotext" + pages + " '" + file.string() + "' - 2>&1");
}

// The images of the file, one line each (pdfimages -list without its two title lines).
int image_count(const fs::path& file) {
    std::istringstream lines(output_of("pdfimages -list '" + file.string() + "' 2>&1"));
    int n = 0;
    for (std::string line; std::getline(lines, line);)
        if (line.find(" image ") != std::string::npos) ++n;
    return n;
}

// The height in points of the last word of page 1 that equals `word`; 0 when none does.
double word_height(const fs::path& file, const std::string& word) {
    const std::string html = output_of("pdftotext -bbox -f 1 -l 1 '" + file.string() + "' -");
    const std::size_t at = html.rfind(">" + word + "</word>");
    if (at == std::string::npos) return 0;
    const std::size_t begin = html.rfind("<word", at);
    const auto value = [&](const char* name) {
        const std::size_t p = html.find(std::string(name) + "=\"", begin);
        return std::stod(html.substr(p + std::string(name).size() + 2));
    };
    return value("yMax") - value("yMin");
}

// The demo database after a TSM run of plot 101 alone, made once for the suite.
class ReportPrintingTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        run_dir = std::make_unique<test::TempDir>();
        test::WorkingFolder here(run_dir->path());
        db::Connection c = db::create_experiment_database(*run_dir / "demo.db", true);
        c.execute("update site_state set status=iif(fl_id=101,1,0)");
        sim::Simulator simulator;
        simulator.methode = "TSM";
        sim::RecordingObserver observer;
        test::ScriptedDialogs dialogs;
        app::ProgramState state;
        sim::RunContext ctx{c, simulator, observer, dialogs, state};
        run_outcome = sim::press_calculate(ctx, sim::standard_run_steps());
    }
    static void TearDownTestSuite() { run_dir.reset(); }

    ReportPrintingTest() {
        fs::copy_file(*run_dir / "demo.db", dir / "demo.db");
        setenv("TSM_SETTINGS", (dir / "settings.ini").c_str(), 1);
    }
    ~ReportPrintingTest() override { unsetenv("TSM_SETTINGS"); }

    int report(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        std::vector<std::string> a{"report", (dir / "demo.db").string()};
        a.insert(a.end(), args.begin(), args.end());
        return app::run_report_command(a, out, err);
    }

    static inline std::unique_ptr<test::TempDir> run_dir;
    static inline sim::CalculateOutcome run_outcome{};
    test::TempDir dir;
    std::ostringstream out, err;
};

TEST_F(ReportPrintingTest, ConsoleWritesEachReportOfARunPlot) {
    ASSERT_EQ(run_outcome, sim::CalculateOutcome::completed);
    struct Case {
        const char* kind;
        std::vector<std::string> texts;
        int images;
    };
    const std::vector<Case> cases = {
        {"site",
         {"site-description", "Static fertilisation trial", "101 no fertiliser",
          "Haplic Chernozem, loess", "clay: 21 %", "BD: 1.38 g/cm³",
          "Central German dry region (demo)", "N= 70", "References:"},
         0},
        {"management", {"Bewirtschaftung", "Datum", "05.08.1970", "winter wheat", "29.9"}, 0},
        {"carbon", {"C-Dynamics", "RMSE", "observation", "model", "1970", "1.887"}, 1},
        {"nitrogen", {"N-Dynamics", "observation", "1970"}, 1},
        {"microbial", {"Cmic-Dynamics", "model", "1970"}, 1},
        {"reproduction", {"SOM-Reproduction", "avg(REP_IX)=", "SOM_Rep", "average"}, 1},
    };
    for (const Case& k : cases) {
        const fs::path file = dir / (std::string(k.kind) + ".pdf");
        ASSERT_EQ(report({k.kind, "101", "--pdf", file.string()}), 0) << k.kind << err.str();
        EXPECT_EQ(out.str(), file.string() + "\n");
        const std::string text = pdf_text(file);
        EXPECT_NE(text.find("page 1 of"), std::string::npos) << k.kind;
        for (const std::string& t : k.texts)
            EXPECT_NE(text.find(t), std::string::npos) << k.kind << ": " << t << " in\n" << text;
        EXPECT_EQ(image_count(file), k.images) << k.kind;
    }
}

TEST_F(ReportPrintingTest, SiteReportWithoutWeatherStillPrintsSoilAndPlot) {
    db::Connection(dir / "demo.db").execute("delete from climate_data where climate_id=1");
    ASSERT_EQ(report({"site", "101", "--pdf", (dir / "s.pdf").string()}), 0) << err.str();
    const std::string text = pdf_text(dir / "s.pdf");
    for (const char* t : {"101 no fertiliser", "BD: 1.38 g/cm³", "no weather data"})
        EXPECT_NE(text.find(t), std::string::npos) << t << " in\n" << text;
}

TEST_F(ReportPrintingTest, ConsoleFailuresWriteNoFileAndDefaultFileIsInPdfDir) {
    // Plot 102 was not run.
    EXPECT_EQ(report({"carbon", "102"}), 1);
    EXPECT_EQ(err.str(), "tsm-batch: no results for FL_ID 102\n");
    EXPECT_EQ(report({"reproduction", "102", "--pdf", (dir / "r.pdf").string()}), 1);
    EXPECT_FALSE(fs::exists(dir / "r.pdf"));
    EXPECT_EQ(report({"costs", "101"}), 1);
    EXPECT_NE(err.str().find("unknown report kind \"costs\""), std::string::npos) << err.str();
    EXPECT_EQ(report({"site", "1x"}), 1);

    fs::create_directory(dir / "pdf");
    app::open_user_settings()->write_string("pdf_dir", (dir / "pdf").string());
    ASSERT_EQ(report({"site", "101"}), 0) << err.str();
    EXPECT_EQ(out.str(), (dir / "pdf" / "101_site.pdf").string() + "\n");
    EXPECT_TRUE(fs::exists(dir / "pdf" / "101_site.pdf"));
    EXPECT_EQ(fs::directory_iterator(dir / "pdf")->path().filename(), "101_site.pdf");
}

// Long tables continue with their header row; text comes out at print sizes both in the PDF
// file and on the preview's printer, whatever their resolution.
TEST_F(ReportPrintingTest, PagesRepeatTheTableHeaderAtPrintSizes) {
    db::Connection c(dir / "demo.db");
    const stats::Report r = stats::management_report(c, 101, false);
    const fs::path pdf = dir / "m.pdf";
    ui::write_report_pdf(r, pdf);
    const std::unique_ptr<QTextDocument> doc = ui::report_document(r);
    ASSERT_GE(doc->pageCount(), 2);
    const std::string last = pdf_text(pdf, doc->pageCount());
    EXPECT_NE(last.find("Datum"), std::string::npos) << last;
    EXPECT_NE(last.find("page " + std::to_string(doc->pageCount()) + " of " +
                        std::to_string(doc->pageCount())),
              std::string::npos);

    const fs::path printed = dir / "printed.pdf";
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(printed.string()));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setFullPage(true);
        ui::paint_report(*doc, ui::page_header(r), printer);
    }
    for (const fs::path& file : {pdf, printed}) {
        // Title 15 pt (below the page header's 8 pt), table text 9.5 pt: the word boxes are
        // about as high as the type.
        const double title = word_height(file, "Bewirtschaftung");
        const double cell = word_height(file, "harvest,");
        EXPECT_GT(title, 13) << file;
        EXPECT_LT(title, 22) << file;
        EXPECT_GT(cell, 8) << file;
        EXPECT_LT(cell, 14) << file;
    }
}

// The workbench's buttons on the clicked plot.
class ReportButtonsTest : public ReportPrintingTest {
protected:
    ReportButtonsTest() {
        connection.emplace(dir / "demo.db");
        state.db_f_name = (dir / "demo.db").string();
        state.modus = "TSM";
        state.methode = "TSM";
        state.language = "E";
        settings.write_string("pdf_dir", dir.path().string());
        window = std::make_unique<ui::Trange_select>(
            ui::WorkbenchEnvironment{state, connection, settings, dialogs});
        ui::ResultPages& pages = ui::install_result_pages(*window);
        ui::install_report_actions(*window, pages, settings,
                                   {[this](const stats::Report& r) { previewed.push_back(r); },
                                    [this](const fs::path& f) { opened.push_back(f); }});
        window->resize(1000, 800);
        window->show();
        window->activate();
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

    void press(const char* name) {
        auto* button = window->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }

    std::optional<db::Connection> connection;
    app::ProgramState state;
    app::MemorySettingsStore settings;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<ui::Trange_select> window;
    std::vector<stats::Report> previewed;
    std::vector<fs::path> opened;
};

TEST_F(ReportButtonsTest, PreviewsAndPdfFilesOfTheActivePlot) {
    click_plot(101);
    dialogs.shown.clear();
    press("print_site_desc");
    press("print_management");
    ASSERT_EQ(previewed.size(), 2u) << ::testing::PrintToString(dialogs.shown);
    EXPECT_EQ(previewed[0].kind, stats::ReportKind::site);
    EXPECT_EQ(previewed[1].kind, stats::ReportKind::management);
    EXPECT_EQ(previewed[1].fl_id, 101);

    const fs::path carbon = dir / "101_carbon.pdf";
    press("carbon_report");
    ASSERT_TRUE(fs::exists(carbon)) << ::testing::PrintToString(dialogs.shown);
    EXPECT_EQ(opened, std::vector<fs::path>{carbon});
    EXPECT_EQ(image_count(carbon), 1);
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();

    // A file of that name: asked first; No keeps it and opens nothing, Yes replaces it.
    std::ofstream(carbon) << "kept";
    dialogs.yes_no = {false, true};
    press("carbon_report");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0],
              "create report: The file " + carbon.string() + " exists. Replace it?");
    EXPECT_EQ(fs::file_size(carbon), 4u);
    EXPECT_EQ(opened.size(), 1u);
    press("carbon_report");
    EXPECT_NE(pdf_text(carbon).find("C-Dynamics"), std::string::npos);
    EXPECT_EQ(opened.size(), 2u);

    // The reproduction report queries the active plot when it is printed.
    press("print_reproduction");
    const std::string mean = db::format_cstr(
        connection
            ->scalar("select rep_ix from (" +
                     std::string(" SELECT z.fl_id, Round(Avg((z.c_rep_flx)/n.bat)*100)/100 "
                                 "AS rep_ix FROM tsm_zbv AS z INNER JOIN tsm_nresult AS n "
                                 "ON (z.year_ = n.year) AND (z.fl_id = n.FL_ID) WHERE "
                                 "z.fl_id=101 GROUP BY z.fl_id") +
                     ")")
            .as_double());
    EXPECT_NE(pdf_text(dir / "101_reproduction.pdf").find("avg(REP_IX)=" + mean),
              std::string::npos);
}

TEST_F(ReportButtonsTest, APlotWithoutResultsGetsTheMessageAndNoFile) {
    click_plot(101);
    click_plot(102); // not run: its pages hold nothing to report
    dialogs.shown.clear();
    press("carbon_report");
    press("print_reproduction");
    EXPECT_EQ(dialogs.shown, (std::vector<std::string>{"create report: no results for FL_ID 102",
                                                       "print: no results for FL_ID 102"}));
    EXPECT_FALSE(fs::exists(dir / "102_carbon.pdf"));
    EXPECT_FALSE(fs::exists(dir / "102_reproduction.pdf"));
    EXPECT_TRUE(opened.empty());
}

} // namespace

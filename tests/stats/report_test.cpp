// report_test.cpp --- the content of the printed reports: the site description with its
// weather means and references, the management list, the result and SOM reproduction
// reports of a plot without results, and how reports name files and print numbers.
#include "db/new_database.h"
#include "stats/management_report.h"
#include "stats/report.h"
#include "stats/result_report.h"
#include "stats/site_report.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

using stats::FactLine;
using stats::Report;
using stats::ReportKind;

// The facts of a report as text: one line per fact line, "heading value value ...".
std::string facts_text(const Report& r) {
    std::string text;
    for (const FactLine& line : r.facts) {
        text += line.heading;
        for (const auto& [label, value] : line.values)
            text += " " + (label.empty() ? value : label + " " + value);
        text += "\n";
    }
    return text;
}

class ReportTest : public testing::Test {
protected:
    ReportTest() : c(db::create_experiment_database(dir / "demo.db", true)) {}

    test::TempDir dir;
    db::Connection c;
};

TEST_F(ReportTest, SiteDescriptionNamesPlotSoilAndStationWithTheMeansOfTheWeatherYears) {
    const Report r = stats::site_report(c, 101);
    const std::string facts = facts_text(r);
    EXPECT_EQ(r.title, "site-description");
    EXPECT_EQ(r.plot_line, "FL_ID=101  Static fertilisation trial - 101 no fertiliser");
    for (const char* expected :
         {"FL_ID= 101 Static fertilisation trial 101 no fertiliser",
          "SOIL_ID= 1 Haplic Chernozem, loess L (RBS)",
          "TEXTURE: clay: 21 % silt: 68 % sand: 11 % FAT(T+fU): 33 %", "BD: 1.38 g/cm³", "PD: n/a",
          "CLIMATE_ID= 1 Central German dry region (demo)", "N= 70"})
        EXPECT_NE(facts.find(expected), std::string::npos) << expected << " in\n" << facts;
    // The long-term row of year 0 is no weather year and does not enter the means.
    const double t = c.scalar("select avg(temperature) from climate_data where climate_id=1 "
                              "and [year]<>0")
                         .as_double();
    EXPECT_NE(facts.find(stats::report_number(db::Value(t), 1) + " °C"), std::string::npos)
        << facts;
    EXPECT_EQ(r.table.caption, "References:");
    EXPECT_TRUE(r.table.rows.empty());
}

TEST_F(ReportTest, SiteDescriptionWithoutWeatherStationOrSoilKeepsThePlotsValues) {
    struct Case {
        const char* change;
        const char* kept;
        const char* missing;
    };
    for (const Case& k : {
             Case{"delete from climate_data where climate_id=1", "BD: 1.38 g/cm³",
                  "CLIMATE_ID= 1 Central German dry region (demo) no weather data"},
             Case{"update field_description set climate_id=-99 where fl_id=101", "BD: 1.38 g/cm³",
                  "CLIMATE_ID= -99 no weather data"},
             Case{"update field_description set soil_id=-99 where fl_id=101", "N= 70",
                  "SOIL_ID= -99 no soil data"},
         }) {
        test::TempDir other;
        db::Connection d = db::create_experiment_database(other / "demo.db", true);
        d.execute(k.change);
        const std::string facts = facts_text(stats::site_report(d, 101));
        EXPECT_NE(facts.find("FL_ID= 101 Static fertilisation trial"), std::string::npos)
            << k.change;
        EXPECT_NE(facts.find(k.kept), std::string::npos) << k.change << "\n" << facts;
        EXPECT_NE(facts.find(k.missing), std::string::npos) << k.change << "\n" << facts;
    }
}

TEST_F(ReportTest, SiteDescriptionListsTheReferencesOfThePlotsExperimentOnly) {
    c.execute("insert into referenzen (lit_id, autor, jahr, titel, produkt, quelle, seite, "
              "ausgabe) values (7, 'Körschens, M.', '1998', 'Long-term field experiments', "
              "'article', 'Arch. Acker- Pfl. Boden', '1-20', '3')");
    c.execute("insert into referenzen (lit_id, autor, titel) values (8, 'Other, A.', 'x')");
    c.execute("insert into ref2vcode (lit_id, versuchs_code) values (7, '1')");
    c.execute("insert into ref2vcode (lit_id, versuchs_code) values (8, '2')");
    const Report r = stats::site_report(c, 101);
    ASSERT_EQ(r.table.rows.size(), 1u);
    EXPECT_EQ(r.table.rows[0],
              (std::vector<std::string>{"7", "Körschens, M.", "1998", "Long-term field experiments",
                                        "article", "Arch. Acker- Pfl. Boden", "1-20", "3"}));
}

TEST_F(ReportTest, ManagementReportListsThePlotsEvents) {
    const Report r = stats::management_report(c, 101, false);
    EXPECT_EQ(r.title, "Bewirtschaftung");
    EXPECT_EQ(r.table.headers, (std::vector<std::string>{"Datum", "Aktion", "Objekt", "Wert", ""}));
    EXPECT_EQ(static_cast<std::int64_t>(r.table.rows.size()),
              c.scalar("select count(*) from cultivation where fl_id=101").as_int());
    ASSERT_FALSE(r.table.rows.empty());
    EXPECT_EQ(r.table.rows[0][0], "05.08.1970");
    EXPECT_EQ(r.table.rows[0][3], "29.9");
    EXPECT_FALSE(r.table.rows[0][1].empty());
    EXPECT_EQ(r.table.rows[0][2], "winter wheat");
}

TEST_F(ReportTest, ReportsOfAPlotWithoutResultsOrOfNoPlotSaySoAndHoldNothing) {
    for (ReportKind kind : {ReportKind::carbon, ReportKind::nitrogen, ReportKind::microbial,
                            ReportKind::reproduction}) {
        try {
            stats::build_report(c, 101, kind);
            ADD_FAILURE() << stats::kind_name(kind) << ": no error";
        } catch (const stats::NoResults& e) {
            EXPECT_STREQ(e.what(), "no results for FL_ID 101") << stats::kind_name(kind);
        }
    }
    for (ReportKind kind : stats::all_kinds()) {
        try {
            stats::build_report(c, 999, kind);
            ADD_FAILURE() << stats::kind_name(kind) << ": no error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "no plot with FL_ID 999") << stats::kind_name(kind);
        }
    }
}

TEST_F(ReportTest, ResultReportHoldsTheLinesAndOneRowPerGridRow) {
    const auto grid = [](std::vector<db::Dataset::Row> rows) {
        return db::Dataset(nullptr, {"YEAR_", "MEAS_VALUE", "SIM_VALUE"}, std::move(rows));
    };
    const Report r =
        stats::result_report(c, 101, ReportKind::nitrogen,
                             {grid({{db::Value(1970), db::Value(0.12), db::Value(-99.0)},
                                    {db::Value(1971), db::Value(), db::Value(0.1234567)}}),
                              {" N        =2"},
                              {}});
    EXPECT_EQ(r.title, "N-Dynamics");
    EXPECT_EQ(r.text_lines, std::vector<std::string>{" N        =2"});
    EXPECT_EQ(r.table.headers, (std::vector<std::string>{"date", "observation", "model"}));
    EXPECT_EQ(r.table.rows, (std::vector<std::vector<std::string>>{{"1970", "0.1200", ""},
                                                                   {"1971", "", "0.1235"}}));
    ASSERT_TRUE(r.chart);
    // Only the initial measurement, no simulated value: no results.
    EXPECT_THROW(
        stats::result_report(c, 101, ReportKind::nitrogen,
                             {grid({{db::Value(1970), db::Value(0.12), db::Value(-99)}}), {}, {}}),
        stats::NoResults);
}

TEST(ReportNames, KindsFilesAndNumbers) {
    for (ReportKind kind : stats::all_kinds())
        EXPECT_EQ(stats::parse_kind(stats::kind_name(kind)), kind);
    EXPECT_EQ(stats::parse_kind("Carbon"), std::nullopt);
    EXPECT_EQ(stats::report_file("/data/pdf/", 101, ReportKind::microbial),
              std::filesystem::path("/data/pdf/101_microbial.pdf"));
    EXPECT_EQ(stats::report_file("", 7, ReportKind::site),
              std::filesystem::current_path() / "7_site.pdf");
    struct Case {
        db::Value v;
        int decimals;
        bool fixed;
        const char* text;
    };
    for (const Case& k : {Case{db::Value(1.38), 2, false, "1.38"},
                          {db::Value(21.0), 1, false, "21"},
                          {db::Value(0.12), 4, true, "0.1200"},
                          {db::Value(-0.00001), 2, false, "0"},
                          {db::Value(-99), 2, false, ""},
                          {db::Value(-99.99), 2, true, ""},
                          {db::Value(-100.0), 0, false, "-100"},
                          {db::Value(), 2, false, ""},
                          {db::Value("average"), 2, false, "average"}})
        EXPECT_EQ(stats::report_number(k.v, k.decimals, k.fixed), k.text)
            << k.v.as_text() << " " << k.decimals;
}

} // namespace

// Saving a plot's site conditions, the labels of the tree, and the plot grid's replicate and
// paste.
#include "db/db_error.h"
#include "demo_fixture.h"
#include "workbench/node_labels.h"
#include "workbench/plot_grid.h"
#include "workbench/site_saving.h"

#include <vector>

namespace {

using namespace workbench;

TEST(SiteForm, MeanBatReadsNumbersOrBecomes30) {
    const std::vector<std::pair<std::string, double>> cases = {
        {"?", 30}, {"", 30}, {"abc", 30}, {"12,5", 12.5}, {" 17.25 ", 17.25}, {"-99", -99},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(mean_bat_value(text), value) << text;
}

TEST(SiteForm, InitialConditionAndMode) {
    EXPECT_EQ(initial_condition_code("105: 105 farmyard manure"), "105");
    EXPECT_EQ(initial_condition_code("obsval"), "obsval");
    struct Case {
        std::string entry, modus, after;
    };
    const std::vector<Case> cases = {
        {"obsval", "ORV", "TSM"}, {"obsval", "KORVEX", "KORVEX"}, {"null", "TSM", "ORV"},
        {"null", "ORV", "ORV"},   {"105: x", "ORV", "ORV"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(mode_after_initial_condition(k.entry, k.modus), k.after) << k.entry << k.modus;
}

TEST(NodeLabels, ReadLocationAndCode) {
    EXPECT_EQ(get_location("Static trial   <12>"), "Static trial");
    EXPECT_EQ(get_vcode("Static trial   <12>"), "12");
    EXPECT_EQ(get_location("no code"), "no code");
    EXPECT_EQ(get_vcode("no code"), "?");
    EXPECT_EQ(renamed_plot_label("101: old name", "new"), "101:new");
    EXPECT_EQ(renamed_plot_label("old name", "new"), "new");
}

class SiteSaving : public test::DemoDatabase {
protected:
    SiteForm form() {
        SiteForm f;
        f.fl_id = 101;
        f.name = "it's \"the\" plot";
        f.origin = "O'Brien";
        f.area = "0,25";
        f.climate_id = 2;
        f.soil_id = 3;
        f.mean_bat = "?";
        f.repeat_count = "3";
        f.comment = "  ";
        f.tillage_option = 1;
        f.initial_condition = "202: 202 straw incorporated";
        return f;
    }
    std::string site() {
        return test::rows(c, "select site_description, herkunft, area, climate_id, soil_id, "
                             "mw_bat, rep_cnt, comment, notill, i_con from field_description "
                             "where fl_id=101");
    }
};

TEST_F(SiteSaving, StoresTheFormAsTyped) {
    save_site(c, form());
    EXPECT_EQ(site(), "it's \"the\" plot|O'Brien|0.25|2|3|30|3|?|1|202\n");
    std::string modus = "ORV";
    SiteForm f = form();
    f.initial_condition = "obsval";
    f.mean_bat = "41,5";
    f.area = "";
    change_initial_condition(c, f, modus);
    EXPECT_EQ(modus, "TSM");
    EXPECT_EQ(site(), "it's \"the\" plot|O'Brien|NULL|2|3|41.5|3|?|1|obsval\n");
}

TEST_F(SiteSaving, RefusesNumbersThatAreNone) {
    const std::string before = site();
    SiteForm f = form();
    f.area = "0.5; drop table x";
    EXPECT_THROW(save_site(c, f), std::invalid_argument);
    f = form();
    f.repeat_count = "2.5";
    EXPECT_THROW(save_site(c, f), std::invalid_argument);
    f = form();
    f.fl_id = 999;
    EXPECT_THROW(save_site(c, f), db::Error);
    EXPECT_EQ(site(), before);
    // The year fields are checked the same way, naming the field; blank and whole numbers
    // pass.
    struct Case {
        std::string SiteForm::*field;
        const char* text;
        const char* named; // nullptr: accepted
    };
    for (const Case& k :
         {Case{&SiteForm::first_year, "19x0", "first year"},
          Case{&SiteForm::start_year, "abc", "start year"},
          Case{&SiteForm::start_year, "1990.5", "start year"},
          Case{&SiteForm::first_year, " ", nullptr}, Case{&SiteForm::start_year, "-99", nullptr}}) {
        SCOPED_TRACE(k.text);
        f = form();
        f.*k.field = k.text;
        if (!k.named) {
            EXPECT_NO_THROW(save_site(c, f));
            continue;
        }
        try {
            save_site(c, f);
            ADD_FAILURE() << "accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(k.named), std::string::npos) << e.what();
        }
        EXPECT_EQ(site(), before);
    }
}

TEST_F(SiteSaving, ReplicateCopiesTheRowUnderNewIds) {
    db::Dataset grid = c.open("field_description");
    ASSERT_TRUE(grid.locate("FL_ID", 203));
    EXPECT_TRUE(replicate_plot_record(c, grid, 0).empty());
    EXPECT_EQ(replicate_plot_record(c, grid, 2), (std::vector<std::int64_t>{207, 208}));
    EXPECT_EQ(grid["FL_ID"].as_int(), 208);
    const std::string columns = "select location, versuch_code, site_description, herkunft, "
                                "climate_id, soil_id, i_con, area, notill, rep_cnt, mw_bat, "
                                "comment, classification from field_description where fl_id=";
    EXPECT_EQ(test::rows(c, columns + "207"), test::rows(c, columns + "203"));
    EXPECT_EQ(test::rows(c, columns + "208"), test::rows(c, columns + "203"));
}

TEST(Clipboard, SplitsIntoUpperCaseValuesWithoutBlanks) {
    struct Case {
        std::string text;
        std::vector<std::string> values;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"a b\r\n1 2\r\n", {"AB", "12"}},
        {"x\n\ny", {"X", "", "Y"}},
        {"last", {"LAST"}},
        {"1\n   ", {"1"}},
        {"\r", {""}},
    };
    for (const Case& k : cases) EXPECT_EQ(clipboard_values(k.text), k.values) << k.text;
}

class PlotGridPaste : public test::DemoDatabase {
protected:
    db::Dataset grid = c.open("select * from field_description where fl_id > 200 order by fl_id");
    std::string areas() {
        return test::rows(c, "select area from field_description where fl_id > 200 order by fl_id");
    }
};

TEST_F(PlotGridPaste, WritesDownTheColumnAndOverwritesTheLastRow) {
    grid.move_to(3); // plot 204
    EXPECT_EQ(paste_plot_values(c, grid, "area", "1\n2,5\n\n7\n8\n"), 5);
    // 204, 205, then 206 three times: it keeps the last value.
    EXPECT_EQ(areas(), "0.018\n0.018\n0.018\n1\n2.5\n8\n");
    grid.move_to(0);
    EXPECT_EQ(paste_plot_values(c, grid, "comment", "new note\n"), 1);
    EXPECT_EQ(test::rows(c, "select comment from field_description where fl_id=201"), "NEWNOTE\n");
}

TEST_F(PlotGridPaste, PastesNothingOnTheLastRowOrWithABadNumber) {
    const std::string before = snapshot();
    grid.last();
    EXPECT_EQ(paste_plot_values(c, grid, "area", "1\n2\n"), 0);
    grid.first();
    EXPECT_THROW(paste_plot_values(c, grid, "area", "1\nabc\n"), std::invalid_argument);
    EXPECT_EQ(paste_plot_values(c, grid, "area", ""), 0);
    EXPECT_EQ(snapshot(), before);
}

} // namespace

// The site data module: item lists, the calculated fields of the management list, the forms
// filled from the current list row, and the completion of the selection state.
#include "demo_fixture.h"
#include "workbench/item_lists.h"
#include "workbench/management_list.h"
#include "workbench/row_change.h"
#include "workbench/site_state.h"

#include <vector>

namespace {

using namespace workbench;

class SiteData : public test::DemoDatabase {
protected:
    void SetUp() override {
        // An organic amendment with item_ix 17 (the crops have one too), with a name longer
        // than the item column.
        c.execute("insert into srbopspa (item_ix, name, od) values "
                  "(17, 'sheep manure from upland farms, composted', -1)");
    }

    // Adds a management row of plot 900, one year per row so the list keeps their order.
    void add_event(int year, int macode, int item) {
        c.prepare("insert into cultivation (fl_id, [day], [month], [year], macode, item_ix, "
                  "quantity) values (900, 1, 5, ?, ?, ?, 10)")
            .execute({year, macode, item});
    }

    std::vector<ManagementRow> list() {
        return load_management_list(c, management_list_statement(900, false),
                                    load_actions(c, action_list_statement(true)),
                                    load_items(c, all_items_statement()));
    }
};

TEST_F(SiteData, CalculatedFieldsNameTheActionItemAndUnit) {
    struct Case {
        int macode, item;
        std::string aktion, subjekt, unit;
    };
    const std::vector<Case> cases = {
        {3, 17, "organic amendment", "sheep manure from upland", "dt/ha"},
        {2, 17, "harvest, by-product removed", "catch crop (mustard)", "dt/ha"},
        {9, 1, "harvest, by-product left on the fie", "winter wheat", "dt/ha"},
        {4, 2, "mineral N fertilisation", "urea (46 % N)", "kg N/ha"},
        {7, 1, "irrigation", "-", "mm"},
        {3, 999, "organic amendment", "?", "dt/ha"},
        // Action 12 is not in the action list: no action, but its items are crops.
        {12, 5, "", "oats", ""},
    };
    int year = 2000;
    for (const Case& k : cases) add_event(year++, k.macode, k.item);
    const std::vector<ManagementRow> rows = list();
    ASSERT_EQ(rows.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("MACODE " + std::to_string(cases[i].macode) + " WERT1 " +
                     std::to_string(cases[i].item));
        EXPECT_EQ(rows[i].calculated.aktion, cases[i].aktion);
        EXPECT_EQ(rows[i].calculated.subjekt, cases[i].subjekt);
        EXPECT_EQ(rows[i].calculated.unit, cases[i].unit);
    }
}

TEST_F(SiteData, DeletedItemShowsQuestionMark) {
    add_event(2000, 2, 17);
    add_event(2001, 3, 17);
    c.execute("delete from srbpflan where item_ix=17");
    const std::vector<ManagementRow> rows = list();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].calculated.subjekt, "?");
    EXPECT_EQ(rows[1].calculated.subjekt, "sheep manure from upland");
}

TEST_F(SiteData, SelectedItemsFollowTheSelectionLists) {
    c.execute("update srbsel_crop set [select]=false where item_ix=17");
    c.execute("insert into srbsel_ops ([select], item_ix, name) values (-1, 17, 'sheep')");
    c.execute("insert into srbopspa (item_ix, name, od) values (18, 'residue', 0)");
    const ItemList all = load_items(c, all_items_statement());
    const ItemList selected = load_items(c, selected_items_statement());
    EXPECT_NE(find_item(all, item_key(crop_kind, 17)), nullptr);
    EXPECT_EQ(find_item(selected, item_key(crop_kind, 17)), nullptr);
    EXPECT_NE(find_item(selected, item_key(amendment_kind, 17)), nullptr);
    EXPECT_NE(find_item(selected, item_key(fertiliser_kind, 4)), nullptr);
    // Residues (od false) are no amendments to choose.
    EXPECT_EQ(find_item(all, item_key(amendment_kind, 18)), nullptr);
    EXPECT_EQ(find_item(selected, item_key(amendment_kind, 18)), nullptr);
}

TEST(ManagementRowChange, FillsTheManagementForm) {
    const ActionList actions = {{3, "organic amendment", "fresh matter applied", "dt/ha"}};
    struct Case {
        int tag, mon, datum, macode, wert1;
        std::string rein;
        std::string date;
        std::optional<CalendarDate> converted;
        std::optional<std::int64_t> filter;
        std::int64_t key;
    };
    const std::vector<Case> cases = {
        {5, 8, 1970, 2, 17, "N", "5.8.1970", CalendarDate{1970, 8, 5}, 1, 100017},
        {0, 8, 1970, 3, 17, "J", "01.01.1970", CalendarDate{1970, 1, 1}, 3, 300017},
        {12, 0, 1971, 4, 2, "N", "01.01.1971", CalendarDate{1971, 1, 1}, 4, 400002},
        {31, 2, 1971, 4, 2, "N", "31.2.1971", std::nullopt, 4, 400002},
        {29, 2, 2000, 7, 1, "N", "29.2.2000", CalendarDate{2000, 2, 29}, std::nullopt, 700001},
        {1, 1, 1980, 14, -99, "N", "1.1.1980", CalendarDate{1980, 1, 1}, 14, 1399901},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.date);
        ManagementRow row;
        row.tag = k.tag;
        row.mon = k.mon;
        row.datum = k.datum;
        row.macode = k.macode;
        row.wert1 = k.wert1;
        row.rein = k.rein;
        row.origwert = 12.5;
        row.part = 100;
        const ManagementForm f = management_row_change(row, actions);
        EXPECT_TRUE(f.overwrite_mode);
        EXPECT_EQ(f.date.text, k.date);
        EXPECT_EQ(f.date.date, k.converted);
        EXPECT_EQ(f.action_choice.item_filter, k.filter);
        EXPECT_EQ(f.item_key, k.key);
        EXPECT_EQ(f.non_default, k.rein == "J");
        EXPECT_EQ(f.amount, "12.5");
        EXPECT_EQ(f.second_value, "100");
        EXPECT_EQ(f.unit_label, k.macode == 3 ? "dt/ha" : "");
        EXPECT_EQ(f.default_intensity_label, k.macode == 3 ? "fresh matter applied" : "");
    }
}

TEST(MeasurementRowChange, TicksInitialValueAndChoosesTheMode) {
    struct Case {
        int year_number, m_ix, tag, mon, datum;
        bool editing;
        bool initial;
        std::string date;
        std::optional<bool> insert;
    };
    const std::vector<Case> cases = {
        {0, 7, 15, 3, 1990, false, true, "15.3.1990", false},
        {0, 3, 15, 3, 1990, false, false, "15.3.1990", false},
        {0, 0, 0, 0, 1990, false, true, "01.01.1990", true},
        {4, 7, 15, 3, 1990, false, false, "15.3.1990", false},
        {2, 7, 31, 4, 1991, false, false, "01.01.1991", false}, // 31 April falls back
        {0, -1, 1, 1, 2000, true, false, "1.1.2000", std::nullopt},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.m_ix) + " " + k.date);
        MeasurementRow row;
        row.year_number = k.year_number;
        row.m_ix = k.m_ix;
        row.tag = k.tag;
        row.mon = k.mon;
        row.datum = k.datum;
        row.m_wert = 1.89;
        row.vrnz = db::Value();
        const MeasurementForm f = measurement_row_change(row, k.editing);
        EXPECT_EQ(f.initial_value, k.initial);
        EXPECT_EQ(f.date.text, k.date);
        EXPECT_TRUE(f.date.date.has_value());
        EXPECT_EQ(f.insert_mode, k.insert);
        EXPECT_EQ(f.property, k.m_ix);
        EXPECT_EQ(f.value, "1.89");
        EXPECT_EQ(f.variance, "");
        EXPECT_EQ(f.old_date, f.date.text);
        EXPECT_EQ(f.old_value, "1.89");
    }
}

TEST_F(SiteData, MeasurementListRowsReachTheForm) {
    db::Dataset list = c.open(measurement_list_statement(101));
    ASSERT_FALSE(list.empty());
    ASSERT_TRUE(list.locate("m_ix", 7));
    const MeasurementForm f = measurement_row_change(measurement_row(list), false);
    EXPECT_TRUE(f.initial_value);
    EXPECT_EQ(f.date.text, "20.3.1970");
    EXPECT_EQ(f.value, "1.89");
}

TEST_F(SiteData, ResetSiteStateAddsOneRowPerNewPlotOnce) {
    c.execute("update site_state set status=1, res_VAL=5 where fl_id=101");
    EXPECT_EQ(reset_site_state(c), 0);
    c.execute("insert into field_description (fl_id, location) values (301, 'new')");
    c.execute("insert into field_description (fl_id, location) values (302, 'new')");
    EXPECT_EQ(reset_site_state(c), 2);
    EXPECT_EQ(reset_site_state(c), 0);
    EXPECT_EQ(test::rows(c, "select fl_id, status, res_VAL from site_state where fl_id in "
                            "(101, 301, 302) order by fl_id"),
              "101|1|5\n301|0|0\n302|0|0\n");
    EXPECT_EQ(test::rows(c, "select count(*) from site_state"), "13\n");
}

} // namespace

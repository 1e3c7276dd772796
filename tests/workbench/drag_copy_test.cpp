// Copying management and measurements between plots by dragging.
#include "demo_fixture.h"
#include "workbench/drag_copy.h"

namespace {

using namespace workbench;
using test::rows;

class DragCopy : public test::DemoDatabase {};

TEST_F(DragCopy, ManagementIsAppendedToTheTarget) {
    const std::string source_rows =
        rows(c, "select day, month, year, macode, item_ix, quantity from cultivation "
                "where fl_id=101 order by year, macode, item_ix, quantity, day, month");
    const std::string own = count("cultivation", "fl_id=102");
    EXPECT_EQ(copy_plot_data(c, CopyKind::management, 101, 102), 46);
    EXPECT_EQ(count("cultivation", "fl_id=102"), std::to_string(116 + 46) + "\n");
    EXPECT_EQ(count("cultivation", "fl_id=101"), "46\n");
    EXPECT_EQ(rows(c, "select day, month, year, macode, item_ix, quantity from cultivation "
                      "where fl_id=102 and cultivation_id > (select max(cultivation_id) - 46 "
                      "from cultivation) order by year, macode, item_ix, quantity, day, month"),
              source_rows);
    EXPECT_EQ(own, "116\n");
}

TEST_F(DragCopy, MeasurementsAreAppendedToTheTarget) {
    const int source = std::stoi(count("measurements", "fl_id=201"));
    const int target = std::stoi(count("measurements", "fl_id=205"));
    EXPECT_EQ(copy_plot_data(c, CopyKind::measurements, 201, 205), source);
    EXPECT_EQ(count("measurements", "fl_id=205"), std::to_string(source + target) + "\n");
    const std::string fields = "select day, month, year, year_number, m_ix, meas_value "
                               "from measurements where ";
    const std::string order = " order by year, year_number, m_ix, meas_value, day, month";
    EXPECT_EQ(rows(c, fields + "fl_id=205 and meas_id > (select max(meas_id) - " +
                          std::to_string(source) + " from measurements)" + order),
              rows(c, fields + "fl_id=201" + order));
}

TEST(DragRules, PagesAndTargets) {
    EXPECT_EQ(copy_kind_of_page(1), CopyKind::management);
    EXPECT_EQ(copy_kind_of_page(2), CopyKind::measurements);
    for (int page : {0, 3, 4, 11}) EXPECT_FALSE(copy_kind_of_page(page)) << page;

    struct Case {
        bool plot;
        int source, target, page;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {true, 101, 102, 0, true},  {true, 101, 102, 1, true},  {true, 101, 102, 2, true},
        {true, 101, 102, 3, false}, {true, 101, 102, 4, false}, {false, 101, 0, 1, false},
        {true, 101, 101, 1, false},
    };
    for (const Case& k : cases)
        EXPECT_EQ(drop_accepted(k.plot, k.source, k.target, k.page), k.accepted)
            << k.source << ">" << k.target << " page " << k.page;
}

TEST(DragRules, QuestionsAndReportsInBothLanguages) {
    const CopyQuestion m = copy_question(CopyKind::management, "202 straw incorporated", "E");
    EXPECT_EQ(m.caption, "confirm operation");
    EXPECT_EQ(
        m.text,
        "you are about to copy management data into plot 202 straw incorporated - continue ?");
    const CopyQuestion d = copy_question(CopyKind::measurements, "X", "D");
    EXPECT_EQ(d.caption, "bitte bestätigen");
    EXPECT_EQ(d.text, "Sie kopieren Messergebnisse nach Fläche X - fortsetzen ?");
    EXPECT_EQ(copy_report_caption(CopyKind::measurements, "E"),
              "transfer of measuremet data               ");
    EXPECT_EQ(copy_report_caption(CopyKind::management, "D"), "Transfer von Bewirtschaftungsdaten");
    EXPECT_EQ(copy_report(46, "E"), "46 records copied ");
    EXPECT_EQ(copy_report(0, "D"), "0 Sätze kopiert ");
}

} // namespace

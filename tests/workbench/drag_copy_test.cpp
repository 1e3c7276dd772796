// Copying management and measurements between plots by dragging.
#include "demo_fixture.h"
#include "scripted_dialogs.h"
#include "workbench/drag_copy.h"

#include <deque>

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

TEST_F(DragCopy, ReplacingDeletesTheTargetsOwnRecordsFirst) {
    const std::string source = count("measurements", "fl_id=201");
    EXPECT_EQ(count_plot_data(c, CopyKind::measurements, 205),
              std::stoi(count("measurements", "fl_id=205")));
    EXPECT_EQ(copy_plot_data(c, CopyKind::measurements, 201, 205, CopyMode::replace),
              std::stoi(source));
    EXPECT_EQ(count("measurements", "fl_id=205"), source);
    EXPECT_EQ(copy_plot_data(c, CopyKind::management, 101, 102, CopyMode::replace), 46);
    EXPECT_EQ(count_plot_data(c, CopyKind::management, 102), 46);
    EXPECT_EQ(count("cultivation", "fl_id=101"), "46\n");
}

// Yes adds; No on a target with records asks whether to replace them; No on an empty
// target, or No twice, copies nothing.
TEST(DragRules, TheAnswersChooseAddingOrReplacing) {
    struct Case {
        int existing;
        std::deque<bool> answers;
        std::optional<CopyMode> mode;
        std::size_t questions;
    };
    const std::vector<Case> cases = {
        {116, {true}, CopyMode::add, 1},        {116, {false, true}, CopyMode::replace, 2},
        {116, {false, false}, std::nullopt, 2}, {0, {false}, std::nullopt, 1},
        {0, {true}, CopyMode::add, 1},
    };
    for (const Case& k : cases) {
        test::ScriptedDialogs dialogs;
        dialogs.yes_no = k.answers;
        EXPECT_EQ(ask_copy_mode(dialogs, CopyKind::management, "102", "101", 46, k.existing, "E"),
                  k.mode)
            << k.existing << " " << k.answers.size();
        EXPECT_EQ(dialogs.shown.size(), k.questions) << k.existing;
    }
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
              "transfer of measurement data              ");
    EXPECT_EQ(copy_report_caption(CopyKind::management, "D"), "Transfer von Bewirtschaftungsdaten");
    EXPECT_EQ(copy_report(46, "E"), "46 records copied ");
    EXPECT_EQ(copy_report(0, "D"), "0 Sätze kopiert ");

    EXPECT_EQ(copy_question(CopyKind::management, "102", 46, 116, "E").text,
              "you are about to copy management data into plot 102 - continue ?\n46 records are "
              "added to the 116 it has. Answer No to replace them instead.");
    EXPECT_EQ(copy_question(CopyKind::measurements, "X", 12, 0, "D").text,
              "Sie kopieren Messergebnisse nach Fläche X - fortsetzen ?\n12 Sätze kommen zu den "
              "0 vorhandenen hinzu.");
    const CopyQuestion r = replace_question(CopyKind::measurements, "X", "Y", 12, 7, "D");
    EXPECT_EQ(r.caption, "ACHTUNG !");
    EXPECT_EQ(
        r.text,
        "Die 7 Messwerte von Fläche X löschen und die 12 von Fläche Y an ihre Stelle kopieren?");
    EXPECT_EQ(replace_report(46, 116, "E"), "46 records copied ; 116 records deleted");
}

} // namespace

// sql_module_window_test.cpp --- the SQL module window on the offscreen platform.
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "ui/sql_module_window.h"
#include "zip_entry.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

class SqlModuleTest : public testing::Test {
protected:
    SqlModuleTest() { connection.emplace(db::create_experiment_database(dir / "demo.db", true)); }

    void type(const std::string& text) {
        window.editor()->setPlainText(QString::fromStdString(text));
    }
    std::string editor() const { return window.editor()->toPlainText().toStdString(); }
    std::string label() const { return window.history_label()->text().toStdString(); }
    void set_cell(int row, int column, const QString& text) {
        window.parameter_grid()->item(row, column)->setText(text);
    }
    std::string cell(int row, int column) const {
        return window.parameter_grid()->item(row, column)->text().toStdString();
    }
    std::int64_t count(const std::string& table) {
        return connection->scalar("select count(*) from " + table).as_int();
    }

    test::TempDir dir;
    std::optional<db::Connection> connection;
    test::ScriptedDialogs dialogs;
    ui::Tsql_form window{connection, dialogs, "E"};
};

TEST_F(SqlModuleTest, HistoryOfTenAfterElevenExecutions) {
    EXPECT_EQ(label(), "0 of 10");
    for (int i = 1; i <= 11; ++i) {
        type("select " + std::to_string(i) + " as n");
        window.press_execute();
    }
    EXPECT_EQ(label(), "10 of 10");
    window.press_up();
    EXPECT_EQ(editor(), "select 10 as n");
    for (int i = 0; i < 10; ++i) window.press_up();
    EXPECT_EQ(label(), "1 of 10");
    EXPECT_EQ(editor(), "select 2 as n");

    // Text typed over a recalled script is kept as the newest one.
    type("select 'unsaved' as n");
    window.press_up();
    EXPECT_EQ(label(), "9 of 10");
    window.press_down();
    EXPECT_EQ(editor(), "select 'unsaved' as n");
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
}

TEST_F(SqlModuleTest, ParametersAreCollectedAndReplaced) {
    EXPECT_EQ(window.parameter_grid()->rowCount(), 10);
    const std::string script =
        "select * from climate_data where [year]=$year and climate_id=$ID and x=$year0";
    type(script);
    window.press_load(); // the file dialog is cancelled: the editor's names are collected
    EXPECT_EQ(cell(0, 0), "$year");
    EXPECT_EQ(cell(1, 0), "$ID");
    EXPECT_EQ(cell(2, 0), "$year0");

    set_cell(0, 1, "1990");
    set_cell(1, 1, "1");
    window.press_update_parameters(); // $year0 has no value: refused
    EXPECT_EQ(editor(), script);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[1].find("$year0"), std::string::npos) << dialogs.shown[1];
    window.press_execute(); // refused as well: nothing kept, nothing run
    EXPECT_EQ(label(), "0 of 10");

    set_cell(2, 1, "5");
    window.press_update_parameters();
    EXPECT_EQ(editor(), "select * from climate_data where [year]=1990 and climate_id=1 and x=5");
    EXPECT_EQ(window.session().history.script(1), script);

    window.press_clear_parameters();
    EXPECT_EQ(cell(0, 0), "");
    EXPECT_EQ(cell(2, 1), "");
    EXPECT_EQ(window.session().parameters.var_count(), 0);
}

TEST_F(SqlModuleTest, LoadAndSaveScriptFiles) {
    type("update site_state set status = 0\ngo\nselect * from site_state where FL_ID = $plot");
    dialogs.save_files.push_back((dir / "selection").string());
    window.press_save();
    std::ifstream saved(dir / "selection.sql");
    std::stringstream text;
    text << saved.rdbuf();
    EXPECT_EQ(text.str(), editor() + "\n");

    type("");
    dialogs.files.push_back((dir / "selection.sql").string());
    window.press_load();
    EXPECT_EQ(editor(), text.str());
    EXPECT_EQ(cell(0, 0), "$plot");

    dialogs.files.push_back((dir / "none.sql").string());
    window.press_load();
    EXPECT_NE(dialogs.shown.back().find("none.sql"), std::string::npos);
    EXPECT_EQ(editor(), text.str());
}

TEST_F(SqlModuleTest, ResultGridAndTypedExport) {
    type("update site_state set status = 0\ngo\n"
         "select FL_ID, 'plot ' + Str(FL_ID) as label from field_description order by FL_ID");
    window.press_execute();
    ASSERT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    EXPECT_FALSE(window.data_change_box()->isChecked());
    EXPECT_EQ(window.pages()->currentIndex(), 1);
    QTableWidget* grid = window.result().table();
    EXPECT_EQ(grid->rowCount(), count("field_description"));
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "label");
    EXPECT_EQ(grid->item(0, 0)->text(), "101");

    dialogs.save_files.push_back((dir / "result").string());
    window.button("export to XLS")->click();
    const std::string sheet = test::zip_entry(dir / "result.xlsx", "xl/worksheets/sheet1.xml");
    const auto a2 = sheet.find("<c r=\"A2\"");
    ASSERT_NE(a2, std::string::npos) << sheet;
    const std::string number_cell = sheet.substr(a2, sheet.find("</c>", a2) - a2);
    EXPECT_EQ(number_cell.find("t=\"s\""), std::string::npos) << number_cell;
    EXPECT_NE(number_cell.find("<v>101</v>"), std::string::npos) << number_cell;

    // A script that ends with a change: the box is ticked and the grid emptied.
    type("update site_state set status = 1");
    window.press_execute();
    EXPECT_TRUE(window.data_change_box()->isChecked());
    EXPECT_EQ(grid->rowCount(), 0);
    window.press_export();
    EXPECT_NE(dialogs.shown.back().find("no result"), std::string::npos);
}

TEST_F(SqlModuleTest, AFailingScriptChangesNothingAndIgnoredDropsAreListed) {
    const auto states = count("site_state");
    type("drop table tmp_missing\ngo\ndelete from site_state\ngo\nselect * from nosuch\n");
    window.press_execute();
    EXPECT_EQ(count("site_state"), states);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].find("line 5"), std::string::npos) << dialogs.shown[0];
    EXPECT_NE(dialogs.shown[0].find("Nothing was changed"), std::string::npos);
    EXPECT_EQ(label(), "1 of 10");

    type("drop table tmp_missing\ngo\nselect count(*) as n from site_state\n");
    window.press_execute();
    const std::string messages = window.messages()->toPlainText().toStdString();
    EXPECT_NE(messages.find("Failure ignored, line 1"), std::string::npos) << messages;
    EXPECT_NE(messages.find("tmp_missing"), std::string::npos) << messages;
}

TEST(SqlModuleWindow, GermanCaptions) {
    std::optional<db::Connection> none;
    test::ScriptedDialogs dialogs;
    ui::Tsql_form window(none, dialogs, "D");
    EXPECT_EQ(window.button("execute")->text(), "ausführen");
    EXPECT_EQ(window.history_label()->text(), "0 von 10");
    window.press_execute();
    ASSERT_EQ(dialogs.shown.size(), 1u);
}

} // namespace

// nbalance_window_test.cpp --- the N balance window on the offscreen platform.
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "ui/nbalance_window.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The demo database with simulated years of two plots.
class NBalanceWindowTest : public testing::Test {
protected:
    NBalanceWindowTest() {
        connection.emplace(db::create_experiment_database(dir / "demo.db", true));
        for (int plot : {102, 201})
            for (int year : {1990, 1991})
                connection->execute("insert into tsm_nresult (FL_ID, [year], n_m_om) values (" +
                                    std::to_string(plot) + ", " + std::to_string(year) + ", 40)");
    }

    static QString header(const QTableWidget* grid, int column) {
        return grid->horizontalHeaderItem(column)->text();
    }

    test::TempDir dir;
    std::optional<db::Connection> connection;
    test::ScriptedDialogs dialogs;
    ui::Tfrm_nbalance window{connection, dialogs};
};

TEST_F(NBalanceWindowTest, RunShowsNminSaldoAndTheSelectorChoosesTheTable) {
    EXPECT_EQ(window.windowTitle(), "TSM N balance");
    EXPECT_EQ(window.plot_field()->text(), "*");
    EXPECT_EQ(window.progress_bar()->maximum(), 17);
    EXPECT_TRUE(window.selector()->isHidden());
    EXPECT_TRUE(window.grid()->isHidden());

    window.press_run();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
    EXPECT_FALSE(window.grid()->isHidden());
    EXPECT_FALSE(window.selector()->isHidden());
    EXPECT_EQ(window.selector()->currentText(), "NMIN_SALDO");
    EXPECT_EQ(window.grid_query(), "SELECT * from NMIN_SALDO");
    EXPECT_EQ(window.grid()->rowCount(), 2);
    EXPECT_EQ(header(window.grid(), 1), "n_pflanze_out");
    EXPECT_EQ(window.progress_bar()->value(), 17);

    window.choose_table("NT_SALDO");
    EXPECT_EQ(header(window.grid(), 1), "n_abfuhr");
    EXPECT_EQ(window.grid()->rowCount(), 2);

    // The empty item: the database's message, and the grid stays closed.
    window.choose_table("");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(window.grid()->isHidden());
    EXPECT_TRUE(window.grid_query().empty());
}

TEST_F(NBalanceWindowTest, OnePlotShowsItsYears) {
    window.plot_field()->setText("201");
    window.press_run();
    EXPECT_EQ(window.grid()->rowCount(), 2);
    EXPECT_EQ(header(window.grid(), 1), "year");
}

TEST_F(NBalanceWindowTest, BadFieldsAreShownAndNothingRuns) {
    window.plot_field()->setText("201 or 1=1");
    window.press_run();
    window.plot_field()->setText("*");
    window.year_to_field()->setText("later");
    window.press_run();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[0].find("201 or 1=1"), std::string::npos) << dialogs.shown[0];
    EXPECT_NE(dialogs.shown[1].find("later"), std::string::npos) << dialogs.shown[1];
    EXPECT_TRUE(window.grid()->isHidden());
    EXPECT_TRUE(window.selector()->isHidden());
    EXPECT_FALSE(connection->has_table("nmin_saldo"));
}

TEST_F(NBalanceWindowTest, CopyToXlsWritesTheShownTableIntoTheChosenFile) {
    window.press_run();
    window.choose_table("NT_SALDO");
    dialogs.save_files.push_back((dir / "nt_saldo").string()); // ".xlsx" is added
    dialogs.save_files.push_back(std::nullopt);                // cancelled: nothing written
    window.press_copy_to_xls();
    window.press_copy_to_xls();
    EXPECT_EQ(dialogs.shown,
              (std::vector<std::string>{"save file: copy to XLS", "save file: copy to XLS"}));
    ASSERT_TRUE(std::filesystem::exists(dir / "nt_saldo.xlsx"));
    EXPECT_GT(std::filesystem::file_size(dir / "nt_saldo.xlsx"), 1000u);
}

} // namespace

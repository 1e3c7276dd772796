// data_transfer_window_test.cpp --- the transfer window on the offscreen platform: the
// plot list, the destination chosen by "copy", the wait for "go on" that holds every
// other control, and the destination's plots after the transfer.
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "ui/data_transfer_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class DataTransferWindowTest : public testing::Test {
protected:
    DataTransferWindowTest() {
        connection.emplace(db::create_experiment_database(dir / "demo.db", true));
        db::create_experiment_database(dir / "new.db", false);
    }

    void tick(const QString& starts) {
        QListWidget* list = window.plot_list();
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text().startsWith(starts)) list->item(i)->setCheckState(Qt::Checked);
    }

    test::TempDir dir;
    std::optional<db::Connection> connection;
    test::ScriptedDialogs dialogs;
    ui::Tfrmbdedatatrans window{connection, dialogs, "E"};
};

TEST_F(DataTransferWindowTest, CopyWaitsForGoOnAndShowsTheMovedPlots) {
    window.show();
    EXPECT_EQ(window.windowTitle(), "data transfer");
    ASSERT_EQ(window.plot_list()->count(), 11);
    window.press_check("all");
    window.press_check("invert");
    EXPECT_EQ(window.plot_list()->item(0)->checkState(), Qt::Unchecked);
    tick(" 101:");
    tick(" 102:");

    dialogs.files = {(dir / "new.db").string()};
    dialogs.yes_no = {true, true};
    window.button("copy")->click(); // no destination yet: it is chosen first
    EXPECT_EQ(dialogs.shown.front(), "file: select destination");
    EXPECT_TRUE(window.destination_label()->text().contains("backup: new.db."));
    for (const char* b : {"copy", "select_destination", "all"})
        EXPECT_FALSE(window.button(b)->isEnabled()) << b;
    EXPECT_FALSE(window.plot_list()->isEnabled());
    EXPECT_TRUE(window.button("go_on")->isEnabled());
    EXPECT_EQ(window.message_list()->item(2)->text(), "Trefferliste Ops:");
    if (const char* png = std::getenv("TSM_GRAB")) window.grab().save(png);

    for (int press = 0; press < 4; ++press) window.button("go_on")->click();
    EXPECT_FALSE(window.button("go_on")->isEnabled());
    EXPECT_TRUE(window.button("copy")->isEnabled());
    EXPECT_EQ(window.message_list()->count(), 2);
    EXPECT_EQ(window.message_list()->item(1)->text(),
              "FL_ID 102 -> 102: moved (45 measurements, 116 management rows)");
    EXPECT_EQ(window.destination_grid()->rowCount(), 2);

    window.close(); // closing closes the destination
    EXPECT_FALSE(window.session().connected());
    EXPECT_EQ(window.destination_grid()->rowCount(), 0);
}

TEST_F(DataTransferWindowTest, SourceRefusedAsDestinationIsShownAndNothingIsSelected) {
    window.show();
    dialogs.files = {(dir / "." / "demo.db").string()};
    window.button("select_destination")->click();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[1].find("is the source database itself"), std::string::npos);
    EXPECT_FALSE(window.session().connected());
}

TEST(DataTransferWindowGerman, CaptionsAreGerman) {
    std::optional<db::Connection> none;
    test::ScriptedDialogs dialogs;
    ui::Tfrmbdedatatrans window(none, dialogs, "D");
    EXPECT_EQ(window.windowTitle(), "Datentransfer");
    EXPECT_EQ(window.button("go_on")->text(), "weiter");
    EXPECT_EQ(window.no_wait_box()->text(), "ohne Halt bei der Schlüsselprüfung");
}

} // namespace

// transfer_session_test.cpp --- the transfer window's work without the window: the key
// check lists and their wait for "go on", the double click that moves a missing row,
// the question per plot, and the question before a taken FL_ID is replaced.
#include "scripted_dialogs.h"
#include "transfer/transfer_session.h"
#include "transfer_fixture.h"

#include <algorithm>

namespace {

class TransferSessionTest : public test::TransferTest {
protected:
    TransferSessionTest() {
        dest.execute_native("DELETE FROM srbpflan WHERE ITEM_IX = 10");
        dest.close();
        shared.emplace(std::move(source));
    }

    std::size_t row_of(const std::string& line) {
        const auto& m = session.messages();
        return static_cast<std::size_t>(std::find(m.begin(), m.end(), line) - m.begin());
    }

    std::optional<db::Connection> shared;
    test::ScriptedDialogs dialogs;
    transfer::TransferSession session{shared, dialogs};
};

TEST_F(TransferSessionTest, KeyCheckWaitsForGoOnAndMovesTheConfirmedPlots) {
    const auto lines = session.plot_lines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], " 201: Crop rotation trial-201 straw removed");
    EXPECT_EQ(transfer::TransferSession::plot_key(lines[0]), 201);

    session.select_destination(dir / "new.db");
    session.copy({101, 103}, true);
    ASSERT_TRUE(session.waiting());
    EXPECT_EQ(session.messages()[0],
              " the key tables for crops and organic amendments will be checked!!!");
    EXPECT_EQ(session.messages()[1], "FL_ID 101:");
    EXPECT_EQ(session.messages()[2], "Trefferliste Ops:");
    session.copy({105}, true); // pressed again during the wait: nothing happens
    EXPECT_EQ(session.messages()[1], "FL_ID 101:");

    session.go_on(); // to the crops of 101
    const std::size_t missing = row_of("10");
    ASSERT_EQ(session.messages()[missing - 1], "Fehlerliste Crops:");
    // Only missing keys are offered; the headings and found lines are not keys.
    EXPECT_FALSE(session.activate_line(row_of("Trefferliste crops:")));
    EXPECT_FALSE(session.activate_line(missing - 1));
    EXPECT_TRUE(dialogs.shown.empty());
    dialogs.yes_no = {true, true, false}; // move crop 10, move 101, not 103
    EXPECT_TRUE(session.activate_line(missing));
    EXPECT_EQ(session.messages().back(), "Fehlerliste Crops:");
    EXPECT_LT(row_of("10 ==>src: potatoes ==>dst: potatoes"), session.messages().size());

    session.go_on(); // 101 confirmed; the amendments of 103
    EXPECT_EQ(session.messages()[1], "FL_ID 103:");
    session.go_on();
    session.go_on(); // 103 declined: the transfer runs
    EXPECT_FALSE(session.waiting());
    EXPECT_EQ(dialogs.shown, (std::vector<std::string>{
                                 "Missing Record in Destination: Move this Parameter-Record ?",
                                 "after checking key items: continue with datatransfer ?",
                                 "after checking key items: continue with datatransfer ?"}));
    EXPECT_EQ(session.messages(),
              std::vector<std::string>{"FL_ID 101 -> 101: moved (45 measurements, 46 "
                                       "management rows)"});
    db::Connection d(dir / "new.db");
    EXPECT_EQ(count(d, "field_description"), "1\n");
    EXPECT_EQ(count(d, "srbpflan", "ITEM_IX = 10"), "1\n");
}

// Without the wait the plots move at once; a taken FL_ID is replaced only when the user
// agrees.
TEST_F(TransferSessionTest, TakenFlIdIsReplacedOnlyWhenTheUserAgrees) {
    {
        db::Connection d(dir / "new.db");
        d.execute_native("INSERT INTO field_description (FL_ID, Location) VALUES (101, 'own')");
    }
    session.select_destination(dir / "new.db");
    dialogs.yes_no = {false, true};
    session.copy({101}, false);
    EXPECT_EQ(session.messages(),
              std::vector<std::string>{"FL_ID 101: not moved, the destination's FL_ID 101 is "
                                       "another plot"});
    session.copy({101}, false);
    EXPECT_EQ(session.messages()[0].substr(0, 17), "FL_ID 101 -> 102:");
    EXPECT_EQ(dialogs.shown[0], "FL_ID exists in destination: FL_ID 101 is another plot in the "
                                "destination database. Move this plot as FL_ID 102 ? (No "
                                "leaves it out)");
}

TEST_F(TransferSessionTest, StoppingTheWaitMovesNothing) {
    session.select_destination(dir / "new.db");
    session.copy({101}, true);
    session.stop();
    EXPECT_FALSE(session.waiting());
    session.go_on();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(count(session.destination(), "field_description"), "0\n");
}

} // namespace

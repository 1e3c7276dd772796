// destination_test.cpp --- the source refused as destination under any of its names, and
// a backup of its own for every selection of a destination.
#include "transfer/destination.h"
#include "transfer_fixture.h"

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

using test::TransferTest;

TEST_F(TransferTest, SourceIsRefusedAsDestinationUnderAnyName) {
    fs::create_directory(dir / "sub");
    fs::create_symlink(source.path(), dir / "link.db");
    fs::create_hard_link(source.path(), dir / "hard.db");
    for (const fs::path& same :
         {source.path(), dir / "sub" / ".." / "demo.db", dir / "link.db", dir / "hard.db"})
        EXPECT_THROW(transfer::open_destination(source.path(), same), std::invalid_argument)
            << same;
    // A connection of its own on the source under another name is refused too (a hard
    // link cannot even be opened beside the source: its journal is another file).
    for (const fs::path& same : {source.path(), dir / "sub" / ".." / "demo.db", dir / "link.db"}) {
        db::Connection c(same);
        EXPECT_THROW(transfer::transfer_plots(c, source.path(), {101}), std::invalid_argument)
            << same;
    }
    int backups = 0;
    for (const auto& f : fs::directory_iterator(dir.path()))
        backups += f.path().extension() == ".bak";
    EXPECT_EQ(backups, 0);
    EXPECT_EQ(count(source, "field_description"), "11\n");
}

// Two selections keep two backups, each the destination as it was when it was selected.
TEST_F(TransferTest, EverySelectionKeepsItsOwnBackup) {
    dest.close();
    transfer::Destination first = transfer::open_destination(source.path(), dir / "new.db");
    transfer::transfer_plots(first.connection, source.path(), {101});
    transfer::Destination second = transfer::open_destination(source.path(), dir / "new.db");
    ASSERT_NE(first.backup, second.backup);
    db::Connection a(first.backup), b(second.backup);
    EXPECT_EQ(count(a, "field_description"), "0\n");
    EXPECT_EQ(count(b, "field_description"), "1\n");
    EXPECT_EQ(first.backup.parent_path(), dir.path());
}

TEST_F(TransferTest, BackupsOfTheSameSecondGetNumbers) {
    const auto when = std::chrono::system_clock::now();
    const fs::path one = transfer::backup_database(dest, when);
    const fs::path two = transfer::backup_database(dest, when);
    const std::string stem = one.string().substr(0, one.string().size() - 4);
    EXPECT_EQ(one.extension(), ".bak");
    EXPECT_EQ(two.string(), stem + "-2.bak");
    EXPECT_EQ(one.string().rfind((dir / "new.db.").string(), 0), 0u);
}

} // namespace

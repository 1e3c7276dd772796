// Opening, creating and sharing experiment database files; schema questions.
#include "db/connection.h"
#include "db/db_error.h"
#include "test_support.h"

#include <fstream>
#include <functional>
#include <sqlite3.h>
#include <vector>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::string message_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const db::Error& e) {
        return e.what();
    }
    return "";
}

TEST(Connection, OpeningNeverCreatesAFile) {
    test::TempDir dir;
    const auto missing = dir / "missing.db";
    EXPECT_NE(message_of([&] { db::Connection c(missing); }).find(missing.string()),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(Connection, AFileThatIsNotADatabaseIsNamed) {
    test::TempDir dir;
    const auto text = dir / "notes.mdb";
    std::ofstream(text) << "Standard Jet DB, but not really: just some text that is long enough "
                           "to fill the header of a database file, and more of it.";
    const std::string msg = message_of([&] { db::Connection c(text); });
    EXPECT_NE(msg.find(text.string()), std::string::npos) << msg;
    EXPECT_NE(msg.find("not an experiment database"), std::string::npos) << msg;
}

// A read-only file is called read-only, not "not an experiment database".
TEST(Connection, ReadOnlyFileIsNamedSo) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only files";
    test::TempDir dir;
    db::Connection::create(dir / "ro.db").close();
    std::filesystem::permissions(dir / "ro.db", std::filesystem::perms::owner_read);
    const std::string msg = message_of([&] { db::Connection c(dir / "ro.db"); });
    EXPECT_NE(msg.find("is read-only"), std::string::npos) << msg;
}

TEST(Connection, CreateRefusesAnExistingFile) {
    test::TempDir dir;
    db::Connection::create(dir / "a.db").close();
    EXPECT_THROW(db::Connection::create(dir / "a.db"), db::Error);
}

TEST(Connection, TwoProgramsShareTheFile) {
    test::TempDir dir;
    db::Connection a = db::Connection::create(dir / "shared.db");
    a.execute("create table t (x int)");
    db::Connection b(dir / "shared.db");
    {
        db::Statement mode = b.prepare_native("PRAGMA journal_mode");
        ASSERT_TRUE(mode.step());
        EXPECT_EQ(mode.column(0).as_text(), "wal");
    }
    a.execute("insert into t values (1)");
    EXPECT_EQ(b.scalar("select count(*) from t").as_int(), 1);
    db::Dataset reading = b.open("t"); // a reader does not block the writer
    a.execute("insert into t values (2)");
    EXPECT_EQ(b.scalar("select count(*) from t").as_int(), 2);
}

TEST(Connection, TablesAndColumnsWithoutRegardToCase) {
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "s.db");
    c.execute("create table Field_Description (FL_ID int, Location char(50))");
    EXPECT_TRUE(c.has_table("field_description"));
    EXPECT_TRUE(c.has_column("FIELD_DESCRIPTION", "location"));
    EXPECT_FALSE(c.has_column("field_description", "part"));
    EXPECT_FALSE(c.has_table("cultivation"));
    EXPECT_EQ(c.tables(), std::vector<std::string>{"Field_Description"});
    EXPECT_EQ(c.columns("field_description"), (std::vector<std::string>{"FL_ID", "Location"}));
}

TEST(Connection, FailuresIgnoredOnlyWhenAsked) {
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "s.db");
    EXPECT_FALSE(c.execute_ignoring_failure("drop table tmp_bat"));
    EXPECT_THROW(c.execute("drop table tmp_bat"), db::Error);
}

// A work table or index that is missing (or there already) is the expected case; a database
// that refuses the change is not, and its own message reaches the caller.
TEST(Connection, WorkTablesAndIndexesIgnoreOnlyTheExpectedCase) {
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "w.db");
    EXPECT_NO_THROW(db::drop_work_table(c, "tmp_bat"));
    c.execute("create table tmp_bat (fl_id int)");
    EXPECT_TRUE(db::create_index_if_missing(c, " create index bat_ix on tmp_bat (fl_id) "));
    EXPECT_FALSE(db::create_index_if_missing(c, " create index BAT_IX on tmp_bat (fl_id) "));
    EXPECT_THROW(db::create_index_if_missing(c, "create index other_ix on no_table (x)"),
                 db::Error);

    db::Connection other(dir / "w.db");
    other.execute_native("BEGIN EXCLUSIVE");
    sqlite3_busy_timeout(c.handle(), 20);
    for (const auto& locked_change : std::vector<std::function<void()>>{
             [&] { db::drop_work_table(c, "tmp_bat"); },
             [&] { db::create_index_if_missing(c, "create index bat_ix2 on tmp_bat (fl_id)"); }}) {
        try {
            locked_change();
            ADD_FAILURE() << "a locked database went unnoticed";
        } catch (const db::Error& e) {
            EXPECT_NE(std::string(e.what()).find("locked"), std::string::npos) << e.what();
        }
    }
    other.execute_native("ROLLBACK");
    db::drop_work_table(c, "tmp_bat");
    EXPECT_FALSE(c.has_table("tmp_bat"));
}

TEST(Connection, TransactionRollsBackUnlessCommitted) {
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "s.db");
    c.execute("create table t (x int)");
    {
        db::Transaction tr(c);
        c.execute("insert into t values (1)");
    }
    EXPECT_EQ(c.scalar("select count(*) from t").as_int(), 0);
    {
        db::Transaction tr(c);
        db::Statement ins = c.prepare("insert into t (x) values (?)");
        for (int i = 0; i < 100; ++i) ins.execute({db::Value(i)});
        tr.commit();
    }
    EXPECT_EQ(c.scalar("select Sum(x) from t").as_int(), 4950);
}

TEST(Connection, BoundTextIsStoredExactlyAsTyped) {
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "s.db");
    c.execute("create table t (name char(50))");
    const std::string typed = "O'Brien's \"plot\"; drop table t --";
    c.prepare("insert into t values (?)").execute({db::Value(typed)});
    EXPECT_EQ(c.scalar("select name from t").as_text(), typed);
}

} // namespace

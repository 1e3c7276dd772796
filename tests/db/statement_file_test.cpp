// Statement scripts as users write them for the SQL module and the run's
// pre- and post-processing files.
#include "db/connection.h"
#include "db/db_error.h"
#include "db/statement_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

class Script : public ::testing::Test {
protected:
    void SetUp() override {
        c.execute("create table climate_station (climate_ID int, station char(20))");
        c.execute("create table field_description (FL_ID int, Location char(20))");
        c.execute("insert into climate_station values (1, 'Dry')");
        c.execute("insert into field_description values (101, 'Trial')");
    }
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "s.db");
};

TEST_F(Script, LastQueryStaysOpen) {
    db::StatementScript s(c);
    auto rows = s.run("select * from climate_station\ngo\nselect * from field_description\n");
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->field_names()[0], "FL_ID");
    EXPECT_EQ(s.statements_run(), 2);
}

TEST_F(Script, CommentsDropsAndContinuations) {
    db::StatementScript s(c);
    auto rows = s.run("' a remark\n"
                      "drop table tmp_missing\n"
                      "go\n"
                      "  insert into field_description   \n"
                      " values (102, \"Trial\")\n"
                      "go\n"
                      "update field_description set Location = 'x' # never runs\n"
                      "\n"
                      "select count(*) as n\n"
                      "from field_description\n");
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->field("n").as_int(), 2);
    // The line with "#" was ignored as a whole: no Location became 'x'.
    EXPECT_EQ(c.scalar("select count(*) from field_description where Location = 'x'").as_int(), 0);
}

TEST_F(Script, FailureStopsTheScriptAfterEarlierStatements) {
    db::StatementScript s(c);
    EXPECT_THROW(s.run("delete from climate_station\ngo\nselect * from nosuch\ngo\n"
                       "delete from field_description\n"),
                 db::Error);
    EXPECT_EQ(c.scalar("select count(*) from climate_station").as_int(), 0);
    EXPECT_EQ(c.scalar("select count(*) from field_description").as_int(), 1);
}

TEST(ScriptClassification, CommandsAndQueries) {
    EXPECT_TRUE(db::StatementScript::is_command("SELECT * INTO t FROM a"));
    EXPECT_TRUE(db::StatementScript::is_command("Delete * from t"));
    EXPECT_FALSE(db::StatementScript::is_command("select * from cultivation"));
    // A column named "updated" makes a query run as a command, as users know it.
    EXPECT_TRUE(db::StatementScript::is_command("select updated from t"));
}

} // namespace

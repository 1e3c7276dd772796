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
        c.execute("insert into climate_station values (2, 'Rhine')");
        c.execute("insert into field_description values (101, 'Trial')");
    }
    int count(const std::string& table) {
        return static_cast<int>(c.scalar("select count(*) from " + table).as_int());
    }
    // Runs a failing script; returns its error.
    db::ScriptError failure(const std::string& script) {
        try {
            db::StatementScript(c).run(script);
        } catch (const db::ScriptError& e) {
            return e;
        }
        ADD_FAILURE() << "the script did not fail: " << script;
        return db::ScriptError(db::Error("none"), {}, 0);
    }
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "s.db");
};

TEST(ScriptSplitting, CommentsOnlyAtLineStartAndStatementLines) {
    struct Case {
        std::string script;
        std::vector<std::string> texts;
        std::vector<std::vector<int>> lines;
    };
    const std::vector<Case> cases = {
        {"' remark\n# remark\n\n  select a  \nfrom t\ngo\nselect b\n",
         {"select a\nfrom t", "select b"},
         {{4, 5}, {7}}},
        {"delete from t\nwhere id = 2  # Rhine\n",
         {"delete from t\nwhere id = 2  # Rhine"},
         {{1, 2}}},
        {"select * from t where d = #1/1/1990#\ngo\ngo\n",
         {"select * from t where d = #1/1/1990#"},
         {{1}}},
        {"update t set a = 'x'\n' comment inside\nwhere b = 1\n",
         {"update t set a = 'x'\nwhere b = 1"},
         {{1, 3}}},
    };
    for (const Case& k : cases) {
        const auto statements = db::split_script(k.script);
        ASSERT_EQ(statements.size(), k.texts.size()) << k.script;
        for (std::size_t i = 0; i < statements.size(); ++i) {
            EXPECT_EQ(statements[i].text, k.texts[i]) << k.script;
            EXPECT_EQ(statements[i].lines, k.lines[i]) << k.script;
        }
    }
}

TEST(ScriptSplitting, OnlyAFirstWordDropIgnoresFailure) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"drop table x", true},           {"DROP TABLE x", true},
        {"  Drop index i on t", true},    {"update nosuch set comment=\"dropout\"", false},
        {"select dropped from t", false}, {"dropx", false},
    };
    for (const auto& [text, ignores] : cases)
        EXPECT_EQ(db::split_script(text)[0].ignores_failure(), ignores) << text;
}

TEST_F(Script, LastQueryStaysOpenAndQueriesEndedByGoAreClosed) {
    db::StatementScript s(c);
    auto result = s.run("select * from climate_station\ngo\nselect * from field_description\n");
    ASSERT_TRUE(result.rows);
    EXPECT_EQ(result.rows->field_names()[0], "FL_ID");
    EXPECT_EQ(result.statements_run, 2);
    EXPECT_FALSE(s.run("select * from climate_station\ngo\n").rows);
}

// What runs as a change is what the parser sees, never words in the text.
TEST_F(Script, StatementsAreClassifiedByTheParser) {
    std::vector<std::pair<std::string, bool>> seen;
    db::StatementScript s(
        c, [&](const db::ScriptStatement& st, bool change) { seen.emplace_back(st.text, change); });
    const auto result = s.run("create table x (a int, updated int)\ngo\n"
                              "create index ix on x (a)\ngo\n"
                              "alter table x add column b int\ngo\n"
                              "insert into x (a, updated, b) values (1, 2, 3)\ngo\n"
                              "select a, updated into y from x\ngo\n"
                              "select updated, b from x\n");
    const std::vector<std::pair<std::string, bool>> expected = {
        {"create table x (a int, updated int)", true},
        {"create index ix on x (a)", true},
        {"alter table x add column b int", true},
        {"insert into x (a, updated, b) values (1, 2, 3)", true},
        {"select a, updated into y from x", true},
        {"select updated, b from x", false},
    };
    EXPECT_EQ(seen, expected);
    ASSERT_TRUE(result.rows);
    EXPECT_EQ(result.rows->field("updated").as_int(), 2);
    EXPECT_EQ(count("y"), 1);
}

TEST_F(Script, DateLiteralsRunAndAStrayHashFailsNamingItsLine) {
    auto result = db::StatementScript(c).run(
        "select count(*) as n from climate_station where #1/1/1990# < #2/1/1990#\n");
    EXPECT_EQ(result.rows->field("n").as_int(), 2);

    const auto e = failure("delete from climate_station\nwhere climate_ID = 2  # Rhine\n");
    EXPECT_EQ(e.line(), 2);
    EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
    EXPECT_EQ(count("climate_station"), 2);
}

TEST_F(Script, FailedDropsAreListedAndTheScriptGoesOn) {
    const auto result = db::StatementScript(c).run(
        "drop table tmp_missing\ngo\nDROP TABLE tmp_other\ngo\ndelete from field_description\n");
    ASSERT_EQ(result.ignored.size(), 2u);
    EXPECT_EQ(result.ignored[0].line, 1);
    EXPECT_EQ(result.ignored[1].line, 3);
    EXPECT_NE(result.ignored[1].message.find("tmp_other"), std::string::npos);
    EXPECT_EQ(count("field_description"), 0);

    const auto e = failure("update nosuch set station=\"dropout\"\n");
    EXPECT_EQ(e.statement_number(), 1);
}

TEST_F(Script, AFailureRollsTheWholeScriptBack) {
    const auto e = failure("delete from climate_station\ngo\n"
                           "create table z (a int)\ngo\n"
                           "' the next one fails\n"
                           "select * from nosuch\ngo\n"
                           "delete from field_description\n");
    EXPECT_EQ(e.statement_number(), 3);
    EXPECT_EQ(e.line(), 6);
    const std::string what = e.what();
    EXPECT_NE(what.find("no such table"), std::string::npos) << what;
    EXPECT_NE(what.find("Nothing was changed"), std::string::npos) << what;
    EXPECT_EQ(count("climate_station"), 2);
    EXPECT_FALSE(c.has_table("z"));
    EXPECT_FALSE(c.in_transaction());
    // The translations made before the rollback do not outlive the table they saw.
    EXPECT_NO_THROW(db::StatementScript(c).run("create table z (b int)\ngo\ninsert into z (b) "
                                               "values (1)\n"));
}

// Inside an open transaction a failing script undoes its own work only.
TEST_F(Script, InsideATransactionOnlyTheScriptIsUndone) {
    db::Transaction t(c);
    c.execute("delete from field_description");
    failure("delete from climate_station\ngo\nselect * from nosuch\n");
    EXPECT_TRUE(c.in_transaction());
    EXPECT_EQ(count("climate_station"), 2);
    EXPECT_EQ(count("field_description"), 0);
}

} // namespace

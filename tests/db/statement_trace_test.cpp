// The trace of the statements a connection sends, and the shape that compares statements
// without their values.
#include "db/connection.h"
#include "db/db_error.h"
#include "db/statement_shape.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(StatementTrace, SeesEveryJetStatementSentWhileTheScopeLives) {
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "t.db");
    c.execute("create table t (a int)");
    std::vector<std::string> outer, inner;
    {
        db::TraceScope scope(c, [&](const std::string& s) { outer.push_back(s); });
        c.execute("insert into t values (1)");
        c.prepare("insert into t values (?)").execute({2});
        {
            db::TraceScope nested(c, [&](const std::string& s) { inner.push_back(s); });
            c.open("t");
            c.scalar("select count(*) from t");
        }
        c.execute_ignoring_failure("drop table missing");
        EXPECT_THROW(c.execute("select from"), db::Error); // sent, though it fails
        c.execute_native("insert into t values (3)");      // not Jet: not traced
        db::Connection moved = std::move(c);
        moved.execute("delete from t where a=3");
        c = std::move(moved);
    }
    c.execute("delete from t");
    EXPECT_EQ(outer, (std::vector<std::string>{"insert into t values (1)",
                                               "insert into t values (?)", "drop table missing",
                                               "select from", "delete from t where a=3"}));
    EXPECT_EQ(inner, (std::vector<std::string>{"SELECT * FROM [t]", "select count(*) from t"}));
}

TEST(StatementShape, ValuesAndWhiteSpaceAreTakenOut) {
    const std::pair<const char*, const char*> cases[] = {
        {" select *  from t\n where fl_id=101 and year_ >= 1990 ",
         "select * from t where fl_id=<n> and year_ >= <n>"},
        {"x = -1.5e-3 + .5 - 2.", "x = -<n> + <n> - <n>"},
        // Digits inside names and bracketed names stay.
        {"select tmp_bat1.c2, [Corg 0-30], t.[2nd] from tmp_bat1",
         "select tmp_bat1.c2, [Corg 0-30], t.[2nd] from tmp_bat1"},
        // Texts in either quote, an inner quote doubled; dates.
        {"name='it''s' or name=\"Halle \"\"A\"\"\" or d=#1/2/2003#",
         "name=<s> or name=<s> or d=<d>"},
        // A list of one kind of value becomes one placeholder; mixed lists stay.
        {"fl_id in (101, 102 ,103) and m_ix in (7)", "fl_id in (<n>) and m_ix in (<n>)"},
        {"values (101, 'a', 'b', 1990)", "values (<n>, <s>, <n>)"},
        {"select ? , x from t where a=?", "select ? , x from t where a=?"},
        // Unclosed quotes and brackets end the text without a fault.
        {"select 'open", "select <s>"},
        {"select [open", "select [open"},
        {"", ""},
        // Letter case is kept.
        {"SELECT A From B", "SELECT A From B"},
    };
    for (const auto& [text, shape] : cases) EXPECT_EQ(db::statement_shape(text), shape) << text;
}

} // namespace

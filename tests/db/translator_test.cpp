// The Jet dialect on SQLite: every statement form, run on a small fixture database
// with its effect checked, and the values Jet gives for each semantic rule.
#include "db/connection.h"
#include "db/db_error.h"
#include "db/jet/translation.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// Two plots with management and measurements, built with Jet statements.
const char* const fixture[] = {
    "create table plots (FL_ID int, name char(20), status integer, area double, i_con char(8))",
    "create table meas (meas_id counter, FL_ID int, [year] int, M_IX int, meas_value float)",
    "create table state (FL_ID int, status int)",
    "insert into plots values (1, \"Alpha\", 1, 1.5, \"obsval\")",
    "insert into plots values (2, \"beta\", 0, 2.25, \"null\")",
    "insert into plots values (3, 'Gamma', 1, Null, '1')",
    "insert into meas (FL_ID, [year], M_IX, meas_value) values (1, 1990, 7, 1.2)",
    "insert into meas (FL_ID, [year], M_IX, meas_value) values (1, 1995, 7, 1.4)",
    "insert into meas (FL_ID, [year], M_IX, meas_value) values (1, 1995, 0, 0.12)",
    "insert into meas (FL_ID, [year], M_IX, meas_value) values (2, 1990, 7, 0.9)",
    "insert into state select FL_ID, status from plots",
};

class Translator : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* s : fixture) c.execute(s);
    }
    std::string rows(const std::string& q) { return test::rows(c, q); }

    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "fixture.db");
};

// A statement form, its effect shown by a query.
struct FormCase {
    const char* name;
    std::vector<const char*> statements;
    const char* query;
    const char* expected;
};

const FormCase forms[] = {
    {"select into with types and expressions",
     {"SELECT p.FL_ID, p.name, p.area*2 AS a2, Str(p.FL_ID) + \"_\" + Str(m.year) AS idx, "
      "-99.9999 as Corg INTO t FROM plots p INNER JOIN meas m ON p.FL_ID = m.FL_ID "
      "WHERE m.M_IX = 7 ORDER BY p.FL_ID, m.year"},
     "select FL_ID, name, a2, idx, Corg from t",
     "1|Alpha|3| 1_ 1990|-99.9999\n1|Alpha|3| 1_ 1995|-99.9999\n2|beta|4.5| 2_ 1990|-99.9999\n"},
    {"select into gives text columns case-blind comparison",
     {"select name into t from plots"},
     "select count(*) from t where name = 'ALPHA'",
     "1\n"},
    {"insert select and values with booleans",
     {"create table flags (id int, f int)", "insert into flags (id, f) values (1, true)",
      "insert into flags (f, id) values (no, 2)",
      "insert into flags select FL_ID + 10, status = 1 from plots"},
     "select id, f from flags order by id",
     "1|-1\n2|0\n11|-1\n12|0\n13|-1\n"},
    {"update over an inner join into the second table",
     {"UPDATE meas INNER JOIN state ON meas.FL_ID = state.FL_ID SET state.status = "
      "[meas].[meas_value] WHERE meas.M_IX = 7 AND meas.year = 1990"},
     "select FL_ID, status from state order by FL_ID",
     "1|1.2\n2|0.9\n3|1\n"},
    {"update over a join: the last matching row stays",
     {"UPDATE state INNER JOIN meas ON state.FL_ID = meas.FL_ID SET state.status = meas.year"},
     "select FL_ID, status from state order by FL_ID",
     "1|1995\n2|1990\n3|1\n"},
    {"update over a left join with Is Null",
     {"UPDATE plots LEFT JOIN meas ON plots.FL_ID = meas.FL_ID SET plots.area = -1 "
      "WHERE meas.FL_ID Is Null"},
     "select FL_ID, area from plots order by FL_ID",
     "1|1.5\n2|2.25\n3|-1\n"},
    {"update with an alias and an unqualified column",
     {"UPDATE plots AS p INNER JOIN state s ON p.FL_ID = s.FL_ID SET area = 9 WHERE s.status = 0"},
     "select FL_ID, area from plots order by FL_ID",
     "1|1.5\n2|9\n3|NULL\n"},
    {"delete t.* over a join leaves the other table",
     {"DELETE meas.* FROM state LEFT JOIN meas ON state.FL_ID = meas.FL_ID WHERE state.status=1"},
     "select (select count(*) from meas), (select count(*) from state)",
     "1|3\n"},
    {"delete a.*, b.col removes rows of a only",
     {"DELETE meas.*, state.status FROM state LEFT JOIN meas ON state.FL_ID = meas.FL_ID "
      "WHERE state.status=1"},
     "select (select count(*) from meas), (select count(*) from state)",
     "1|3\n"},
    {"delete star",
     {"delete * from meas where M_IX = 7", "DELETE FROM state"},
     "select (select count(*) from meas), (select count(*) from state)",
     "1|0\n"},
    {"index names are per table",
     {"create index ix1 on plots (FL_ID)", "create unique index ix1 on meas (meas_id)",
      "drop index ix1 on plots"},
     "select name from sqlite_master where type = 'index' order by name",
     "meas.ix1\n"},
    {"drop table",
     {"drop table state"},
     "select count(*) from sqlite_master where name='state'",
     "0\n"},
    {"nested parenthesised and comma joins",
     {"SELECT p.FL_ID, m.year INTO t FROM (plots p INNER JOIN (meas m INNER JOIN state s ON "
      "m.FL_ID = s.FL_ID) ON p.FL_ID = m.FL_ID), state s2 WHERE s2.FL_ID = p.FL_ID AND m.M_IX=0"},
     "select * from t",
     "1|1995\n"},
    {"group by having, In, Like",
     {"SELECT FL_ID, Count(*) AS n, Avg(meas_value) AS mv INTO t FROM meas "
      "WHERE M_IX In (7, 8) GROUP BY FL_ID HAVING Count(*) > 1"},
     "select FL_ID, n, mv from t",
     "1|2|1.3\n"},
    {"union with an order by inside a member",
     {"select FL_ID, name as nm into t from plots where FL_ID = 1 order by name "
      "union select FL_ID, \"average\" from plots where FL_ID > 1 group by FL_ID, \"average\" "
      "order by FL_ID desc"},
     "select * from t",
     "3|average\n2|average\n1|Alpha\n"},
    {"group by a constant",
     {"SELECT FL_ID, 0 as k, -99 as m INTO t FROM meas GROUP BY FL_ID, 0, -99, -99"},
     "select * from t",
     "1|0|-99\n2|0|-99\n"},
};

// A database of its own holding the fixture, for a case that changes it.
struct FreshFixture {
    FreshFixture() {
        for (const char* s : fixture) conn.execute(s);
    }
    test::TempDir dir;
    db::Connection conn = db::Connection::create(dir / "f.db");
};

TEST_F(Translator, StatementForms) {
    for (const FormCase& f : forms) {
        SCOPED_TRACE(f.name);
        FreshFixture db;
        for (const char* s : f.statements) ASSERT_NO_THROW(db.conn.execute(s)) << s;
        EXPECT_EQ(test::rows(db.conn, f.query), f.expected);
    }
}

// An UPDATE over inner joins runs as one plain UPDATE ... FROM only when every target row
// meets at most one row of the join; otherwise Jet's rule, the last row stays, must hold.
struct JoinedUpdateCase {
    const char* name;
    std::vector<const char*> setup;
    const char* update;
    bool plain; // whether the plain form may run
    int changed;
    const char* query;
    const char* expected;
};

const JoinedUpdateCase joined_updates[] = {
    {"joined table unique on its join column",
     {},
     "UPDATE plots INNER JOIN state ON plots.FL_ID = state.FL_ID SET plots.area = state.status*10",
     true,
     3,
     "select FL_ID, area from plots order by FL_ID",
     "1|10\n2|0\n3|10\n"},
    {"key made unique by constants in the conditions",
     {"insert into state values (4, 0)", "insert into state values (5, 0)",
      "insert into state values (6, 0)",
      "insert into meas (FL_ID, [year], M_IX, meas_value) values (1, 1995, 8, 5)",
      "insert into meas (FL_ID, [year], M_IX, meas_value) values (1, 1995, 8, 6)"},
     "UPDATE state INNER JOIN meas ON state.FL_ID = meas.FL_ID SET state.status = "
     "meas.meas_value WHERE meas.M_IX = 0 AND meas.year = 1995",
     true,
     1,
     "select FL_ID, status from state order by FL_ID",
     "1|0.12\n2|0\n3|1\n4|0\n5|0\n6|0\n"},
    {"keyed through a second joined table",
     {},
     "UPDATE (meas INNER JOIN state ON meas.FL_ID = state.FL_ID) INNER JOIN plots ON "
     "state.FL_ID = plots.FL_ID SET meas.meas_value = plots.area",
     true,
     4,
     "select meas_value from meas order by meas_id",
     "1.5\n1.5\n1.5\n2.25\n"},
    {"joined table with two rows for one target row",
     {},
     "UPDATE state INNER JOIN meas ON state.FL_ID = meas.FL_ID SET state.status = meas.year",
     false,
     2,
     "select FL_ID, status from state order by FL_ID",
     "1|1995\n2|1990\n3|1\n"},
    {"text keys that differ only in case",
     {"create table names (name char(20), code int)", "insert into names values ('ALPHA', 1)",
      "insert into names values ('alpha', 2)"},
     "UPDATE plots INNER JOIN names ON plots.name = names.name SET plots.status = names.code",
     false,
     1,
     "select FL_ID, status from plots order by FL_ID",
     "1|2\n2|0\n3|1\n"},
    {"whole numbers written as different texts",
     {"create table codes (FL_ID char(5), v int)", "insert into codes values ('1', 5)",
      "insert into codes values ('01', 6)"},
     "UPDATE plots INNER JOIN codes ON plots.FL_ID = codes.FL_ID SET plots.status = codes.v",
     false,
     1,
     "select FL_ID, status from plots order by FL_ID",
     "1|6\n2|0\n3|1\n"},
    {"unique key over a left join",
     {},
     "UPDATE plots LEFT JOIN state ON plots.FL_ID = state.FL_ID SET plots.area = 0 "
     "WHERE state.status = 0",
     false,
     1,
     "select FL_ID, area from plots order by FL_ID",
     "1|1.5\n2|0\n3|NULL\n"},
};

int record_statement(unsigned, void* sent, void* statement, void*) {
    static_cast<std::string*>(sent)->append(sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
    return 0;
}

TEST_F(Translator, UpdateOverJoinsTakesThePlainFormOnlyWhereEachRowMeetsOne) {
    for (const JoinedUpdateCase& u : joined_updates) {
        SCOPED_TRACE(u.name);
        FreshFixture db;
        db::Connection& fresh = db.conn;
        for (const char* s : u.setup) fresh.execute(s);
        std::string sent;
        sqlite3_trace_v2(fresh.handle(), SQLITE_TRACE_STMT, record_statement, &sent);
        EXPECT_EQ(fresh.execute(u.update), u.changed);
        sqlite3_trace_v2(fresh.handle(), 0, nullptr, nullptr);
        EXPECT_EQ(sent.find("jet_seq") == std::string::npos, u.plain) << sent;
        EXPECT_EQ(test::rows(fresh, u.query), u.expected);
    }
}

TEST_F(Translator, CreateTableTypesAndAlterTable) {
    c.execute("create table k (a int, b integer, c double, d float, e char(12), f text(50))");
    c.execute("alter table k add g float");
    c.execute("ALTER TABLE k ADD COLUMN h char (4)");
    db::Statement st = c.prepare_native("select name, type from pragma_table_info('k')");
    std::string types;
    while (st.step()) types += st.column(0).as_text() + ":" + st.column(1).as_text() + " ";
    EXPECT_EQ(types, "a:INTEGER b:INTEGER c:REAL d:REAL e:TEXT f:TEXT g:REAL h:TEXT ");
    c.execute("insert into k (e) values ('Abc')");
    EXPECT_EQ(rows("select count(*) from k where e = 'ABC'"), "1\n");
}

TEST_F(Translator, RowCountsOfChanges) {
    EXPECT_EQ(c.execute("update meas set meas_value = meas_value * 2 where M_IX = 7"), 3);
    EXPECT_EQ(c.execute("select * into t from meas where FL_ID = 1"), 3);
    EXPECT_EQ(c.execute("DELETE meas.* FROM meas INNER JOIN plots ON meas.FL_ID = plots.FL_ID "
                        "WHERE plots.name = 'ALPHA'"),
              3);
}

// Columns of a new table take their type from the values they receive: constants the kind
// of their value, but only when the query returns rows.
TEST_F(Translator, SelectIntoTypesConstantColumnsByTheirValues) {
    const std::pair<const char*, const char*> cases[] = {
        {"select FL_ID, 100 as a, -99.99 as b, 'KP' as c, true as d, Null as e into t from plots",
         "FL_ID:INTEGER a:INTEGER b:REAL c:TEXT d:INTEGER e: "},
        {"select FL_ID, 100 as a, -99.99 as b, 'KP' as c into t from plots where FL_ID > 9",
         "FL_ID:INTEGER a: b: c: "},
        {"select FL_ID * 2 as x, 0 as k, area into t from plots where FL_ID < 3",
         "x:INTEGER k:INTEGER area:REAL "},
    };
    for (const auto& [statement, expected] : cases) {
        SCOPED_TRACE(statement);
        c.execute(statement);
        std::string types;
        db::Statement st = c.prepare_native("select name, type from pragma_table_info('t')");
        while (st.step()) types += st.column(0).as_text() + ":" + st.column(1).as_text() + " ";
        EXPECT_EQ(types, expected);
        c.execute("drop table t");
    }
}

TEST_F(Translator, SelectIntoAnExistingTableFails) {
    EXPECT_THROW(c.execute("select * into meas from plots"), db::Error);
    EXPECT_EQ(rows("select count(*) from meas"), "4\n"); // untouched
}

TEST_F(Translator, SelectIntoAnotherFile) {
    const auto other = dir / "target.db";
    db::Connection::create(other).close();
    c.execute("SELECT plots.* INTO moved IN \"" + other.string() + "\" FROM plots WHERE FL_ID < 3");
    db::Connection o(other);
    EXPECT_EQ(test::rows(o, "select FL_ID, name from moved order by FL_ID"), "1|Alpha\n2|beta\n");
    EXPECT_FALSE(c.has_table("moved"));
}

// One expression each, as Jet evaluates it.
struct ValueCase {
    const char* expression;
    const char* expected;
};

const ValueCase values[] = {
    {"true", "-1"},
    {"yes", "-1"},
    {"False", "0"},
    {"no", "0"},
    {"2 > 1", "-1"},
    {"2 < 1", "0"},
    {"Not 0", "-1"},
    {"Not -1", "0"},
    {"Not (1 = 1)", "0"},
    {"7 / 2", "3.5"},
    {"7 \\ 2", "3"},
    {"7 Mod 3", "1"},
    {"-2 ^ 2", "-4"},
    {"2 ^ 3 ^ 2", "64"},
    {"1 + 2 * 3", "7"},
    {"\"ab\" + \"c\"", "abc"},
    {"1 + 2", "3"},
    {"'5' + 3", "8"},
    {"1 & \"a\"", "1a"},
    {"Null & \"a\"", "a"},
    {"\"x\" + Null", "NULL"},
    {"\"it's\"", "it's"},
    {"'say \"hi\"'", "say \"hi\""},
    {"Str(5) + \"_\" + Str(1990)", " 5_ 1990"},
    {"CStr(2.5)", "2.5"},
    {"Val(\" 12 3abc\")", "123"},
    {"Int(-2.5)", "-3"},
    {"Fix(-2.5)", "-2"},
    {"Round(2.5)", "2"},
    {"Round(3.5)", "4"},
    {"Round(0.125, 2)", "0.12"},
    {"IIf(1 > 2, \"a\", \"b\")", "b"},
    {"IIf(Null, 1, 2)", "2"},
    {"Nz(Null, 4)", "4"},
    {"\"abc\" = \"ABC\"", "-1"},
    {"\"abc\" Like \"A%\"", "-1"},
    {"3 Between 5 And 1", "-1"},
    {"2 In (1, 2)", "-1"},
    {"Null Is Null", "-1"},
    {"Left(\"average\", 3)", "ave"},
    {"Trim(\"  a \")", "a"},
    {"Instr(1, \"aXb\", \"x\", 0)", "0"},
    {"Instr(\"aXb\", \"x\")", "2"},
    {"Abs(-3)", "3"},
    {"Sqr(16)", "4"},
    {"CDbl(\"1.5\")", "1.5"},
    {"CInt(2.5)", "2"},
    {"Exp(0)", "1"},
};

TEST_F(Translator, ValuesAsJetGivesThem) {
    for (const ValueCase& v : values) {
        SCOPED_TRACE(v.expression);
        EXPECT_EQ(rows(std::string("select ") + v.expression + " as v"),
                  std::string(v.expected) + "\n");
    }
}

TEST_F(Translator, ComparisonsStoredAsBooleans) {
    c.execute("update plots set status = area > 2");
    c.execute("update state set status = not status");
    EXPECT_EQ(rows("select FL_ID, status from plots order by FL_ID"), "1|0\n2|-1\n3|NULL\n");
    EXPECT_EQ(rows("select FL_ID, status from state order by FL_ID"), "1|-2\n2|-1\n3|-2\n");
    c.execute("update state set status = 0 where status = -1");
    c.execute("update state set status = -1 where status = -2");
    c.execute("update state set status = not status");
    EXPECT_EQ(rows("select status from state order by FL_ID"), "0\n-1\n0\n");
}

TEST_F(Translator, TextWithoutRegardToCase) {
    c.execute("insert into plots (FL_ID, name) values (4, 'ALPHA')");
    EXPECT_EQ(rows("select count(*) from plots where name = 'alpha'"), "2\n");
    EXPECT_EQ(rows("select count(*) from (select distinct name from plots)"), "3\n");
    EXPECT_EQ(rows("select name, count(*) from plots group by name having count(*) > 1"),
              "Alpha|2\n");
    c.execute("select name as nm into names from plots where FL_ID = 4");
    EXPECT_EQ(rows("select p.FL_ID from plots p inner join names n on p.name = n.nm "
                   "order by p.FL_ID"),
              "1\n4\n");
}

TEST_F(Translator, NamesOfResultColumns) {
    db::Dataset d = c.open("select FL_ID, area * 2, plots.name, Str(FL_ID) from plots");
    EXPECT_EQ(d.field_names(), (std::vector<std::string>{"FL_ID", "Expr1000", "name", "Expr1001"}));
}

TEST_F(Translator, ColumnsOfNestedJoinsKeepTheirNames) {
    c.execute("SELECT p.FL_ID, m.FL_ID AS m_fl, s.status INTO t FROM plots p INNER JOIN "
              "(meas m INNER JOIN state s ON m.FL_ID = s.FL_ID) ON p.FL_ID = m.FL_ID");
    EXPECT_EQ(c.columns("t"), (std::vector<std::string>{"FL_ID", "m_fl", "status"}));
}

TEST_F(Translator, AliasUsedLaterInTheSameList) {
    // An alias stands for its expression, unless a table has a column of that name.
    EXPECT_EQ(rows("select FL_ID * 10 as k, k + 1 as k1 from plots where FL_ID = 2"), "20|21\n");
    EXPECT_EQ(rows("select 1 as FL_ID, 7 as kind, 100000 * 7 + FL_ID as ix from plots "
                   "where FL_ID = 2"),
              "1|7|700002\n");
    EXPECT_EQ(rows("select int(area * 10) / 10 as area from plots where FL_ID = 2"), "2.2\n");
}

TEST_F(Translator, DivisionByZeroIsAnError) {
    EXPECT_THROW(rows("select 1 / (FL_ID - 1) from plots"), db::Error);
    EXPECT_EQ(rows("select Null / 0"), "NULL\n");
}

// Statements the translator does not understand fail with the position, never with
// silently different SQL.
TEST(TranslatorErrors, NamePositionAndStatement) {
    const struct {
        const char* statement;
        std::size_t position;
    } cases[] = {
        {"select frobnicate(1) from t", 7},
        {"select a from t where", 21},
        {"select \"open from t", 7},
        {"update t set = 1", 13},
        {"delete from a inner join b on a.x = b.x", 0},
        {"create table t (a whatever)", 0},
        {"merge into t", 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.statement);
        try {
            db::jet::translate(k.statement);
            ADD_FAILURE() << "translated";
        } catch (const db::SyntaxError& e) {
            EXPECT_EQ(e.position(), k.position);
            EXPECT_EQ(e.jet_text(), k.statement);
        } catch (const db::Error& e) {
            EXPECT_NE(std::string(e.what()).find("whatever"), std::string::npos);
        }
    }
}

TEST_F(Translator, FailureCarriesBothTexts) {
    try {
        c.execute("update nosuchtable set a = 1");
        FAIL();
    } catch (const db::Error& e) {
        EXPECT_NE(e.engine_message().find("no such table"), std::string::npos);
        EXPECT_EQ(e.jet_text(), "update nosuchtable set a = 1");
        EXPECT_NE(e.sqlite_text().find("\"nosuchtable\""), std::string::npos);
    }
}

} // namespace

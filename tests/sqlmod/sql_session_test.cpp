// The SQL module without its window: history, "$" parameters, script files, execution.
#include "sqlmod/sql_session.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

TEST(ScriptHistory, ElevenScriptsKeepTheLastTen) {
    sqlmod::ScriptHistory h;
    EXPECT_EQ(h.mem_id(), 0);
    for (int i = 1; i <= 11; ++i) h.store("script " + std::to_string(i));
    EXPECT_EQ(h.mem_id(), 10);
    for (int slot = 1; slot <= 10; ++slot)
        EXPECT_EQ(h.script(slot), "script " + std::to_string(slot + 1));
    EXPECT_EQ(h.up("script 11"), "script 10");
    for (int i = 0; i < 12; ++i) h.up("");
    EXPECT_EQ(h.mem_id(), 1);
    for (int i = 0; i < 12; ++i) h.down(h.script(h.mem_id()));
    EXPECT_EQ(h.mem_id(), 10);
}

TEST(ScriptHistory, ArrowsKeepTheUnsavedTextAsTheNewest) {
    sqlmod::ScriptHistory h;
    h.store("a");
    h.store("b");
    // An edited text goes in as slot 3; the previous slot is the last one executed.
    EXPECT_EQ(h.up("b edited"), "b");
    EXPECT_EQ(h.used(), 3);
    EXPECT_EQ(h.down("b"), "b edited");
    // Past the newest: an unused slot shows an empty editor, which is not kept.
    EXPECT_EQ(h.down("b edited"), "");
    EXPECT_EQ(h.up(""), "b edited");
    EXPECT_EQ(h.used(), 3);
    // Before anything ran, typed text becomes slot 1.
    sqlmod::ScriptHistory fresh;
    EXPECT_EQ(fresh.up("typed"), "typed");
    EXPECT_EQ(fresh.mem_id(), 1);
}

TEST(ScriptParameters, NamesAreWholeWordsOutsideQuotesAndComments) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"where [year] in ($year) and x=$year0", {"$year", "$year0"}},
        {"where a=$ID and b=$id and c=$Year_1", {"$ID", "$Year_1"}},
        {"where a='$not' and b=\"x $no\" and c=Left$(d, 1) and e=$ and f=$p", {"$p"}},
        {"' comment $c\n# comment $d\nselect $e", {"$e"}},
    };
    for (const auto& [script, names] : cases)
        EXPECT_EQ(sqlmod::parameter_names(script), names) << script;
}

TEST(ScriptParameters, ReplacementOfWholeNamesIgnoringCase) {
    sqlmod::ParameterTable t;
    const std::string script = "select * from climate_data where [year]=$year and "
                               "climate_id=$ID and x=$year0\n"
                               "' $year in a comment stays\n"
                               "and y in ($YEAR) and z='$year'";
    EXPECT_EQ(t.collect(script), 3);
    t.row(0).value = "1990";
    t.row(1).value = "1";
    try {
        t.apply(script);
        ADD_FAILURE() << "a missing value was not refused";
    } catch (const sqlmod::MissingValue& e) {
        EXPECT_EQ(e.names(), std::vector<std::string>{"$year0"});
        EXPECT_NE(std::string(e.what()).find("$year0"), std::string::npos);
    }
    t.row(2).value = "5";
    EXPECT_EQ(t.apply(script), "select * from climate_data where [year]=1990 and "
                               "climate_id=1 and x=5\n"
                               "' $year in a comment stays\n"
                               "and y in (1990) and z='$year'");
}

TEST(ScriptParameters, TheTableHoldsTenNamesAndClears) {
    sqlmod::ParameterTable t;
    std::string script;
    for (int i = 1; i <= 12; ++i) script += "$p" + std::to_string(i) + " ";
    t.row(0) = {"$p3", "x"}; // a name already in the table keeps its row and value
    EXPECT_EQ(t.collect(script), 10);
    EXPECT_EQ(t.row(0).value, "x");
    EXPECT_EQ(t.row(1).name, "$p1");
    EXPECT_EQ(t.row(9).name, "$p10"); // $p11 and $p12 are left out
    t.clear();
    EXPECT_EQ(t.var_count(), 0);
    EXPECT_EQ(t.row(0).value, "");
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        c.execute("create table climate_data (climate_id int, [year] int)");
        c.execute("insert into climate_data values (1, 1990)");
        c.execute("insert into climate_data values (2, 1990)");
    }
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "s.db");
    sqlmod::SqlSession s;
};

TEST_F(Session, ExecuteRefusesParametersWithoutValues) {
    const std::string script = "delete from climate_data where climate_id=$ID";
    EXPECT_THROW(s.execute(c, script), sqlmod::MissingValue);
    EXPECT_EQ(s.parameters.row(0).name, "$ID");
    EXPECT_EQ(s.history.used(), 0);
    EXPECT_EQ(c.scalar("select count(*) from climate_data").as_int(), 2);

    s.parameters.row(0).value = "2";
    const std::string replaced = s.apply_parameters(script);
    EXPECT_EQ(s.history.script(1), script);
    const auto result = s.execute(c, replaced + "\ngo\nselect count(*) as n from climate_data\n");
    EXPECT_EQ(result.rows->field("n").as_int(), 1);
    EXPECT_EQ(s.history.mem_id(), 2);
}

TEST_F(Session, ScriptFilesRoundTrip) {
    const auto written = sqlmod::write_script(dir / "query", "select 1\ngo\nselect 2");
    EXPECT_EQ(written, dir / "query.sql");
    EXPECT_EQ(sqlmod::read_script(written), "select 1\ngo\nselect 2\n");
    EXPECT_THROW(sqlmod::read_script(dir / "none.sql"), std::runtime_error);
    EXPECT_THROW(sqlmod::write_script(dir / "no" / "such.sql", "x"), std::runtime_error);
}

} // namespace

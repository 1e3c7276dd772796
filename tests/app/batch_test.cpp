// The console program's commands: new databases and statement files.
#include "app/command_line.h"
#include "batch_run.h"
#include "db/connection.h"
#include "test_support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using test::batch;
using test::BatchRun;

TEST(Batch, NewRefusesToOverwrite) {
    test::TempDir dir;
    const std::string db = (dir / "exp.db").string();
    EXPECT_EQ(batch({"new", db}).code, 0);
    db::Connection(db).execute("insert into experiments (exp_id) values (77)");
    const BatchRun again = batch({"new", db, "--demo"});
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find(db), std::string::npos);
    EXPECT_EQ(db::Connection(db).scalar("select count(*) from experiments").as_int(), 1);
}

TEST(Batch, SqlPrintsTheLastQueryAsTabSeparatedText) {
    test::TempDir dir;
    const std::string db = (dir / "demo.db").string();
    ASSERT_EQ(batch({"new", db, "--demo"}).code, 0);
    const BatchRun r = batch(
        {"sql", db, "-"},
        "update site_state set status = 0\ngo\nupdate site_state set status = 1 where FL_ID = 101\n"
        "go\n"
        "select FL_ID, status from site_state where status = 1\n");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "FL_ID\tstatus\n101\t1\n");

    std::ofstream(dir / "bad.sql") << "select * from nosuchtable\n";
    const BatchRun bad = batch({"sql", db, (dir / "bad.sql").string()});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("no such table"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("select * from nosuchtable"), std::string::npos) << bad.err;
}

// Each file runs in one transaction: a failure undoes it all; only failing DROPs go on.
TEST(Batch, SqlFilesChangeAllOrNothing) {
    test::TempDir dir;
    const std::string db = (dir / "demo.db").string();
    ASSERT_EQ(batch({"new", db, "--demo"}).code, 0);
    const BatchRun fresh =
        batch({"sql", db, "-"}, "drop table x\ngo\ncreate table x (a int)\ngo\n"
                                "insert into x values (1)\ngo\nselect * from x\n");
    EXPECT_EQ(fresh.code, 0) << fresh.err;
    EXPECT_EQ(fresh.out, "a\n1\n");
    EXPECT_NE(fresh.err.find("line 1: failure ignored: no such table: x"), std::string::npos)
        << fresh.err;

    const auto rows = [&](const std::string& table) {
        return db::Connection(db).scalar("select count(*) from " + table).as_int();
    };
    const auto climate = rows("climate_data");
    const std::vector<std::pair<std::string, std::string>> failing = {
        {"delete from climate_data\nwhere climate_id = 2  # Rhine\n", "line 2"},
        {"delete from site_state\ngo\nupdate nosuch set comment=\"dropout\"\n", "line 3"},
    };
    for (const auto& [script, line] : failing) {
        const BatchRun r = batch({"sql", db, "-"}, script);
        EXPECT_EQ(r.code, 1) << script;
        EXPECT_NE(r.err.find(line), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Nothing was changed"), std::string::npos) << r.err;
    }
    EXPECT_EQ(rows("climate_data"), climate);
    EXPECT_EQ(rows("site_state"), 11);
}

TEST(Batch, UsageErrors) {
    EXPECT_EQ(batch({"sql", "only-one-argument"}).code, 2);
    EXPECT_EQ(batch({"new"}).code, 2);
    EXPECT_EQ(batch({"--help"}).code, 0);
    test::TempDir dir;
    const BatchRun missing = batch({"summary", (dir / "none.db").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("none.db"), std::string::npos);
}

// A word that is neither a command nor a start-up parameter stops the program before it
// reads settings or a database, naming the word and listing the commands.
TEST(Batch, UnknownWordsAreRefused) {
    test::TempDir dir;
    setenv("TSM_SETTINGS", (dir / "settings.ini").c_str(), 1);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"transfr", "a.db"}, {"DB=a.db", "gogo"}}) {
        const BatchRun r = batch(args);
        SCOPED_TRACE(args.back());
        EXPECT_EQ(r.code, 2);
        const std::string& word = args[0] == "transfr" ? args[0] : args[1];
        EXPECT_NE(r.err.find("'" + word + "'"), std::string::npos) << r.err;
        for (const char* command : {"new", "transfer", "statistics", "import"})
            EXPECT_NE(r.err.find(command), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "settings.ini"));
    for (const char* word :
         {"DB=x",  "orv",       "REGIO",   "S+",    "M=TSM",     "go",        "GO",
          "RC=2",  "tc=1990",   "nw",      "!",     "sql=a.sql", "POQ=b.sql", "ID=4",
          "UNCAS", "threads=2", "ERR_P 3", "BAT 1", "new_bat",   "SC=KA5",    "I=-1"})
        EXPECT_TRUE(app::is_startup_parameter(word)) << word;
    for (const char* word : {"transfr", "db=x", "s+", "m=TSM", "Go!", "sqlx", "summary2"})
        EXPECT_FALSE(app::is_startup_parameter(word)) << word;
    unsetenv("TSM_SETTINGS");
}

// Update-Statistics from the console: the statistics tables rebuilt for every plot, the
// goodness of fit stored for the plots with results in the chosen phase, and printed.
TEST(Batch, StatisticsStoresAndPrintsTheFitOfEveryPlotWithResults) {
    test::TempDir dir;
    const std::string db = (dir / "exp.db").string();
    ASSERT_EQ(batch({"new", db}).code, 0);
    {
        db::Connection c(db);
        for (int plot : {1, 2})
            c.execute("insert into field_description (FL_ID, Location, versuch_code, i_con) "
                      "values (" +
                      std::to_string(plot) + ", 'here', 'X1', 'obsval')");
        // Plot 1: Corg simulated and measured in four years (differences 0.1, 0.1, 0.2, 0.2);
        // plot 2 has no results.
        const double sim[] = {1.2, 1.3, 1.4, 1.5}, obs[] = {1.3, 1.4, 1.6, 1.7};
        for (int i = 0; i < 4; ++i) {
            const std::string year = std::to_string(2001 + i), num = std::to_string(i + 1);
            c.execute("insert into sim_result (fl_id, m_ix, year_, year_num, sim_value) values "
                      "(1, 7, " +
                      year + ", " + num + ", " + std::to_string(sim[i]) + ")");
            c.execute("insert into measurements (FL_ID, M_IX, [year], year_number, meas_value) "
                      "values (1, 7, " +
                      year + ", " + num + ", " + std::to_string(obs[i]) + ")");
        }
    }
    struct Case {
        std::vector<std::string> phase;
        int n;
        double me;
    };
    for (const Case& k : {Case{{}, 4, 0.15}, Case{{"early years"}, 2, 0.1}, Case{{"late"}, 2, 0.2},
                          Case{{"1"}, 2, 0.1}}) {
        std::vector<std::string> args{"statistics", db};
        args.insert(args.end(), k.phase.begin(), k.phase.end());
        const BatchRun r = batch(args);
        SCOPED_TRACE(k.phase.empty() ? "default" : k.phase[0]);
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.out.find("1 plots with results evaluated"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("tsm_stat_corg\nFL_ID\tmed\trms\tn\t"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("\n1\t"), std::string::npos) << r.out;
        db::Connection c(db);
        EXPECT_EQ(c.scalar("select count(*) from tsm_stat_corg").as_int(), 2);
        EXPECT_EQ(c.scalar("select count(*) from tsm_stat_nt").as_int(), 2);
        EXPECT_EQ(c.scalar("select n from tsm_stat_corg where FL_ID = 1").as_int(), k.n);
        EXPECT_NEAR(c.scalar("select med from tsm_stat_corg where FL_ID = 1").as_double(), k.me,
                    1e-9);
        EXPECT_EQ(c.scalar("select n from tsm_stat_corg where FL_ID = 2").as_int(), 0);
    }
    const BatchRun bad = batch({"statistics", db, "middle years"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_NE(bad.err.find("'middle years'"), std::string::npos) << bad.err;
    EXPECT_EQ(batch({"statistics"}).code, 2);
}

// Without a command the program starts as the windowed one does: settings, database,
// adaptation, selection states; then a summary, or the run with "go".
TEST(Batch, StartUpLikeTheWindowedProgram) {
    test::TempDir dir;
    const std::string db = (dir / "demo.db").string();
    ASSERT_EQ(batch({"new", db, "--demo"}).code, 0);
    setenv("TSM_SETTINGS", (dir / "settings.ini").c_str(), 1);
    setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);

    const BatchRun first = batch({"DB=" + db});
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_NE(first.out.find("Method: TSM"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("plots:        11"), std::string::npos) << first.out;

    // "go" simulates the selected plots and ends with the run report.
    batch({"sql", db, "-"}, "update site_state set status = 0\ngo\n"
                            "update site_state set status = 1 where FL_ID in (101, 201)\n");
    const BatchRun go = [&] {
        test::WorkingFolder folder(dir.path()); // the run report is written here
        return batch({"DB=" + db, "go"});
    }();
    EXPECT_TRUE(std::filesystem::exists(dir / "tsm_report.txt"));
    EXPECT_EQ(go.code, 0) << go.out << go.err;
    EXPECT_NE(go.out.find("tmp soil :2"), std::string::npos) << go.out;
    EXPECT_NE(go.out.find("job finished: "), std::string::npos) << go.out;
    EXPECT_EQ(db::Connection(db).scalar("select count(distinct fl_id) from tsm_driver").as_int(),
              2);

    const BatchRun bad = batch({"DB=" + db, "RC=x2"});
    EXPECT_EQ(bad.code, 1);
    unsetenv("TSM_SETTINGS");
    unsetenv("ODBCINI");
}

} // namespace

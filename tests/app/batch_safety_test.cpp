// batch_safety_test.cpp --- a console run does what its command line asks or nothing:
// the named database or none, one run per database at a time, numbers and plots checked
// before anything changes, every plot left out named, implausible inputs refused.
#include "app/run_lock.h"
#include "batch_run.h"
#include "db/connection.h"
#include "db/new_database.h"
#include "test_support.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using test::batch;
using test::BatchRun;

std::string read_file(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A demo database remembered by the settings, with the results of one run of all plots.
class BatchSafety : public ::testing::Test {
protected:
    BatchSafety() : folder(dir.path()) {
        setenv("TSM_SETTINGS", (dir / "settings.ini").c_str(), 1);
        setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
        EXPECT_EQ(batch({"new", db, "--demo"}).code, 0);
        const BatchRun first = batch({"DB=" + db, "go"});
        EXPECT_EQ(first.code, 0) << first.err;
    }
    ~BatchSafety() override {
        unsetenv("TSM_SETTINGS");
        unsetenv("ODBCINI");
    }

    // The selection and the results, to tell whether anything changed.
    std::string state() {
        db::Connection c(db);
        return test::rows(c, "select fl_id from site_state where status=1 order by fl_id") +
               test::rows(c, "select count(*), sum(sim_value) from sim_result") +
               test::rows(c, "select count(*), sum(c_som) from tsm_nresult") +
               test::rows(c, "select count(*) from tsm_zbv");
    }
    void spoil(const std::string& statement) { db::Connection(db).execute_native(statement); }

    test::TempDir dir;
    test::WorkingFolder folder; // the run report is written here
    std::string db = (dir / "demo.db").string();
};

TEST_F(BatchSafety, RunOutputNamesItsDatabaseFirstAndOpensOnce) {
    const BatchRun run = batch({"DB=" + db, "ID=101", "go"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.rfind("database : " + db + "\nTSM run started: ", 0), 0u) << run.out;
    EXPECT_EQ(run.out.find("TSM run started: "), run.out.rfind("TSM run started: ")) << run.out;
}

// A database that is not there is refused, never replaced by the remembered one.
TEST_F(BatchSafety, MistypedDatabaseRunsNothing) {
    const std::string before = state();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"DB=" + (dir / "typo.db").string(), "no such database file"},
        {"DB=" + dir.path().string(), "this is a folder, not a database file"},
        {"DB=", "no database file is named"},
    };
    for (const auto& [arg, why] : cases) {
        for (const bool go : {true, false}) {
            const BatchRun r = go ? batch({arg, "go"}) : batch({arg});
            EXPECT_EQ(r.code, 1) << arg;
            EXPECT_NE(r.err.find(arg + ": " + why + "; nothing was run or changed"),
                      std::string::npos)
                << r.err;
            EXPECT_EQ(r.out, "") << arg;
        }
    }
    EXPECT_EQ(state(), before);
}

// Numbers and plots of the command line are checked before anything changes.
TEST_F(BatchSafety, BadNumbersAndPlotsChangeNothing) {
    const std::string before = state();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"RC=-1", "RC=-1: the number of repetitions lies outside 0 to 9999"},
        {"ID=999999", "ID=999999: there is no plot 999999 in " + db},
        {"ID=abc", "ID=abc: 'abc' is not a whole number"},
        {"ID=101 or 1=1", "'101 or 1=1' is not a whole number"},
    };
    for (const auto& [arg, message] : cases) {
        const BatchRun r = batch({"DB=" + db, arg, "go"});
        EXPECT_EQ(r.code, 1) << arg;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_EQ(state(), before);
}

// A second program on the file, while a run holds it, is refused at once and changes
// nothing; the lock ends with the process that holds it, however it ends.
TEST_F(BatchSafety, SecondProgramOnTheFileIsRefused) {
    const std::string before = state();
    {
        const app::RunLock working(db);
        const std::string command =
            std::string(TSM_BATCH) + " 'DB=" + db + "' ID=101 go >second.out 2>second.err";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_NE(read_file(dir / "second.err").find("another run is working on " + db),
                  std::string::npos)
            << read_file(dir / "second.err");
        EXPECT_EQ(state(), before);
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const app::RunLock killed(db);
        ::raise(SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_NO_THROW(app::RunLock after_kill(db));
}

// Plots without a soil or with a negative initial Corg are named with their reason.
TEST_F(BatchSafety, LeftOutPlotsAreNamed) {
    spoil("update field_description set soil_ID=99 where fl_id=102;"
          "update field_description set soil_ID=NULL where fl_id=104;"
          "update measurements set meas_value=-0.5 where fl_id=103 and m_ix=7 and "
          "year_number=0;");
    const BatchRun r = batch({"DB=" + db, "go"});
    EXPECT_EQ(r.code, 0) << r.err;
    for (const char* line : {"plot 102 left out: its soil_ID 99 is not in soilproperties\n",
                             "plot 103 left out: its initial Corg -0.5 is negative\n",
                             "plot 104 left out: it has no soil (soil_ID is empty)\n",
                             "8 of 11 selected plots simulated\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
}

// Absurd inputs stop the run before any result is removed, naming each offending row.
TEST_F(BatchSafety, ImplausibleInputsStopTheRun) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"update cultivation set Quantity=1e300 where cultivation_id=(select min(cultivation_id) "
         "from cultivation where fl_id=101)",
         "plot 101, cultivation, year 1970: Quantity = 1e+300 lies outside -99 to 100000"},
        {"update cultivation set Quantity='lots' where cultivation_id=(select "
         "min(cultivation_id) from cultivation where fl_id=102)",
         "plot 102, cultivation, year 1970: Quantity = 'lots' is not a number"},
        {"update cultivation set year=99999 where cultivation_id=(select max(cultivation_id) "
         "from cultivation where fl_id=201)",
         "plot 201, cultivation, year 99999: year = 99999 lies outside 1700 to 2300"},
        {"update climate_data set temperature=1e300 where climate_ID=1 and year=1990",
         "climate station 1, climate_data, year 1990: temperature = 1e+300 lies outside -99 "
         "to 60"},
    };
    const std::string before = state();
    for (const auto& [fault, line] : cases) {
        spoil(fault); // the faults add up: each run names all of them
        const BatchRun r = batch({"DB=" + db, "go"});
        EXPECT_EQ(r.code, 1) << fault;
        EXPECT_NE(r.out.find(line + "\n"), std::string::npos) << r.out;
        EXPECT_NE(r.err.find("nothing was changed"), std::string::npos) << r.err;
        EXPECT_EQ(state(), before);
    }
}

// A settings file that lacks values is completed with their first-start values, and the
// user is told once.
TEST_F(BatchSafety, SettingsFileLackingValuesIsCompletedOnce) {
    std::ofstream(dir / "settings.ini") << "[General]\ndatabase=" << db << "\nlanguage=E\n";
    const BatchRun first = batch({"DB=" + db, "ID=101", "go"});
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_NE(first.err.find("The settings lacked the values ppath, methode, pf_fk, pf_wp, "
                             "ptfmode, r_call, r_script, r_result, soil_scheme, recalc_bat, "
                             "power; their first-start values were stored."),
              std::string::npos)
        << first.err;
    const BatchRun second = batch({"DB=" + db, "ID=101", "go"});
    EXPECT_EQ(second.code, 0) << second.err;
    EXPECT_EQ(second.err.find("lacked"), std::string::npos) << second.err;
    EXPECT_NE(read_file(dir / "settings.ini").find("recalc_bat=1"), std::string::npos);
}

// A statement file that is a folder runs nothing and says so.
TEST_F(BatchSafety, StatementFolderIsRefused) {
    const BatchRun r = batch({"sql", db, dir.path().string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("is a folder, not a file"), std::string::npos) << r.err;
}

// A program killed while it builds a new database leaves no file under its name (or the
// whole database): the next start or "new" never finds a half-built one.
TEST(NewDatabase, KilledBuildLeavesNoFileUnderItsName) {
    test::TempDir dir;
    const auto file = dir / "new.db";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        db::create_experiment_database(file, true);
        _exit(0);
    }
    usleep(20000); // the build takes several times as long
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    if (std::filesystem::exists(file)) {
        EXPECT_EQ(db::Connection(file).scalar("select count(*) from experiments").as_int(), 2);
    } else {
        EXPECT_EQ(batch({"new", file.string(), "--demo"}).code, 0);
        EXPECT_EQ(db::Connection(file).scalar("select count(*) from experiments").as_int(), 2);
    }
}

} // namespace

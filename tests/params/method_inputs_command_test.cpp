// method_inputs_command_test.cpp --- tsm-batch method-inputs prepares the demo database for
// an unattended STAND run.
#include "batch_run.h"
#include "db/connection.h"
#include "test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using test::batch;
using test::BatchRun;

TEST(MethodInputsCommand, PreparesTheDemoForAStandRun) {
    test::TempDir dir;
    const std::string db = (dir / "demo.db").string();
    ASSERT_EQ(batch({"new", db, "--demo"}).code, 0);
    db::Connection(db).execute_native("drop table vb_st_gr; drop table st_gruppe; "
                                      "drop table humod_nur");

    const BatchRun inputs = batch({"method-inputs", db});
    ASSERT_EQ(inputs.code, 0) << inputs.err;
    EXPECT_NE(inputs.out.find("humod_nur : 11\n"), std::string::npos) << inputs.out;
    EXPECT_NE(inputs.out.find("vb_st_gr : 11\n"), std::string::npos) << inputs.out;
    EXPECT_NE(inputs.out.find("salca_ph_value : 11 plots added\n"), std::string::npos);

    // The STAND run of every plot, with the method editable (korvex 1).
    setenv("TSM_SETTINGS", (dir / "settings.ini").c_str(), 1);
    setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
    ASSERT_EQ(batch({"DB=" + db}).code, 0); // the first start writes the settings
    std::stringstream settings;
    settings << std::ifstream(dir / "settings.ini").rdbuf();
    std::string text = settings.str();
    const auto at = text.find("recalc_bat=");
    ASSERT_NE(at, std::string::npos) << text;
    text.insert(at, "korvex=1\n");
    std::ofstream(dir / "settings.ini") << text;
    db::Connection(db).execute("update site_state set status = 1");
    const BatchRun run = [&] {
        test::WorkingFolder folder(dir.path());
        return batch({"DB=" + db, "M=STAND", "go"});
    }();
    unsetenv("TSM_SETTINGS");
    unsetenv("ODBCINI");
    EXPECT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("no site group"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("job finished: "), std::string::npos) << run.out;

    EXPECT_EQ(batch({"method-inputs"}).code, 1);
}

} // namespace

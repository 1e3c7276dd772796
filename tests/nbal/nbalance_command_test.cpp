// nbalance_command_test.cpp --- tsm-batch nbalance: the printed summary, the workbook, and
// the exit codes of wrong arguments and failures.
#include "programs/batch_commands.h"
#include "db/new_database.h"
#include "test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

class NBalanceCommandTest : public testing::Test {
protected:
    NBalanceCommandTest() {
        db::Connection c = db::create_experiment_database(db, true);
        for (int year : {1990, 1991, 1992})
            c.execute("insert into tsm_nresult (FL_ID, [year], n_m_om) values (102, " +
                      std::to_string(year) + ", 40)");
    }

    int batch(std::vector<std::string> args) {
        out.str({});
        err.str({});
        std::istringstream in;
        return app::run_batch(args, in, out, err);
    }

    test::TempDir dir;
    std::string db = (dir / "demo.db").string();
    std::ostringstream out, err;
};

TEST_F(NBalanceCommandTest, PrintsTheSummaryAndWritesTheWorkbook) {
    const std::string xlsx = (dir / "nmin.xlsx").string();
    ASSERT_EQ(batch({"nbalance", db, "102", "--observed-uptake", "--xlsx", xlsx}), 0) << err.str();
    const std::string text = out.str();
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "FL_ID\tyear\tn_pflanze_out\tn_mindg_inp\tn_mos_inp\tn_leg_inp\tn_asym_inp\t"
              "n_depos_inp\tn_saat_inp\tsaldo_nmin_soil\tanz");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    EXPECT_EQ(text.find("\n102\t1991\t"), text.find('\n', text.find("\n102\t1990\t") + 1));
    EXPECT_GT(std::filesystem::file_size(xlsx), 0u);

    ASSERT_EQ(batch({"nbalance", db, "*", "--years", "1991", "1992", "--fertiliser", "0", "500"}),
              0)
        << err.str();
    EXPECT_NE(out.str().find("\n102\t"), std::string::npos) << out.str();
}

TEST_F(NBalanceCommandTest, WrongArgumentsAreUsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"nbalance"},
        {"nbalance", db, "abc"},
        {"nbalance", db, "101", "102"},
        {"nbalance", db, "--years", "1990"},
        {"nbalance", db, "--fertiliser", "0", "lots"},
        {"nbalance", db, "--xlsx"},
        {"nbalance", db, "--everything"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(batch(args), 2) << args.back();
        EXPECT_NE(err.str().find("usage: tsm-batch nbalance DATABASE"), std::string::npos)
            << err.str();
    }
}

TEST_F(NBalanceCommandTest, FailuresNameTheFileOrTheStatement) {
    EXPECT_EQ(batch({"nbalance", (dir / "none.db").string()}), 1);
    EXPECT_NE(err.str().find("none.db"), std::string::npos) << err.str();
    {
        db::Connection c(db);
        c.execute("drop table srbpflan");
    }
    EXPECT_EQ(batch({"nbalance", db}), 1);
    EXPECT_NE(err.str().find("nbil_n_entzug"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("srbpflan"), std::string::npos) << err.str();
}

} // namespace

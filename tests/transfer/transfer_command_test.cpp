// transfer_command_test.cpp --- tsm-batch transfer: the static fertilisation trial into a
// database made by "tsm-batch new", the printed lines, and the exit codes.
#include "db/connection.h"
#include "programs/batch_commands.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

class TransferCommandTest : public testing::Test {
protected:
    int batch(std::vector<std::string> args) {
        out.str({});
        err.str({});
        std::istringstream in;
        return app::run_batch(args, in, out, err);
    }

    test::TempDir dir;
    std::string demo = (dir / "demo.db").string(), dest = (dir / "dest.db").string();
    std::ostringstream out, err;
};

TEST_F(TransferCommandTest, MovesTheStaticTrialIntoANewDatabase) {
    ASSERT_EQ(batch({"new", demo, "--demo"}), 0);
    ASSERT_EQ(batch({"new", dest}), 0);
    db::Connection(dest).execute("delete from srbpflan where ITEM_IX = 10");
    ASSERT_EQ(batch({"transfer", demo, dest, "101", "102", "103", "104", "105"}), 0) << err.str();
    const std::string text = out.str();
    for (const char* line :
         {"key check FL_ID 103: crops missing in the destination: 10 potatoes (copied with the "
          "plot)\n",
          "FL_ID 101 -> 101: moved (45 measurements, 46 management rows); copied with it: crop "
          "10 potatoes\n",
          "FL_ID 105 -> 105: moved (45 measurements, 160 management rows)\n",
          "5 of 5 plots are in "})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin:\n" << text;

    db::Connection a(demo), b(dest);
    const std::string plots = " where FL_ID between 101 and 105";
    for (const std::string table : {"field_description", "site_state", "measurements",
                                    "cultivation", "vb_st_gr", "humod_nur"})
        EXPECT_EQ(test::rows(b, "select count(*) from " + table + plots),
                  test::rows(a, "select count(*) from " + table + plots))
            << table;
    for (const std::string q : {"select count(*) from climate_data where climate_ID = 1",
                                "select count(*) from reg_ndeposit where climate_id = 1",
                                "select count(*) from experiments where exp_id = 1"})
        EXPECT_EQ(test::rows(b, q), test::rows(a, q)) << q;

    // Once more: nothing changes, the plots are found.
    ASSERT_EQ(batch({"transfer", demo, dest, "101", "--no-key-check"}), 0) << err.str();
    EXPECT_EQ(out.str().find("key check"), std::string::npos);
    EXPECT_NE(out.str().find("FL_ID 101: already in the destination as FL_ID 101"),
              std::string::npos);
    EXPECT_EQ(test::rows(b, "select count(*) from measurements"), "225\n");
}

TEST_F(TransferCommandTest, ExitCodes) {
    ASSERT_EQ(batch({"new", demo, "--demo"}), 0);
    ASSERT_EQ(batch({"new", dest}), 0);
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* says;
    };
    for (const Case& k : {Case{{"transfer", demo, dest}, 2, "no plot (FL_ID) given"},
                          Case{{"transfer", demo, dest, "1x"}, 2, "\"1x\" is no plot key"},
                          Case{{"transfer", demo, demo, "101"}, 1, "is the source database"},
                          Case{{"transfer", demo, dest, "999"}, 1, "FL_ID 999: not in the source"},
                          Case{{"transfer", demo, dir.path() / "none.db", "101"}, 1, "none.db"}}) {
        EXPECT_EQ(batch(k.args), k.code) << k.says;
        EXPECT_NE((out.str() + err.str()).find(k.says), std::string::npos)
            << k.says << "\nin:\n"
            << out.str() << err.str();
    }
}

} // namespace

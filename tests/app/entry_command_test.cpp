// The console program's data entry: events and measurements written with the forms' checks.
#include "db/new_database.h"
#include "programs/batch_commands.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

struct BatchRun {
    int code;
    std::string out, err;
};

class EntryCommand : public testing::Test {
protected:
    test::TempDir dir;
    std::string db = (dir / "demo.db").string();
    EntryCommand() { db::create_experiment_database(db, true); }

    BatchRun batch(std::vector<std::string> args) {
        args.insert(args.begin() + 1, db);
        std::istringstream in;
        std::ostringstream out, err;
        const int code = app::run_batch(args, in, out, err);
        return {code, out.str(), err.str()};
    }
    std::string query(const std::string& q) {
        db::Connection c(db);
        return test::rows(c, q);
    }
};

TEST_F(EntryCommand, WritesCheckedRows) {
    const BatchRun event = batch({"event", "101", "15.04.2021", "3", "102", "12,5"});
    ASSERT_EQ(event.code, 0) << event.err;
    EXPECT_EQ(event.out.rfind("cultivation_id ", 0), 0u);
    EXPECT_EQ(query("select macode, item_ix, quantity from cultivation where year=2021"),
              "3|102|12.5\n");
    const BatchRun m =
        batch({"measurement", "101", "2016-09-01", "7", "1,25", "--variance", "0,01"});
    ASSERT_EQ(m.code, 0) << m.err;
    EXPECT_EQ(
        query(
            "select meas_value, vrnz, year_number from measurements where year=2016 and fl_id=101"),
        "1.25|0.01|47\n");
}

TEST_F(EntryCommand, RefusesBadValuesAndArguments) {
    const std::string before =
        query("select count(*) from cultivation") + query("select count(*) from measurements");
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string err;
    };
    const std::vector<Case> cases = {
        {{"event", "101", "15.04.2021", "3", "102", "1+1"}, 1, "tsm-batch: amount:"},
        {{"event", "101", "5/21", "3", "102", "1"}, 1, "tsm-batch: date:"},
        {{"measurement", "101", "01.09.2016", "7", ""}, 1, "tsm-batch: value:"},
        {{"event", "101", "15.04.2021", "3"}, 2, "usage: tsm-batch event"},
        {{"measurement", "101", "01.09.2016", "7", "1", "--bad"},
         2,
         "usage: tsm-batch measurement"},
    };
    for (const Case& k : cases) {
        const BatchRun r = batch(k.args);
        EXPECT_EQ(r.code, k.code) << k.err;
        EXPECT_EQ(r.err.rfind(k.err, 0), 0u) << r.err;
    }
    EXPECT_EQ(query("select count(*) from cultivation") +
                  query("select count(*) from measurements"),
              before);
}

} // namespace

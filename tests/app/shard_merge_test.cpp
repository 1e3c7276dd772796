// A run split into shards and merged back ends in the very result rows of one run over
// all the selected plots, and a merge that does not fit is refused without a write.
#include "batch_run.h"
#include "db/connection.h"
#include "db/content_hash.h"
#include "db/database_copy.h"
#include "synthetic_database.h"
#include "test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using test::batch;
using test::BatchRun;

// Row count and fingerprint of every table a run writes, one line each.
std::string result_rows(const std::filesystem::path& file) {
    db::Connection c(file);
    std::string text;
    for (const char* table :
         {"sim_result", "tsm_nresult", "tsm_zbv", "tsm_driver", "tsm_protokoll", "str_result"}) {
        db::Fingerprint f;
        const long long rows = c.has_table(table) ? db::add_table_rows(c, table, f) : -1;
        text += std::string(table) + " " + std::to_string(rows) + " " + f.hex() + "\n";
    }
    return text;
}

std::string content(const std::filesystem::path& file) {
    db::Connection c(file);
    return db::content_hash(c);
}

// A small database of six plots whose selection leaves a gap (plot 3 is not selected).
class SplitRuns : public testing::Test {
protected:
    void SetUp() override {
        bench::make_synthetic_database(input, 6, 8);
        select("update site_state set status = 1 where FL_ID <> 3");
    }
    void select(const std::string& statement) { db::Connection(input).execute(statement); }
    // Runs shard i/k of the input into shard<i>.db; returns the file.
    std::string run_shard(int i, int k, const std::vector<std::string>& extra = {}) {
        const auto file = dir / ("shard" + std::to_string(i) + ".db");
        std::vector<std::string> args = {"DB=" + input.string(),
                                         "go",
                                         "--shard",
                                         std::to_string(i) + "/" + std::to_string(k),
                                         "--out",
                                         file.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        const BatchRun shard = batch(args);
        EXPECT_EQ(shard.code, 0) << shard.out << shard.err;
        EXPECT_NE(shard.out.find("partial assessment: shard"), std::string::npos) << shard.out;
        return file.string();
    }

    test::TempDir dir;
    test::WorkingFolder folder{dir.path()}; // the run reports are written here
    test::ScopedEnv settings{"TSM_SETTINGS", (dir / "settings.ini").string()};
    test::ScopedEnv odbc{"ODBCINI", (dir / "odbc.ini").string()};
    std::filesystem::path input = dir / "input.db";
};

struct SplitCase {
    const char* name;
    int shards;
    bool earlier_results; // the database holds the results of an earlier run of all plots
    std::vector<std::string> extra;
    bool own_threads = false; // shard i runs i plot threads, as on machines of other sizes
};

class SplitRunCases : public SplitRuns, public testing::WithParamInterface<SplitCase> {};

TEST_P(SplitRunCases, MergedShardsEqualOneRun) {
    const SplitCase& c = GetParam();
    if (c.earlier_results) {
        select("update site_state set status = 1");
        ASSERT_EQ(batch({"DB=" + input.string(), "go"}).code, 0);
        select("update site_state set status = 0 where FL_ID in (3, 5)");
    }
    const auto single = dir / "single.db";
    db::copy_database(input, single);
    std::vector<std::string> args = {"DB=" + single.string(), "go"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const BatchRun one = batch(args);
    ASSERT_EQ(one.code, 0) << one.out << one.err;

    const std::string before = content(input);
    std::vector<std::string> merge = {"merge", input.string()};
    for (int i = 1; i <= c.shards; ++i) {
        std::vector<std::string> extra = c.extra;
        if (c.own_threads) extra.push_back("THREADS=" + std::to_string(i));
        merge.push_back(run_shard(i, c.shards, extra));
    }
    EXPECT_EQ(content(input), before) << "a shard with --out wrote its input";

    const BatchRun merged = batch(merge);
    ASSERT_EQ(merged.code, 0) << merged.out << merged.err;
    EXPECT_EQ(result_rows(input), result_rows(single));
    const bool protocol = !c.extra.empty(); // ERR_P: one protocol row, by the merge
    EXPECT_EQ(result_rows(single).find("tsm_protokoll 1 ") != std::string::npos, protocol)
        << result_rows(single);
    // The merge reports the assessment of the whole run, as the single run did.
    EXPECT_NE(merged.out.find(" N="), std::string::npos) << merged.out;
    const BatchRun assess = batch({"assess", input.string()});
    EXPECT_NE(one.out.find(assess.out), std::string::npos) << assess.out << one.out;
}

INSTANTIATE_TEST_SUITE_P(Splits, SplitRunCases,
                         testing::Values(SplitCase{"one_shard", 1, false, {}},
                                         SplitCase{"two_shards", 2, false, {}},
                                         SplitCase{"more_shards_than_plots", 7, false, {}},
                                         SplitCase{"more_shards_than_attach", 11, false, {}},
                                         SplitCase{"earlier_results", 2, true, {}},
                                         SplitCase{"protocol_row", 3, false, {"ERR_P=7"}},
                                         SplitCase{"threads_per_shard", 2, false, {}, true}),
                         [](const testing::TestParamInfo<SplitCase>& info) {
                             return std::string(info.param.name);
                         });

// Without --out the shard's results go into the database itself; the selection and the
// settings store stay as they were.
TEST_F(SplitRuns, ShardWithoutFileLeavesSelectionAndSettings) {
    const std::string selection = [&] {
        db::Connection c(input);
        return test::rows(c, "select * from site_state order by FL_ID");
    }();
    const BatchRun shard = batch({"DB=" + input.string(), "go", "--shard", "2/2"});
    ASSERT_EQ(shard.code, 0) << shard.out << shard.err;
    db::Connection c(input);
    EXPECT_EQ(test::rows(c, "select distinct FL_ID from tsm_driver order by FL_ID"), "2\n5\n");
    EXPECT_EQ(test::rows(c, "select * from site_state order by FL_ID"), selection);
    EXPECT_EQ(test::rows(c, "select count(*) from tsm_protokoll"), "0\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "settings.ini"));
    EXPECT_TRUE(std::filesystem::exists(dir / "tsm_report_shard_2_of_2.txt"));
}

TEST_F(SplitRuns, WrongShardOptionsAreRefused) {
    const std::string db = "DB=" + input.string();
    const std::vector<std::vector<std::string>> wrong = {{db, "go", "--shard", "0/2"},
                                                         {db, "go", "--shard", "3/2"},
                                                         {db, "go", "--shard", "1-2"},
                                                         {db, "go", "--shard"},
                                                         {db, "--shard", "1/2"},
                                                         {"go", "--shard", "1/2", "--out", "x.db"},
                                                         {db, "go", "--out", "x.db"},
                                                         {"merge", input.string()},
                                                         {"assess"}};
    for (const auto& args : wrong) {
        const BatchRun run = batch(args);
        EXPECT_EQ(run.code, 2) << args.back() << run.err;
        EXPECT_NE(run.err.find("usage: tsm-batch"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x.db"));
}

struct Misfit {
    const char* name;
    std::vector<std::string>
        shards;         // "1", "2": the files of shards 1/2 and 2/2; "2p": 2/2 with ERR_P
    const char* change; // a statement run on the database before the merge
    const char* message;
};

class MisfitMerges : public SplitRuns, public testing::WithParamInterface<Misfit> {};

TEST_P(MisfitMerges, AreRefusedWithoutAWrite) {
    const Misfit& c = GetParam();
    std::vector<std::string> merge = {"merge", input.string()};
    for (const std::string& s : c.shards)
        merge.push_back(s == "input" ? input.string()
                        : s == "2p"  ? run_shard(2, 2, {"ERR_P"})
                                     : run_shard(std::stoi(s), 2));
    if (*c.change) select(c.change);
    const std::string before = content(input);
    const BatchRun merged = batch(merge);
    EXPECT_EQ(merged.code, 1);
    EXPECT_NE(merged.err.find(c.message), std::string::npos) << merged.err;
    EXPECT_EQ(content(input), before);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, MisfitMerges,
    testing::Values(Misfit{"plot_missing", {"1"}, "", "is in none of the shards"},
                    Misfit{"shard_twice", {"1", "2", "2"}, "", "is also in"},
                    Misfit{"changed_database",
                           {"1", "2"},
                           "update measurements set meas_value = 2",
                           "run from another database"},
                    Misfit{"other_selection",
                           {"1", "2"},
                           "update site_state set status = 1",
                           "run from another database"},
                    Misfit{"other_parameters", {"1", "2p"}, "", "parameters differ"},
                    Misfit{"not_a_shard", {"1", "input"}, "", "is not a shard file"}),
    [](const testing::TestParamInfo<Misfit>& info) { return std::string(info.param.name); });

} // namespace

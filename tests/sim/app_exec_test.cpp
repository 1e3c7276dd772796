// app_exec_test.cpp --- starting an external program and noticing its end.
#include "sim/app_exec.h"
#include "sim/r_script.h"

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(AppExec, StartsWithoutWaitingAndNoticesTheEnd) {
    sim::TsrbAppExec exec;
    exec.ApplicationName = "sh";
    exec.Parameters = "-c \"exit 0\"";
    exec.Execute();
    EXPECT_EQ(exec.ResultCode, -1);
    EXPECT_TRUE(exec.working);
    for (int i = 0; i < 200 && exec.working; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        exec.poll();
    }
    EXPECT_TRUE(exec.finished);
    EXPECT_FALSE(exec.working);
}

TEST(AppExec, AMissingProgramLeavesTheSystemCode) {
    sim::TsrbAppExec exec;
    exec.ApplicationName = "c:\\path_to_r.exe";
    exec.Execute();
    EXPECT_EQ(exec.ResultCode, ENOENT);
    EXPECT_FALSE(exec.working);
}

TEST(AppExec, ArgumentsSplitAtBlanksWithQuotesGrouping) {
    EXPECT_EQ(sim::split_arguments("CMD BATCH --slave  \"a b\" c"),
              (std::vector<std::string>{"CMD", "BATCH", "--slave", "a b", "c"}));
    sim::Simulator s;
    s.r_script = "fit.r";
    s.r_result = "fit.out";
    EXPECT_EQ(sim::r_script_parameters(s, "/w"), "CMD BATCH --slave /w/fit.r /w/fit.out");
}

} // namespace

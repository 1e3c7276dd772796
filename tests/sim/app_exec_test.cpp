// app_exec_test.cpp --- starting an external program and noticing its end.
#include "sim/app_exec.h"
#include "sim/r_script.h"
#include "test_support.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
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
}

void wait_for_end(sim::TsrbAppExec& exec) {
    for (int i = 0; i < 500 && exec.working; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        exec.poll();
    }
}

// The statistics program gets the script and result paths as whole arguments, however
// many blanks, quotes or semicolons the folder and file names hold; a program that cannot
// be started is named with the reason.
TEST(RScript, PathsStayWholeArgumentsAndAFailedStartIsExplained) {
    test::TempDir dir;
    const std::filesystem::path folder = dir / "my \"results\"; folder";
    std::filesystem::create_directories(folder);
    const test::ScopedEnv odbc("ODBCINI", (dir / "odbc.ini").string());
    const std::filesystem::path program = folder / "fake R";
    std::ofstream(program)
        << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > args.txt\n";
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);

    sim::Simulator s;
    s.r_call = program.string();
    s.r_script = "fit.r";
    s.r_result = "fit out.txt";
    sim::TsrbAppExec exec;
    sim::run_r_script(s, exec, folder.string());
    EXPECT_EQ(exec.ResultCode, -1);
    wait_for_end(exec);
    ASSERT_TRUE(exec.finished);
    std::ifstream in(folder / "args.txt");
    const std::string args{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(args, "CMD\nBATCH\n--slave\n" + (folder / "fit.r").string() + "\n" +
                        (folder / "fit out.txt").string() + "\n");

    s.r_call = (dir / "no R here").string();
    try {
        sim::run_r_script(s, exec, folder.string());
        ADD_FAILURE() << "a missing program started";
    } catch (const std::runtime_error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("no R here"), std::string::npos) << text;
        EXPECT_NE(text.find(std::strerror(ENOENT)), std::string::npos) << text;
    }
    EXPECT_EQ(exec.ResultCode, ENOENT);
}

} // namespace

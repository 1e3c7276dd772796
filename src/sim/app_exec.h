// app_exec.h --- starting an external program without waiting for it, and polling for
// its end (the statistics program of "run r-script").
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace sim {

// Initial window state of the started program. A desktop without such states starts
// every program normally; the value is kept for the caller's settings.
enum class ShowType {
    sstHide,
    sstMinimize,
    sstRestore,
    sstShow,
    sstShowMaximized,
    sstShowMinimized,
    sstShowMinNoActive,
    sstShowNA,
    sstShowNoActivate,
    sstShowNormal,
};

class TsrbAppExec {
public:
    TsrbAppExec() = default;
    ~TsrbAppExec();
    TsrbAppExec(const TsrbAppExec&) = delete;
    TsrbAppExec& operator=(const TsrbAppExec&) = delete;

    std::string ApplicationName; // program file to start
    std::string Parameters;      // its arguments, split at blanks (quotes group words)
    // Further arguments after those of Parameters, each passed as it is: a path with
    // blanks or quotes stays one argument. No shell sees any of them.
    std::vector<std::string> Arguments;
    std::string CurrentDir; // working directory of the new process
    ShowType show_type = ShowType::sstShowNormal;

    bool working = false;  // the started process is running
    bool finished = false; // the started process has ended
    int ResultCode = 0;    // -1 after a successful start, else the system's error code

    // Starts the program and returns at once. A second start forgets the first process
    // (it is still reaped when it ends).
    void Execute();
    // The timer tick (every 100 ms while `working`): notices the end of the process.
    void poll();
    bool timer_enabled() const { return working; }

private:
    pid_t pid_ = -99;
};

// The arguments of a command line: words separated by blanks, "..." grouping words.
std::vector<std::string> split_arguments(const std::string& line);

} // namespace sim

// bench_preparation: a "TSM" run over every plot of synthetic experiment databases: the
// preparation pipeline (input quantities, time frame, organic inputs, soil properties,
// climate and BAT) up to the hand-over to the final stage, the final stage alone (plot
// loop, yearly turnover, result rows) and the whole run. Every measurement runs in a
// process of its own, so that its peak memory and the growth of that peak while it ran
// are its own; the final stage must grow with the size of one plot, not with the number
// of plots (SQLite's page cache is bounded by the connection's cache size).
#include "app/console_dialogs.h"
#include "app/program_state.h"
#include "db/connection.h"
#include "db/new_database.h"
#include "sim/final_stage.h"
#include "sim/run_driver.h"
#include "sim/run_steps.h"
#include "synthetic_database.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Shows how long each step took before its message (with TSM_BENCH_STEPS set).
class TimingObserver : public sim::RecordingObserver {
public:
    void message(const std::string& line) override {
        const auto now = Clock::now();
        if (std::getenv("TSM_BENCH_STEPS"))
            std::printf("  %7.3f s  %s\n", std::chrono::duration<double>(now - last_).count(),
                        line.c_str());
        last_ = now;
        RecordingObserver::message(line);
    }

private:
    Clock::time_point last_ = Clock::now();
};

// Shows every SQLite statement that took longer than TSM_BENCH_SQL milliseconds.
int show_slow_statement(unsigned kind, void* limit_ms, void* statement, void* nanoseconds) {
    if (kind != SQLITE_TRACE_PROFILE) return 0;
    const double ms = static_cast<double>(*static_cast<sqlite3_int64*>(nanoseconds)) / 1e6;
    if (ms < *static_cast<double*>(limit_ms)) return 0;
    std::string text = sqlite3_sql(static_cast<sqlite3_stmt*>(statement));
    if (text.size() > 4000) text = text.substr(0, 4000) + "...";
    std::printf("  %9.1f ms  %s\n", ms, text.c_str());
    return 0;
}

// What a run works with, for a "TSM" run over every plot of the database.
class BenchRun {
public:
    explicit BenchRun(const std::filesystem::path& file) : conn_(file) {
        conn_.execute("update site_state set status = 1");
        simulator_.database = file.string();
        simulator_.methode = "TSM";
        state_.modus = "TSM";
        if (const char* limit = std::getenv("TSM_BENCH_SQL")) {
            slow_ms_ = std::atof(limit);
            sqlite3_trace_v2(conn_.handle(), SQLITE_TRACE_PROFILE, show_slow_statement, &slow_ms_);
        }
    }
    sim::RunContext& ctx() { return ctx_; }

private:
    double slow_ms_ = 0;
    db::Connection conn_;
    sim::Simulator simulator_;
    TimingObserver observer_;
    app::ConsoleDialogs dialogs_{std::cerr};
    app::ProgramState state_;
    sim::RunContext ctx_{conn_, simulator_, observer_, dialogs_, state_};
};

double preparation(const std::filesystem::path& file) {
    BenchRun run(file);
    sim::RunSteps steps = sim::standard_run_steps();
    steps.final_stage = [](sim::RunContext&, const std::string&) {};
    const auto t0 = Clock::now();
    sim::run(run.ctx(), steps);
    return seconds_since(t0);
}

// Removes the results of an earlier final stage, as a run does before its preparation.
double remove_results(const std::filesystem::path& file) {
    BenchRun run(file);
    sim::remove_earlier_results(run.ctx().conn);
    return 0;
}

// A final stage that ended early would be timed for nothing: every plot has its row.
void expect_every_plot(db::Connection& conn) {
    const auto plots = conn.scalar("select count(*) from site_state").as_int();
    const auto simulated = conn.scalar("select count(*) from tsm_driver").as_int();
    if (simulated != plots)
        throw std::runtime_error("the final stage simulated " + std::to_string(simulated) + " of " +
                                 std::to_string(plots) + " plots (tsm_driver)");
}

// The final stage on the work tables of the last preparation.
double final_stage(const std::filesystem::path& file) {
    BenchRun run(file);
    const auto t0 = Clock::now();
    sim::run_final_stage(run.ctx(), "TSM", nullptr);
    const double seconds = seconds_since(t0);
    expect_every_plot(run.ctx().conn);
    return seconds;
}

double whole_run(const std::filesystem::path& file) {
    BenchRun run(file);
    const auto t0 = Clock::now();
    sim::run(run.ctx(), sim::standard_run_steps());
    const double seconds = seconds_since(t0);
    expect_every_plot(run.ctx().conn);
    return seconds;
}

// Time and memory of one measurement, memory in MB.
struct Figures {
    double seconds = 0; // wall-clock
    double cpu = 0;     // user and system time: on a busy machine the wall-clock time grows
    double peak = 0;    // peak resident memory of the process
    double growth = 0;  // growth of that peak during the measurement
    double cache = 0;   // peak of SQLite's page cache (bounded by the connection's cache size)
};

rusage own_usage() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage;
}

double peak_mb() {
    return own_usage().ru_maxrss / 1024.0;
}

double cpu_seconds() {
    const rusage u = own_usage();
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Without a page cache configured for it, SQLite takes every cache page from the heap and
// counts it as overflow.
double page_cache_peak_mb() {
    sqlite3_int64 current = 0, highwater = 0;
    sqlite3_status64(SQLITE_STATUS_PAGECACHE_OVERFLOW, &current, &highwater, 0);
    return static_cast<double>(highwater) / (1024.0 * 1024.0);
}

[[noreturn]] void child(int out, const std::function<double()>& work) {
    int status = 0;
    try {
        Figures f;
        const double before = peak_mb(), cpu_before = cpu_seconds();
        f.seconds = work();
        f.cpu = cpu_seconds() - cpu_before;
        f.peak = peak_mb();
        f.growth = f.peak - before;
        f.cache = page_cache_peak_mb();
        if (write(out, &f, sizeof f) != static_cast<ssize_t>(sizeof f)) status = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_preparation: %s\n", e.what());
        status = 1;
    }
    std::fflush(stdout);
    _exit(status);
}

// Runs `work` in a child process (no database connection is open across the fork).
Figures in_child(const char* what, const std::function<double()>& work) {
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) throw std::runtime_error("no pipe for the child process");
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("cannot start the child process");
    if (pid == 0) {
        close(pipe_ends[0]);
        child(pipe_ends[1], work);
    }
    close(pipe_ends[1]);
    Figures f;
    const bool got = read(pipe_ends[0], &f, sizeof f) == static_cast<ssize_t>(sizeof f);
    close(pipe_ends[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(std::string("the measurement of the ") + what + " failed");
    return f;
}

// The larger memory figures of two runs, with the time of the second.
Figures larger(const Figures& a, const Figures& b) {
    return {b.seconds, b.cpu, std::max(a.peak, b.peak), std::max(a.growth, b.growth),
            std::max(a.cache, b.cache)};
}

// What the summary needs of one database size.
struct SizeResult {
    Figures final_stage; // the larger memory figures of its two runs
    Figures whole_run;   // the same of the whole run, with the time of its second run
    double peak = 0;     // the largest peak of its measurements
};

// Two runs of each measurement; with only_preparation, of the preparation alone.
SizeResult measure(int plots, int years, bool only_preparation, bool only_whole_run) {
    const std::filesystem::path file = "tsm-bench-" + std::to_string(plots) + ".db";
    in_child("synthetic database", [&] {
        bench::make_synthetic_database(file, plots, years);
        return 0.0;
    });
    const double plot_years = static_cast<double>(plots) * years;
    const std::string size = std::to_string(plots) + " x " + std::to_string(years) + " years";
    std::printf("%-16s %8s %8s %6s %10s %8s %7s %6s\n", size.c_str(), "first", "again", "cpu s",
                "plot-yrs/s", "peak", "growth", "cache");
    SizeResult result;
    // `before` runs untimed in a process of its own, so that its memory does not count.
    using Work = double (*)(const std::filesystem::path&);
    const auto once = [&](const char* what, Work work, Work before) {
        if (before) in_child("set-up", [&] { return before(file); });
        return in_child(what, [&] { return work(file); });
    };
    const auto twice = [&](const char* what, Work work, Work before = nullptr) {
        const Figures first = once(what, work, before);
        const Figures again = once(what, work, before);
        const Figures m = larger(first, again);
        std::printf("  %-14s %6.2f s %6.2f s %6.2f %10.0f %8.1f %+7.1f %6.1f\n", what,
                    first.seconds, again.seconds, again.cpu, plot_years / again.seconds, m.peak,
                    m.growth, m.cache);
        result.peak = std::max(result.peak, m.peak);
        return m;
    };
    if (only_whole_run) {
        result.whole_run = twice("whole run", whole_run);
        db::remove_database_files(file);
        return result;
    }
    twice("preparation", preparation);
    if (const char* keep = std::getenv("TSM_BENCH_KEEP")) // the work tables, to look into
        std::filesystem::copy_file(file, keep, std::filesystem::copy_options::overwrite_existing);
    if (only_preparation) {
        db::remove_database_files(file);
        return result;
    }
    result.final_stage = twice("final stage", final_stage, remove_results);
    result.whole_run = twice("whole run", whole_run);
    db::remove_database_files(file);
    return result;
}

// A folder of its own for the databases and the run reports, removed at the end.
class WorkFolder {
public:
    WorkFolder()
        : folder_(std::filesystem::temp_directory_path() /
                  ("tsm-bench-" + std::to_string(getpid()))),
          previous_(std::filesystem::current_path()) {
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    ~WorkFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(folder_, ignored);
    }

private:
    std::filesystem::path folder_, previous_;
};

} // namespace

// Plot counts may be given as arguments (default: 200 and 2000), 50 years each; --large
// adds 20000 plots, the size of a regional run (several minutes); --preparation measures the
// preparation alone, --whole the whole run alone. With TSM_BENCH_STEPS set each step's time is
// shown, with TSM_BENCH_SQL=MS every SQLite statement that took longer than MS milliseconds;
// TSM_BENCH_KEEP=FILE keeps a copy of the database as the preparation left it.
int main(int argc, char** argv) {
    try {
        std::vector<int> sizes;
        bool large = false, only_preparation = false, only_whole_run = false;
        for (int i = 1; i < argc; ++i) {
            if (std::string(argv[i]) == "--large") {
                large = true;
                continue;
            }
            if (std::string(argv[i]) == "--preparation") {
                only_preparation = true;
                continue;
            }
            if (std::string(argv[i]) == "--whole") {
                only_whole_run = true;
                continue;
            }
            sizes.push_back(std::atoi(argv[i]));
            if (sizes.back() <= 0)
                throw std::invalid_argument(std::string("not a plot count: ") + argv[i]);
        }
        if (sizes.empty()) sizes = {200, 2000};
        if (large) sizes.push_back(20000);
        WorkFolder folder;
        std::printf("plots x years; wall-clock seconds of two runs; cpu seconds and plot-years/s\n"
                    "of the second; "
                    "memory in MB, the larger of the two: peak, its growth while measured\n"
                    "and SQLite's page cache in it (bounded by the connection's cache size)\n");
        std::string beyond, rates;
        double peak = 0;
        for (int plots : sizes) {
            const SizeResult r = measure(plots, 50, only_preparation, only_whole_run);
            if (only_preparation) continue;
            char entry[64];
            std::snprintf(entry, sizeof entry, "%s%d plots %+.1f MB", beyond.empty() ? "" : ", ",
                          plots, r.final_stage.growth - r.final_stage.cache);
            beyond += entry;
            peak = std::max(peak, r.peak);
            rates += "  " + std::to_string(plots) + " plots x 50 years: whole run " +
                     std::to_string(static_cast<long>(plots * 50.0 / r.whole_run.seconds)) +
                     " plot-years/s, peak " + std::to_string(static_cast<long>(r.whole_run.peak)) +
                     " MB\n";
        }
        std::printf("whole runs:\n%s", rates.c_str());
        std::printf("final stage growth beyond the page cache: %s\npeak memory: %.1f MB\n",
                    beyond.c_str(), peak);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_preparation: %s\n", e.what());
        return 1;
    }
}

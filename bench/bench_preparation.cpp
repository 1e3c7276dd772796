// bench_preparation: the preparation pipeline of a "TSM" run (input quantities, time
// frame, organic inputs, soil properties, climate and BAT) over every plot of synthetic
// experiment databases, up to the hand-over to the final stage.
#include "app/console_dialogs.h"
#include "app/program_state.h"
#include "db/connection.h"
#include "db/new_database.h"
#include "sim/run_driver.h"
#include "sim/run_steps.h"
#include "synthetic_database.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sys/resource.h>

namespace {

// Shows how long each step took before its message (with TSM_BENCH_STEPS set).
class TimingObserver : public sim::RecordingObserver {
public:
    void message(const std::string& line) override {
        const auto now = std::chrono::steady_clock::now();
        if (std::getenv("TSM_BENCH_STEPS"))
            std::printf("  %7.3f s  %s\n", std::chrono::duration<double>(now - last_).count(),
                        line.c_str());
        last_ = now;
        RecordingObserver::message(line);
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

double prepare(const std::filesystem::path& file) {
    db::Connection c(file);
    c.execute("update site_state set status = 1");
    sim::Simulator simulator;
    simulator.database = file.string();
    simulator.methode = "TSM";
    TimingObserver observer;
    app::ConsoleDialogs dialogs(std::cerr);
    app::ProgramState state;
    state.modus = "TSM";
    sim::RunContext ctx{c, simulator, observer, dialogs, state};
    sim::RunSteps steps = sim::standard_run_steps();
    steps.final_stage = [](sim::RunContext&, const std::string&) {};
    const auto t0 = std::chrono::steady_clock::now();
    sim::run(ctx, steps);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void measure(int plots, int years) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tsm-prep-" + std::to_string(plots) + ".db");
    bench::make_synthetic_database(file, plots, years);
    const double first = prepare(file), second = prepare(file);
    const double plot_years = static_cast<double>(plots) * years;
    std::printf("%5d plots x %d years: preparation %6.2f s (again %6.2f s), %8.0f plot-years/s\n",
                plots, years, first, second, plot_years / second);
    db::remove_database_files(file);
}

} // namespace

int main() {
    try {
        measure(200, 50);
        measure(2000, 50);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_preparation: %s\n", e.what());
        return 1;
    }
}

// bench_transfer: how fast plots move into another experiment database: 1,000 plots over
// 50 years with their management, measurements, soils and climate stations, into an
// empty database and then once more into the same one (every plot found there).
#include "db/connection.h"
#include "db/new_database.h"
#include "synthetic_database.h"
#include "transfer/plot_transfer.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int plots = 1000, years = 50;
constexpr double target = 5.0;

// Wall-clock seconds; the processor's share in cpu.
double seconds(const std::function<void()>& f, double& cpu) {
    const std::clock_t c0 = std::clock();
    const auto t0 = std::chrono::steady_clock::now();
    f();
    cpu = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

const char* verdict(double s) {
    return s < target ? "ok" : "TOO SLOW";
}

} // namespace

int main() {
    try {
        const auto dir = std::filesystem::temp_directory_path();
        const auto source = dir / "tsm-bench-transfer-source.db";
        const auto destination = dir / "tsm-bench-transfer-destination.db";
        db::remove_database_files(source);
        db::remove_database_files(destination);
        bench::make_synthetic_database(source, plots, years);
        std::vector<std::int64_t> ids;
        {
            db::Connection c(source);
            db::Statement q =
                c.prepare_native("SELECT FL_ID FROM field_description ORDER BY FL_ID");
            while (q.step()) ids.push_back(q.column(0).as_int());
        }
        db::Connection dest = db::create_experiment_database(destination, false);
        transfer::TransferReport report;
        double cpu_first = 0, cpu_again = 0;
        const double first =
            seconds([&] { report = transfer::transfer_plots(dest, source, ids); }, cpu_first);
        std::size_t rows = 0;
        for (const auto& p : report.plots) rows += p.measurements + p.management;
        const double again =
            seconds([&] { report = transfer::transfer_plots(dest, source, ids); }, cpu_again);
        std::printf("transfer of %zu plots x %d years (%zu management and measurement rows) into "
                    "an empty database: %.2f s (processor %.2f s; target < %.0f s) %s\n",
                    ids.size(), years, rows, first, cpu_first, target, verdict(first));
        std::printf("the same plots once more (all found in the destination): %.2f s (processor "
                    "%.2f s) %s\n",
                    again, cpu_again, verdict(again));
        dest.close();
        db::remove_database_files(source);
        db::remove_database_files(destination);
        return report.all_arrived() && first < target && again < target ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_transfer: %s\n", e.what());
        return 1;
    }
}

// bench_split_run: the wall time of one run of tsm-batch over all plots of a synthetic
// database against the same run split over two MPI ranks (mpirun -np 2 tsm-mpi), median
// of three each, and whether both leave the same result rows.
//
//     bench_split_run [PLOTS YEARS]       (default 2000 plots over 50 years)
//
// The programs are taken from the folder of this one; without tsm-mpi only the single run
// is timed.
#include "db/connection.h"
#include "db/content_hash.h"
#include "db/database_copy.h"
#include "db/new_database.h"
#include "synthetic_database.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path program_dir() {
    return fs::read_symlink("/proc/self/exe").parent_path();
}

double seconds_of(const std::string& command) {
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "bench_split_run: failed: %s\n", command.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::string result_rows(const fs::path& file) {
    db::Connection c(file);
    std::string text;
    for (const char* table : {"sim_result", "tsm_nresult", "tsm_zbv", "tsm_driver"}) {
        db::Fingerprint f;
        text += std::string(table) + " " + std::to_string(db::add_table_rows(c, table, f)) + " " +
                f.hex() + "\n";
    }
    return text;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double load_average() {
    std::ifstream in("/proc/loadavg");
    double one = 0;
    in >> one;
    return one;
}

} // namespace

int main(int argc, char** argv) {
    const int plots = argc > 2 ? std::atoi(argv[1]) : 2000;
    const int years = argc > 2 ? std::atoi(argv[2]) : 50;
    const fs::path dir =
        fs::temp_directory_path() / ("bench_split_run_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path input = dir / "input.db";
    bench::make_synthetic_database(input, plots, years);
    db::Connection(input).execute("update site_state set status = 1");
    ::setenv("TSM_SETTINGS", (dir / "settings.ini").c_str(), 1);
    ::setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
    ::setenv("OMPI_MCA_rmaps_base_oversubscribe", "1", 1);
    fs::current_path(dir);

    const fs::path batch = program_dir() / "tsm-batch", mpi = program_dir() / "tsm-mpi";
    const bool with_mpi = fs::exists(mpi);
    const std::string as_root = getuid() == 0 ? " --allow-run-as-root" : "";
    std::vector<double> single, split;
    std::string single_rows, split_rows;
    std::printf("split run, %d plots x %d years, load average before: %.2f\n", plots, years,
                load_average());
    for (int i = 0; i < 3; ++i) {
        const fs::path one = dir / "single.db", two = dir / "split.db";
        fs::remove(one);
        fs::remove(two);
        db::copy_database(input, one);
        single.push_back(seconds_of(batch.string() + " DB=" + one.string() + " go > single.log"));
        single_rows = result_rows(one);
        if (!with_mpi) continue;
        db::copy_database(input, two);
        split.push_back(seconds_of("mpirun" + as_root + " -np 2 " + mpi.string() +
                                   " DB=" + two.string() + " > split.log 2>&1"));
        split_rows = result_rows(two);
    }
    std::printf("  one process      : %.2f s (median of 3)\n", median(single));
    if (with_mpi) {
        std::printf("  mpirun -np 2     : %.2f s (median of 3)\n", median(split));
        std::printf("  result rows      : %s\n",
                    single_rows == split_rows ? "identical" : "DIFFER");
    } else {
        std::printf("  tsm-mpi is not built (Open MPI missing)\n");
    }
    std::printf("  load average after: %.2f\n", load_average());
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
    return with_mpi && single_rows != split_rows ? 1 : 0;
}

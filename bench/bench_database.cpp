// bench_database: how fast the database layer carries the run's typical statements on
// large experiment databases (generation, work tables by SELECT ... INTO, joined updates).
#include "db/connection.h"
#include "db/new_database.h"
#include "synthetic_database.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

double seconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// A few statements of the run preparation, on all plots selected.
const char* const statements[] = {
    "update site_state set status=1",
    "drop table tmp_time_int",
    " SELECT cultivation.FL_ID, Max(cultivation.[year]) AS Maxvonyear, Min(cultivation.[year]) "
    "AS Minvonyear into tmp_time_int FROM cultivation, site_state where site_state.status=1 "
    "and cultivation.fl_id=site_state.fl_id GROUP BY cultivation.FL_ID ",
    "drop table crep_year",
    " SELECT cultivation.FL_ID, cultivation.[year] as year_0, Sum(cultivation.Sim_Quantity) AS "
    "Crep, Count(*) AS n, -99.9999 as Corg, -99.9999 as Norg into crep_year FROM cultivation "
    "INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID WHERE site_state.status=1 "
    "GROUP BY cultivation.FL_ID, cultivation.[year]",
    " UPDATE Crep_year INNER JOIN measurements ON (Crep_year.FL_ID = measurements.FL_ID) AND "
    "(Crep_year.year_0 = measurements.year) SET Crep_year.corg = [measurements].[meas_value] "
    "WHERE (((measurements.M_IX)=7) AND ((measurements.year_number)=0)) ",
    " SELECT Str(FL_ID) + \"_\" + Str(year_0) AS idx, Crep * 0.45 / 10 AS c_in INTO tmp_idx "
    "FROM crep_year",
};

void run(int plots, int years) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tsm-bench-" + std::to_string(plots) + ".db");
    const double made = seconds([&] { bench::make_synthetic_database(file, plots, years); });
    db::Connection c(file);
    c.execute_ignoring_failure("drop table tmp_idx");
    const double ran = seconds([&] {
        for (const char* s : statements)
            if (!c.execute_ignoring_failure(s) && std::string(s).find("drop") == std::string::npos)
                c.execute(s); // report the failure
    });
    const double plot_years = static_cast<double>(plots) * years;
    std::printf("%5d plots x %d years: database made in %6.2f s; statements %6.3f s "
                "(%9.0f plot-years/s)\n",
                plots, years, made, ran, plot_years / ran);
    c.close();
    db::remove_database_files(file);
}

} // namespace

int main() {
    try {
        run(200, 50);
        run(2000, 50);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_database: %s\n", e.what());
        return 1;
    }
}

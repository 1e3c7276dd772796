// bench_model_core: the SOM turnover model alone, without a database: many plots over many
// years with about three organic inputs per year (a residue that merges into its class every
// year, an amendment of varying quality that adds classes, a catch crop every other year)
// and a BAT of 13-53 per year, the range of the yearly BAT that the climate of real plots
// and of the synthetic databases gives, with dynamic bulk density and LTS.
#include "model/som_model.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

// A small fixed-seed generator, so every run simulates the same plots.
class Lcg {
public:
    explicit Lcg(std::uint64_t seed) : state_(seed) {}
    double uniform() { // in [0, 1)
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) / 9007199254740992.0;
    }

private:
    std::uint64_t state_;
};

sim::SiteConstants site(Lcg& rng) {
    sim::SiteConstants s;
    s.corg = 0.8 + 1.5 * rng.uniform();
    s.bd = 1.25 + 0.3 * rng.uniform();
    s.skelett = 0.1 * rng.uniform();
    s.cif = 0.2 + 0.2 * rng.uniform();
    s.hsnk_lts = 2.5;
    s.norg = s.corg / (9 + 3 * rng.uniform());
    s.fbio = 2;
    s.clay = 5 + 30 * rng.uniform();
    s.silt = 10 + 50 * rng.uniform();
    return s;
}

sim::FomInput input(int item, double cops, double cnr, double k, double eta) {
    sim::FomInput in;
    in.item_ix = item;
    in.cops = cops;
    in.cnr_alt = cnr * 1.1;
    in.cnr = cnr;
    in.k = k;
    in.eta = eta;
    return in;
}

// Simulates one plot; returns a value of its results so the work cannot be optimised away.
double simulate_plot(Lcg& rng, const sim::ModelOptions& options, int years) {
    sim::PlotModel model(site(rng), options);
    double sum = 0;
    for (int y = 0; y < years; ++y) {
        model.add_input(input(5, 1500 + 1000 * rng.uniform(), 80, 0.25, 0.3));
        const double manure_cnr = 10 + static_cast<int>(4 * rng.uniform()); // 4 kinds
        model.add_input(input(120, 800 + 400 * rng.uniform(), manure_cnr, 0.6, 0.5));
        if (y % 2 == 0) model.add_input(input(9998, 600, 20, 1.2, 0.2));
        sum += model.year(13.0 + 40.0 * rng.uniform()).c_som;
    }
    return sum + model.summary().corg_end;
}

} // namespace

int main(int argc, char** argv) {
    const int plots = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int years = argc > 2 ? std::atoi(argv[2]) : 50;
    sim::ModelOptions options;
    options.dyn_bd = true;
    options.dyn_lts = true;
    options.hassink = true;
    Lcg rng(20240611);
    double check = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int p = 0; p < plots; ++p) check += simulate_plot(rng, options, years);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double plot_years = static_cast<double>(plots) * years;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("model core: %.0f plot-years in %.2f s = %.0f plot-years/s\n", plot_years, seconds,
                plot_years / seconds);
    std::printf("peak memory: %ld kB (check sum %.17g)\n", usage.ru_maxrss, check);
    return 0;
}

// bench_workbench: how fast the workbench builds its experiment tree and loads a clicked
// plot on a large experiment database (2,000 plots over 50 years, with simulation results
// for every plot and year).
#include "db/connection.h"
#include "db/new_database.h"
#include "synthetic_database.h"
#include "workbench/action_list.h"
#include "workbench/choice_lists.h"
#include "workbench/experiment_tree.h"
#include "workbench/item_lists.h"
#include "workbench/plot_loading.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int plots = 2000, years = 50;
constexpr double tree_target = 2.0, click_target = 0.3;

double seconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Simulated Corg and Nt for every plot and year, as a run over the database leaves them.
void add_results(db::Connection& c) {
    db::Transaction t(c);
    db::Statement row = c.prepare(
        "insert into sim_result (fl_id, m_ix, year_, year_num, sim_value) values (?, ?, ?, ?, ?)");
    for (int p = 1; p <= plots; ++p)
        for (int y = 0; y < years; ++y) {
            row.execute({p, 7, 1960 + y, y, 1.2 + 0.001 * y});
            row.execute({p, 0, 1960 + y, y, 0.12});
        }
    t.commit();
}

const char* verdict(double s, double target) {
    return s < target ? "ok" : "TOO SLOW";
}

} // namespace

int main() {
    try {
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() / "tsm-bench-workbench.db";
        bench::make_synthetic_database(file, plots, years);
        {
            db::Connection c(file);
            add_results(c);
        }
        db::Connection c(file);
        workbench::ExperimentTree tree;
        workbench::TreeOptions options;
        options.db_f_name = file.string();
        const double built = seconds([&] { tree = workbench::build_experiment_tree(c, options); });
        std::printf("tree of %d plots in %zu experiments: %.3f s (target < %.1f s: %s)\n",
                    tree.plot_rows, tree.root.children.size(), built, tree_target,
                    verdict(built, tree_target));

        // A click as the window makes it: the look-up lists are loaded with the tree.
        const workbench::ActionList actions =
            workbench::load_actions(c, workbench::action_list_statement(false));
        const workbench::ItemList items =
            workbench::load_items(c, workbench::all_items_statement());
        const workbench::ChoiceList stations = workbench::refresh_stat_list(c);
        const workbench::ChoiceList soils = workbench::refresh_soil_list(c);
        workbench::PlotLoadContext context{"TSM",  "TSM",     false,  &actions,
                                           &items, &stations, &soils, &stations};
        std::vector<double> clicks;
        std::size_t rows = 0;
        for (int fl_id : {1, 777, 1500, 2000}) {
            workbench::Tsrb_item item;
            item.snr = fl_id;
            clicks.push_back(seconds([&] {
                const workbench::PlotLoad load = workbench::load_plot(c, item, context);
                rows = load.management.size() + load.measurements.size();
            }));
        }
        const double slowest = *std::max_element(clicks.begin(), clicks.end());
        std::printf("plot click (%zu list rows): slowest of %zu %.3f s (target < %.1f s: %s)\n",
                    rows, clicks.size(), slowest, click_target, verdict(slowest, click_target));
        c.close();
        db::remove_database_files(file);
        return built < tree_target && slowest < click_target ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_workbench: %s\n", e.what());
        return 1;
    }
}

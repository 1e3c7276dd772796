// The evaluation of a plot's results on a database: the comparisons of carbon, nitrogen
// and biomass with their phases and outliers, the pages shown, the statement files, the
// statistics rows written whatever the locale, and Update-Statistics after a demo run.
#include "db/db_error.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "sim/result_tables.h"
#include "sim/run_driver.h"
#include "sim/run_steps.h"
#include "stats/outlier_indication.h"
#include "stats/statistics_update.h"
#include "test_support.h"
#include "workbench/experiment_tree.h"

#include <clocale>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <locale>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using stats::Phase;
using stats::ResultPage;

struct Pair {
    double s, o;
};

double mean_error(const std::vector<Pair>& pairs) {
    double sum = 0;
    for (const Pair& p : pairs) sum += p.o - p.s;
    return sum / static_cast<double>(pairs.size());
}

double rmse(const std::vector<Pair>& pairs) {
    double sum = 0;
    for (const Pair& p : pairs) sum += (p.o - p.s) * (p.o - p.s);
    return std::sqrt(sum / static_cast<double>(pairs.size()));
}

// Plot 1: Corg simulated 2000-2005 (year numbers 1-6), measured 2001-2005 with the 2004
// value listed as an outlier; the last measurement has year number 6, so the phases split
// after year number 3. Nitrogen measured twice after the start, biomass twice, turnover
// every year. Plot 2: the last simulated year has no measurement (midpoint 0). Plot 3
// starts from "null". Plot 4: nitrogen results but no nitrogen measurement.
class PlotEvaluation : public testing::Test {
protected:
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "exp.db", false);
    stats::StatViews views;
    stats::EvaluationOptions options;

    const std::vector<Pair> corg_all{{1.22, 1.30}, {1.24, 1.25}, {1.26, 1.40}, {1.30, 1.35}};
    const std::vector<Pair> corg_early{{1.22, 1.30}, {1.24, 1.25}};
    const std::vector<Pair> corg_late{{1.26, 1.40}, {1.30, 1.35}};
    const std::vector<Pair> nt_pairs{{0.1512, 0.15}, {0.1545, 0.16}};

    void SetUp() override {
        for (int plot : {1, 2, 3, 4})
            c.execute("insert into field_description (FL_ID, Location, versuch_code, i_con) "
                      "values (" +
                      std::to_string(plot) + ", 'here', 'X1', '" + (plot == 3 ? "null" : "obsval") +
                      "')");
        const double corg[] = {1.20, 1.22, 1.24, 1.26, 1.28, 1.30};
        const double n_som[] = {0.15, 0.1512, 0.153, 0.1545, 0.156, 0.1575};
        for (int i = 0; i < 6; ++i) {
            const std::string year = std::to_string(2000 + i), num = std::to_string(i + 1);
            for (int plot : {1, 3, 4}) {
                const std::string p = std::to_string(plot);
                insert("sim_result (fl_id, m_ix, year_, year_num, sim_value)",
                       p + ",7," + year + "," + num + "," + std::to_string(corg[i]));
                insert("tsm_nresult (FL_ID, [year], n_SOM, c_mic, bat)",
                       p + "," + year + "," + std::to_string(n_som[i]) + "," +
                           std::to_string(300 + 5 * i) + ",40");
                insert("tsm_zbv (fl_id, year_, c_rep_flx, c_min_total, c_min_fom, c_fom, c_som)",
                       p + "," + year + "," + std::to_string(1000 + 100 * i) +
                           ",1500,400,2000,50000");
            }
            if (i < 4)
                insert("sim_result (fl_id, m_ix, year_, year_num, sim_value)",
                       "2,7," + year + "," + num + "," + std::to_string(corg[i]));
        }
        for (int plot : {1, 3, 4}) {
            const std::string p = std::to_string(plot);
            measure(p, 7, 2001, 2, 1.30);
            measure(p, 7, 2002, 3, 1.25);
            measure(p, 7, 2003, 4, 1.40);
            measure(p, 7, 2004, 5, 3.0);
            measure(p, 7, 2005, 6, 1.35);
            measure(p, 5, 2002, 3, 290);
            measure(p, 5, 2004, 5, 330);
        }
        for (int plot : {1, 3}) {
            const std::string p = std::to_string(plot);
            measure(p, 0, 2000, 0, 0.14);
            measure(p, 0, 2001, 2, 0.15);
            measure(p, 0, 2003, 4, 0.16);
        }
        measure("2", 7, 2001, 2, 1.30);
        measure("2", 7, 2002, 3, 1.25);
        c.execute("create table tmp_outlist ( fl_id int, m_ix int, meas_id int   )");
        c.execute("insert into tmp_outlist (fl_id, m_ix, meas_id) select fl_id, m_ix, meas_id "
                  "from measurements where m_ix=7 and meas_value=3");
    }
    void insert(const std::string& into, const std::string& values) {
        c.execute("insert into " + into + " values (" + values + ")");
    }
    void measure(const std::string& plot, int m_ix, int year, int year_number, double value) {
        insert("measurements (FL_ID, M_IX, [year], year_number, meas_value)",
               plot + "," + std::to_string(m_ix) + "," + std::to_string(year) + "," +
                   std::to_string(year_number) + "," + std::to_string(value));
    }
    stats::PlotEvaluation evaluate(std::int64_t plot, bool store = false,
                                   Phase phase = Phase::all_records) {
        workbench::Tsrb_item item;
        item.snr = plot;
        item.i_con = plot == 3 ? "null" : "obsval";
        return stats::result_auswertung(c, item, store, phase, views, options);
    }
    double stat(const std::string& table, const std::string& column, int plot) {
        return c
            .scalar("select " + column + " from " + table + " where fl_id=" + std::to_string(plot))
            .as_double();
    }
};

TEST_F(PlotEvaluation, ComparesCarbonWithoutTheOutlierAndDrawsItApart) {
    const stats::PlotEvaluation r = evaluate(1);
    const stats::StatView& v = views.carbon;
    EXPECT_EQ(v.plot(), 1);
    EXPECT_EQ(v.n(), 4);
    ASSERT_TRUE(v.results());
    EXPECT_NEAR(static_cast<double>(v.results()->me), mean_error(corg_all), 1e-12);
    EXPECT_NEAR(static_cast<double>(v.results()->rmse), rmse(corg_all), 1e-12);
    ASSERT_EQ(v.chart().outliers.size(), 1u);
    EXPECT_EQ(v.chart().outliers[0].x, 2004);
    EXPECT_EQ(v.chart().outliers[0].y, 3.0);
    EXPECT_EQ(v.chart().observed.size(), 4u);
    EXPECT_EQ(v.chart().simulated.size(), 6u);
    EXPECT_EQ(v.lines().front(), " N         =4");
    EXPECT_EQ(r.carbon_grid.record_count(), 6);
    EXPECT_EQ(r.midpoint, 3);
    // Nitrogen: the two measurements after the start; biomass: two measured years.
    EXPECT_EQ(views.nitrogen.n(), 2);
    EXPECT_NEAR(static_cast<double>(views.nitrogen.results()->me), mean_error(nt_pairs), 1e-12);
    EXPECT_EQ(views.biomass.n(), 2);
    EXPECT_FALSE(views.biomass.lines().empty());
    EXPECT_EQ(r.nitrogen_grid.record_count(), 7); // six years and the initial measurement
}

TEST_F(PlotEvaluation, PhasesSplitAtHalfTheLastMeasuredYearNumber) {
    struct Case {
        std::int64_t plot;
        Phase phase;
        const std::vector<Pair>* pairs; // nullptr: no pair
    };
    const std::vector<Case> cases = {
        {1, Phase::all_records, &corg_all},
        {1, Phase::early_years, &corg_early},
        {1, Phase::late_years, &corg_late},
        // Plot 2's last row has no measurement: midpoint 0, early years hold nothing.
        {2, Phase::all_records, &corg_early},
        {2, Phase::early_years, nullptr},
        {2, Phase::late_years, &corg_early},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("plot " + std::to_string(k.plot) + ", phase " +
                     std::to_string(static_cast<int>(k.phase)));
        const stats::PlotEvaluation r = evaluate(k.plot, false, k.phase);
        EXPECT_EQ(r.midpoint, k.plot == 1 ? 3 : 0);
        if (!k.pairs) {
            EXPECT_EQ(views.carbon.n(), 0);
            EXPECT_TRUE(views.carbon.lines().empty());
            continue;
        }
        EXPECT_EQ(views.carbon.n(), static_cast<int>(k.pairs->size()));
        ASSERT_TRUE(views.carbon.results());
        EXPECT_NEAR(static_cast<double>(views.carbon.results()->me), mean_error(*k.pairs), 1e-12);
        // Nitrogen of plot 1, measured in year numbers 2 and 4, splits at the same midpoint.
        if (k.plot == 1) {
            EXPECT_EQ(views.nitrogen.n(), k.phase == Phase::all_records ? 2 : 1);
        }
    }
    EXPECT_TRUE(stats::in_phase(Phase::early_years, 0, 0));
    EXPECT_FALSE(stats::in_phase(Phase::late_years, 3, 3));
}

TEST_F(PlotEvaluation, ShowsThePagesThePlotHasDataFor) {
    struct Case {
        std::int64_t plot;
        std::map<ResultPage, std::optional<bool>> pages;
    };
    const std::vector<Case> cases = {
        {1,
         {{ResultPage::c_dynamics, true},
          {ResultPage::micr_bm, true},
          {ResultPage::om_turnover, true},
          {ResultPage::n_dynamics, true},
          {ResultPage::observation, true},
          {ResultPage::misc_results, std::nullopt},
          {ResultPage::n_balance, std::nullopt}}},
        // Start from "null": the measured pages go, the turnover stays.
        {3,
         {{ResultPage::c_dynamics, false},
          {ResultPage::micr_bm, false},
          {ResultPage::om_turnover, true},
          {ResultPage::n_dynamics, false},
          {ResultPage::observation, false},
          {ResultPage::misc_results, false},
          {ResultPage::n_balance, false}}},
        // Nitrogen results without a nitrogen measurement.
        {4, {{ResultPage::n_dynamics, false}, {ResultPage::observation, true}}},
        // No biomass or nitrogen results, no turnover.
        {2,
         {{ResultPage::micr_bm, false},
          {ResultPage::n_dynamics, false},
          {ResultPage::om_turnover, std::nullopt}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("plot " + std::to_string(k.plot));
        const stats::PlotEvaluation r = evaluate(k.plot);
        for (const auto& [page, shown] : k.pages)
            EXPECT_EQ(r.pages.visible(page), shown) << static_cast<int>(page);
        EXPECT_EQ(r.pages.om_turnover_to_front, k.plot != 2);
    }
}

TEST_F(PlotEvaluation, TurnoverGridAndMeanReproductionFlux) {
    const stats::PlotEvaluation r = evaluate(1);
    ASSERT_EQ(r.turnover_grid.record_count(), 6);
    ASSERT_TRUE(r.crep_mw);
    EXPECT_DOUBLE_EQ(*r.crep_mw, 1250); // 1000 to 1500 by 100
    db::Dataset grid = r.turnover_grid;
    grid.first();
    EXPECT_EQ(grid["year_"].as_int(), 2000);
    EXPECT_DOUBLE_EQ(grid["repix"].as_double(), 25);      // 1000 / 40
    EXPECT_DOUBLE_EQ(grid["csomloss"].as_double(), 1100); // 1500 - 400
    EXPECT_DOUBLE_EQ(grid["saldo"].as_double(), -100);    // 1000 - 1500 + 400
    EXPECT_DOUBLE_EQ(grid["soilcarbon"].as_double(), 52); // (2000 + 50000) / 1000
    EXPECT_DOUBLE_EQ(grid["bat"].as_double(), 40);
    EXPECT_FALSE(evaluate(2).crep_mw);
}

TEST_F(PlotEvaluation, StoresCarbonAndNitrogenRowsAndKeepsInitialValuesOtherwise) {
    stats::rebuild_statistics_tables(c);
    evaluate(1, true);
    evaluate(2, true, Phase::early_years);
    EXPECT_EQ(stat("tsm_stat_corg", "n", 1), 4);
    EXPECT_NEAR(stat("tsm_stat_corg", "med", 1), mean_error(corg_all), 1e-12);
    EXPECT_NEAR(stat("tsm_stat_corg", "rms", 1), rmse(corg_all), 1e-12);
    EXPECT_NE(stat("tsm_stat_corg", "SB", 1), 0.000001);
    EXPECT_EQ(stat("tsm_stat_nt", "n", 1), 2);
    EXPECT_NEAR(stat("tsm_stat_nt", "med", 1), mean_error(nt_pairs), 1e-12);
    // Stored, not listed.
    EXPECT_TRUE(views.carbon.lines().empty());
    // Plot 2 had no pair in the early years: its row keeps the initial values.
    EXPECT_EQ(stat("tsm_stat_corg", "n", 2), 0);
    EXPECT_EQ(stat("tsm_stat_corg", "med", 2), 0.00001);
    EXPECT_EQ(stat("tsm_stat_corg", "smw", 2), 0.0000001);
    EXPECT_EQ(stat("tsm_stat_corg", "SB", 2), 0.000001);
    EXPECT_EQ(test::rows(c, "select count(*) from tsm_stat_corg"), "4\n");
    EXPECT_FALSE(c.has_table("tsm_stat_mbmc"));
}

TEST_F(PlotEvaluation, StoredRowHoldsEveryStatisticInItsColumn) {
    stats::rebuild_statistics_tables(c);
    evaluate(1, true);
    ASSERT_TRUE(views.carbon.results());
    const stats::FitStatistics& f = *views.carbon.results();
    double o_mean = 0, rel = 0;
    for (const Pair& p : corg_all) {
        o_mean += p.o / 4;
        rel += (p.o - p.s) / p.o / 4;
    }
    const double me = mean_error(corg_all), error = rmse(corg_all);
    const std::vector<std::pair<const char*, double>> columns = {
        {"n", 4},
        {"med", me},
        {"rms", error},
        {"s", static_cast<double>(*f.sd)},
        {"smw", static_cast<double>(*f.sd) / 2},
        {"rele", me * 100 / o_mean},
        {"ef", static_cast<double>(*f.ef)},
        {"rmsprz", error * 100 / o_mean},
        {"medprz", rel * 100},
        {"SB", static_cast<double>(f.msd->sb)},
        {"NU", static_cast<double>(f.msd->nu)},
        {"LC", static_cast<double>(f.msd->lc)},
        {"r_krit", 4.3027 / std::sqrt(4.3027 * 4.3027 + 2)}, // t of df 2
        {"r_sim", static_cast<double>(*f.r)},
        {"r_dif", static_cast<double>(*f.r_dt)},
    };
    for (const auto& [column, value] : columns)
        EXPECT_NEAR(stat("tsm_stat_corg", column, 1), value, 1e-12) << column;
    // Two nitrogen pairs: no critical r (the initial value stays), both correlations.
    EXPECT_EQ(stat("tsm_stat_nt", "r_krit", 1), 0.00001);
    EXPECT_NEAR(std::fabs(stat("tsm_stat_nt", "r_sim", 1)), 1, 1e-12);
}

TEST_F(PlotEvaluation, StoringWithoutTheStatisticsTableNamesIt) {
    try {
        evaluate(1, true);
        FAIL() << "stored into a missing table";
    } catch (const db::Error& e) {
        EXPECT_NE(std::string(e.what()).find("tsm_stat_corg"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("plot 1"), std::string::npos) << e.what();
    }
}

TEST_F(PlotEvaluation, WritesTheStatementFilesWhenDebugging) {
    const fs::path out = dir / "statements";
    fs::create_directory(out);
    options.debug_dir = out;
    const std::vector<std::pair<const char*, std::string>> files = {
        {"somqry_1882.sql", stats::carbon_pairs_statement(1)},
        {"mbqry_2032.sql", stats::biomass_grid_statement(1)},
        {"zbv_query.sql", stats::turnover_statement(1)},
        {"nresqry_2035.sql", stats::dyn_nt_work_table_statement(1)},
    };
    evaluate(1);
    EXPECT_TRUE(fs::is_empty(out));
    options.debug = true;
    evaluate(1);
    for (const auto& [name, statement] : files) {
        std::ifstream in(out / name);
        std::stringstream text;
        text << in.rdbuf();
        EXPECT_EQ(text.str(), statement + "\n") << name;
    }
    fs::remove(out / "zbv_query.sql");
    options.modus = "ORV";
    evaluate(1);
    EXPECT_FALSE(fs::exists(out / "zbv_query.sql"));
    options.debug_dir = dir / "missing";
    EXPECT_THROW(evaluate(1), std::runtime_error);
}

TEST_F(PlotEvaluation, MakesTheOutlierListWhenTheDatabaseHasNone) {
    c.execute("drop table tmp_outlist");
    evaluate(1);
    EXPECT_EQ(views.carbon.n(), 5); // nothing marked: the 3.0 counts
    EXPECT_TRUE(c.has_table("tmp_outlist"));
}

// A decimal comma for C++ streams: the facet lives for the whole program.
class CommaPunct : public std::numpunct<char> {
public:
    CommaPunct() : std::numpunct<char>(1) {}

protected:
    char do_decimal_point() const override { return ','; }
};

// Sets a locale with decimal comma for as long as it lives.
class CommaLocale {
public:
    CommaLocale() : previous_cpp_(std::locale()), previous_c_(std::setlocale(LC_ALL, nullptr)) {
        static CommaPunct punct;
        std::locale::global(std::locale(std::locale::classic(), &punct));
    }
    ~CommaLocale() {
        std::locale::global(previous_cpp_);
        std::setlocale(LC_ALL, previous_c_.c_str());
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;
    // Also the C library's numbers; false when the system has no German locale.
    bool set_c_locale() {
        return std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE");
    }

private:
    std::locale previous_cpp_;
    std::string previous_c_;
};

class StoreWithDecimalComma : public PlotEvaluation {
protected:
    void store_and_check() {
        stats::rebuild_statistics_tables(c);
        evaluate(1, true);
        EXPECT_NEAR(stat("tsm_stat_corg", "med", 1), mean_error(corg_all), 1e-12);
        EXPECT_NEAR(stat("tsm_stat_corg", "rms", 1), rmse(corg_all), 1e-12);
        EXPECT_NEAR(stat("tsm_stat_nt", "med", 1), mean_error(nt_pairs), 1e-12);
        evaluate(1, false);
        for (const std::string& line : views.carbon.lines())
            EXPECT_EQ(line.find(','), std::string::npos) << line;
    }
};

TEST_F(StoreWithDecimalComma, StreamsWithDecimalComma) {
    CommaLocale comma;
    std::ostringstream probe;
    probe << 1.5;
    ASSERT_EQ(probe.str(), "1,5");
    store_and_check();
}

TEST_F(StoreWithDecimalComma, CLibraryWithDecimalComma) {
    CommaLocale comma;
    if (!comma.set_c_locale())
        GTEST_SKIP() << "the system has no German locale (de_DE.UTF-8) to set LC_NUMERIC to";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    store_and_check();
}

struct Expected {
    int n = 0;
    double me = 0;
};

// Per plot, the counted Corg pairs and their mean error, straight from the tables.
std::map<std::int64_t, Expected> corg_pairs(db::Connection& c) {
    db::Statement q = c.prepare_native(
        "SELECT s.fl_id, count(*), avg(m.meas_value - s.sim_value) FROM sim_result s "
        "JOIN measurements m ON m.FL_ID = s.fl_id AND m.M_IX = s.m_ix AND m.year = s.year_ "
        "WHERE s.sim_value > 0 AND m.meas_value <> 0 AND s.year_num > 0 AND NOT EXISTS "
        "(SELECT 1 FROM tmp_outlist t WHERE t.meas_id = m.meas_id AND t.fl_id = m.FL_ID "
        "AND t.m_ix = m.M_IX) GROUP BY s.fl_id");
    std::map<std::int64_t, Expected> pairs;
    while (q.step())
        pairs[q.column(0).as_int()] = {static_cast<int>(q.column(1).as_int()),
                                       q.column(2).as_double()};
    return pairs;
}

TEST(UpdateStatistics, FillsTheCarbonTableOfTheDemoAfterARun) {
    test::TempDir dir;
    test::WorkingFolder folder(dir.path());
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);
    sim::Simulator simulator;
    simulator.methode = "TSM";
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;
    app::ProgramState state;
    sim::RunContext ctx{c, simulator, observer, dialogs, state};
    ASSERT_EQ(sim::press_calculate(ctx, sim::standard_run_steps()),
              sim::CalculateOutcome::completed);
    stats::prepare_outlier_indication(c);

    stats::StatViews views;
    std::vector<std::pair<int, int>> progress;
    const int evaluated = stats::update_statistics(
        c, Phase::all_records, views, {},
        [&](int done, int total, std::int64_t) { progress.emplace_back(done, total); });

    const int plots = static_cast<int>(
        c.scalar("select count(*) from (select distinct fl_id from sim_result)").as_int());
    EXPECT_EQ(evaluated, plots);
    ASSERT_EQ(progress.size(), static_cast<std::size_t>(plots));
    EXPECT_EQ(progress.front(), std::make_pair(0, plots));
    EXPECT_EQ(progress.back(), std::make_pair(plots - 1, plots));
    EXPECT_EQ(test::rows(c, "select count(*) from tsm_stat_corg"),
              test::rows(c, "select count(*) from field_description"));
    EXPECT_EQ(test::rows(c, "select count(*) from tsm_stat_nt"),
              test::rows(c, "select count(*) from field_description"));

    const std::map<std::int64_t, Expected> expected = corg_pairs(c);
    int with_statistics = 0;
    db::Dataset rows = c.open("select fl_id, n, med from tsm_stat_corg");
    for (rows.first(); !rows.eof(); rows.next()) {
        const std::int64_t plot = rows["fl_id"].as_int();
        const auto it = expected.find(plot);
        const Expected e = it == expected.end() ? Expected{} : it->second;
        SCOPED_TRACE("plot " + std::to_string(plot));
        if (e.n < 2) {
            EXPECT_EQ(rows["n"].as_int(), 0);
            continue;
        }
        ++with_statistics;
        EXPECT_EQ(rows["n"].as_int(), e.n);
        EXPECT_NEAR(rows["med"].as_double(), e.me, 1e-9);
    }
    EXPECT_GE(with_statistics, 3);
}

} // namespace

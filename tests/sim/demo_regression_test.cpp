// demo_regression_test.cpp --- a "TSM" run over the whole demo database: the yearly Corg
// of every plot against a checked-in baseline, the rows of every result table, and a
// repeated run on the same database that leaves the same tables behind.
//
// Renewing the baseline after an intended change of the model's results:
//     ./run baseline
// which builds and then runs, from the repository root,
//     TSM_RENEW_BASELINE=1 build/bin/sim_tests --gtest_filter="DemoRun.*"
// The test then writes tests/sim/data/demo_corg_baseline.csv instead of comparing with it.
// Check the differences of the file before keeping it.
#include "db/new_database.h"
#include "db/value.h"
#include "scripted_dialogs.h"
#include "sim/final_stage.h"
#include "sim/run_steps.h"
#include "test_support.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* baseline_file = TSM_BASELINE;
constexpr const char* baseline_header = "fl_id,year_,year_num,sim_value";
constexpr double tolerance = 1e-9;
constexpr int plots_in_demo = 11;

bool renewing() {
    const char* v = std::getenv("TSM_RENEW_BASELINE");
    return v && std::string(v) == "1";
}

// The demo database in a fresh folder, which is also the working folder, and the parts
// of the simulator window a run needs. The run steps live as long as the window does, as
// they do when "calculate" is pressed more than once.
class DemoRun : public testing::Test {
protected:
    test::TempDir dir;
    test::WorkingFolder folder{dir.path()};
    db::Connection conn = db::create_experiment_database(dir / "demo.db", true);
    sim::Simulator simulator;
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;
    app::ProgramState state;
    sim::RunSteps steps = sim::standard_run_steps();

    // Presses "calculate" for a "TSM" run over the selected plots; the run must complete
    // without showing anything.
    void run_tsm() {
        simulator.methode = "TSM";
        sim::RunContext ctx{conn, simulator, observer, dialogs, state};
        ASSERT_EQ(sim::press_calculate(ctx, steps), sim::CalculateOutcome::completed)
            << (dialogs.shown.empty() ? std::string("no message") : dialogs.shown.back());
        ASSERT_TRUE(dialogs.shown.empty()) << dialogs.shown.front();
        ASSERT_TRUE(fs::exists(dir / sim::run_report_name));
    }
};

// One simulated Corg value of a plot and year.
struct CorgRow {
    int year_num = 0;
    double sim_value = 0;
};
using CorgSeries = std::map<std::pair<int, int>, CorgRow>; // by plot and year

CorgSeries simulated_corg(db::Connection& c) {
    CorgSeries series;
    db::Dataset d = c.open("select fl_id, year_, year_num, sim_value from sim_result "
                           "where m_ix=7 order by fl_id, year_");
    for (d.first(); !d.eof(); d.next()) {
        const std::pair key{static_cast<int>(d.field(0).as_int()),
                            static_cast<int>(d.field(1).as_int())};
        if (d.field(3).is_null())
            throw std::runtime_error("sim_result has no sim_value for plot " +
                                     std::to_string(key.first) + ", year " +
                                     std::to_string(key.second));
        if (!series
                 .emplace(key,
                          CorgRow{static_cast<int>(d.field(2).as_int()), d.field(3).as_double()})
                 .second)
            throw std::runtime_error("sim_result holds plot " + std::to_string(key.first) +
                                     ", year " + std::to_string(key.second) + " twice");
    }
    return series;
}

void write_baseline(const CorgSeries& series, const fs::path& file) {
    std::ofstream out(file, std::ios::trunc);
    out << baseline_header << "\n";
    for (const auto& [key, row] : series) {
        char value[32];
        std::snprintf(value, sizeof value, "%.4f", row.sim_value);
        out << key.first << "," << key.second << "," << row.year_num << "," << value << "\n";
    }
    if (!out.flush()) throw std::runtime_error("cannot write the baseline " + file.string());
}

// The fields of one baseline line; throws naming the line when one is not a number.
template <class T> T field(const std::string& text, const std::string& where) {
    T v{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size())
        throw std::runtime_error(where + ": \"" + text + "\" is not a number");
    return v;
}

CorgSeries read_baseline(const fs::path& file) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error("cannot read the baseline " + file.string());
    std::string line;
    if (!std::getline(in, line) || line != baseline_header)
        throw std::runtime_error(file.string() + ": the first line is not \"" + baseline_header +
                                 "\"");
    CorgSeries series;
    for (int number = 2; std::getline(in, line); ++number) {
        if (line.empty()) continue;
        const std::string where = file.string() + ", line " + std::to_string(number);
        std::vector<std::string> parts;
        std::stringstream fields(line);
        for (std::string part; std::getline(fields, part, ',');) parts.push_back(part);
        if (parts.size() != 4) throw std::runtime_error(where + ": not 4 fields");
        const std::pair key{field<int>(parts[0], where), field<int>(parts[1], where)};
        if (!series
                 .emplace(key, CorgRow{field<int>(parts[2], where), field<double>(parts[3], where)})
                 .second)
            throw std::runtime_error(where + ": plot and year given twice");
    }
    return series;
}

std::string describe(const std::optional<CorgRow>& row) {
    if (!row) return "no row";
    char text[64];
    std::snprintf(text, sizeof text, "year_num %d, Corg %.4f", row->year_num, row->sim_value);
    return text;
}

bool same(const CorgRow& a, const CorgRow& b) {
    return a.year_num == b.year_num && std::fabs(a.sim_value - b.sim_value) <= tolerance;
}

// The plot-years whose rows differ (or exist on one side only), the first ones spelled
// out: "plot 101, year 1971: expected ..., got ...".
struct Differences {
    int count = 0;
    std::string first;
};

Differences compare(const CorgSeries& expected, const CorgSeries& got, int shown = 10) {
    std::map<std::pair<int, int>, std::pair<std::optional<CorgRow>, std::optional<CorgRow>>> all;
    for (const auto& [key, row] : expected) all[key].first = row;
    for (const auto& [key, row] : got) all[key].second = row;
    Differences d;
    for (const auto& [key, rows] : all) {
        const auto& [e, g] = rows;
        if (e && g && same(*e, *g)) continue;
        if (++d.count > shown) continue;
        d.first += "  plot " + std::to_string(key.first) + ", year " + std::to_string(key.second) +
                   ": expected " + describe(e) + ", got " + describe(g) + "\n";
    }
    return d;
}

TEST(DemoCorgComparison, NamesTheFirstDifferingRowsAndCountsThemAll) {
    const CorgSeries expected{{{101, 1970}, {1, 1.2}},
                              {{101, 1971}, {2, 1.21}},
                              {{102, 1970}, {1, 0.9}},
                              {{103, 1970}, {1, 0.8}}};
    CorgSeries got = expected;
    EXPECT_EQ(compare(expected, got).count, 0);
    got[{101, 1971}].sim_value = 1.2101; // a changed value
    got[{102, 1970}].year_num = 2;       // a changed year number
    got.erase({103, 1970});              // a missing row
    got[{104, 1970}] = {1, 0.7};         // an extra row
    got[{101, 1970}].sim_value += 1e-12; // within the tolerance
    const Differences d = compare(expected, got, 3);
    EXPECT_EQ(d.count, 4);
    EXPECT_EQ(d.first, "  plot 101, year 1971: expected year_num 2, Corg 1.2100, got year_num 2, "
                       "Corg 1.2101\n"
                       "  plot 102, year 1970: expected year_num 1, Corg 0.9000, got year_num 2, "
                       "Corg 0.9000\n"
                       "  plot 103, year 1970: expected year_num 1, Corg 0.8000, got no row\n");
}

TEST(DemoCorgComparison, BaselineWrittenReadsBackTheSame) {
    test::TempDir dir;
    const CorgSeries series{{{101, 1970}, {1, 1.2345}}, {{205, 2016}, {45, 0.0001}}};
    write_baseline(series, dir / "baseline.csv");
    EXPECT_EQ(compare(series, read_baseline(dir / "baseline.csv")).count, 0);

    std::ofstream(dir / "bad.csv") << baseline_header << "\n101,1970,1,1.2x\n";
    try {
        read_baseline(dir / "bad.csv");
        FAIL() << "a baseline with a broken number was read";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("line 2: \"1.2x\""), std::string::npos) << e.what();
    }
}

TEST_F(DemoRun, YearlyCorgOfEveryPlotMatchesTheBaseline) {
    ASSERT_EQ(test::rows(conn, "select count(*) from site_state where status=1"),
              std::to_string(plots_in_demo) + "\n");
    run_tsm();
    const CorgSeries got = simulated_corg(conn);
    if (renewing()) {
        write_baseline(got, baseline_file);
        std::printf("demo_regression_test: wrote %zu rows to %s\n", got.size(), baseline_file);
        return;
    }
    const Differences d = compare(read_baseline(baseline_file), got);
    EXPECT_EQ(d.count, 0) << d.count << " plot-years differ from " << baseline_file
                          << "; the first ones:\n"
                          << d.first
                          << "(renew the baseline with ./run baseline when the change is meant)";
}

// The first column of the first row of SQLite's own SQL, as text.
std::string native(db::Connection& c, const std::string& sql) {
    db::Statement st = c.prepare_native(sql);
    return st.step() ? st.column(0).as_text() : "no row";
}

// Per selected plot, one line on its simulated years: what the run's input rows call for
// (every year from the first to the last, gaps filled) ...
std::string expected_years(db::Connection& c, const std::string& plot) {
    const std::string run_rows =
        c.translate(sim::tsm_run_statement(c.has_column("tmp_bat", "t_level"), nullptr)).at(0);
    const std::string from = " from (" + run_rows + ") where FL_ID=" + plot;
    const int first = std::stoi(native(c, "select min(year_0)" + from));
    const int last = std::stoi(native(c, "select max(year_0)" + from));
    const std::string n = std::to_string(last - first + 1);
    const std::string rows = n + " rows, " + n + " years";
    return plot + ": years " + std::to_string(first) + "-" + std::to_string(last) +
           "; sim_result " + rows + ", year_num 1-" + n + "; tsm_nresult " + rows + "; tsm_zbv " +
           rows + "; tsm_driver rows 1, n_years " + n;
}

// ... and what the result tables hold.
std::string written_years(db::Connection& c, const std::string& plot) {
    const auto rows = [&](const std::string& table, const std::string& year) {
        const std::string from = " from " + table + " where fl_id=" + plot;
        return native(c, "select count(*)" + from) + " rows, " +
               native(c, "select count(distinct " + year + ")" + from) + " years";
    };
    const std::string sim_result = " from sim_result where m_ix=7 and fl_id=" + plot;
    return plot + ": years " + native(c, "select min(year_) || '-' || max(year_)" + sim_result) +
           "; sim_result " + rows("sim_result", "year_") + ", year_num " +
           native(c, "select min(year_num) || '-' || max(year_num)" + sim_result) +
           "; tsm_nresult " + rows("tsm_nresult", "year") + "; tsm_zbv " +
           rows("tsm_zbv", "year_") + "; tsm_driver " +
           native(c, "select 'rows ' || count(*) || ', n_years ' || max(n_years) from tsm_driver "
                     "where fl_id=" +
                         plot);
}

TEST_F(DemoRun, EverySelectedPlotHasOneRowPerSimulatedYearInEveryResultTable) {
    run_tsm();
    db::Dataset plots = conn.open("select FL_ID from site_state where status=1 order by FL_ID");
    std::string expected, written;
    for (plots.first(); !plots.eof(); plots.next()) {
        const std::string plot = plots.field(0).as_text();
        expected += expected_years(conn, plot) + "\n";
        written += written_years(conn, plot) + "\n";
    }
    EXPECT_EQ(written, expected);
    // Nothing beyond the selected plots, and no other measurement index.
    EXPECT_EQ(native(conn, "select count(*) from tsm_driver"), std::to_string(plots_in_demo));
    EXPECT_EQ(native(conn, "select count(*) from sim_result where m_ix<>7"), "0");
}

// The rows of SQLite's own SQL as text, numbers in full precision so that no difference
// in the last digits goes unseen: fields joined by "|", rows ended by "\n".
std::string exact_rows(db::Connection& c, const std::string& sql) {
    db::Statement st = c.prepare_native(sql);
    std::string out;
    while (st.step()) {
        for (int i = 0; i < st.column_count(); ++i) {
            const db::Value v = st.column(i);
            out += i ? "|" : "";
            out += v.is_null()   ? "NULL"
                   : v.is_real() ? db::format_number(v.as_double())
                                 : v.as_text();
        }
        out += "\n";
    }
    return out;
}

// The full contents of the result tables, ordered by their keys.
std::string result_dump(db::Connection& c) {
    const char* const queries[] = {
        "select * from sim_result order by fl_id, m_ix, year_",
        "select * from tsm_nresult order by FL_ID, year",
        "select * from tsm_zbv order by fl_id, year_",
        "select * from tsm_driver order by FL_ID",
    };
    std::string dump;
    for (const char* q : queries) dump += std::string(q) + "\n" + exact_rows(c, q);
    return dump;
}

TEST_F(DemoRun, RepeatedRunLeavesIdenticalResultTables) {
    run_tsm();
    const std::string first = result_dump(conn);
    const std::string sim_rows = native(conn, "select count(*) from sim_result");
    ASSERT_NE(sim_rows, "0");
    // After a run the button reads "close"; the workbench shows the window afresh for the
    // next one, with the caption back to "calculate" and the run steps kept.
    simulator.calculate_caption.assign("calculate");
    dialogs.shown.clear();
    run_tsm();
    EXPECT_EQ(native(conn, "select count(*) from sim_result"), sim_rows);
    EXPECT_EQ(result_dump(conn), first);
}

} // namespace

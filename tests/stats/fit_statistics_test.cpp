// Goodness of fit of simulated against observed values: the critical r table, the
// statistics of pair sets against an independent two-pass computation, the listed lines
// and which pairs a comparison counts and draws.
#include "stats/critical_r.h"
#include "stats/stat_view.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(CriticalT, MatchesTheTabulatedQuantiles) {
    const std::vector<std::pair<int, double>> listed = {
        {1, 12.71},  {2, 4.3027},  {3, 3.1824},  {4, 2.7765}, {5, 2.5706},
        {6, 2.4469}, {57, 2.0025}, {58, 2.0017}, {59, 2.001},
    };
    for (const auto& [df, t] : listed) {
        ASSERT_TRUE(stats::critical_t(df)) << df;
        EXPECT_DOUBLE_EQ(*stats::critical_t(df), t) << df;
    }
    for (int df : {-1, 0, 60}) EXPECT_FALSE(stats::critical_t(df)) << df;
    // Between the listed ones: falling towards the normal quantile 1.96.
    for (int df = 2; df <= 59; ++df)
        EXPECT_LT(*stats::critical_t(df), *stats::critical_t(df - 1)) << df;
    EXPECT_GT(*stats::critical_t(59), 1.96);
}

TEST(CriticalR, IsTOverTheRootOfTSquaredPlusDegreesOfFreedom) {
    // t of the table for n = 3 (df 1) and n = 61 (df 59).
    EXPECT_NEAR(stats::critical_r(3), 12.71 / std::sqrt(12.71 * 12.71 + 1), 1e-15);
    EXPECT_NEAR(stats::critical_r(61), 2.001 / std::sqrt(2.001 * 2.001 + 59), 1e-15);
    for (int n : {0, 1, 2, 62, 100}) EXPECT_EQ(stats::critical_r(n), stats::no_critical_r) << n;
}

struct Pair {
    double year, simulated, observed;
};

// The statistics computed from scratch, two-pass, from the definitions; NaN where they
// cannot be computed.
struct Expected {
    double me, rmse, sd, smw, ef, r, r_dt, sb, nu, lc, rel_err, e, r_crit;
};

double mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v) sum += x;
    return sum / static_cast<double>(v.size());
}

// Population covariance; NaN for none.
double cov(const std::vector<double>& a, const std::vector<double>& b) {
    const double ma = mean(a), mb = mean(b);
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += (a[i] - ma) * (b[i] - mb);
    return sum / static_cast<double>(a.size());
}

double pearson(const std::vector<double>& a, const std::vector<double>& b) {
    const double va = cov(a, a), vb = cov(b, b);
    if (va < 1e-15 || vb < 1e-15) return nan;
    return cov(a, b) / std::sqrt(va * vb);
}

Expected independent(const std::vector<Pair>& pairs) {
    std::vector<double> o, s, d, year, rel;
    for (const Pair& p : pairs) {
        o.push_back(p.observed);
        s.push_back(p.simulated);
        d.push_back(p.observed - p.simulated);
        year.push_back(p.year);
        rel.push_back((p.observed - p.simulated) / p.observed);
    }
    const double n = static_cast<double>(pairs.size());
    Expected e{};
    e.me = mean(d);
    std::vector<double> d2;
    for (double x : d) d2.push_back(x * x);
    e.rmse = std::sqrt(mean(d2));
    e.sd = std::sqrt(cov(d, d) * n / (n - 1));
    e.smw = e.sd / std::sqrt(n);
    const double var_o = cov(o, o), var_s = cov(s, s);
    e.ef = var_o < 1e-15 ? nan : 1 - mean(d2) / var_o;
    e.r = pearson(o, s);
    e.r_dt = pearson(d, year);
    const bool msd = var_o >= 1e-15 && var_s >= 1e-15;
    e.sb = msd ? (mean(o) - mean(s)) * (mean(o) - mean(s)) : nan;
    const double b = cov(o, s) / var_o;
    e.nu = msd ? (1 - b) * (1 - b) * var_o : nan;
    e.lc = msd ? var_s * (1 - e.r * e.r) : nan;
    e.rel_err = e.me / mean(o);
    e.e = mean(rel);
    const int df = static_cast<int>(pairs.size()) - 2;
    if (df < 1 || df > 59) {
        e.r_crit = -99;
    } else {
        const double t = *stats::critical_t(df);
        e.r_crit = t / std::sqrt(t * t + df);
    }
    return e;
}

std::vector<Pair> generated(int n) {
    std::vector<Pair> pairs;
    for (int i = 0; i < n; ++i)
        pairs.push_back({1950.0 + i, 1.02 + 0.009 * i + 0.03 * std::cos(i),
                         1.0 + 0.01 * i + 0.05 * std::sin(i)});
    return pairs;
}

struct PairSet {
    const char* name;
    std::vector<Pair> pairs;
};

const std::vector<PairSet>& pair_sets() {
    static const std::vector<PairSet> sets = {
        {"five_years",
         {{1990, 1.15, 1.20},
          {1992, 1.30, 1.35},
          {1994, 1.20, 1.10},
          {1996, 1.30, 1.40},
          {1998, 1.28, 1.25}}},
        {"three_pairs", {{2000, 1.8, 2.0}, {2001, 2.5, 2.4}, {2002, 2.0, 2.1}}},
        {"two_pairs", {{1990, 1.1, 1.0}, {1991, 1.2, 1.3}}},
        {"biased", {{1980, 0.9, 1.2}, {1985, 0.95, 1.25}, {1990, 1.0, 1.31}, {1995, 0.8, 1.12}}},
        {"sixty_one", generated(61)},
        {"sixty_two", generated(62)},
        // Observations that do not vary: no efficiency, no r, no squared-bias split.
        {"equal_observations", {{1990, 1.1, 1.2}, {1991, 1.3, 1.2}, {1992, 1.25, 1.2}}},
        // All in one year: no correlation of the difference with time.
        {"one_year", {{1995, 1.1, 1.2}, {1995, 1.3, 1.25}, {1995, 1.25, 1.4}}},
    };
    return sets;
}

stats::StatView filled(const std::vector<Pair>& pairs) {
    stats::StatView v(stats::corg_table);
    v.reset(7);
    for (const Pair& p : pairs) v.add_pair(p.year, true, true, p.simulated, p.observed);
    return v;
}

void expect_value(const std::optional<long double>& got, double expected, const char* what) {
    if (std::isnan(expected)) {
        EXPECT_FALSE(got) << what << " = " << static_cast<double>(got.value_or(0));
    } else {
        ASSERT_TRUE(got) << what;
        EXPECT_NEAR(static_cast<double>(*got), expected, 1e-9) << what;
    }
}

class PairSetTest : public testing::TestWithParam<PairSet> {};

TEST_P(PairSetTest, StatisticsMatchTheIndependentComputation) {
    const std::vector<Pair>& pairs = GetParam().pairs;
    stats::StatView v = filled(pairs);
    v.list_statistics();
    ASSERT_TRUE(v.results());
    const stats::FitStatistics& f = *v.results();
    const Expected e = independent(pairs);
    EXPECT_EQ(f.n, static_cast<int>(pairs.size()));
    EXPECT_NEAR(static_cast<double>(f.me), e.me, 1e-12);
    EXPECT_NEAR(static_cast<double>(f.rmse), e.rmse, 1e-12);
    expect_value(f.sd, e.sd, "s");
    EXPECT_NEAR(static_cast<double>(f.smw), e.smw, 1e-9);
    expect_value(f.ef, e.ef, "EF");
    expect_value(f.r, e.r, "r");
    expect_value(f.r_dt, e.r_dt, "r_dt");
    EXPECT_NEAR(static_cast<double>(f.relative_error), e.rel_err, 1e-12);
    EXPECT_NEAR(static_cast<double>(f.mean_relative_diff), e.e, 1e-12);
    EXPECT_NEAR(static_cast<double>(f.r_crit), e.r_crit, 1e-12);
    if (std::isnan(e.sb)) {
        EXPECT_FALSE(f.msd);
    } else {
        ASSERT_TRUE(f.msd);
        EXPECT_NEAR(static_cast<double>(f.msd->sb), e.sb, 1e-12);
        EXPECT_NEAR(static_cast<double>(f.msd->nu), e.nu, 1e-12);
        EXPECT_NEAR(static_cast<double>(f.msd->lc), e.lc, 1e-12);
        // The three components make up the mean squared deviation.
        EXPECT_NEAR(static_cast<double>(f.msd->sb + f.msd->nu + f.msd->lc), e.rmse * e.rmse, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, PairSetTest, testing::ValuesIn(pair_sets()),
                         [](const auto& info) { return std::string(info.param.name); });

// A listed line split into its label and the number after it ("" and NaN for text lines).
struct Line {
    std::string label;
    double value = nan;
};

Line split(const std::string& line) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) return {line.substr(0, eq + 1), std::stod(line.substr(eq + 1))};
    if (line.rfind("       (", 0) == 0 && line.back() == ')')
        return {"       (", std::stod(line.substr(8, line.size() - 9))};
    return {line, nan};
}

std::vector<Line> listed(const std::vector<Pair>& pairs) {
    stats::StatView v = filled(pairs);
    v.list_statistics();
    std::vector<Line> lines;
    for (const std::string& l : v.lines()) lines.push_back(split(l));
    return lines;
}

void expect_lines(const std::vector<Line>& got, const std::vector<Line>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].label, expected[i].label) << i;
        if (std::isnan(expected[i].value))
            EXPECT_TRUE(std::isnan(got[i].value)) << got[i].label;
        else
            // Listed with four decimals, or four significant digits below 0.001.
            EXPECT_NEAR(got[i].value, expected[i].value,
                        std::max(5e-5, std::fabs(expected[i].value) * 5e-4))
                << got[i].label;
    }
}

TEST(StatisticsList, ListsEveryItemInOrder) {
    for (const char* name : {"five_years", "biased", "three_pairs"}) {
        SCOPED_TRACE(name);
        std::vector<Pair> pairs;
        for (const PairSet& s : pair_sets())
            if (std::string(s.name) == name) pairs = s.pairs;
        const Expected e = independent(pairs);
        const double msd = e.rmse * e.rmse;
        double o_mean = 0;
        for (const Pair& p : pairs) o_mean += p.observed / static_cast<double>(pairs.size());
        expect_lines(listed(pairs),
                     {{" N         =", static_cast<double>(pairs.size())},
                      {" mean error=", e.me},
                      {" rel.err =", e.rel_err},
                      {" E        =", e.e},
                      {" RMSE     =", e.rmse},
                      {" RMSErel  =", e.rmse / o_mean},
                      {" efficiency=", e.ef},
                      {" s  =", e.sd},
                      {" smw=", e.smw},
                      {e.smw > std::fabs(e.me) ? "        no significant bias detected"
                                               : "        bias detected"},
                      {"critical r value =", e.r_crit},
                      {" corr.(obs~sim) r=", e.r},
                      {" corr.(dif~ t } r=", e.r_dt},
                      {"squared bias=", e.sb},
                      {"       (", e.sb / msd},
                      {"nonunity slp=", e.nu},
                      {"       (", e.nu / msd},
                      {"lack of corr=", e.lc},
                      {"       (", e.lc / msd}});
    }
}

TEST(StatisticsList, BiasIsDetectedBeyondOneStandardError) {
    // The biased set: the model is about 0.3 below every observation.
    stats::StatView v = filled(pair_sets()[3].pairs);
    v.list_statistics();
    EXPECT_EQ(v.lines()[9], "        bias detected");
    stats::StatView w = filled(pair_sets()[0].pairs);
    w.list_statistics();
    EXPECT_EQ(w.lines()[9], "        no significant bias detected");
}

TEST(StatisticsList, WithoutSpreadTheCorrelationAndSplitLinesGiveWay) {
    // Equal observations: efficiency -999, r fails, no squared-bias split.
    const std::vector<Line> equal = listed(pair_sets()[6].pairs);
    ASSERT_EQ(equal.size(), 11u);
    EXPECT_EQ(equal[6].label, " efficiency=");
    EXPECT_EQ(equal[6].value, -999);
    EXPECT_EQ(equal[10].label, " error in r calculation ");
    // Two pairs: no critical r line, but both correlations.
    const std::vector<Line> two = listed(pair_sets()[2].pairs);
    EXPECT_EQ(two[10].label, " corr.(obs~sim) r=");
    // One year: the time correlation fails, the split is still listed.
    const std::vector<Line> one_year = listed(pair_sets()[7].pairs);
    EXPECT_EQ(one_year[10].label, " error in r calculation ");
    EXPECT_EQ(one_year[11].label, "squared bias=");
    // Sixty-two pairs: beyond the table.
    const std::vector<Line> many = listed(pair_sets()[5].pairs);
    EXPECT_EQ(many[10].label, " corr.(obs~sim) r=");
}

TEST(StatisticsList, NothingForFewerThanTwoPairs) {
    stats::StatView v = filled({{1990, 1.1, 1.2}});
    v.list_statistics();
    EXPECT_TRUE(v.lines().empty());
    EXPECT_FALSE(v.results());
    EXPECT_EQ(stats::list_number(0.1L), "0.1");
    EXPECT_EQ(stats::list_number(-99), "-99");
}

// Which offered pairs count and where the chart draws them.
TEST(StatView, CountsOnlyPositiveSimulationsBesideNonZeroObservationsThatAreNoOutliers) {
    struct Offer {
        double year;
        bool counts, not_outlier;
        double s, o;
        bool counted;
    };
    const std::vector<Offer> offers = {
        {1990, true, true, 1.1, 1.2, true},
        {1991, true, false, 1.1, 5.0, false}, // outlier: a triangle, not counted
        {1992, true, true, 0.0, 1.3, false},  // no simulated value
        {1993, true, true, -1, 1.3, false},   // negative simulated value
        {1994, true, true, 1.2, 0.0, false},  // no observation: not drawn either
        {1995, false, true, 1.2, 1.4, false}, // does not count as a pair, still drawn
        {1995, true, true, 1.25, 1.35, true},
        {1995, true, true, 1.25, 1.3, true},
    };
    stats::StatView v(stats::corg_table);
    v.reset(3);
    stats::PairSums expected;
    for (const Offer& o : offers) {
        v.add_pair(o.year, o.counts, o.not_outlier, o.s, o.o);
        if (o.counted) expected.add(o.year, o.s, o.o);
    }
    EXPECT_EQ(v.n(), 3);
    EXPECT_EQ(v.sums().o, expected.o);
    EXPECT_EQ(v.sums().dy, expected.dy);
    const stats::StatChart& c = v.chart();
    EXPECT_EQ(c.simulated.size(), 6u);
    EXPECT_EQ(c.observed.size(), 6u);
    ASSERT_EQ(c.outliers.size(), 1u);
    EXPECT_EQ(c.outliers[0].y, 5.0);
    // Counted pairs in a row of the same year (1995: the second and third counted one).
    EXPECT_EQ(v.same_year_count(), 2);
    EXPECT_EQ(v.first_year(), 1990);
    EXPECT_EQ(v.last_year(), 1995);
    EXPECT_EQ(v.lowest_value(), 1.1);
    EXPECT_EQ(v.highest_value(), 5.0);

    v.reset(4);
    EXPECT_EQ(v.n(), 0);
    EXPECT_EQ(v.plot(), 4);
    EXPECT_TRUE(v.chart().simulated.empty());
    EXPECT_EQ(v.first_year(), 9999);
    EXPECT_EQ(v.previous_year(), -99);
    EXPECT_EQ(v.lowest_value(), 9999);
}

} // namespace

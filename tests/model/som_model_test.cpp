// The FOM classes and the SOM turnover of one plot: merging of inputs, sub-steps of a year,
// the initial split, the LTS pool and its limits, the N balance terms and the start from a
// saved state. Expected values follow from the model's equations by hand.
#include "model/fom_list.h"
#include "model/pedotransfer.h"
#include "model/som_model.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

using sim::FomInput;
using sim::FomList;
using sim::ModelOptions;
using sim::PlotModel;
using sim::SiteConstants;
using sim::YearResult;

// A loam with 1.5 % Corg of which 30 % is not decomposable, soil C/N 10, 10 % stones.
SiteConstants loam() {
    SiteConstants s;
    s.corg = 1.5;
    s.bd = 1.4;
    s.skelett = 0.1;
    s.cif = 0.3;
    s.hsnk_lts = 1.2;
    s.norg = 0.15;
    s.fbio = 2;
    s.clay = 20;
    s.silt = 40;
    return s;
}

ModelOptions options(bool dyn_bd = false, bool dyn_lts = false, bool hassink = false) {
    ModelOptions o;
    o.dyn_bd = dyn_bd;
    o.dyn_lts = dyn_lts;
    o.hassink = hassink;
    return o;
}

// Cereal straw, fully applied, marked.
FomInput straw(double cops = 2000) {
    FomInput in;
    in.item_ix = 5;
    in.mkd = 1;
    in.cops = cops;
    in.cnr_alt = 90;
    in.cnr = 80;
    in.k = 0.3;
    in.eta = 0.3;
    return in;
}

void expect_rel(double actual, double expected, const std::string& what, double rel = 1e-12) {
    EXPECT_NEAR(actual, expected, rel * std::max(1.0, std::abs(expected))) << what;
}

TEST(FomListTest, MergesOnlyClassesWithExactlyEqualRatesAndItem) {
    struct Case {
        const char* what;
        double cnr, k, eta;
        int item_ix;
        bool merged;
    };
    const Case cases[] = {
        {"all equal", 20, 0.5, 0.3, 1, true},
        {"cnr one ulp larger", std::nextafter(20.0, 30.0), 0.5, 0.3, 1, false},
        {"other k", 20, 0.51, 0.3, 1, false},
        {"other eta", 20, 0.5, 0.31, 1, false},
        {"other item", 20, 0.5, 0.3, 2, false},
    };
    for (const Case& c : cases) {
        FomList list;
        list.add_ops_rec(1, 20, 0.5, 0.3, 100, 1, 1);
        list.add_ops_rec(0.5, c.cnr, c.k, c.eta, 40, 0, c.item_ix); // pop and mkd do not count
        ASSERT_EQ(list.classes().size(), c.merged ? 1u : 2u) << c.what;
        EXPECT_EQ(list.classes()[0].cops, c.merged ? 140 : 100) << c.what;
        EXPECT_EQ(list.classes()[0].mkd, 1) << c.what;
        EXPECT_EQ(list.get_c_ops(), 140) << c.what;
    }
}

TEST(FomListTest, DecompositionSplitsCarbonAndNitrogenPerClass) {
    FomList list;
    list.add_ops_rec(1.0, 20, 0.5, 0.4, 1000, 1, 1); // decomposes 50: 20 to SOM, marked
    list.add_ops_rec(0.5, 50, 0.2, 0.1, 500, 0, 2);  // decomposes 10: 1 to SOM
    const sim::FomTurnover t = list.opsturnover(0.1, 8.5);
    expect_rel(static_cast<double>(t.dcrep), 21, "dcrep");
    expect_rel(static_cast<double>(t.cminops), 39, "cminops");
    expect_rel(static_cast<double>(t.mr), 20.0 / 21, "mr");
    expect_rel(static_cast<double>(t.dnmin), 50.0 / 20 - 20 / 8.5 + 10.0 / 50 - 1 / 8.5, "dnmin");
    expect_rel(static_cast<double>(list.classes()[0].repflx), 20, "repflx");
    expect_rel(static_cast<double>(list.get_c_ops()), 950 + 490, "C left");
    expect_rel(static_cast<double>(list.get_n_ops()), 950.0 / 20 + 490.0 / 50, "N left");
    expect_rel(static_cast<double>(list.cops4corg()), 950 + 0.5 * 490, "C counted in Corg");

    FomList unmarked;
    unmarked.add_ops_rec(1, 20, 0.5, 0.4, 1000, 0, 1);
    EXPECT_EQ(unmarked.opsturnover(0.1, 8.5).mr, 0);
}

TEST(FomListTest, RejectsNonPositiveRatioAndKeepsSavedClasses) {
    FomList list;
    try {
        list.add_ops_rec(1, 0, 0.5, 0.3, 100, 0, 4711);
        FAIL() << "a C/N ratio of 0 was accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("4711"), std::string::npos) << e.what();
    }
    list.add_ops_rec(0.7, 20, 0.5, 0.3, 100, 1, 3);
    list.opsturnover(0.1, 8.5);
    const FomList copy = FomList::from_states(list.states());
    ASSERT_EQ(copy.classes().size(), 1u);
    EXPECT_EQ(copy.classes()[0].item_ix, 3);
    EXPECT_DOUBLE_EQ(static_cast<double>(copy.classes()[0].cops), 95);
    EXPECT_DOUBLE_EQ(static_cast<double>(copy.classes()[0].repflx), 1.5);
    EXPECT_EQ(copy.classes()[0].pop, 1);
    EXPECT_EQ(copy.classes()[0].mkd, 0);
}

TEST(PlotModelTest, InitialisationSplitsCorgIntoDecomposableAndLtsCarbon) {
    struct Case {
        const char* what;
        double corg, cif, norg;
        double corg_lts, cnr_lts;
    };
    const Case cases[] = {
        // corg_dec 1.05; soil C/N 10: 0.45·10·8.5/(8.5·1.5 - 10·1.05) = 17
        {"ordinary", 1.5, 0.3, 0.15, 0.45, 17},
        {"decomposable part capped at 2 %", 4.0, 0.2, 0.4, 2.0, 2.0 * 10 * 8.5 / (34 - 20)},
        {"no Norg", 1.5, 0.3, 0, 0.45, -99},
        // soil C/N 8.5 and no LTS carbon: 0/0
        {"no LTS carbon and no N for it", 1.0625, 0, 0.125, 0, -99},
    };
    for (const Case& c : cases) {
        SiteConstants s = loam();
        s.corg = c.corg;
        s.cif = c.cif;
        s.norg = c.norg;
        const PlotModel m(s, options());
        const double stock = 1.4 * 30000 * 0.9;
        expect_rel(m.summary().corg_lts, c.corg_lts, c.what);
        expect_rel(m.c_lts(), c.corg_lts * stock, c.what);
        expect_rel(m.summary().init_value, (c.corg - c.corg_lts) * stock, c.what);
        expect_rel(m.cnr_lts(), c.cnr_lts, c.what);
    }
}

TEST(PlotModelTest, InitialSplitClampsTheActivePool) {
    struct Case {
        double non_bal, active_share;
    };
    const double equilibrium = 0.00032 / (0.00032 + 0.0009);
    const Case cases[] = {{0, equilibrium}, {0.5, 1.5 * equilibrium}, {100, 1}, {-5, 0}};
    for (const Case& c : cases) {
        SiteConstants s = loam();
        s.non_bal = c.non_bal;
        PlotModel m(s, options());
        const double dec = m.decomposable_c();
        const YearResult r = m.year(0); // the split happens in the first year, even without BAT
        expect_rel(m.c_am(), c.active_share * dec, "non_bal " + std::to_string(c.non_bal));
        expect_rel(m.c_sm(), dec - m.c_am(), "non_bal " + std::to_string(c.non_bal));
        EXPECT_EQ(r.c_min_total, 0);
    }
}

TEST(PlotModelTest, FirstYearWithoutBatDefersOnlyTheTurnover) {
    PlotModel direct(loam(), options(true));
    PlotModel late(loam(), options(true));
    late.year(0);
    direct.add_input(straw());
    late.add_input(straw());
    const YearResult a = direct.year(1.3), b = late.year(1.3);
    expect_rel(b.c_som, a.c_som, "c_som");
    expect_rel(late.c_am(), direct.c_am(), "c_am");
    expect_rel(late.c_sm(), direct.c_sm(), "c_sm");
    expect_rel(b.bd, a.bd, "BD");
    expect_rel(b.c_ops, a.c_ops, "C in FOM");
}

TEST(PlotModelTest, YearWithoutBatLeavesThePoolsUnchanged) {
    PlotModel m(loam(), options(true));
    m.add_input(straw());
    const YearResult before = m.year(1.2);
    const double am = m.c_am(), sm = m.c_sm(), lts = m.c_lts();
    m.add_input(straw(1000));
    const YearResult r = m.year(0);
    EXPECT_EQ(m.c_am(), am);
    EXPECT_EQ(m.c_sm(), sm);
    EXPECT_EQ(m.c_lts(), lts);
    EXPECT_EQ(r.bd, before.bd);
    EXPECT_EQ(r.mkd_a, before.mkd_a);
    EXPECT_EQ(r.c_rep, 0);
    EXPECT_EQ(r.c_min_total, 0);
    EXPECT_EQ(r.n_m_fom, 0);
    EXPECT_EQ(r.n_m_om, r.n_flush);
    EXPECT_EQ(r.c_fom_in, 1000);
    expect_rel(r.c_ops, before.c_ops + 1000, "the new input waits in the FOM classes");
    expect_rel(r.c_som, before.c_som + 1000, "c_som counts the new FOM");
}

// A class decaying at k = 2 per BAT unit loses 20 % in a sub-step of 0.1 and 10 % in one of
// 0.05: the C left shows the sub-steps of the year.
TEST(PlotModelTest, YearIsCutIntoSubStepsOfOneTenthAndARest) {
    struct Case {
        double bat, share_left;
    };
    const Case cases[] = {
        {0.1, 0.8},                                   // one step, no rest
        {0.25, 0.8 * 0.8 * 0.9},                      // 0.1, 0.1, 0.05
        {0.05, 0.9},                                  // the rest alone
        {1.0, std::pow(0.8, 10)},                     // ten steps, no rest
        {0.3, 0.8 * 0.8 * (1 - 2 * (0.3 - 2 * 0.1))}, // 0.3/0.1 < 3: two steps and a rest
    };
    for (const Case& c : cases) {
        PlotModel m(loam(), options());
        FomInput in = straw(1000);
        in.k = 2;
        m.add_input(in);
        expect_rel(m.year(c.bat).c_ops, 1000 * c.share_left, "BAT " + std::to_string(c.bat));
    }
}

TEST(PlotModelTest, InputsMergeAndReleaseNitrogenByItem) {
    struct Case {
        int item_ix;
        double n_flush;
    };
    // 60 % of 1000 kg C at C/N 20 as applied and 25 in the class
    const Case cases[] = {{9997, 600 * (1.0 / 20 - 1.0 / 25)}, {9998, 0}, {12000, 0}};
    for (const Case& c : cases) {
        PlotModel m(loam(), options());
        FomInput in = straw(1000);
        in.item_ix = c.item_ix;
        in.part = 60;
        in.cnr_alt = 20;
        in.cnr = 25;
        m.add_input(in);
        m.add_input(in);
        in.cops = 0; // ignored
        m.add_input(in);
        const std::string what = "item " + std::to_string(c.item_ix);
        ASSERT_EQ(m.fom().classes().size(), 1u) << what;
        EXPECT_EQ(m.fom().classes()[0].cops, 1200) << what;
        const YearResult r = m.year(0);
        expect_rel(r.n_flush, 2 * c.n_flush, what);
        EXPECT_EQ(r.c_fom_in, 2000) << what;
        EXPECT_EQ(r.n_m_om, r.n_flush) << what;
        const YearResult next = m.year(0);
        EXPECT_EQ(next.n_flush, 0) << what;
        EXPECT_EQ(next.c_fom_in, 0) << what;
    }
}

TEST(PlotModelTest, OrganicNitrogenCountsTheLtsPoolOnlyWithAKnownRatio) {
    struct Case {
        const char* what;
        double norg;
        bool lts_share;
    };
    // Soil C/N 20 makes the LTS ratio negative: 0.45·20·8.5/(12.75 - 21) < 0.
    const Case cases[] = {
        {"known ratio", 0.15, true}, {"no Norg", 0, false}, {"negative ratio", 0.075, false}};
    for (const Case& c : cases) {
        SiteConstants s = loam();
        s.norg = c.norg;
        PlotModel m(s, options());
        const YearResult r = m.year(1.0);
        double n = m.decomposable_c() / 8.5;
        if (c.lts_share) n += m.c_lts() / m.cnr_lts();
        expect_rel(r.n_org, n, c.what);
        expect_rel(r.n_som, n / (r.bd * 30000) / 0.9, c.what);
        if (c.norg == 0) {
            EXPECT_EQ(m.om_state().cnr_lts, -99);
        }
    }
}

TEST(PlotModelTest, HassinkLimitScalesOrCancelsTheLtsChange) {
    // With 10 % stones the LTS stock per unit of wilting point exceeds the initial LTS pool,
    // so the first year moves C from the active into the LTS pool.
    PlotModel free(loam(), options(false, true));
    const double lts0 = free.c_lts();
    const YearResult f = free.year(1.0);
    const double change = f.c_lts - lts0;
    ASSERT_GT(change, 0);
    EXPECT_EQ(f.fluxes.active_to_lts, change);
    EXPECT_GT(f.pwp, 0);

    struct Case {
        const char* what;
        double hsnk_lts; // Corg of the saturated pool, %
        double kept;     // share of the free change
    };
    const double lts_corg = lts0 / (f.bd * 30000); // saturation Corg that the pool has reached
    const Case cases[] = {{"half saturated", 2 * lts_corg, 0.5},
                          {"above saturation", 0.9 * lts_corg, 0},
                          {"no saturation C", 0, 0}};
    for (const Case& c : cases) {
        SiteConstants s = loam();
        s.hsnk_lts = c.hsnk_lts;
        PlotModel m(s, options(false, true, true));
        const YearResult r = m.year(1.0);
        expect_rel(r.c_lts - lts0, c.kept * change, c.what, 1e-9);
        expect_rel(m.c_am() + m.c_lts(), free.c_am() + free.c_lts(), c.what, 1e-9);
        EXPECT_EQ(r.fluxes.lts_to_active, 0) << c.what;
    }
}

TEST(PlotModelTest, PoolAgesStartAfreshForEveryPlotAndStayFinite) {
    PlotModel earlier(loam(), options(false, true));
    for (int y = 0; y < 5; ++y) {
        earlier.add_input(straw());
        earlier.year(1.2);
    }
    PlotModel fresh(loam(), options(false, true));
    fresh.add_input(straw());
    const YearResult r = fresh.year(1.2);
    EXPECT_GT(earlier.ages().sos, r.s_age);
    EXPECT_GT(r.a_age, 0);
    EXPECT_GT(r.s_age, 0);
    EXPECT_GT(r.l_age, 0);
    // The active pool's first-year age: the C it kept ages one year, new FOM C enters young.
    const double young = static_cast<double>(r.fluxes.fom_to_active);
    expect_rel(r.a_age, young / fresh.c_am() + 1, "a_age", 1e-9);

    SiteConstants no_lts = loam();
    no_lts.cif = 0;
    no_lts.skelett = 0;
    PlotModel empty(no_lts, options(false, true));
    const YearResult e = empty.year(1.2);
    EXPECT_EQ(e.c_lts, 0);
    EXPECT_EQ(e.l_age, 0); // an empty pool has no age
}

TEST(PlotModelTest, SavedStateReplacesTheInitialSplit) {
    sim::OmState state;
    state.c_am = 9000;
    state.c_sm = 30000;
    state.c_lts = 12000;
    state.cnr_lts = 11;
    state.fom.push_back({3, 500, 10, 20, 0.5, 0.3});
    PlotModel m(loam(), options());
    const double cnr_lts = m.cnr_lts();
    m.start_from(state);
    YearResult r = m.year(0);
    EXPECT_EQ(m.c_am(), 9000);
    EXPECT_EQ(m.c_sm(), 30000);
    EXPECT_EQ(r.c_lts, 12000);
    EXPECT_EQ(r.c_ops, 0); // saved FOM classes are not taken over
    expect_rel(r.c_som, 51000, "c_som");
    r = m.year(0.1);
    const double p_km = 0.00556, p_ks = 0.0009, p_ka = 0.00032;
    expect_rel(m.c_am(), 9000 + 0.1 * (-(p_km + p_ks) * 9000 + p_ka * 30000), "c_am");
    expect_rel(m.c_sm(), 30000 + 0.1 * (p_ks * 9000 - p_ka * 30000), "c_sm");
    const sim::OmState out = m.om_state();
    EXPECT_EQ(out.cnr_am, 8.5);
    EXPECT_EQ(out.cnr_sm, 8.5);
    EXPECT_EQ(out.cnr_lts, cnr_lts); // the plot's own ratio, not the saved one
    EXPECT_THROW(m.start_from(state), std::logic_error);
}

TEST(PlotModelTest, ModeNullTurnsOverOnlyTheFreshOrganicMatter) {
    ModelOptions o = options(false, true);
    o.pools_turn_over = false;
    PlotModel m(loam(), o);
    const double c_som0 = m.summary().init_value + m.c_lts();
    m.add_input(straw());
    const YearResult first = m.year(0);
    const double am = m.c_am(), sm = m.c_sm(), lts = m.c_lts();
    const YearResult r = m.year(1.5);
    EXPECT_EQ(m.c_am(), am);
    EXPECT_EQ(m.c_sm(), sm);
    EXPECT_EQ(m.c_lts(), lts);
    EXPECT_EQ(r.bd, first.bd);
    EXPECT_GT(r.c_rep, 0);
    EXPECT_LT(r.c_ops, 2000);
    EXPECT_NE(r.n_m_fom, 0);
    EXPECT_EQ(r.c_min_total, 0);
    EXPECT_EQ(r.c_min_fom, 0);
    EXPECT_EQ(r.pwp, 0);
    expect_rel(r.c_som, c_som0, "c_som stays initial");
    for (double v : {r.c_mic, r.c_hws, r.corg_sim, r.n_org, r.n_som}) EXPECT_EQ(v, -99);
    EXPECT_EQ(m.summary().corg_end, -99);
}

TEST(PlotModelTest, SummaryHoldsTheRunningMeans) {
    PlotModel m(loam(), options());
    double rep = 0;
    for (double bat : {0.8, 1.4, 0.0}) {
        m.add_input(straw());
        rep += m.year(bat).c_rep;
    }
    const YearResult last = m.year(1.0);
    const sim::PlotSummary s = m.summary();
    EXPECT_EQ(s.n_years, 4);
    expect_rel(s.mean_bat, 3.2 / 4, "mean_bat");
    expect_rel(s.mean_rep, (rep + last.c_rep) / 4, "mean_rep");
    EXPECT_EQ(s.corg_end, last.corg_sim);
    expect_rel(last.corg_sim, last.c_som / (0.9 * last.bd * 30000), "corg_sim");
}

TEST(PlotModelTest, RejectsDataTheModelCannotUse) {
    PlotModel m(loam(), options());
    for (double bat : {-0.05, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_THROW(m.year(bat), std::invalid_argument) << bat;
    FomInput bad = straw();
    bad.cnr_alt = 0;
    EXPECT_THROW(m.add_input(bad), std::invalid_argument);
    SiteConstants stones = loam();
    stones.skelett = 1;
    EXPECT_THROW(static_cast<void>(PlotModel(stones, options())), sim::SoilError);
}

} // namespace

// An independent check of the turnover model: one plot with one FOM class, integrated here in
// plain double arithmetic straight from the model's equations (explicit Euler sub-steps of 0.1
// BAT units and a rest step), compared year by year with the model's results. Only the
// pedotransfer functions (soil coefficient fit, water retention) are shared with the model.
#include "model/pedotransfer.h"
#include "model/som_model.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Model parameters (defaults of the parameter table).
constexpr double ka = 0.00032, ks = 0.0009, km = 0.00556, cnrsom = 8.5, hpwp = 50000;

// The plot.
constexpr double corg = 1.8, bd0 = 1.35, skelett = 0.05, cif = 0.25, norg = 0.16, non_bal = 0.05;
constexpr double hsnk_lts = 1.5, fchw = 12, fbio = 1.7, clay = 18, silt = 55;

// The FOM input of every year (one class: equal ratios and item, so the inputs merge).
constexpr int item = 3;
constexpr double part = 80, cnr_alt = 30, cnr = 25, k = 0.8, eta = 0.35, pop = 0.6;
double input_c(int year) {
    return 1500 + 100 * year;
}

const std::vector<double> bats = {0.73, 1.25, 0, 2.0, 1.1, 0.25, 1.6, 0.1, 1.45, 0.9};

struct Flags {
    const char* name;
    bool dyn_bd, dyn_lts, hassink;
};

// What one year gives, as the text defines it.
struct Expected {
    double c_am, c_sm, c_lts, bd, mkd_a, mkd_s;
    double c_rep, c_min_total, c_min_fom, n_m_om, n_m_fom, n_flush, c_fom_in;
    double c_ops, n_ops, c_som, c_hws, c_mic, corg_sim, n_org, n_som, pwp;
    double fom_to_active, active_to_stab, stab_to_active, active_to_lts, lts_to_active;
    double a_age, s_age, l_age;
};

class Reference {
public:
    explicit Reference(const Flags& f) : f_(f) {
        const double corg_dec = std::min((1 - cif) * corg, 2.0);
        const double corg_lts = corg - corg_dec;
        lts_ = corg_lts * bd0 * 30 * 1000 * (1 - skelett);
        dec_ = corg * 1000 * bd0 * 30 * (1 - skelett) - lts_;
        const double scn = corg / norg;
        cnr_lts_ = corg_lts * scn * cnrsom / (cnrsom * corg - scn * corg_dec);
        som_ = corg * bd0 * 30000 * (1 - skelett);
        bd_ = bd0;
        coef_ = sim::bd_slope4bd(corg, bd0);
        lts_per_pwp_ = cif * corg * bd0 * 30000 / pwp(corg);
    }

    Expected year(int y, double bat) {
        Expected e{};
        // the input
        const double c_in = input_c(y), share = part / 100;
        e.n_flush = share * c_in * (1 / cnr_alt - 1 / cnr);
        cops_ += share * c_in;
        e.c_fom_in = c_in;
        // the turnover
        double fta = 0, ats = 0, sta = 0, atl = 0, lta = 0, cmin = 0, nmin = 0;
        if (first_) {
            bd_ = density((dec_ + lts_) / (bd_ * 30000));
            am_ = std::clamp(ka / (ka + ks) * (1 + non_bal) * dec_, 0.0, dec_);
            sm_ = dec_ - am_;
        }
        if (bat > 0) {
            const int n = static_cast<int>(std::floor(bat / 0.1));
            std::vector<double> steps(static_cast<std::size_t>(n), 0.1);
            if (bat - n * 0.1 > 0) steps.push_back(bat - n * 0.1);
            for (const double dt : steps) {
                const double a = dt * k * cops_;
                const double cminops = a * (1 - eta), dcrep = a * eta;
                const double dnmin = a / cnr - a * eta / cnrsom;
                cops_ -= a;
                e.c_rep += dcrep;
                e.n_m_fom += dnmin;
                const double A = am_, S = sm_, ma = ma_, ms = ms_;
                const double dA = dcrep / dt - (km + ks) * A + ka * S;
                const double dAm = 1.0 * dcrep / dt - (km + ks) * A * ma + ka * S * ms; // mr = 1
                const double dS = ks * A - ka * S;
                const double dSm = ks * ma * A - ka * S * ms;
                e.c_min_fom += cminops;
                cmin += km * A * dt + cminops;
                nmin += km * dt * A / cnrsom + dnmin;
                fta += dcrep;
                ats += ks * A * dt;
                sta += ka * S * dt;
                ma_ = (ma * A + dAm * dt) / (A + dA * dt);
                am_ = A + dA * dt;
                ms_ = (ms * S + dSm * dt) / (S + dS * dt);
                sm_ = S + dS * dt;
                if (f_.dyn_bd) bd_ = density((am_ + sm_ + lts_) / (bd_ * 30000));
            }
            dec_ = am_ + sm_;
            if (f_.dyn_bd) bd_ = density((am_ + sm_ + lts_) / (bd_ * 30000));
        }
        if (f_.dyn_lts) {
            e.pwp = pwp(som_ / (bd_ * 30000));
            double dl = lts_per_pwp_ * e.pwp - lts_;
            if (f_.hassink) {
                const double csat = bd_ * hsnk_lts * 30000;
                dl = (csat - lts_) * dl / csat;
                if (lts_ + dl > csat || lts_ + dl < 0) dl = 0;
            }
            lts_ += dl;
            lts_per_pwp_ = lts_ / e.pwp;
            am_ -= dl;
            dec_ -= dl;
            if (dl > 0) {
                atl = dl;
                fta -= dl;
            } else {
                lta = -dl;
            }
            aos_ = ((am_ - ats - sta - fta) * aos_ + sta * sos_ + lta * lts_age_ + fta) / am_ + 1;
            sos_ = ((sm_ - sta - ats) * sos_ + ats * aos_) / sm_ + 1;
            lts_age_ = ((lts_ - lta - atl) * lts_age_ + atl) / lts_ + 1;
        }
        e.n_m_om = nmin + e.n_flush;
        e.c_min_total = cmin;
        first_ = false;
        // derived values
        e.c_mic = am_ * fbio / ((1 - skelett) * bd_ * 30);
        som_ = cops_ * pop + dec_ + lts_;
        e.c_hws = dec_ / (fchw * bd_ * 30 * (1 - skelett));
        e.corg_sim = som_ / ((1 - skelett) * bd_ * 30000);
        e.n_org = dec_ / cnrsom + lts_ / cnr_lts_;
        e.n_som = e.n_org / (bd_ * 30000) / (1 - skelett);
        e.c_ops = cops_;
        e.n_ops = cops_ / cnr;
        e.c_som = som_;
        e.c_am = am_;
        e.c_sm = sm_;
        e.c_lts = lts_;
        e.bd = bd_;
        e.mkd_a = ma_;
        e.mkd_s = ms_;
        e.fom_to_active = fta;
        e.active_to_stab = ats;
        e.stab_to_active = sta;
        e.active_to_lts = atl;
        e.lts_to_active = lta;
        e.a_age = aos_;
        e.s_age = sos_;
        e.l_age = lts_age_;
        return e;
    }

private:
    double density(double c) const { return (2.684 - 140.943 * coef_) * std::exp(-10 * c * coef_); }
    double pwp(double c) const {
        return 100 * sim::vg_theta(sim::vg_vereecken(silt, clay, c, bd_), hpwp);
    }

    Flags f_;
    double am_ = 0, sm_ = 0, lts_ = 0, dec_ = 0, bd_ = 0, ma_ = 0, ms_ = 0, som_ = 0;
    double cnr_lts_ = 0, coef_ = 0, lts_per_pwp_ = 0, cops_ = 0;
    double aos_ = 0, sos_ = 0, lts_age_ = 0;
    bool first_ = true;
};

sim::PlotModel make_model(const Flags& f) {
    sim::SiteConstants s;
    s.corg = corg;
    s.bd = bd0;
    s.skelett = skelett;
    s.cif = cif;
    s.hsnk_lts = hsnk_lts;
    s.norg = norg;
    s.fchw = fchw;
    s.fbio = fbio;
    s.clay = clay;
    s.silt = silt;
    s.non_bal = non_bal;
    sim::ModelOptions o;
    o.dyn_bd = f.dyn_bd;
    o.dyn_lts = f.dyn_lts;
    o.hassink = f.hassink;
    return sim::PlotModel(s, o);
}

void expect_close(double actual, double expected, const char* what) {
    EXPECT_NEAR(actual, expected, 1e-9 * std::max(1.0, std::abs(expected))) << what;
}

TEST(SomModelCheckTest, TenYearsAgreeWithADirectIntegration) {
    const Flags cases[] = {
        {"constant BD, fixed LTS", false, false, false},
        {"dynamic BD", true, false, false},
        {"dynamic BD and LTS", true, true, false},
        {"dynamic LTS with saturation limit", false, true, true},
    };
    for (const Flags& f : cases) {
        Reference ref(f);
        sim::PlotModel model = make_model(f);
        for (int y = 0; y < static_cast<int>(bats.size()); ++y) {
            SCOPED_TRACE(std::string(f.name) + ", year " + std::to_string(y + 1));
            sim::FomInput in;
            in.item_ix = item;
            in.mkd = 1;
            in.part = part;
            in.cops = input_c(y);
            in.cnr_alt = cnr_alt;
            in.pop = pop;
            in.cnr = cnr;
            in.k = k;
            in.eta = eta;
            model.add_input(in);
            const sim::YearResult r = model.year(bats[static_cast<std::size_t>(y)]);
            const Expected e = ref.year(y, bats[static_cast<std::size_t>(y)]);
            ASSERT_EQ(model.fom().classes().size(), 1u);
            const sim::OmState st = model.om_state();
            expect_close(st.c_am, e.c_am, "c_am");
            expect_close(st.c_sm, e.c_sm, "c_sm");
            expect_close(st.c_lts, e.c_lts, "c_lts (state)");
            expect_close(r.c_lts, e.c_lts, "c_lts");
            expect_close(r.bd, e.bd, "BD");
            expect_close(r.mkd_a, e.mkd_a, "mkd_a");
            expect_close(r.mkd_s, e.mkd_s, "mkd_s");
            expect_close(r.c_rep, e.c_rep, "c_rep");
            expect_close(r.c_min_total, e.c_min_total, "c_min_total");
            expect_close(r.c_min_fom, e.c_min_fom, "c_min_fom");
            expect_close(r.n_m_om, e.n_m_om, "n_m_om");
            expect_close(r.n_m_fom, e.n_m_fom, "N_m_fom");
            expect_close(r.n_flush, e.n_flush, "N_flush");
            expect_close(r.c_fom_in, e.c_fom_in, "c_fom_in");
            expect_close(r.c_ops, e.c_ops, "C_ops");
            expect_close(r.n_ops, e.n_ops, "n_ops");
            expect_close(r.c_som, e.c_som, "c_som");
            expect_close(r.c_hws, e.c_hws, "c_hws");
            expect_close(r.c_mic, e.c_mic, "c_mic");
            expect_close(r.corg_sim, e.corg_sim, "corg_sim");
            expect_close(r.n_org, e.n_org, "n_org");
            expect_close(r.n_som, e.n_som, "n_SOM");
            expect_close(r.pwp, e.pwp, "PWP");
            const sim::PoolFluxes& fl = r.fluxes;
            expect_close(static_cast<double>(fl.fom_to_active), e.fom_to_active, "fom_to_active");
            expect_close(static_cast<double>(fl.active_to_stab), e.active_to_stab,
                         "active_to_stab");
            expect_close(static_cast<double>(fl.stab_to_active), e.stab_to_active,
                         "stab_to_active");
            expect_close(static_cast<double>(fl.active_to_lts), e.active_to_lts, "active_to_lts");
            expect_close(static_cast<double>(fl.lts_to_active), e.lts_to_active, "lts_to_active");
            expect_close(r.a_age, e.a_age, "a_age");
            expect_close(r.s_age, e.s_age, "s_age");
            expect_close(r.l_age, e.l_age, "l_age");
        }
    }
}

} // namespace

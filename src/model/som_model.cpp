// som_model.cpp --- the yearly SOM turnover of one plot.
#include "model/som_model.h"

#include "db/value.h"
#include "model/pedotransfer.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace sim {

namespace {

// Stock of 1 % in the 0-30 cm layer per unit of bulk density, kg/ha.
constexpr double stock_per_percent = 30000;
// Length of the regular sub-steps of a year, BAT units.
constexpr double sub_step_length = 0.1;
// Items from this index on release no N at once when they are added.
constexpr int first_item_without_flush = 9998;
// Divisor of the hot-water-soluble C when the site gives none.
constexpr double default_fchw = 15;
// Upper limit of the decomposable Corg, %.
constexpr double max_decomposable_corg = 2;

std::string num(double v) {
    return db::format_cstr(v);
}

// (old share · old pool + marked change) / new pool; an emptied pool has no marked share.
double marked_share(long double marked, long double pool) {
    return pool != 0 ? static_cast<double>(marked / pool) : 0.0;
}

// Mean age after a year of a pool that ends with `pool` C and kept `staying` C of age `age`,
// receiving `older` (sum of C times age) and `young` C of age 0. An empty pool has age 0.
long double aged(long double pool, long double staying, long double age, long double older,
                 long double young) {
    if (!(pool > 0)) return 0;
    return (staying * age + older + young) / pool + 1;
}

} // namespace

PlotModel::PlotModel(const SiteConstants& site, const ModelOptions& options)
    : site_(site), options_(options), fchw_(site.fchw == 0 ? default_fchw : site.fchw),
      bd_(site.bd) {
    if (options.pools_turn_over && !(site.skelett < 1))
        throw SoilError("stone fraction " + num(site.skelett) + " leaves no fine earth");
    const double cnrsom = options.parms.cnrsom;
    const double fine_earth = 1 - site.skelett;
    const double corg_dec = std::min((1 - site.cif) * site.corg, max_decomposable_corg);
    corg_lts_ = site.corg - corg_dec;
    c_lts_ = corg_lts_ * site.bd * 30 * 1000 * fine_earth;
    c_dec_ = site.corg * 1000 * site.bd * 30 * fine_earth - c_lts_;
    if (site.norg > 0) {
        const double soil_cnr = site.corg / site.norg;
        cnr_lts_ = corg_lts_ * soil_cnr * cnrsom / (cnrsom * site.corg - soil_cnr * corg_dec);
        // A site whose ratios leave the LTS pool no N (0/0) has no known ratio either.
        if (!std::isfinite(cnr_lts_)) cnr_lts_ = not_computed;
    }
    init_value_ = c_dec_;
    c_som_ = site.corg * site.bd * stock_per_percent * fine_earth;
    if (site.bd > 0) soil_coefficient_ = bd_slope4bd(site.corg, site.bd);
    if (options.dyn_lts && options.pools_turn_over)
        lts_per_pwp_ =
            site.cif * site.corg * site.bd * stock_per_percent / wilting_point(site.corg);
}

void PlotModel::start_from(const OmState& state) {
    if (n_years_ > 0)
        throw std::logic_error("a plot can start from a saved state only before its first year");
    c_am_ = state.c_am;
    c_sm_ = state.c_sm;
    c_lts_ = state.c_lts;
    c_dec_ = c_am_ + c_sm_;
    fom_.clear();
    first_year_ = false;
}

void PlotModel::add_input(const FomInput& in) {
    if (!(in.cops > 0)) return;
    const double share = in.part / 100;
    if (in.item_ix < first_item_without_flush) {
        if (!(in.cnr_alt > 0) || !(in.cnr > 0))
            throw std::invalid_argument("FOM input of item " + std::to_string(in.item_ix) +
                                        ": C/N ratios " + num(in.cnr_alt) + " and " + num(in.cnr) +
                                        " must be positive");
        n_flush_ += share * in.cops * (1 / in.cnr_alt - 1 / in.cnr);
    }
    fom_.add_ops_rec(in.pop, in.cnr, in.k, in.eta, share * in.cops, in.mkd, in.item_ix);
    c_fom_in_ += in.cops;
}

YearResult PlotModel::year(double bat) {
    if (!(bat >= 0) || !std::isfinite(bat))
        throw std::invalid_argument("BAT of the year " + num(bat) + " is not a number >= 0");
    Turnover t = som_year_step(bat);
    YearResult r;
    if (options_.dyn_lts && options_.pools_turn_over) {
        r.pwp = stabilise_lts(t.fluxes);
        age_pools(t.fluxes);
    }
    // C moving between the active and the LTS pool releases no N in the balance: with a known
    // LTS C/N ratio the exchange is not booked, and an unknown ratio (-99) is no ratio to book.
    r.n_m_om = static_cast<double>(t.n_min) + n_flush_;
    ++n_years_;
    sum_rep_ += static_cast<double>(t.c_rep);
    sum_bat_ += bat;
    first_year_ = false;
    if (options_.pools_turn_over) derive_values();

    r.bat = bat;
    r.c_min_total = static_cast<double>(t.c_min_total);
    r.c_min_fom = static_cast<double>(t.c_min_fom);
    r.c_rep = static_cast<double>(t.c_rep);
    r.c_fom_in = c_fom_in_;
    r.c_ops = static_cast<double>(fom_.get_c_ops());
    r.n_ops = static_cast<double>(fom_.get_n_ops());
    r.c_som = c_som_;
    r.c_lts = c_lts_;
    r.c_hws = c_hws_;
    r.c_mic = c_mic_;
    r.mkd_a = mkd_a_;
    r.mkd_s = mkd_s_;
    r.n_flush = n_flush_;
    r.n_m_fom = static_cast<double>(t.n_m_fom);
    r.n_org = n_org_;
    r.n_som = n_som_;
    r.bd = bd_;
    r.a_age = static_cast<double>(ages_.aos);
    r.s_age = static_cast<double>(ages_.sos);
    r.l_age = static_cast<double>(ages_.lts);
    r.corg_sim = corg_sim_;
    r.fluxes = t.fluxes;
    n_flush_ = 0;
    c_fom_in_ = 0;
    return r;
}

// The first year of a plot started from measurements: BD from the fitted soil coefficient at
// the plot's Corg, and the decomposable C split into the active and stabilised pools at
// their equilibrium ratio, corrected by non_bal and kept within 0 and the decomposable C.
void PlotModel::initial_split() {
    if (soil_coefficient_ != 0)
        bd_ = bd_corg((c_dec_ + c_lts_) / (bd_ * stock_per_percent), 0, soil_coefficient_);
    const ModelParameters& p = options_.parms;
    c_am_ = p.ka / (p.ka + p.ks) * (1 + site_.non_bal) * c_dec_;
    c_am_ = std::min(std::max(c_am_, 0.0), c_dec_);
    c_sm_ = c_dec_ - c_am_;
}

// One year of turnover: sub-steps of 0.1 BAT units and a shorter rest step. The initial split
// of the first year is done even when its BAT is 0, so that the pools always hold the
// decomposable C afterwards.
PlotModel::Turnover PlotModel::som_year_step(double bat) {
    Turnover t;
    if (first_year_) initial_split();
    if (bat == 0) return t;
    const int n = static_cast<int>(std::floor(bat / sub_step_length));
    const double rest = bat - n * sub_step_length;
    // One call site, so that the step is inlined and the year's sums stay in registers.
    const int steps = rest > 0 ? n + 1 : n;
    for (int i = 0; i < steps; ++i) sub_step(i < n ? sub_step_length : rest, t);
    // The C passed from FOM to the active pool is the C passed to SOM, summed alike.
    if (options_.pools_turn_over) t.fluxes.fom_to_active = t.c_rep;
    c_dec_ = c_am_ + c_sm_;
    if (options_.dyn_bd) update_bd();
    return t;
}

// Explicit Euler step of length dt for the FOM classes and the active (A) and stabilised (S)
// pools: dA = FOM C/dt - (km + ks)·A + ka·S, dS = ks·A - ka·S, with the marked shares carried
// along.
[[gnu::always_inline]] inline void PlotModel::sub_step(double step, Turnover& t) {
    const ModelParameters& p = options_.parms;
    const FomTurnover f = fom_.opsturnover(step, p.cnrsom);
    const long double dt = step;
    t.c_rep += f.dcrep;
    t.n_m_fom += f.dnmin;
    if (!options_.pools_turn_over) return;
    const long double A = c_am_, S = c_sm_, a = mkd_a_, s = mkd_s_;
    const long double dA = f.dcrep / dt - (p.km + p.ks) * A + p.ka * S;
    const long double dAm = f.mr * f.dcrep / dt - (p.km + p.ks) * A * a + p.ka * S * s;
    const long double dS = p.ks * A - p.ka * S;
    const long double dSm = p.ks * a * A - p.ka * S * s;
    t.c_min_fom += f.cminops;
    t.c_min_total += p.km * A * dt + f.cminops;
    t.n_min += p.km * dt * A / p.cnrsom + f.dnmin;
    t.fluxes.active_to_stab += p.ks * A * dt;
    t.fluxes.stab_to_active += p.ka * S * dt;
    const long double new_a = A + dA * dt, new_s = S + dS * dt;
    mkd_a_ = marked_share(a * A + dAm * dt, new_a);
    c_am_ = static_cast<double>(new_a);
    mkd_s_ = marked_share(s * S + dSm * dt, new_s);
    c_sm_ = static_cast<double>(new_s);
    if (options_.dyn_bd) update_bd();
}

// BD from the fitted soil coefficient at the Corg of the SOM pools; without a coefficient
// (a plot without BD) it stays.
void PlotModel::update_bd() {
    if (soil_coefficient_ == 0) return;
    bd_ = bd_corg((c_am_ + c_sm_ + c_lts_) / (bd_ * stock_per_percent), 0, soil_coefficient_);
}

// Wilting point in vol% at the given Corg and the current BD.
double PlotModel::wilting_point(double corg) const {
    const double pwp =
        100 * vg_theta(vg_vereecken(site_.silt, site_.clay, corg, bd_), options_.parms.hpwp);
    if (!(pwp > 0))
        throw SoilError("wilting point " + num(pwp) + " vol% at Corg " + num(corg) + " % and BD " +
                        num(bd_) + " g/cm³ is not positive");
    return pwp;
}

// Dynamic LTS: the LTS pool follows the wilting point of the last year's Corg at the current
// BD, exchanging C with the active pool; with the Hassink option the change shrinks as the
// pool approaches saturation and is cancelled when it would leave 0..saturation. Returns the
// wilting point.
double PlotModel::stabilise_lts(PoolFluxes& fluxes) {
    const double pwp = wilting_point(c_som_ / (bd_ * stock_per_percent));
    double dl = lts_per_pwp_ * pwp - c_lts_;
    if (options_.hassink) {
        const double csat = bd_ * site_.hsnk_lts * stock_per_percent;
        if (csat > 0) dl = (csat - c_lts_) * dl / csat;
        if (!(csat > 0) || c_lts_ + dl > csat || c_lts_ + dl < 0) dl = 0;
    }
    c_lts_ += dl;
    lts_per_pwp_ = c_lts_ / pwp;
    c_am_ -= dl;
    c_dec_ -= dl;
    if (dl > 0) {
        fluxes.active_to_lts = dl;
        fluxes.fom_to_active -= dl;
    } else {
        fluxes.lts_to_active = -dl;
    }
    return pwp;
}

// Mean pool ages after the year; the stabilised pool takes the new age of the active pool.
void PlotModel::age_pools(const PoolFluxes& f) {
    const long double A = c_am_, S = c_sm_, L = c_lts_;
    PoolAges& g = ages_;
    g.aos = aged(A, A - f.active_to_stab - f.stab_to_active - f.fom_to_active, g.aos,
                 f.stab_to_active * g.sos + f.lts_to_active * g.lts, f.fom_to_active);
    g.sos = aged(S, S - f.stab_to_active - f.active_to_stab, g.sos, f.active_to_stab * g.aos, 0);
    g.lts = aged(L, L - f.lts_to_active - f.active_to_lts, g.lts, 0, f.active_to_lts);
}

// Values derived from the pools at year end.
void PlotModel::derive_values() {
    const double fine_earth = 1 - site_.skelett;
    c_mic_ = c_am_ * site_.fbio / (fine_earth * bd_ * 30);
    c_som_ = static_cast<double>(fom_.cops4corg()) + c_dec_ + c_lts_;
    c_hws_ = c_dec_ / (fchw_ * bd_ * 30 * fine_earth);
    corg_sim_ = c_som_ / (fine_earth * bd_ * stock_per_percent);
    n_org_ = c_dec_ / options_.parms.cnrsom;
    // A ratio that is unknown (-99) or negative gives the LTS pool no N.
    if (c_lts_ > 0 && cnr_lts_ > 0) n_org_ += c_lts_ / cnr_lts_;
    n_som_ = n_org_ / (bd_ * stock_per_percent) / fine_earth;
}

OmState PlotModel::om_state() const {
    OmState s;
    s.c_am = c_am_;
    s.c_sm = c_sm_;
    s.c_lts = c_lts_;
    s.cnr_am = options_.parms.cnrsom;
    s.cnr_sm = options_.parms.cnrsom;
    s.cnr_lts = cnr_lts_;
    s.fom = fom_.states();
    return s;
}

PlotSummary PlotModel::summary() const {
    PlotSummary s;
    s.init_value = init_value_;
    s.corg_lts = corg_lts_;
    s.n_years = n_years_;
    if (n_years_ > 0) {
        s.mean_rep = sum_rep_ / n_years_;
        s.mean_bat = sum_bat_ / n_years_;
    }
    s.corg_end = corg_sim_;
    return s;
}

} // namespace sim

// som_model.h --- the yearly turnover of soil organic matter (SOM) of one plot: an active and
// a stabilised pool exchanging C, fed by the fresh organic matter (FOM) classes, beside a
// long-term stabilised (LTS) pool that changes only with the wilting point (dynamic LTS).
//
// Units, here and in every struct below: stocks are kg/ha for the 0-30 cm layer (C in kg C/ha,
// N in kg N/ha); yearly flows kg/ha per year; contents (Corg, Norg) in % of dry fine earth;
// bulk density BD in g/cm³; the stone fraction 0..1; time in BAT units (biologically active
// time), one year contributing its annual BAT. Stock = content · BD · 30000 · (1 - skelett).
#pragma once

#include "model/fom_list.h"
#include "model/model_types.h"

namespace sim {

// The site data of a plot, from its first row of the run.
struct SiteConstants {
    double corg = 0;     // organic carbon at the start, %
    double bd = 0;       // bulk density, g/cm³; <= 0: no soil coefficient, BD stays as given
    double skelett = 0;  // stone fraction, 0..1 (below 1 when the pools turn over)
    double cif = 0;      // share of Corg that is not decomposable, 0..1
    double hsnk_lts = 0; // Corg of the saturated LTS pool, % (limit with the Hassink option)
    double norg = 0;     // organic N at the start, %; <= 0 when unknown
    double fchw = 0;     // divisor of the hot-water-soluble C; 0 stands for 15
    double fbio = 0;     // factor of the microbial C
    double clay = 0;     // clay, % by mass
    double silt = 0;     // silt, % by mass
    double non_bal = 0;  // relative correction of the initial active pool; 0 when none
};

// How the model runs. The rates of `parms` are per BAT unit; cnrsom is the C/N ratio of the
// active and stabilised pools; hpwp the suction at the wilting point in cm (hPa).
struct ModelOptions {
    ModelParameters parms;
    bool dyn_bd = false;  // BD follows the SOM C through the fitted soil coefficient
    bool dyn_lts = false; // the LTS pool follows the wilting point
    bool hassink = false; // the LTS pool is limited by its saturation C (with dyn_lts)
    // false in the initial-condition mode "null": only the FOM classes turn over, the SOM
    // pools stay as initialised and the derived values are not computed.
    bool pools_turn_over = true;
};

// The C moved between the pools in one year, kg C/ha.
struct PoolFluxes {
    long double fom_to_active = 0;
    long double active_to_lts = 0;
    long double active_to_stab = 0;
    long double stab_to_active = 0;
    long double lts_to_active = 0;
};

// Mean age of the C in each pool, years.
struct PoolAges {
    long double aos = 0; // active pool
    long double sos = 0; // stabilised pool
    long double lts = 0; // LTS pool
};

// One simulated year: what the rows of tsm_nresult and tsm_zbv need. Values that the mode
// "null" does not compute hold not_computed (-99).
struct YearResult {
    double bat = 0;         // BAT of the year, BAT units
    double c_min_total = 0; // C mineralised from SOM and FOM, kg C/ha
    double c_min_fom = 0;   // C mineralised from FOM, kg C/ha
    double c_rep = 0;       // C passed from FOM to SOM (tsm_zbv c_rep_flx), kg C/ha
    double c_fom_in = 0;    // C input of the year (unshared), kg C/ha
    double c_ops = 0;       // C left in the FOM classes at year end (tsm_zbv c_fom), kg C/ha
    double n_ops = 0;       // N in the FOM classes at year end, kg N/ha
    double c_som = 0;       // total C: FOM C counted in Corg + active + stabilised + LTS, kg C/ha
    double c_lts = 0;       // C of the LTS pool, kg C/ha
    double c_hws = 0;       // hot-water-soluble C: decomposable C in mg/100 g over fchw
    double c_mic = 0;       // microbial C: active C in mg/100 g fine earth times fbio
    double mkd_a = 0;       // share of the active pool from marked FOM, 0..1
    double mkd_s = 0;       // share of the stabilised pool from marked FOM, 0..1
    double n_m_om = 0;      // N mineralised from organic matter, incl. N_flush, kg N/ha
    double n_flush = 0;     // N set free at once from the year's inputs, kg N/ha
    double n_m_fom = 0;     // N mineralised net from FOM, kg N/ha
    double n_org = 0;       // N of SOM and LTS, kg N/ha
    double n_som = 0;       // N content of the soil, %
    double bd = 0;          // bulk density at year end, g/cm³
    double pwp = 0;         // wilting point of the year with dynamic LTS (else 0), vol%
    double a_age = 0;       // mean age of the active pool, years
    double s_age = 0;       // mean age of the stabilised pool, years
    double l_age = 0;       // mean age of the LTS pool, years
    double corg_sim = 0;    // simulated Corg, %
    PoolFluxes fluxes;      // C moved between the pools in the year
};

// The values of a plot's tsm_driver row.
struct PlotSummary {
    double mean_rep = 0;   // mean yearly C passed from FOM to SOM, kg C/ha
    double init_value = 0; // decomposable SOM C at the start, kg C/ha
    double corg_lts = 0;   // initial Corg minus its decomposable part, %
    double mean_bat = 0;   // mean yearly BAT, BAT units
    double corg_end = 0;   // simulated Corg of the last year, % (-99 when not computed)
    int n_years = 0;       // years simulated (every call of year(), repetitions included)
};

// One fresh organic input of a year (a row of the model's input table).
struct FomInput {
    int item_ix = 0;    // organic input item; from 9998 on no N is set free at once
    int mkd = 0;        // marker of the FOM class
    double part = 100;  // share of the C that enters the plot, %
    double cops = 0;    // C of the input, kg C/ha; inputs with cops <= 0 are ignored
    double cnr_alt = 0; // C/N ratio of the input as applied
    double pop = 1;     // share of the C counted into measured Corg
    double cnr = 0;     // C/N ratio of the FOM class
    double k = 0;       // decomposition rate, per BAT unit
    double eta = 0;     // synthesis coefficient
};

// The SOM turnover of one plot, year by year. Each plot has its own model: pools, FOM classes,
// running means and pool ages all start afresh.
class PlotModel {
public:
    // Initialises the plot from its site data: the non-decomposable part of Corg (at most all
    // but 2 % decomposable) forms the LTS pool, the rest is the decomposable SOM C, split into
    // the active and stabilised pools in the first year. Fits the soil coefficient when BD > 0
    // and, with dynamic LTS, the LTS stock per unit of wilting point. Throws SoilError for a
    // stone fraction of 1 or more and for data the pedotransfer functions reject.
    PlotModel(const SiteConstants& site, const ModelOptions& options);

    // Starts from a saved state instead of the measured site: takes the active, stabilised
    // and LTS C of `state` and no initial split. The FOM classes of the state are not taken
    // over. Throws std::logic_error after the first year.
    void start_from(const OmState& state);

    // Adds one input of the current year (before year()): its share part/100 of cops goes
    // into the FOM classes. Throws std::invalid_argument naming the item for a C/N ratio
    // that is not positive.
    void add_input(const FomInput& input);

    // Simulates one year with its BAT and returns its results. A BAT of 0 turns nothing over
    // but still gives the year's result. Throws std::invalid_argument for a negative or
    // non-finite BAT, SoilError when the wilting point cannot be found.
    YearResult year(double bat);

    // The end state of the last year (active and stabilised pools at the C/N ratio cnrsom).
    OmState om_state() const;
    PlotSummary summary() const;

    double c_am() const { return c_am_; }
    double c_sm() const { return c_sm_; }
    double c_lts() const { return c_lts_; }
    double decomposable_c() const { return c_dec_; }
    double bd() const { return bd_; }
    double cnr_lts() const { return cnr_lts_; } // C/N ratio of the LTS pool, -99 when unknown
    const PoolAges& ages() const { return ages_; }
    const FomList& fom() const { return fom_; }

private:
    // Results of the turnover part of a year.
    struct Turnover {
        PoolFluxes fluxes;
        long double c_rep = 0, c_min_fom = 0, c_min_total = 0;
        long double n_min = 0;   // N mineralised from SOM and FOM
        long double n_m_fom = 0; // N mineralised net from FOM
    };

    void initial_split();
    Turnover som_year_step(double bat);
    void sub_step(double step, Turnover& t);
    void update_bd();
    double wilting_point(double corg) const;
    double stabilise_lts(PoolFluxes& fluxes);
    void age_pools(const PoolFluxes& fluxes);
    void derive_values();

    SiteConstants site_;
    ModelOptions options_;
    double fchw_ = 15;
    double soil_coefficient_ = 0; // fitted when BD > 0; 0 means none
    double corg_lts_ = 0, init_value_ = 0;
    double cnr_lts_ = not_computed;
    double lts_per_pwp_ = 0; // LTS C per vol% of wilting point, kg C/ha

    double bd_ = 0;
    double c_am_ = 0, c_sm_ = 0, c_lts_ = 0;
    double c_dec_ = 0; // decomposable SOM C (active + stabilised after the first year)
    double mkd_a_ = 0, mkd_s_ = 0;
    PoolAges ages_;
    FomList fom_;
    bool first_year_ = true;

    // Derived values of the last year.
    double c_som_ = 0;
    double c_mic_ = not_computed, c_hws_ = not_computed, corg_sim_ = not_computed;
    double n_org_ = not_computed, n_som_ = not_computed;

    // Sums of the current year's inputs.
    double n_flush_ = 0, c_fom_in_ = 0;
    // Sums over the simulated years, for the running means.
    double sum_rep_ = 0, sum_bat_ = 0;
    int n_years_ = 0;
};

} // namespace sim

// model_types.h --- the values the turnover model takes and gives: its parameters and the
// end state of a simulated year (SOM pools and FOM classes). Plain values, no database.
#pragma once

#include <vector>

namespace sim {

// Marker of a quantity that a method does not compute.
inline constexpr double not_computed = -99.0;

// The model parameters of the turnover model, as read from the first row of srbaparm.
struct ModelParameters {
    double ks = 0.0009;  // _ks: decay constant of the stable pool (K_STAB)
    double km = 0.00556; // _km: decay constant of the active OM pool (K_AOS)
    double ka = 0.00032; // _ka: decay constant of the active pool (K_AKT)
    double cnrsom = 8.5; // _cnrsom: C/N ratio of soil organic matter (CNR_OBS)
    double hpwp = 50000; // _hpwp: suction at the wilting point, hPa (H_PWP)
    double hfc = 63.09;  // _hfc: suction at field capacity, hPa (H_FC)
};

// One class of fresh organic matter as the model keeps it.
struct FomClassState {
    int item_ix = 0;   // organic input item
    double cops = 0;   // C left in the class, kg C/ha
    double repflx = 0; // C passed from the class into SOM so far, kg C/ha
    double cnr = 0;    // C/N ratio
    double k = 0;      // decomposition rate
    double eta = 0;    // share of the decomposed C that reaches SOM
};

// The end state of a simulated year: the SOM pools and the FOM classes in list order.
// Value-initialised it is the state before any run (all zero, no classes).
struct OmState {
    double c_am = 0, c_sm = 0, c_lts = 0;       // active, stabilised, LTS pool, kg C/ha
    double cnr_am = 0, cnr_sm = 0, cnr_lts = 0; // their C/N ratios
    std::vector<FomClassState> fom;
};

} // namespace sim

// fom_list.h --- the fresh organic matter (FOM) of one plot: one class per kind of organic
// input, each decaying at its own rate and passing part of the decomposed carbon to the soil
// organic matter.
//
// Units: C in kg C/ha and N in kg N/ha for the 0-30 cm layer; rates per BAT unit (biologically
// active time); shares and coefficients dimensionless.
#pragma once

#include "model/model_types.h"

#include <vector>

namespace sim {

// One FOM class. The numbers are kept in extended precision.
struct Ropsprm {
    int item_ix = 0;        // organic input item (crop residue or amendment)
    int mkd = 0;            // 1: the C this class passes to SOM is tracked as marked
    long double repflx = 0; // C passed from this class into SOM so far, kg C/ha
    long double pop = 1;    // share of the class's C that counts into measured Corg
    long double cops = 0;   // C still in the class, kg C/ha
    long double cnr = 0;    // C/N ratio, > 0
    long double k = 0;      // decomposition rate, per BAT unit
    long double eta = 0;    // synthesis coefficient: share of the decomposed C passed to SOM
};

// What one decomposition step of all classes gives.
struct FomTurnover {
    long double dnmin = 0;   // N mineralised net from FOM, kg N/ha
    long double dcrep = 0;   // C passed to SOM, kg C/ha
    long double mr = 0;      // share of dcrep that stems from classes with mkd = 1
    long double cminops = 0; // C mineralised from FOM, kg C/ha
};

// The FOM classes of a plot in the order they were first added. Classes are never removed:
// a class keeps decaying exponentially in BAT time.
class FomList {
public:
    // Adds C to the class with exactly the same cnr, k, eta and item_ix, or appends a new
    // class (repflx 0) when there is none. Throws std::invalid_argument naming the item when
    // cnr is not a positive number, which the N sums divide by.
    void add_ops_rec(double pop, double cnr, double k, double eta, double cops, int mkd,
                     int item_ix);

    // Decomposes every class for the time dt (BAT units): each class loses dt·k·cops, of which
    // the share eta goes to SOM (dcrep, repflx) and the rest is mineralised (cminops); the net
    // N released is a/cnr - a·eta/cnrsom for the decomposed C a. Defined here, because it runs
    // for every sub-step of every year: inlined into the year's loop, its sums stay in
    // registers. dt and cnrsom are doubles, as every step length and ratio is: widened exactly
    // where they are used, they leave the few extended-precision registers to the sums.
    FomTurnover opsturnover(double dt, double cnrsom) {
        long double cminops = 0, dcrep = 0, dnmin = 0, marked = 0;
        for (Ropsprm& r : classes_) {
            const long double cops = r.cops, eta = r.eta;
            const long double a = dt * r.k * cops; // C decomposed in this step
            const long double to_som = a * eta;
            cminops += a * (1 - eta);
            r.cops = cops - a;
            dcrep += to_som;
            r.repflx += to_som;
            if (r.mkd == 1) marked += to_som;
            dnmin += a / r.cnr - to_som / cnrsom;
        }
        FomTurnover t;
        t.dnmin = dnmin;
        t.dcrep = dcrep;
        t.cminops = cminops;
        t.mr = marked > 0 ? marked / dcrep : 0;
        return t;
    }

    long double get_c_ops() const; // Σ cops: C in the classes, kg C/ha
    long double get_n_ops() const; // Σ cops/cnr: N in the classes, kg N/ha
    long double cops4corg() const; // Σ cops·pop: FOM C that counts into Corg, kg C/ha

    const std::vector<Ropsprm>& classes() const { return classes_; }
    bool empty() const { return classes_.empty(); }
    void clear() { classes_.clear(); }

    // The classes as the saved organic matter state holds them (without pop and mkd).
    std::vector<FomClassState> states() const;
    // A list from saved classes; pop becomes 1 and mkd 0, which the saved state does not keep.
    static FomList from_states(const std::vector<FomClassState>& states);

private:
    std::vector<Ropsprm> classes_;
};

} // namespace sim

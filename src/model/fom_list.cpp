// fom_list.cpp --- the fresh organic matter classes of a plot and their decomposition.
#include "model/fom_list.h"

#include "db/value.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace sim {

void FomList::add_ops_rec(double pop, double cnr, double k, double eta, double cops, int mkd,
                          int item_ix) {
    if (!(cnr > 0) || !std::isfinite(cnr))
        throw std::invalid_argument("FOM input of item " + std::to_string(item_ix) +
                                    ": C/N ratio " + db::format_cstr(cnr) + " is not positive");
    const long double c = cnr, kk = k, e = eta;
    for (Ropsprm& r : classes_) {
        if (r.cnr == c && r.k == kk && r.eta == e && r.item_ix == item_ix) {
            r.cops += cops;
            return;
        }
    }
    Ropsprm r;
    r.item_ix = item_ix;
    r.mkd = mkd;
    r.pop = pop;
    r.cops = cops;
    r.cnr = c;
    r.k = kk;
    r.eta = e;
    classes_.push_back(r);
}

long double FomList::get_c_ops() const {
    long double sum = 0;
    for (const Ropsprm& r : classes_) sum += r.cops;
    return sum;
}

long double FomList::get_n_ops() const {
    long double sum = 0;
    for (const Ropsprm& r : classes_) sum += r.cops / r.cnr;
    return sum;
}

long double FomList::cops4corg() const {
    long double sum = 0;
    for (const Ropsprm& r : classes_) sum += r.cops * r.pop;
    return sum;
}

std::vector<FomClassState> FomList::states() const {
    std::vector<FomClassState> out;
    out.reserve(classes_.size());
    for (const Ropsprm& r : classes_) {
        FomClassState s;
        s.item_ix = r.item_ix;
        s.cops = static_cast<double>(r.cops);
        s.repflx = static_cast<double>(r.repflx);
        s.cnr = static_cast<double>(r.cnr);
        s.k = static_cast<double>(r.k);
        s.eta = static_cast<double>(r.eta);
        out.push_back(s);
    }
    return out;
}

FomList FomList::from_states(const std::vector<FomClassState>& states) {
    FomList list;
    list.classes_.reserve(states.size());
    for (const FomClassState& s : states) {
        Ropsprm r;
        r.item_ix = s.item_ix;
        r.repflx = s.repflx;
        r.cops = s.cops;
        r.cnr = s.cnr;
        r.k = s.k;
        r.eta = s.eta;
        list.classes_.push_back(r);
    }
    return list;
}

} // namespace sim

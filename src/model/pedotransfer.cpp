// pedotransfer.cpp --- soil physics from texture and organic carbon.
#include "model/pedotransfer.h"

#include "db/value.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace sim {

namespace {

// The bulk density that bd_corg approaches for a small positive soil coefficient: the upper
// limit of densities whose coefficient can be fitted.
constexpr double bd_limit = 2.684;
constexpr double bd_decline = 140.943;

// Regula falsi steps before the coefficient fit gives up. Realistic soils settle in well under
// a thousand; densities of a few mg/cm³ on carbon-rich soils need tens of thousands.
constexpr int max_fit_steps = 1'000'000;

std::string num(double v) {
    return db::format_cstr(v);
}

[[noreturn]] void fail(const std::string& what) {
    throw SoilError(what);
}

double round6(double v) {
    return db::round_half_even(v * 1e6) / 1e6;
}

} // namespace

double grain_interp(double d, double d_hi, double d_lo, double p_hi, double p_lo) {
    for (const double diameter : {d, d_hi, d_lo})
        if (!(diameter > 0)) fail("grain diameter " + num(diameter) + " mm is not positive");
    if (d_hi == d_lo) fail("grain diameters " + num(d_hi) + " mm of both points are equal");
    const double ln_lo = std::log(d_lo);
    return p_lo + (std::log(d) - ln_lo) * (p_hi - p_lo) / (std::log(d_hi) - ln_lo);
}

double silt_usda(double silt, double clay) {
    return grain_interp(0.05, 0.063, 0.002, clay + silt, clay) - clay;
}

double sand_usda(double silt, double clay) {
    return std::max(100 - clay - silt_usda(silt, clay), 1e-8);
}

double bd_corg(double corg, double clay, double k) {
    if (k != 0) return (bd_limit - bd_decline * k) * std::exp(-10 * corg * k);
    return 1.64 - 0.0075 * clay - 0.0611 * corg;
}

double bd_slope4bd(double corg, double bd) {
    if (!(bd > 0 && bd < bd_limit))
        fail("no soil coefficient for the bulk density " + num(bd) +
             " g/cm³: it must lie above 0 and below 2.684");
    if (!(corg >= 0) || !std::isfinite(corg))
        fail("no soil coefficient for the organic carbon content " + num(corg) + " %");
    const auto f = [&](double x) { return bd_corg(corg, 0, x) - bd; };
    // f(1) < 0, and f(k) > 0 for every small k > 0. f(0) itself is the regression of bd_corg
    // (k = 0 means none) and may be negative; the steps then close on the root from above.
    double lo = 0, hi = 1;
    double f_lo = f(lo), f_hi = f(hi);
    for (int step = 0; step < max_fit_steps; ++step) {
        const double x =
            (std::abs(f_lo) * hi + std::abs(f_hi) * lo) / (std::abs(f_lo) + std::abs(f_hi));
        const double fx = f(x);
        if (fx < 0) {
            hi = x;
            f_hi = fx;
        } else {
            lo = x;
            f_lo = fx;
        }
        if (std::abs(fx) / bd < 0.0001) return x;
    }
    fail("the soil coefficient for the bulk density " + num(bd) + " g/cm³ and the organic carbon " +
         num(corg) + " % does not settle");
}

double bd_clay_slope(double clay, double k) {
    if (k != 0) return k;
    return (1.78345 - 0.0081 * clay - bd_limit) / bd_decline;
}

double bd_corg_clay(double corg, double clay, double k) {
    const double s = bd_clay_slope(clay, k);
    return (bd_limit + bd_decline * s) * std::exp(10 * corg * s);
}

double pd_corg(double corg, double clay, double pd_min) {
    const double w = corg / 55; // organic share of the solids
    const double mineral = pd_min > 0 ? pd_min : 2.659 + 0.003 * clay;
    const double volume = w / (1.127 + 0.373 * w) + (1 - w) / mineral; // cm³/g of solids
    if (!(volume > 0) || !std::isfinite(volume))
        fail("no particle density for the organic carbon content " + num(corg) + " % and clay " +
             num(clay) + " %");
    return 1 / volume;
}

VanGenuchten vg_vereecken(double silt, double clay, double corg, double bd) {
    const double s = sand_usda(silt, clay);
    const double c = clay;
    VanGenuchten p;
    p.theta_s = 0.81 - 0.283 * bd + 0.001 * c;
    p.theta_r = 0.015 + 0.005 * c + 0.014 * corg;
    p.alpha = round6(std::exp(-2.486 + 0.025 * s - 0.351 * corg - 2.617 * bd - 0.023 * c));
    p.n = round6(std::exp(0.053 - 0.009 * s - 0.013 * c + 0.00015 * s * s));
    p.m = 1;
    return p;
}

VanGenuchten vg_zacharias(double silt, double clay, double bd) {
    if (!(clay > 0))
        fail("no van Genuchten parameters after Zacharias for clay " + num(clay) + " %");
    const double s = sand_usda(silt, clay);
    const double c = clay;
    VanGenuchten p;
    p.theta_r = 0;
    if (s < 66.6) {
        p.theta_s = 0.788 - 0.263 * bd + 0.001 * c;
        p.alpha = std::exp(-0.648 + 0.023 * s - 3.1618 * bd + 0.044 * c);
        p.n = 1.392 - 0.4189 * std::pow(s, -0.024) + 1.212 * std::pow(c, -0.704);
    } else {
        p.theta_s = 0.89 - 0.322 * bd + 0.001 * c;
        p.alpha = std::exp(-4.197 + 0.013 * s - 0.276 * bd + 0.076 * c);
        p.n = -2.562 + 7e-9 * std::pow(s, 4.004) + 3.75 * std::pow(c, -0.016);
    }
    p.alpha = round6(p.alpha);
    p.n = round6(p.n);
    p.m = 1 - 1 / p.n;
    return p;
}

double vg_theta(const VanGenuchten& params, double h) {
    const double scaled = std::pow(params.alpha * std::abs(h), params.n);
    return params.theta_r + (params.theta_s - params.theta_r) / std::pow(1 + scaled, params.m);
}

WaterContents bc_rawls(double h_fc, double h_pwp, double pv, double silt, double clay) {
    for (const double h : {h_fc, h_pwp})
        if (!(h > 0)) fail("no Brooks-Corey water content at the suction " + num(h) + " cm");
    const double phi = pv / 100;
    const double s = sand_usda(silt, clay);
    const double c = clay;
    const double s2 = s * s, c2 = c * c, phi2 = phi * phi;
    const double hb =
        std::exp(5.3396738 + 0.1845038 * c - 2.48394546 * phi - 0.00213853 * c2 -
                 0.04356349 * s * phi - 0.61745089 * c * phi + 0.00143598 * s2 * phi2 -
                 0.00855375 * c2 * phi2 - 0.00001282 * s2 * c + 0.00895359 * c2 * phi -
                 0.00072472 * s2 * phi + 0.0000054 * c2 * s + 0.5002806 * phi2 * c);
    const double lambda = std::exp(
        -0.7842831 + 0.0177544 * s - 1.062498 * phi - 0.00005304 * s2 - 0.00273493 * c2 +
        1.11134946 * phi2 - 0.03088295 * s * phi + 0.00026587 * s2 * phi2 - 0.00610522 * c2 * phi2 -
        0.00000235 * s2 * c + 0.00798746 * c2 * phi - 0.00674491 * phi2 * c);
    const double theta_r = -0.0182482 + 0.00087269 * s + 0.00513488 * c + 0.02939286 * phi -
                           0.00015395 * c2 - 0.0010827 * s * phi - 0.00018233 * c2 * phi2 +
                           0.00030703 * c2 * phi - 0.0023584 * phi2 * c;
    const double theta_s = 0.01162 - 0.001473 * s - 0.002236 * c + 0.98402 * phi + 0.0000987 * c2 +
                           0.003616 * s * phi - 0.010859 * c * phi - 0.000096 * c2 * phi -
                           0.002437 * phi2 * s + 0.0115395 * phi2 * c;
    const auto theta = [&](double h) {
        return (theta_r + (theta_s - theta_r) * std::exp(lambda * std::log(hb / h))) * 100;
    };
    return {theta(h_fc), theta(h_pwp)};
}

WaterContents lieberoth(double at, double clay) {
    return {0.85 * at + 3.4, 0.74 * clay + 1.23};
}

double cif_pores(double pwp, double fc, double pv, double mi, double me, double ma) {
    for (const double parameter : {mi, me, ma})
        if (!(parameter > 0)) fail("pore-size parameter " + num(parameter) + " is not positive");
    const double fine = pwp / mi;
    const double weighted = fine + (fc - pwp) / me + (pv - fc) / ma;
    if (weighted == 0)
        fail("no pore share for the pore volume " + num(pv) + " %, field capacity " + num(fc) +
             " % and wilting point " + num(pwp) + " %");
    return fine / weighted;
}

int soil_cat(double available_water) {
    if (available_water >= 23) return 4;
    if (available_water >= 20) return 3;
    if (available_water > 15) return 2;
    return 1;
}

} // namespace sim

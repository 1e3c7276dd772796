// pedotransfer.h --- soil physics from texture and organic carbon: grain-size interpolation,
// bulk and particle density, water retention (van Genuchten, Brooks-Corey) and pore shares.
//
// Units: grain fractions (clay, silt, sand, FAT) in % by mass, with the German size limits
// (clay < 0.002 mm, silt 0.002-0.063 mm, FAT = finer than 0.0063 mm); organic carbon in % by
// mass; bulk and particle density in g/cm³; pore volume and water contents in % by volume
// unless said otherwise; matric suction h in cm water column (hPa), as the model parameters
// H_FC and H_PWP hold it.
#pragma once

#include <stdexcept>

namespace sim {

// A soil value for which a pedotransfer function is not defined. The message names the
// value; the caller adds the plot.
class SoilError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Cumulative percentage finer than d on a straight line through (ln d_lo, p_lo) and
// (ln d_hi, p_hi); inter- or extrapolates. Throws SoilError for a diameter <= 0 or d_hi = d_lo.
double grain_interp(double d,    // d: diameter sought, mm
                    double d_hi, // d_hi: diameter of the upper point, mm
                    double d_lo, // d_lo: diameter of the lower point, mm
                    double p_hi, // p_hi: % by mass finer than d_hi
                    double p_lo  // p_lo: % by mass finer than d_lo
);                               // result: % by mass finer than d

// USDA silt (0.002-0.05 mm) from German silt (0.002-0.063 mm); result in % by mass.
double silt_usda(double silt, // silt: 0.002-0.063 mm, % by mass
                 double clay  // clay: < 0.002 mm, % by mass
);

// USDA sand (> 0.05 mm), at least 1e-8; result in % by mass.
double sand_usda(double silt, // silt: 0.002-0.063 mm, % by mass
                 double clay  // clay: < 0.002 mm, % by mass
);

// Bulk density from organic carbon: with the soil coefficient k the exponential law, with
// k = 0 the linear regression on clay and carbon. Result in g/cm³.
double bd_corg(double corg, // corg: organic carbon, % by mass
               double clay, // clay: % by mass (used only when k = 0)
               double k     // k: soil coefficient, 1/(% C); 0 for none
);

// The soil coefficient k in (0, 1) with bd_corg(corg, 0, k) = bd, found by regula falsi to a
// relative error of 1e-4. Throws SoilError when no such k exists (bd <= 0, bd >= 2.684, the
// density that bd_corg approaches for small k), for a negative or non-finite corg, and when the
// iteration does not settle. Result in 1/(% C); the caller keeps it as the current soil
// coefficient for the turnover model.
double bd_slope4bd(double corg, // corg: organic carbon, % by mass
                   double bd    // bd: bulk density, g/cm³
);

// The coefficient s of bd_corg_clay: k if k != 0, else the slope that makes the bulk density
// at corg = 0 equal to 1.78345 - 0.0081·clay. Negative for every clay content >= 0, the opposite
// sign of bd_corg's k: bd_corg(corg, 0, -s) equals bd_corg_clay(corg, clay, 0). Result in 1/(% C).
double bd_clay_slope(double clay, // clay: % by mass
                     double k     // k: soil coefficient, 1/(% C); 0 for none
);

// Bulk density from organic carbon and clay: (2.684 + 140.943·s)·exp(10·corg·s) with
// s = bd_clay_slope(clay, k). Result in g/cm³.
double bd_corg_clay(double corg, // corg: organic carbon, % by mass
                    double clay, // clay: % by mass
                    double k     // k: soil coefficient, 1/(% C); 0 for none
);

// Particle density of a mixture of organic matter and minerals. Throws SoilError when the
// mixture's specific volume is not positive (possible only for corg outside 0-100 %).
double pd_corg(double corg,  // corg: organic carbon, % by mass
               double clay,  // clay: % by mass (mineral density when pd_min <= 0)
               double pd_min // pd_min: mineral particle density, g/cm³; <= 0 for none
);                           // result: particle density, g/cm³

// Van Genuchten water retention parameters.
struct VanGenuchten {
    double theta_r = 0; // theta_r: residual water content, cm³/cm³
    double theta_s = 0; // theta_s: saturated water content, cm³/cm³
    double alpha = 0;   // alpha: inverse air-entry suction, 1/cm
    double n = 0;       // n: shape parameter, dimensionless
    double m = 0;       // m: shape parameter, dimensionless
};

// Parameters after Vereecken (m = 1); alpha and n rounded to six decimals, halves to even.
VanGenuchten vg_vereecken(double silt, // silt: % by mass
                          double clay, // clay: % by mass
                          double corg, // corg: organic carbon, % by mass
                          double bd    // bd: bulk density, g/cm³
);

// Parameters after Zacharias and Wessolek (theta_r = 0, m = 1 - 1/n with the rounded n);
// alpha and n rounded to six decimals, halves to even. Throws SoilError for clay <= 0, which
// the regression raises to negative powers.
VanGenuchten vg_zacharias(double silt, // silt: % by mass
                          double clay, // clay: % by mass, > 0
                          double bd    // bd: bulk density, g/cm³
);

// Water content at the suction |h|; result in cm³/cm³ (a volume fraction).
double vg_theta(const VanGenuchten& params, // params: van Genuchten parameters
                double h                    // h: matric suction, cm (sign ignored)
);

// Field capacity and wilting point.
struct WaterContents {
    double fc = 0;  // fc: field capacity, % by volume
    double pwp = 0; // pwp: permanent wilting point, % by volume
};

// Brooks-Corey water contents with the regression of Rawls and Brakensiek. Throws SoilError
// for a suction <= 0, whose logarithm the Brooks-Corey law takes.
WaterContents bc_rawls(double h_fc,  // h_fc: suction at field capacity, cm, > 0
                       double h_pwp, // h_pwp: suction at the wilting point, cm, > 0
                       double pv,    // pv: pore volume, % by volume
                       double silt,  // silt: % by mass
                       double clay   // clay: % by mass
);

// Water contents after Lieberoth: FC = 0.85·at + 3.4, PWP = 0.74·clay + 1.23.
WaterContents lieberoth(double at,  // at: fraction finer than 0.01 mm, % by mass
                        double clay // clay: % by mass
);

// Share of the fine pores in the pore space weighted by pore size class:
// f/(f + (fc - pwp)/me + (pv - fc)/ma) with f = pwp/mi. Result dimensionless. Throws SoilError
// for a pore-size parameter <= 0 and for a pore space whose weighted sum is 0.
double cif_pores(double pwp, // pwp: permanent wilting point, % by volume
                 double fc,  // fc: field capacity, % by volume
                 double pv,  // pv: pore volume, % by volume
                 double mi,  // mi: fine-pore parameter, > 0
                 double me,  // me: medium-pore parameter, > 0
                 double ma   // ma: coarse-pore parameter, > 0
);

// Soil category from the available water FC - PWP (% by volume): 1 up to 15, 2 above 15,
// 3 from 20, 4 from 23.
int soil_cat(double available_water // available_water: FC - PWP, % by volume
);

} // namespace sim

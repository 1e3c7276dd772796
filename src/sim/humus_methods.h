// humus_methods.h --- the published humus balance methods besides the turnover model: the
// HUBA family (and "NULL"), STAND, SALCA and HUMOD. Each chain builds, from the cultivation
// record and the method's coefficient tables, one table with one row per plot and year; the
// final stage walks the method's run statement plot by plot and year by year.
//
// Every work table of a chain is dropped (a failure ignored) and rebuilt; each step writes a
// list line with its row count. A failing statement throws db::Error with the database's
// message. The chains run after tmp_soil_prop has been rebuilt for the selected plots
// (HUBA: before; its run statement needs it).
#pragma once

#include "sim/n_deposition.h"

#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace sim {

struct RunContext;

// --- HUBA family and "NULL" ---------------------------------------------------------------

// Sets the working coefficients huba_crop.huba and huba_oram.huba by the end of the method name
// (trimmed): a last character "1", "2" or "3" takes HÄQ for the amendments; "_1" (and "NULL")
// LUFA1, "_2" LUFA2, "_3" LUFA3 for the crops; "HE" HE_crop and HE_od. Other endings ("UG",
// "OG", ...) keep the coefficients of the previous run.
void choose_huba_coefficients(db::Connection& conn, const std::string& method);

// The coefficients by ctx.sim.methode, then hubi_c_from_crop_, HUBI_C_from_oram_ (amendments
// and the by-products of Macode 9), their yearly sums and hubi_c_bilanz (FL_ID, year_, Corg,
// hb_crop, HB_ORAM): one row per plot and year of the cultivation record (Macode <> 4), Corg
// the initial measurement of that year or -99.
void huba_chain(RunContext& ctx);

// Builds huba_fin_res for the selected plots and returns the run statement, by plot and year:
// FL_ID, year_0, Corg, hb_crop, hb_ORAM, BD, skelett, cif (999). Missing balances are Null.
std::string huba_run_statement(RunContext& ctx);

// --- STAND ----------------------------------------------------------------------------------

// flid2stgr (the plot's site group), STAND_OA_INP (amendments and by-products, one zero row per
// plot), STAND_time, hum_vb_od, STAND_OA_bal (hbil_oa per plot) and STAND_CR_bal (hbil_cr per
// plot and year). A plot whose site attributes match several site groups takes the smallest
// group (the more specific rule); a selected plot without a site group is left out with a list
// line "STAND: no site group (vb_st_gr, st_gruppe) for FL_ID <n>; plot left out".
void stand_chain(RunContext& ctx);

// Builds stand_fin_res and returns the run statement, by plot and year: FL_ID, year_0, hbil_cr,
// hbil_oa (0 for a plot without a valid amendment), hbil, delta_c, corg, BD, skelett, cif.
std::string stand_run_statement(RunContext& ctx);

// --- SALCA ----------------------------------------------------------------------------------

// salca_ff_wirkung, salca_mink (minK_net per plot), salca_HR_crop, salca_HR_od, salca_HR_kp and
// salca_hubi (per selected plot and crop year: BD, skelett, cif, corg0, hr_cr, minK_net, hr_kp,
// hr_od, hubi, soc_loss).
void salca_chain(RunContext& ctx);

// The run statement, by plot and year: fl_id, year_0, delta_c (hubi), corg (corg0, a C stock in
// kg/ha), bd, skelett, cif, hr_od, hr_cr.
std::string salca_run_statement(RunContext& ctx);

// --- HUMOD ----------------------------------------------------------------------------------

// tmp_humod_nur (the N utilisation factors of the selected plots from climate and clay), then,
// with the factors of humod_nur: korr_humod_sonloss_md, korr_humod_sonloss_od,
// hb_humod_ndfa_hlp1, hb_humod_ndfa_hlp, hb_humod_ndfa_hlp2 (needs tmp_ndeposit: run
// n_deposition_step first), hb_humod_socsup_y, hb_humod_socsup_OD, hb_humod_socsup_KP,
// hb_humod_n_loss_hlp, hb_humod_n_loss and humod_balance (FL_ID, year, son_dec, soc_rep,
// son_rep) per plot and crop year with a deposition value. Selected plots without a row in
// humod_nur, or with NURC_4 not above 0 (son_dec divides by it), are left out with a list line.
void humod_chain(RunContext& ctx);

// Builds cnr4humod (cnr = initial Corg / initial Nt per plot, only where both are above 0) and
// returns the run statement, by plot and year: FL_ID, year_0, delta_c, delta_n, corg, BD,
// skelett, cif (-99), son_dec, soc_rep. A selected plot without a usable initial Nt (or Corg)
// is left out, with the list line "HUMOD: no initial Nt for FL_ID <n>; plot left out" (or
// "HUMOD: initial Corg not above 0 ...").
std::string humod_run_statement(RunContext& ctx);

// The selected plots (rows of tmp_soil_prop) that cnr4humod leaves out; after
// humod_run_statement().
std::vector<int> humod_plots_without_cnr(db::Connection& conn);

} // namespace sim

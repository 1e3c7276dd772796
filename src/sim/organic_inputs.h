// organic_inputs.h --- the fresh organic matter a run feeds to the turnover model: the
// simulated quantities of the cultivation record, the reproduction records with their yearly
// sums, and the model's input table, all for the plots with site_state.status = 1.
#pragma once

namespace sim {

struct RunContext;

// Writes cultivation.Sim_Quantity (amendment carbon for code 3, harvested nitrogen for codes
// 2 and 9), rebuilds crep_h1 (residue, amendment and by-product records), crep_year (their
// yearly sums weighted by the plot share, with the initial Corg and Norg) and _cropping_dt
// (the crop rows of codes 0, 2 and 9). The plot share comes from `part` in the regional
// mode, from `FL_ID_alt` otherwise. Each statement writes its count message; a failing
// statement (other than a drop) throws db::Error.
void input_quantities(RunContext& ctx);

// Rebuilds _koppel_prdkt (returned by-products and ploughed-up matter), _org_dnger (organic
// amendments) and the model's input table opstab with its marks and its index flid_ix.
// Reads _cropping_dt, so input_quantities runs first. Each statement writes its count
// message; a failing statement (other than a drop or the mark update) throws db::Error.
void organic_inputs(RunContext& ctx);

} // namespace sim

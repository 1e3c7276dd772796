// humus_humod.cpp --- the HUMOD humus balance: the N bound in soil organic matter that crops
// take up beyond what fertilisers, amendments, deposition and fixation supply, against the C and
// N the residues, by-products and amendments return; turned into C by the soil's C/N ratio.
#include "db/connection.h"
#include "sim/humus_methods.h"
#include "sim/humus_work_tables.h"
#include "sim/run_driver.h"

namespace sim {
namespace {

// N utilisation factors of the selected plots from the station's mean precipitation and the
// clay content (a missing clay content, -99, gives none).
constexpr const char* utilisation_factors =
    " SELECT field_description.FL_ID, field_description.climate_ID, field_description.soil_ID, "
    "soilproperties.clay, \n"
    " Avg(climate_data.temperature) AS MW_LT, Avg(climate_data.precipitation) AS MW_NIED, \n"
    " (100-Avg(climate_data.precipitation)/(soilproperties.clay+15))/100 AS NURC_1, \n"
    " (100-Avg(climate_data.precipitation)/(soilproperties.clay+10))/100 AS NURC_2, \n"
    " (100-Avg(climate_data.precipitation)/(soilproperties.clay+10))/100 AS NURC_3, \n"
    " (100-Avg(climate_data.precipitation)/(soilproperties.clay+20))/100 AS NURC_4, \n"
    " (100-Avg(climate_data.precipitation)/(soilproperties.clay+20))/100 AS NURS INTO "
    "tmp_humod_nur \n"
    " FROM ((site_state INNER JOIN field_description ON site_state.FL_ID = "
    "field_description.FL_ID) \n"
    " INNER JOIN soilproperties ON field_description.soil_ID = soilproperties.soil_ID) \n"
    " INNER JOIN climate_data ON field_description.climate_ID = climate_data.climate_ID \n"
    " WHERE site_state.status=1 AND soilproperties.clay>=0 \n"
    " GROUP BY field_description.FL_ID, field_description.climate_ID, field_description.soil_ID, "
    "soilproperties.clay ";

// Mineral N fertiliser (Macode 4) lost from utilisation.
constexpr const char* mineral_n_loss =
    " SELECT cultivation.FL_ID, cultivation.[year], "
    "Sum(cultivation.Quantity*humod_nur.NURC_1) AS ksonloss_MD INTO korr_humod_sonloss_md \n"
    " FROM cultivation INNER JOIN humod_nur ON cultivation.FL_ID = humod_nur.fl_id \n"
    " WHERE cultivation.Macode=4 GROUP BY cultivation.FL_ID, cultivation.[year] ";

// Organic amendment N (Macode 3) lost from utilisation.
constexpr const char* amendment_n_loss =
    " SELECT cultivation.FL_ID, cultivation.[year], "
    "Sum(cultivation.Quantity*humod_fert_parm.F_kgfert*humod_fert_parm.DM*humod_fert_parm.NconcDM"
    "*(humod_fert_parm.F_nfym*humod_nur.NURC_2+humod_nur.NURC_1*humod_fert_parm.F_nfert)) AS "
    "ksonloss_OD INTO korr_humod_sonloss_od \n"
    " FROM (cultivation INNER JOIN humod_fert_parm ON cultivation.Item_IX = "
    "humod_fert_parm.item_ix) \n"
    " INNER JOIN humod_nur ON cultivation.FL_ID = humod_nur.fl_id \n"
    " WHERE cultivation.Macode=3 GROUP BY cultivation.FL_ID, cultivation.[year] ";

// N taken up by the crops (main product, residues, by-product) per plot and year.
constexpr const char* crop_n_uptake =
    " SELECT cultivation.FL_ID, cultivation.[year], \n"
    " Sum(cultivation.Quantity*100*humod_crop_parm.DMMP*(humod_crop_parm.NconMP+humod_crop_parm."
    "F_NPB+humod_crop_parm.MP_SP*humod_crop_parm.NconSP)) AS hsonloss, \n"
    " Sum(humod_crop_parm.s_dnmin) AS sdnmin, \n"
    " Sum(cultivation.Quantity*100*humod_crop_parm.DMMP*(humod_crop_parm.NconMP+humod_crop_parm."
    "F_NPB+humod_crop_parm.MP_SP*humod_crop_parm.NconSP)*humod_crop_parm.F_NDFA) AS hndfa1, \n"
    " Sum(cultivation.Quantity*100*humod_crop_parm.DMMP*(humod_crop_parm.NconMP+humod_crop_parm."
    "F_NPB+humod_crop_parm.MP_SP*humod_crop_parm.NconSP)*0.6) AS n_korr_max INTO "
    "hb_humod_ndfa_hlp1 \n"
    " FROM cultivation INNER JOIN humod_crop_parm ON cultivation.Item_IX = "
    "humod_crop_parm.item_ix \n"
    " WHERE cultivation.Macode In (2,9) GROUP BY cultivation.FL_ID, cultivation.[year] ";

// The plot's utilisation factor of soil N; son_dec divides by it, so only factors above 0.
constexpr const char* with_soil_n_factor =
    " SELECT hb_humod_ndfa_hlp1.FL_ID, hb_humod_ndfa_hlp1.[year], hb_humod_ndfa_hlp1.hsonloss, "
    "hb_humod_ndfa_hlp1.sdnmin, hb_humod_ndfa_hlp1.hndfa1, hb_humod_ndfa_hlp1.n_korr_max, "
    "humod_nur.NURC_4 AS nurnh INTO hb_humod_ndfa_hlp \n"
    " FROM hb_humod_ndfa_hlp1 INNER JOIN humod_nur ON hb_humod_ndfa_hlp1.FL_ID = humod_nur.fl_id "
    "\n"
    " WHERE humod_nur.NURC_4>0 ";

// Deposition N (the plot's station and year; a year without a value in the series has no row)
// and the fertiliser and amendment losses, 0 where there are none.
constexpr const char* with_n_inputs =
    " SELECT h.FL_ID, h.[year], h.hsonloss, h.sdnmin, h.hndfa1, h.n_korr_max, h.nurnh, \n"
    " tmp_ndeposit.N_dep_y*humod_nur.NURC_3*0.5 AS ksonloss_ND, \n"
    " IIf(od.ksonloss_OD Is Null, 0, od.ksonloss_OD) AS ksonloss_od, \n"
    " IIf(md.ksonloss_MD Is Null, 0, md.ksonloss_MD) AS ksonloss_MD INTO hb_humod_ndfa_hlp2 \n"
    " FROM ((((hb_humod_ndfa_hlp AS h INNER JOIN humod_nur ON h.FL_ID = humod_nur.fl_id) \n"
    " INNER JOIN field_description ON h.FL_ID = field_description.FL_ID) \n"
    " INNER JOIN tmp_ndeposit ON (field_description.climate_ID = tmp_ndeposit.climate_id) AND "
    "(h.[year] = tmp_ndeposit.[year])) \n"
    " LEFT JOIN korr_humod_sonloss_od AS od ON (h.FL_ID = od.FL_ID) AND (h.[year] = od.[year])) "
    "\n"
    " LEFT JOIN korr_humod_sonloss_md AS md ON (h.FL_ID = md.FL_ID) AND (h.[year] = md.[year]) \n"
    " WHERE tmp_ndeposit.N_dep_y>=0 ";

// Humus C and N supplied by the residues of the crops.
constexpr const char* crop_supply =
    " SELECT cultivation.FL_ID, cultivation.[year], \n"
    " Sum(cultivation.Quantity*100*humod_crop_parm.DMMP*humod_crop_parm.F_SOCSUPHR) AS socsup_y, "
    "\n"
    " Sum(cultivation.Quantity*100*humod_crop_parm.DMMP*humod_crop_parm.F_SONSUPHR) AS sonsup_y "
    "INTO hb_humod_socsup_y \n"
    " FROM cultivation INNER JOIN humod_crop_parm ON cultivation.Item_IX = "
    "humod_crop_parm.item_ix \n"
    " WHERE cultivation.Macode In (2,9) GROUP BY cultivation.FL_ID, cultivation.[year] ";

// Humus C and N supplied by the organic amendments.
constexpr const char* amendment_supply =
    " SELECT cultivation.FL_ID, cultivation.[year], \n"
    " Sum(cultivation.Quantity*humod_fert_parm.F_kgfert*humod_fert_parm.DM*humod_fert_parm."
    "CconcDM) AS socsup_OD, \n"
    " Sum(cultivation.Quantity*humod_fert_parm.F_kgfert*humod_fert_parm.DM*humod_fert_parm."
    "NconcDM*(1-humod_fert_parm.F_NFERT*humod_nur.NURC_1-humod_fert_parm.F_NFYM*humod_nur.NURC_2)"
    "*humod_nur.NURS) AS sonsup_od INTO hb_humod_socsup_OD \n"
    " FROM (cultivation INNER JOIN humod_fert_parm ON cultivation.Item_IX = "
    "humod_fert_parm.item_ix) \n"
    " INNER JOIN humod_nur ON cultivation.FL_ID = humod_nur.fl_id \n"
    " WHERE cultivation.Macode=3 GROUP BY cultivation.FL_ID, cultivation.[year] ";

// Humus C and N supplied by the by-products left on the field (Macode 9).
constexpr const char* by_product_supply =
    " SELECT cultivation.FL_ID, cultivation.[year], \n"
    " Sum(cultivation.Quantity*100*humod_crop_parm.DMMP*humod_crop_parm.MP_SP*0.4) AS socsup_kp, "
    "\n"
    " Sum(cultivation.Quantity*100*humod_crop_parm.DMMP*humod_crop_parm.MP_SP*humod_crop_parm."
    "NconSP) AS sonsup_kp INTO hb_humod_socsup_KP \n"
    " FROM cultivation INNER JOIN humod_crop_parm ON cultivation.Item_IX = "
    "humod_crop_parm.item_ix \n"
    " WHERE cultivation.Macode=9 GROUP BY cultivation.FL_ID, cultivation.[year] ";

// N from fixation beyond the fertiliser, amendment and deposition corrections.
constexpr const char* fixation =
    " SELECT FL_ID, [year], hsonloss, sdnmin, hndfa1, n_korr_max, nurnh, ksonloss_ND, "
    "ksonloss_od, ksonloss_MD, \n"
    " IIf(hndfa1<ksonloss_MD+ksonloss_od+ksonloss_ND, 0, "
    "hndfa1-ksonloss_MD-ksonloss_od-ksonloss_ND) AS NDFA INTO hb_humod_n_loss_hlp \n"
    " FROM hb_humod_ndfa_hlp2 ";

// The correction, at most n_korr_max.
constexpr const char* n_correction =
    " SELECT FL_ID, [year], hsonloss, sdnmin, nurnh, NDFA, ksonloss_MD+ksonloss_od+ksonloss_ND "
    "AS Nk_mnmt, n_korr_max AS NK_max, \n"
    " IIf(ksonloss_MD+ksonloss_od+ksonloss_ND<n_korr_max, ksonloss_MD+ksonloss_od+ksonloss_ND, "
    "n_korr_max) AS N_KORR INTO hb_humod_n_loss \n"
    " FROM hb_humod_n_loss_hlp ";

// The yearly balance of the crop years; missing amendment and by-product supplies count 0.
constexpr const char* balance_rows =
    " SELECT l.FL_ID, l.[year], (l.hsonloss-l.NDFA-l.N_KORR)/l.nurnh-l.sdnmin AS son_dec, \n"
    " y.socsup_y+IIf(od.socsup_OD Is Null, 0, od.socsup_OD)+IIf(kp.socsup_kp Is Null, 0, "
    "kp.socsup_kp) AS soc_rep, \n"
    " y.sonsup_y+IIf(od.sonsup_od Is Null, 0, od.sonsup_od)+IIf(kp.sonsup_kp Is Null, 0, "
    "kp.sonsup_kp) AS son_rep INTO humod_balance \n"
    " FROM ((hb_humod_n_loss AS l INNER JOIN hb_humod_socsup_y AS y ON (l.FL_ID = y.FL_ID) AND "
    "(l.[year] = y.[year])) \n"
    " LEFT JOIN hb_humod_socsup_OD AS od ON (l.FL_ID = od.FL_ID) AND (l.[year] = od.[year])) \n"
    " LEFT JOIN hb_humod_socsup_KP AS kp ON (l.FL_ID = kp.FL_ID) AND (l.[year] = kp.[year]) \n"
    " ORDER BY l.FL_ID, l.[year] ";

// The soil's C/N ratio from the initial measurements, only where both values are above 0.
constexpr const char* initial_cn_ratio =
    " SELECT c.FL_ID, c.meas_value/n.meas_value AS cnr INTO cnr4humod \n"
    " FROM measurements AS c INNER JOIN measurements AS n ON c.FL_ID = n.FL_ID \n"
    " WHERE c.M_IX=7 AND c.year_number=0 AND n.M_IX=0 AND n.year_number=0 AND c.meas_value>0 "
    "AND n.meas_value>0 ";

// C supply: the N supply times the C/N ratio, at most the C supply itself.
constexpr const char* run_rows =
    " SELECT humod_balance.FL_ID, humod_balance.[year] AS year_0, \n"
    " IIf(humod_balance.son_rep*cnr4humod.cnr<humod_balance.soc_rep, "
    "humod_balance.son_rep*cnr4humod.cnr, humod_balance.soc_rep)-humod_balance.son_dec*cnr4humod."
    "cnr AS delta_c, \n"
    " IIf(humod_balance.son_rep*cnr4humod.cnr<humod_balance.soc_rep, humod_balance.son_rep, "
    "humod_balance.soc_rep/cnr4humod.cnr)-humod_balance.son_dec AS delta_n, \n"
    " tmp_soil_prop.corg, tmp_soil_prop.BD, tmp_soil_prop.skelett, -99 AS cif, "
    "humod_balance.son_dec, humod_balance.soc_rep \n"
    " FROM (humod_balance INNER JOIN cnr4humod ON humod_balance.FL_ID = cnr4humod.FL_ID) \n"
    " INNER JOIN tmp_soil_prop ON humod_balance.FL_ID = tmp_soil_prop.FL_ID \n"
    " ORDER BY humod_balance.FL_ID, humod_balance.[year] ";

// Selected plots whose soil N utilisation factor is not above 0.
constexpr const char* without_soil_n_factor =
    " SELECT DISTINCT tmp_soil_prop.FL_ID FROM tmp_soil_prop INNER JOIN humod_nur ON "
    "tmp_soil_prop.FL_ID = humod_nur.fl_id \n"
    " WHERE humod_nur.NURC_4 Is Null OR humod_nur.NURC_4<=0 ORDER BY tmp_soil_prop.FL_ID ";

void report_factors(RunContext& ctx) {
    humus::report_left_out(ctx, humus::plots_missing_in(ctx.conn, "humod_nur", "fl_id"), "HUMOD",
                           "no N utilisation factors (humod_nur)");
    humus::report_left_out(ctx, humus::plot_numbers(ctx.conn, without_soil_n_factor), "HUMOD",
                           "N utilisation factor NURC_4 not above 0");
}

bool has_initial_nt(db::Connection& conn, int plot) {
    return conn.scalar("SELECT Count(*) FROM measurements WHERE FL_ID=" + std::to_string(plot) +
                       " AND M_IX=0 AND year_number=0 AND meas_value>0")
               .as_int() > 0;
}

} // namespace

void humod_chain(RunContext& ctx) {
    humus::rebuild(ctx, "tmp_humod_nur", utilisation_factors, "tmp_humod_nur :");
    report_factors(ctx);
    humus::rebuild(ctx, "korr_humod_sonloss_md", mineral_n_loss, "korr_humod_sonloss_md :");
    humus::rebuild(ctx, "korr_humod_sonloss_od", amendment_n_loss, "korr_humod_sonloss_od :");
    humus::rebuild(ctx, "hb_humod_ndfa_hlp1", crop_n_uptake, "hb_humod_ndfa_hlp1 :");
    humus::rebuild(ctx, "hb_humod_ndfa_hlp", with_soil_n_factor, "hb_humod_ndfa_hlp :");
    humus::rebuild(ctx, "hb_humod_ndfa_hlp2", with_n_inputs, "hb_humod_ndfa_hlp2 :");
    humus::rebuild(ctx, "hb_humod_socsup_y", crop_supply, "hb_humod_socsup_y :");
    humus::rebuild(ctx, "hb_humod_socsup_OD", amendment_supply, "hb_humod_socsup_OD :");
    humus::rebuild(ctx, "hb_humod_socsup_KP", by_product_supply, "hb_humod_socsup_KP :");
    humus::rebuild(ctx, "hb_humod_n_loss_hlp", fixation, "hb_humod_n_loss_hlp :");
    humus::rebuild(ctx, "hb_humod_n_loss", n_correction, "hb_humod_n_loss :");
    humus::rebuild(ctx, "humod_balance", balance_rows, "humod_balance :");
}

std::string humod_run_statement(RunContext& ctx) {
    humus::rebuild(ctx, "cnr4humod", initial_cn_ratio, "cnr4humod :");
    for (int plot : humod_plots_without_cnr(ctx.conn))
        humus::report_left_out(ctx, {plot}, "HUMOD",
                               has_initial_nt(ctx.conn, plot) ? "initial Corg not above 0"
                                                              : "no initial Nt");
    return run_rows;
}

std::vector<int> humod_plots_without_cnr(db::Connection& conn) {
    return humus::plots_missing_in(conn, "cnr4humod", "FL_ID");
}

} // namespace sim

// humus_stand.cpp --- the STAND humus balance: crop humus reproduction by site group, and the
// humus value of the mean yearly amendments within their valid quantity range.
#include "db/connection.h"
#include "sim/humus_methods.h"
#include "sim/humus_work_tables.h"
#include "sim/run_driver.h"

namespace sim {
namespace {

// The site group of each plot. Site attributes that match several groups (the grouping rules
// overlap) would count the crops once per group; the smallest group, that of the more specific
// rule, is taken.
constexpr const char* site_groups =
    " SELECT vb_st_gr.FL_ID, Min(st_gruppe.standortgr) AS standortgr INTO flid2stgr \n"
    " FROM vb_st_gr INNER JOIN st_gruppe ON (vb_st_gr.ltem = st_gruppe.ltem) AND (vb_st_gr.nied "
    "= st_gruppe.nied) AND (vb_st_gr.BA_RBS = st_gruppe.BA_RBS) \n"
    "   AND (vb_st_gr.FAT = st_gruppe.fat) AND (vb_st_gr.CNR = st_gruppe.CNR) \n"
    " GROUP BY vb_st_gr.FL_ID ";

// Organic amendments (Macode 3) by amendment class.
constexpr const char* amendment_inputs =
    " SELECT cultivation.FL_ID, cultivation.Macode, srbopspa.ros_ix, srbopspa.item_ix, "
    "cultivation.[year], cultivation.Quantity, \"OA\" AS src INTO STAND_OA_INP \n"
    " FROM cultivation INNER JOIN srbopspa ON cultivation.Item_IX = srbopspa.item_ix \n"
    " WHERE cultivation.Macode=3 ";

// By-products left on the field (Macode 9): the crop's by-product, quantity Quantity*HI.
constexpr const char* by_product_inputs =
    " INSERT INTO STAND_OA_INP (FL_ID, Macode, ros_ix, item_ix, [year], Quantity, src) \n"
    " SELECT cultivation.FL_ID, cultivation.Macode, srbopspa.ros_ix, srbopspa.item_ix, "
    "cultivation.[year], cultivation.Quantity*srbpflan.HI, \"KP\" \n"
    " FROM (cultivation INNER JOIN srbpflan ON cultivation.Item_IX = srbpflan.ITEM_IX) \n"
    " INNER JOIN srbopspa ON srbpflan.kop_ix = srbopspa.item_ix \n"
    " WHERE cultivation.Macode=9 ";

// The crop years of each plot; Dauer is at least 1.
constexpr const char* crop_period =
    " SELECT cultivation.FL_ID, Max(cultivation.[year]) AS Maxyear, Min(cultivation.[year]) AS "
    "Minyear, 1+Max(cultivation.[year])-Min(cultivation.[year]) AS Dauer INTO STAND_time \n"
    " FROM cultivation WHERE cultivation.Macode In (2,9) GROUP BY cultivation.FL_ID ";

// One zero row per plot, so that plots without amendments get an amendment balance.
constexpr const char* zero_rows =
    " INSERT INTO STAND_OA_INP (FL_ID, Macode, ros_ix, item_ix, [year], Quantity, src) \n"
    " SELECT STAND_time.FL_ID, 3, 1, 0, 0, 0, \"OA\" FROM STAND_time ";

// Mean yearly quantity (dt/ha) per plot and amendment class.
constexpr const char* mean_quantities =
    " SELECT STAND_OA_INP.FL_ID, STAND_OA_INP.ros_ix, "
    "Sum(STAND_OA_INP.Quantity/STAND_time.Dauer) AS mquantity, st_ros_od.c_hum, st_ros_od.m_ug, "
    "st_ros_od.m_og INTO hum_vb_od \n"
    " FROM (STAND_OA_INP INNER JOIN STAND_time ON STAND_OA_INP.FL_ID = STAND_time.FL_ID) \n"
    " INNER JOIN st_ros_od ON STAND_OA_INP.ros_ix = st_ros_od.ros_ix \n"
    " GROUP BY STAND_OA_INP.FL_ID, STAND_OA_INP.ros_ix, st_ros_od.c_hum, st_ros_od.m_ug, "
    "st_ros_od.m_og ";

// Humus value of the amendments per plot: only classes whose mean yearly quantity (t/ha) lies
// within the valid range count; every plot of hum_vb_od keeps a row.
constexpr const char* amendment_balance =
    " SELECT hum_vb_od.FL_ID, Sum(IIf(hum_vb_od.mquantity/10 Between hum_vb_od.m_ug And "
    "hum_vb_od.m_og, hum_vb_od.mquantity*hum_vb_od.c_hum/10, 0)) AS hbil_oa INTO STAND_OA_bal \n"
    " FROM hum_vb_od GROUP BY hum_vb_od.FL_ID ";

// Crop humus reproduction per plot and year for the plot's site group.
constexpr const char* crop_balance =
    " SELECT cultivation.FL_ID, cultivation.[year], Sum(st_ros_pfl.ros) AS hbil_cr INTO "
    "STAND_CR_bal \n"
    " FROM ((cultivation INNER JOIN srbpflan ON cultivation.Item_IX = srbpflan.ITEM_IX) \n"
    " INNER JOIN flid2stgr ON cultivation.FL_ID = flid2stgr.FL_ID) \n"
    " INNER JOIN st_ros_pfl ON (srbpflan.ros_ix = st_ros_pfl.ros_ix) AND (flid2stgr.standortgr = "
    "st_ros_pfl.st_gr) \n"
    " WHERE cultivation.Macode In (2,9) GROUP BY cultivation.FL_ID, cultivation.[year] ";

// The final stage's rows; a plot without an amendment balance row counts 0.
constexpr const char* final_rows =
    " SELECT STAND_CR_bal.FL_ID, STAND_CR_bal.[year] AS year_0, STAND_CR_bal.hbil_cr, "
    "IIf(STAND_OA_bal.hbil_oa Is Null, 0, STAND_OA_bal.hbil_oa) AS hbil_oa, \n"
    " Sum(STAND_CR_bal.hbil_cr+IIf(STAND_OA_bal.hbil_oa Is Null, 0, STAND_OA_bal.hbil_oa)) AS "
    "hbil, \n"
    " Sum(STAND_CR_bal.hbil_cr+IIf(STAND_OA_bal.hbil_oa Is Null, 0, "
    "STAND_OA_bal.hbil_oa))*0.0005672/25 AS delta_c, \n"
    " tmp_soil_prop.corg, tmp_soil_prop.BD, tmp_soil_prop.skelett, tmp_soil_prop.cif INTO "
    "stand_fin_res \n"
    " FROM (STAND_CR_bal LEFT JOIN STAND_OA_bal ON STAND_CR_bal.FL_ID = STAND_OA_bal.FL_ID) \n"
    " INNER JOIN tmp_soil_prop ON STAND_CR_bal.FL_ID = tmp_soil_prop.FL_ID \n"
    " GROUP BY STAND_CR_bal.FL_ID, STAND_CR_bal.[year], STAND_CR_bal.hbil_cr, "
    "STAND_OA_bal.hbil_oa, tmp_soil_prop.corg, tmp_soil_prop.BD, tmp_soil_prop.skelett, "
    "tmp_soil_prop.cif \n"
    " ORDER BY STAND_CR_bal.FL_ID, STAND_CR_bal.[year] ";

constexpr const char* run_rows =
    " SELECT FL_ID, year_0, hbil_cr, hbil_oa, hbil, delta_c, corg, BD, skelett, cif FROM "
    "stand_fin_res ORDER BY FL_ID, year_0 ";

} // namespace

void stand_chain(RunContext& ctx) {
    humus::rebuild(ctx, "flid2stgr", site_groups, "flid2stgr :");
    humus::report_left_out(ctx, humus::plots_missing_in(ctx.conn, "flid2stgr", "FL_ID"), "STAND",
                           "no site group (vb_st_gr, st_gruppe)");
    humus::rebuild(ctx, "STAND_OA_INP", amendment_inputs, "STAND_OA_INP :");
    humus::counted(ctx, by_product_inputs, "STAND_OA_INP KP :");
    humus::rebuild(ctx, "STAND_time", crop_period, "STAND_time :");
    humus::counted(ctx, zero_rows, "STAND_OA_INP zero :");
    humus::rebuild(ctx, "hum_vb_od", mean_quantities, "hum_vb_od :");
    humus::rebuild(ctx, "STAND_OA_bal", amendment_balance, "STAND_OA_bal :");
    humus::rebuild(ctx, "STAND_CR_bal", crop_balance, "STAND_CR_bal :");
}

std::string stand_run_statement(RunContext& ctx) {
    db::drop_work_table(ctx.conn, "stand_fin_res");
    ctx.conn.execute(final_rows);
    return run_rows;
}

} // namespace sim

// humus_salca.cpp --- the SALCA humus balance: humus reproduction of crops, by-products and
// amendments against the mineralisation of an initial C stock, whose rate depends on the clay
// content and on the share of crops with intensive or without soil tillage.
#include "db/connection.h"
#include "sim/humus_methods.h"
#include "sim/humus_work_tables.h"
#include "sim/run_driver.h"

namespace sim {
namespace {

// Crop groups of the rotation: bb_faktor 1 (intensive tillage) and -1 (no tillage), counted per
// plot and divided by the length of the crop record (at least 1 year).
constexpr const char* rotation_shares =
    " SELECT cultivation.FL_ID, 1+Max(cultivation.[year])-Min(cultivation.[year]) AS "
    "Anzahlvonyear, \n"
    " Sum(IIf(salca_pflanze.bb_faktor=1, 1, 0)) AS Y_int_bb, Sum(IIf(salca_pflanze.bb_faktor=-1, "
    "1, 0)) AS y_nul_bb, \n"
    " Sum(IIf(salca_pflanze.bb_faktor=1, 1, "
    "0))/(1+Max(cultivation.[year])-Min(cultivation.[year])) AS fint_bb, \n"
    " Sum(IIf(salca_pflanze.bb_faktor=-1, 1, "
    "0))/(1+Max(cultivation.[year])-Min(cultivation.[year])) AS fnul_bb INTO salca_ff_wirkung \n"
    " FROM (cultivation INNER JOIN salca_pflanze ON cultivation.Item_IX = salca_pflanze.ITEM_IX) "
    "\n"
    " INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID \n"
    " WHERE cultivation.Macode In (2,9) AND site_state.status=1 GROUP BY cultivation.FL_ID ";

// Mineralisation rate (% of the C stock per year) from clay, raised by intensive and lowered by
// no tillage, each by at most 0.2.
constexpr const char* mineralisation_rate =
    " SELECT salca_ff_wirkung.FL_ID, 1.6-0.012*soilproperties.clay AS minK_brut, \n"
    " IIf(salca_ff_wirkung.fint_bb>0.4, 0.2, 0.5*salca_ff_wirkung.fint_bb) AS red_INTBB, \n"
    " IIf(salca_ff_wirkung.fnul_bb>0.4, 0.2, 0.5*salca_ff_wirkung.fnul_bb) AS red_nulBB, \n"
    " 1.6-0.012*soilproperties.clay+IIf(salca_ff_wirkung.fint_bb>0.4, 0.2, "
    "0.5*salca_ff_wirkung.fint_bb)-IIf(salca_ff_wirkung.fnul_bb>0.4, 0.2, "
    "0.5*salca_ff_wirkung.fnul_bb) AS minK_net INTO salca_mink \n"
    " FROM (salca_ff_wirkung INNER JOIN field_description ON salca_ff_wirkung.FL_ID = "
    "field_description.FL_ID) \n"
    " INNER JOIN soilproperties ON field_description.soil_ID = soilproperties.soil_ID ";

// Humus reproduction of the harvest and root residues per plot and year.
constexpr const char* crop_reproduction =
    " SELECT cultivation.FL_ID, cultivation.[year], Sum(salca_pflanze.HNB_UR) AS hr_cr INTO "
    "salca_HR_crop \n"
    " FROM (cultivation INNER JOIN salca_pflanze ON cultivation.Item_IX = salca_pflanze.ITEM_IX) "
    "\n"
    " INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID \n"
    " WHERE cultivation.Macode In (2,9) AND site_state.status=1 \n"
    " GROUP BY cultivation.FL_ID, cultivation.[year] ";

// Humus reproduction of the organic amendments: per tonne (F = 1, quantity in dt/ha) or per
// application.
constexpr const char* amendment_reproduction =
    " SELECT cultivation.FL_ID, cultivation.[year], Sum(IIf(salca_orgdng.F=1, "
    "cultivation.Quantity, 1)*salca_orgdng.salca_hum/10) AS hr_OD INTO salca_HR_od \n"
    " FROM (cultivation INNER JOIN salca_orgdng ON cultivation.Item_IX = salca_orgdng.item_ix) \n"
    " INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID \n"
    " WHERE cultivation.Macode=3 AND site_state.status=1 \n"
    " GROUP BY cultivation.FL_ID, cultivation.[year] ";

// Humus reproduction of the by-products left on the field (Macode 9).
constexpr const char* by_product_reproduction =
    " SELECT cultivation.FL_ID, cultivation.[year], Sum(salca_pflanze.hnb_or) AS hr_kp INTO "
    "salca_HR_kp \n"
    " FROM (cultivation INNER JOIN salca_pflanze ON cultivation.Item_IX = salca_pflanze.ITEM_IX) "
    "\n"
    " INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID \n"
    " WHERE cultivation.Macode=9 AND site_state.status=1 \n"
    " GROUP BY cultivation.FL_ID, cultivation.[year] ";

// The yearly balance rows of the crop years; corg0 is the initial C stock (kg/ha) of the
// plough layer from the clay content.
constexpr const char* balance_rows =
    " SELECT salca_HR_crop.FL_ID, salca_HR_crop.[year], tmp_soil_prop.BD, tmp_soil_prop.skelett, "
    "tmp_soil_prop.cif, \n"
    " (0.53+0.065*tmp_soil_prop.clay)*1.35*3000000/172.5 AS corg0, salca_HR_crop.hr_cr, "
    "salca_mink.minK_net, \n"
    " 0.0 AS hr_kp, 0.0 AS hr_od, 0.0 AS hubi, 0.0 AS soc_loss INTO salca_hubi \n"
    " FROM (salca_HR_crop INNER JOIN tmp_soil_prop ON salca_HR_crop.FL_ID = tmp_soil_prop.FL_ID) "
    "\n"
    " INNER JOIN salca_mink ON salca_HR_crop.FL_ID = salca_mink.FL_ID \n"
    " ORDER BY salca_HR_crop.FL_ID, salca_HR_crop.[year] ";

constexpr const char* by_products_to_balance =
    " UPDATE salca_hubi INNER JOIN salca_HR_kp ON (salca_hubi.FL_ID = salca_HR_kp.FL_ID) AND "
    "(salca_hubi.[year] = salca_HR_kp.[year]) \n"
    " SET salca_hubi.hr_kp = salca_HR_kp.hr_kp ";
constexpr const char* amendments_to_balance =
    " UPDATE salca_hubi INNER JOIN salca_HR_od ON (salca_hubi.FL_ID = salca_HR_od.FL_ID) AND "
    "(salca_hubi.[year] = salca_HR_od.[year]) \n"
    " SET salca_hubi.hr_od = salca_HR_od.hr_OD ";
constexpr const char* yearly_balance =
    " UPDATE salca_hubi SET salca_hubi.hubi = "
    "salca_hubi.hr_cr+salca_hubi.hr_od+salca_hubi.hr_kp-salca_hubi.corg0*salca_hubi.minK_net/100, "
    "\n"
    " salca_hubi.soc_loss = salca_hubi.corg0*salca_hubi.minK_net/100 ";

constexpr const char* run_rows =
    " SELECT salca_hubi.fl_id, salca_hubi.[year] AS year_0, salca_hubi.hubi AS delta_c, "
    "salca_hubi.corg0 AS corg, salca_hubi.bd, salca_hubi.skelett, salca_hubi.cif, "
    "salca_hubi.hr_od, salca_hubi.hr_cr \n"
    " FROM salca_hubi ORDER BY salca_hubi.fl_id, salca_hubi.[year] ";

} // namespace

void salca_chain(RunContext& ctx) {
    humus::rebuild(ctx, "salca_ff_wirkung", rotation_shares, "salca_ff_wirkung :");
    humus::rebuild(ctx, "salca_mink", mineralisation_rate, "salca_mink :");
    humus::rebuild(ctx, "salca_HR_crop", crop_reproduction, "salca_HR_crop :");
    humus::rebuild(ctx, "salca_HR_od", amendment_reproduction, "salca_HR_od :");
    humus::rebuild(ctx, "salca_HR_kp", by_product_reproduction, "salca_HR_kp :");
    humus::rebuild(ctx, "salca_hubi", balance_rows, "salca_hubi :");
    humus::counted(ctx, by_products_to_balance, "salca_hubi kp :");
    humus::counted(ctx, amendments_to_balance, "salca_hubi od :");
    ctx.conn.execute(yearly_balance);
}

std::string salca_run_statement(RunContext&) {
    return run_rows;
}

} // namespace sim

// humus_huba.cpp --- the HUBA family of humus balances (and "NULL"): crop humus coefficients
// and the humus equivalents of organic amendments and by-products, summed per plot and year.
#include "db/connection.h"
#include "db/text.h"
#include "sim/humus_methods.h"
#include "sim/humus_work_tables.h"
#include "sim/run_driver.h"

#include <string_view>

namespace sim {
namespace {

constexpr const char* oram_haeq = " UPDATE huba_oram SET huba_oram.huba = huba_oram.[HÄQ] ";
constexpr const char* crop_lufa1 = " UPDATE huba_crop SET huba_crop.huba = huba_crop.LUFA1 ";
constexpr const char* crop_lufa2 = " UPDATE huba_crop SET huba_crop.huba = huba_crop.LUFA2 ";
constexpr const char* crop_lufa3 = " UPDATE huba_crop SET huba_crop.huba = huba_crop.LUFA3 ";
constexpr const char* crop_he = " UPDATE huba_crop SET huba_crop.huba = huba_crop.HE_crop ";
constexpr const char* oram_he = " UPDATE huba_oram SET huba_oram.huba = huba_oram.HE_od ";

// The crops of the harvest rows (Macode 2 and 9) with their working coefficient.
constexpr const char* from_crop_rows =
    " SELECT cultivation.FL_ID, cultivation.[year], \"CROP\" AS source, huba_crop.crop_IX, "
    "huba_crop.NAME, cultivation.Macode, cultivation.Quantity, huba_crop.huba \n"
    " INTO hubi_c_from_crop_ FROM cultivation INNER JOIN huba_crop ON cultivation.Item_IX = "
    "huba_crop.crop_IX \n"
    " WHERE cultivation.Macode In (2,9) ORDER BY cultivation.FL_ID, cultivation.[year] ";

// The organic amendments (Macode 3): humus-C of the quantity (dt/ha, so /10 for t/ha).
constexpr const char* from_oram_rows =
    " SELECT cultivation.FL_ID, cultivation.[year], \"OD\" AS source, huba_oram.oram_ix AS "
    "item_ix, huba_oram.NAME, cultivation.Macode, cultivation.Quantity, \n"
    " cultivation.Quantity*huba_oram.huba/10 AS ros_oram INTO HUBI_C_from_oram_ \n"
    " FROM cultivation INNER JOIN huba_oram ON cultivation.Item_IX = huba_oram.oram_ix \n"
    " WHERE cultivation.Macode=3 ";

// The by-products left on the field (Macode 9): the crop's by-product amendment, with the
// by-product quantity Quantity*HI.
constexpr const char* from_by_products =
    " INSERT INTO HUBI_C_from_oram_ (FL_ID, [year], source, item_ix, NAME, Macode, Quantity, "
    "ros_oram) \n"
    " SELECT cultivation.FL_ID, cultivation.[year], \"OD\", huba_oram.oram_ix, huba_oram.NAME, 3, "
    "cultivation.Quantity*huba_crop.HI, cultivation.Quantity*huba_crop.HI*huba_oram.huba/10 \n"
    " FROM (cultivation INNER JOIN huba_crop ON cultivation.Item_IX = huba_crop.crop_IX) \n"
    " INNER JOIN huba_oram ON huba_crop.kop_ix = huba_oram.oram_ix \n"
    " WHERE cultivation.Macode=9 ";

constexpr const char* crop_sums =
    " SELECT hubi_c_from_crop_.FL_ID, hubi_c_from_crop_.[year], Sum(hubi_c_from_crop_.huba) AS "
    "hb_crop INTO hubi_c_from_crop FROM hubi_c_from_crop_ \n"
    " GROUP BY hubi_c_from_crop_.FL_ID, hubi_c_from_crop_.[year] ";
constexpr const char* oram_sums =
    " SELECT HUBI_C_from_oram_.FL_ID, HUBI_C_from_oram_.[year], Sum(HUBI_C_from_oram_.ros_oram) "
    "AS hb_oram INTO HUBI_C_from_oram FROM HUBI_C_from_oram_ \n"
    " GROUP BY HUBI_C_from_oram_.FL_ID, HUBI_C_from_oram_.[year] ";

constexpr const char* create_balance = " create table hubi_c_bilanz (FL_ID int, year_ int, Corg "
                                       "double, hb_crop double, HB_ORAM double) ";
constexpr const char* empty_balance = " DELETE * FROM hubi_c_bilanz ";
constexpr const char* balance_years =
    " INSERT INTO hubi_c_bilanz (FL_ID, year_, Corg) SELECT cultivation.FL_ID, "
    "cultivation.[year], -99 FROM cultivation \n"
    " WHERE cultivation.Macode<>4 GROUP BY cultivation.FL_ID, cultivation.[year] ";

constexpr const char* crop_to_balance =
    " UPDATE hubi_c_bilanz INNER JOIN hubi_c_from_crop ON (hubi_c_bilanz.FL_ID = "
    "hubi_c_from_crop.FL_ID) AND (hubi_c_bilanz.year_ = hubi_c_from_crop.[year]) \n"
    " SET hubi_c_bilanz.hb_crop = hubi_c_from_crop.hb_crop ";
constexpr const char* oram_to_balance =
    " UPDATE hubi_c_bilanz INNER JOIN HUBI_C_from_oram ON (hubi_c_bilanz.FL_ID = "
    "HUBI_C_from_oram.FL_ID) AND (hubi_c_bilanz.year_ = HUBI_C_from_oram.[year]) \n"
    " SET hubi_c_bilanz.HB_ORAM = HUBI_C_from_oram.hb_oram ";
constexpr const char* corg_to_balance =
    " UPDATE hubi_c_bilanz INNER JOIN measurements ON (hubi_c_bilanz.FL_ID = measurements.FL_ID) "
    "AND (hubi_c_bilanz.year_ = measurements.[year]) \n"
    " SET hubi_c_bilanz.Corg = measurements.meas_value \n"
    " WHERE measurements.M_IX=7 AND measurements.year_number=0 ";

// The final stage's rows: the selected plots' yearly balances with their soil.
constexpr const char* final_columns =
    " SELECT hubi_c_bilanz.FL_ID, hubi_c_bilanz.year_ AS year_0, hubi_c_bilanz.Corg, "
    "hubi_c_bilanz.hb_crop, hubi_c_bilanz.hb_ORAM, tmp_soil_prop.BD, tmp_soil_prop.skelett, 999 "
    "AS cif ";
constexpr const char* final_source =
    " FROM (hubi_c_bilanz INNER JOIN site_state ON hubi_c_bilanz.FL_ID = site_state.FL_ID) \n"
    " INNER JOIN tmp_soil_prop ON hubi_c_bilanz.FL_ID = tmp_soil_prop.FL_ID \n"
    " WHERE site_state.status=1 ORDER BY hubi_c_bilanz.FL_ID, hubi_c_bilanz.year_ ";

bool ends_with(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

} // namespace

void choose_huba_coefficients(db::Connection& conn, const std::string& method) {
    const std::string name = db::trim(method);
    if (!name.empty() && (name.back() == '1' || name.back() == '2' || name.back() == '3'))
        conn.execute(oram_haeq);
    if (ends_with(name, "_1") || name == "NULL") conn.execute(crop_lufa1);
    if (ends_with(name, "_2")) conn.execute(crop_lufa2);
    if (ends_with(name, "_3")) conn.execute(crop_lufa3);
    if (ends_with(name, "HE")) {
        conn.execute(crop_he);
        conn.execute(oram_he);
    }
}

void huba_chain(RunContext& ctx) {
    choose_huba_coefficients(ctx.conn, ctx.sim.methode);
    humus::rebuild(ctx, "hubi_c_from_crop_", from_crop_rows, "hubi_c_from_crop_ :");
    humus::rebuild(ctx, "HUBI_C_from_oram_", from_oram_rows, "hubi_c_from_oram_ :");
    humus::counted(ctx, from_by_products, "hubi_c_from_by_prod :");
    humus::rebuild(ctx, "hubi_c_from_crop", crop_sums, "hubi_c_from_crop :");
    humus::rebuild(ctx, "HUBI_C_from_oram", oram_sums, "hubi_c_from_oram :");

    if (!ctx.conn.has_table("hubi_c_bilanz")) ctx.conn.execute(create_balance);
    ctx.conn.execute(empty_balance);
    ctx.conn.execute(balance_years);
    humus::counted(ctx, crop_to_balance, "crop 2 hubi :");
    humus::counted(ctx, oram_to_balance, "oram 2 hubi :");
    humus::counted(ctx, corg_to_balance, "corg 2 hubi :");
}

std::string huba_run_statement(RunContext& ctx) {
    db::drop_work_table(ctx.conn, "huba_fin_res");
    ctx.conn.execute(std::string(final_columns) + " INTO huba_fin_res " + final_source);
    return std::string(final_columns) + final_source;
}

} // namespace sim

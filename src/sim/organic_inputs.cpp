// organic_inputs.cpp --- the statements that turn the cultivation record of the selected
// plots into the reproduction records and the model's input table.
#include "sim/organic_inputs.h"

#include "db/db_error.h"
#include "sim/run_driver.h"

#include <string>

namespace sim {
namespace {

// Carbon of the organic amendments (code 3), kept in cultivation.Sim_Quantity.
constexpr const char* amendment_carbon =
    " UPDATE (cultivation INNER JOIN srbopspa ON cultivation.Item_IX = srbopspa.item_ix) \n"
    "   INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID  \n"
    "SET cultivation.Sim_Quantity = [Quantity]*100*[TS_GEHALT]*[C_GEH_TS]\n"
    " WHERE site_state.status=1 and cultivation.Macode=3 ";

// Harvested nitrogen of the crops (codes 2 and 9), kept in cultivation.Sim_Quantity.
constexpr const char* harvested_nitrogen =
    " UPDATE (srbpflan INNER JOIN cultivation ON srbpflan.ITEM_IX = cultivation.Item_IX) \n"
    "   INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID  \n"
    "  SET cultivation.Sim_Quantity = [Quantity]*[N_Gehalt] \n"
    " WHERE site_state.status=1 and (((cultivation.Macode)=2 Or (cultivation.Macode)=9))";

// Reproduction records of harvest and root residues; the head names the plot share.
constexpr const char* residue_records_regional_head =
    " SELECT cultivation.FL_ID, iif(part>0, part, 100) as FLA, cultivation.year as year_, "
    "srbpflan.ITEM_IX,  \n";
constexpr const char* residue_records_head =
    " SELECT cultivation.FL_ID, iif(FL_ID_alt>0, FL_ID_alt, 100) as FLA, cultivation.year as "
    "year_, srbpflan.ITEM_IX,  \n";
constexpr const char* residue_records_body =
    "  (cultivation.Sim_Quantity*SRBPFLAN.FEWR+SRBPFLAN.CEWR)*SRBOPSPA.CNR_ALT*SRBOPSPA.ETA AS "
    "Crep, \n"
    "  cultivation.Macode, \"EWR\" AS id_ INTO crep_h1 \n"
    "  FROM (cultivation INNER JOIN (srbpflan INNER JOIN srbopspa ON  \n"
    "  srbpflan.ewr_ix = srbopspa.item_ix) ON cultivation.Item_IX = srbpflan.ITEM_IX ) \n"
    "  INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID  \n"
    "  WHERE site_state.status=1 and (((cultivation.Macode)=2 Or (cultivation.Macode)=9))";

// Reproduction records of the organic amendments.
constexpr const char* amendment_records_regional_head =
    "insert into crep_h1 (FL_ID, FLA, year_, item_ix, Crep, macode, id_) SELECT "
    "cultivation.FL_ID, iif( part>0,cultivation.part,100) as FLA, cultivation.year as year_, "
    "srbopspa.item_ix,  \n";
constexpr const char* amendment_records_head =
    "insert into crep_h1 (FL_ID, FLA, year_, item_ix, Crep, macode, id_) SELECT "
    "cultivation.FL_ID, iif( FL_id_alt>0,cultivation.FL_ID_alt,100) as FLA, cultivation.year "
    "as year_, srbopspa.item_ix,  \n";
constexpr const char* amendment_records_body =
    " cultivation.Sim_Quantity*srbopspa.ETA AS Crep, \n"
    "Macode, \"OD\" AS id_ \n"
    " FROM (cultivation INNER JOIN srbopspa ON cultivation.Item_IX = srbopspa.item_ix) \n"
    " INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID  \n"
    " WHERE site_state.status=1 and (((cultivation.Macode)=3)) ";

// Reproduction records of the by-products returned to the soil (code 9).
constexpr const char* byproduct_records_regional_head =
    "insert into crep_h1 (FL_ID, FLA, year_,macode, item_ix, Crep,  id_) SELECT "
    "cultivation.FL_ID, IIF(part>0, part, 100) as FLA, cultivation.year as year_, "
    "cultivation.Macode,\n";
constexpr const char* byproduct_records_head =
    "insert into crep_h1 (FL_ID, FLA, year_,macode, item_ix, Crep,  id_) SELECT "
    "cultivation.FL_ID, IIF(FL_ID_alt>0, FL_ID_alt,100) as FLA, cultivation.year as year_, "
    "cultivation.Macode,\n";
constexpr const char* byproduct_records_body =
    " srbpflan.ITEM_IX, "
    "cultivation.Quantity*SRBPFLAN.HI*SRBOPSPA.TS_GEHALT*SRBOPSPA.C_GEH_TS*SRBOPSPA.ETA*100  AS "
    "Crep, \n"
    " \"KP\" AS id_ FROM (cultivation INNER JOIN (srbpflan INNER JOIN srbopspa ON "
    "srbpflan.kop_ix = srbopspa.item_ix) \n"
    " ON cultivation.Item_IX = srbpflan.ITEM_IX )    \n"
    " INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID  \n"
    " WHERE site_state.status=1 and cultivation.Macode=9";

// Yearly sums of the reproduction carbon, each record weighted by its plot share.
constexpr const char* yearly_sums =
    " SELECT crep_h1.FL_ID, crep_h1.year_ as year_0, Sum(crep_h1.Crep*crep_h1.FLA/100)  AS "
    "Crep, \n"
    " Count(crep_h1.id_) AS n, crep_h1.year_+1 AS year_1, -99.9999 as Corg,-99.9999 as Norg "
    "into crep_year \n"
    " FROM crep_h1  INNER JOIN site_state ON crep_h1.FL_ID = site_state.FL_ID  GROUP BY \n"
    " crep_h1.FL_ID, crep_h1.year_, site_state.status  HAVING (((site_state.status)=1))";

// The initial organic carbon (M_IX 7) and total nitrogen (M_IX 0) of the yearly sums.
constexpr const char* initial_corg =
    " UPDATE Crep_year INNER JOIN measurements ON (Crep_year.FL_ID = measurements.FL_ID)\n"
    " AND (Crep_year.year_0 = measurements.year) SET Crep_year.corg = "
    "[measurements].[meas_value] \n"
    " WHERE (((measurements.M_IX)=7) AND ((measurements.year_number)=0)) ";
constexpr const char* initial_norg =
    " UPDATE Crep_year INNER JOIN measurements ON (Crep_year.FL_ID = measurements.FL_ID)\n"
    " AND (Crep_year.year_0 = measurements.year) SET Crep_year.Norg = "
    "[measurements].[meas_value] \n"
    " WHERE (((measurements.M_IX)=0) AND ((measurements.year_number)=0)) ";

// Crop rows (codes 0, 2 and 9) with their residue nitrogen and carbon.
constexpr const char* crop_rows_regional_head = "SELECT cultivation.FL_ID,part,\n";
constexpr const char* crop_rows_head = "SELECT cultivation.FL_ID, 100 as part,\n";
constexpr const char* crop_rows_body =
    " cultivation.year as year_, cultivation.Macode,cultivation.Sim_Quantity as "
    "yield,srbpflan.item_ix as crop_ix, srbpflan.CEWR+cultivation.Sim_Quantity*srbpflan.FEWR AS "
    "N_ewr,\n"
    " (srbpflan.CEWR+cultivation.Sim_Quantity*srbpflan.FEWR)*srbopspa.CNR AS c_ewr, srbopspa.K, "
    "srbopspa.ETA, srbopspa.CNR, srbopspa.CNR_alt ,srbpflan.NAME as name_,\n"
    " (srbpflan.CEWR+cultivation.Sim_Quantity*srbpflan.FEWR)*srbopspa.CNR*srbopspa.ETA AS Crep, "
    "srbopspa.item_ix into _cropping_dt\n"
    " FROM ((cultivation INNER JOIN srbpflan ON cultivation.Item_IX = srbpflan.ITEM_IX) INNER "
    "JOIN srbopspa \n"
    " ON srbpflan.ewr_ix = srbopspa.item_ix) INNER JOIN site_state ON cultivation.FL_ID = "
    "site_state.FL_ID \n"
    " WHERE (((cultivation.Macode) in (0,2,9)) AND ((site_state.status)=1)) ORDER BY "
    "cultivation.FL_ID, cultivation.year ";

// Carbon of the by-products returned to the soil (code 9).
constexpr const char* byproducts_regional_head =
    "SELECT cultivation.FL_ID, cultivation.part, cultivation.year as year_, srbopspa.NAME as "
    "name_, cultivation.Quantity*100*srbpflan.HI*srbopspa.TS_GEHALT*srbopspa.C_GEH_TS AS C_kop, "
    "\n";
constexpr const char* byproducts_head =
    "SELECT cultivation.FL_ID, 100 as part, cultivation.year as year_, srbopspa.NAME as name_, "
    "cultivation.Quantity*100*srbpflan.HI*srbopspa.TS_GEHALT*srbopspa.C_GEH_TS  AS C_kop, \n";
constexpr const char* byproducts_body =
    " srbopspa.K, srbopspa.ETA, srbopspa.CNR,srbopspa.CNR_alt, srbopspa.item_ix into "
    "_koppel_prdkt FROM (cultivation INNER JOIN site_state ON \n"
    " cultivation.FL_ID = site_state.FL_ID) INNER JOIN (srbpflan INNER JOIN srbopspa ON "
    "srbpflan.kop_ix = srbopspa.item_ix) ON \n"
    " cultivation.Item_IX = srbpflan.ITEM_IX WHERE (((site_state.status)=1) AND "
    "((cultivation.Macode)=9)) ";

// Carbon of the ploughed-up grassland (code 0); in the regional mode scaled by `part`.
constexpr const char* plough_up_insert =
    " insert into _koppel_prdkt (FL_ID, part, year_, name_, C_kop,k,eta,cnr,cnr_alt, item_ix)\n";
constexpr const char* plough_up_regional_select =
    " SELECT cultivation.FL_ID, cultivation.part, cultivation.year as year_, srbopspa.NAME as "
    "name_, cultivation.Quantity*part*srbopspa.TS_GEHALT*srbopspa.C_GEH_TS AS C_kop, \n";
constexpr const char* plough_up_select =
    " SELECT cultivation.FL_ID,  100 as part, cultivation.year as year_, srbopspa.NAME as name_, "
    "cultivation.Quantity*100*srbopspa.TS_GEHALT*srbopspa.C_GEH_TS  AS C_kop, \n";
constexpr const char* plough_up_body =
    " srbopspa.K, srbopspa.ETA, srbopspa.CNR,srbopspa.CNR_alt, srbopspa.item_ix  FROM "
    "(cultivation INNER JOIN site_state ON \n"
    " cultivation.FL_ID = site_state.FL_ID) INNER JOIN (srbpflan INNER JOIN srbopspa ON "
    "srbpflan.grd_ix = srbopspa.item_ix) ON  \n"
    " cultivation.Item_IX = srbpflan.ITEM_IX WHERE (((site_state.status)=1) AND "
    "((cultivation.Macode)=0)) ";

// Organic amendment rows (code 3).
constexpr const char* amendments_regional_head = "SELECT cultivation.FL_ID, cultivation.part ,\n";
constexpr const char* amendments_head = "SELECT cultivation.FL_ID, 100 as part, \n";
constexpr const char* amendments_body =
    " cultivation.year as year_, cultivation.Sim_Quantity, srbopspa.NAME as name_, srbopspa.K, "
    "srbopspa.ETA, srbopspa.CNR, srbopspa.CNR_alt, \n"
    " srbopspa.item_ix  INTO _org_dnger FROM (cultivation INNER JOIN site_state ON "
    "cultivation.FL_ID = site_state.FL_ID) INNER JOIN srbopspa ON \n"
    " cultivation.Item_IX = srbopspa.item_ix WHERE (((cultivation.Macode)=3) AND "
    "((site_state.status)=1)) ";

// The model's input table: by-products and ploughed-up matter, amendments, residues.
constexpr const char* opstab_byproducts =
    " SELECT FL_ID, year_, NAME_, C_kop AS COPS, \"KP\" AS ctype,part, K, ETA, CNR,cnr_alt, "
    "item_ix, 0 as mkd INTO opstab FROM _koppel_prdkt";
constexpr const char* opstab_amendments =
    " INSERT INTO opstab ( FL_ID, year_, NAME_, COPS, ctype,part, K, ETA, CNR,cnr_alt, item_ix, "
    "mkd ) \n"
    " SELECT FL_ID, year_, NAME_, Sim_Quantity AS COPS, \"OA\" AS ctype,part, K, ETA, "
    "CNR,cnr_alt, item_ix, 0 as mkd FROM _org_dnger ";
constexpr const char* opstab_residues =
    " INSERT INTO opstab ( FL_ID, year_, NAME_, cops, ctype,part, K, ETA, CNR,cnr_alt, item_ix, "
    "mkd ) \n"
    " SELECT fl_id, year_, name_, c_ewr as cops, \"ER\" as ctype,part, K, ETA,CNR,cnr_alt, "
    "item_ix, 0 as mkd  FROM  _cropping_dt";
constexpr const char* opstab_marks =
    " UPDATE srbopspa INNER JOIN opstab ON srbopspa.item_ix = opstab.item_ix SET opstab.mkd = "
    "srbopspa.mkd ";
constexpr const char* opstab_index = " create index flid_ix on  opstab (FL_ID, year_) ";

// Runs a statement and writes its count message.
void counted(RunContext& ctx, const std::string& statement, const char* text) {
    ctx.count(text, ctx.conn.execute(statement));
}

// The head of the run's mode followed by the common rest of a statement.
std::string in_mode(const RunContext& ctx, const char* regional, const char* ordinary,
                    const char* body) {
    return std::string(ctx.state.regional_mode ? regional : ordinary) + body;
}

// Ignoring a failure: the marks are a refinement the input table works without.
int update_marks(db::Connection& conn) {
    try {
        return conn.execute(opstab_marks);
    } catch (const db::Error&) {
        return 0;
    }
}

} // namespace

void input_quantities(RunContext& ctx) {
    counted(ctx, amendment_carbon, "sql 2:");
    counted(ctx, harvested_nitrogen, "sql 3:");

    db::drop_work_table(ctx.conn, "crep_h1");
    counted(ctx,
            in_mode(ctx, residue_records_regional_head, residue_records_head, residue_records_body),
            "CREP_ewr:");
    counted(ctx,
            in_mode(ctx, amendment_records_regional_head, amendment_records_head,
                    amendment_records_body),
            " CREP_od:");
    counted(ctx,
            in_mode(ctx, byproduct_records_regional_head, byproduct_records_head,
                    byproduct_records_body),
            "  CREP_kop:");

    db::drop_work_table(ctx.conn, "crep_year");
    counted(ctx, yearly_sums, "crep_year:");
    // The final stage reads crep_year by plot and year: with this index it streams the
    // rows instead of sorting them all in memory.
    db::create_index_if_missing(ctx.conn,
                                " create index crep_year_ix on crep_year (FL_ID, year_0) ");
    counted(ctx, initial_corg, "corg updates:");
    counted(ctx, initial_norg, "Norg updates:");

    db::drop_work_table(ctx.conn, "_cropping_dt");
    counted(ctx, in_mode(ctx, crop_rows_regional_head, crop_rows_head, crop_rows_body),
            "crop_er :");
}

void organic_inputs(RunContext& ctx) {
    db::drop_work_table(ctx.conn, "_koppel_prdkt");
    counted(ctx, in_mode(ctx, byproducts_regional_head, byproducts_head, byproducts_body),
            "crop_ap :");
    counted(ctx,
            std::string(plough_up_insert) +
                in_mode(ctx, plough_up_regional_select, plough_up_select, plough_up_body),
            "plough up :");

    db::drop_work_table(ctx.conn, "_org_dnger");
    counted(ctx, in_mode(ctx, amendments_regional_head, amendments_head, amendments_body),
            "crop_oa :");

    db::drop_work_table(ctx.conn, "opstab");
    counted(ctx, opstab_byproducts, "cops KPrecs:");
    counted(ctx, opstab_amendments, "cops OArecs:");
    counted(ctx, opstab_residues, "cops ERrecs:");
    ctx.count("mark updated:", update_marks(ctx.conn));
    counted(ctx, opstab_index, "opstab index created:");
}

} // namespace sim

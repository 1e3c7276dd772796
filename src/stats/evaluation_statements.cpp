#include "stats/evaluation_statements.h"

namespace stats {

std::string carbon_pairs_statement(std::int64_t plot) {
    return " SELECT sim_result.year_, sim_result.sim_value, measurements.meas_value, "
           "sim_result.year_num AS year_num, "
           " sim_result.fl_id, Abs([sim_result].[m_ix]) AS m_ix, tmp_outlist.meas_ID "
           " FROM (sim_result LEFT JOIN measurements ON (sim_result.fl_id = measurements.FL_ID) "
           "AND (sim_result.m_ix = measurements.M_IX) and"
           "(sim_result.year_ = measurements.year)) LEFT JOIN tmp_outlist ON "
           "(measurements.M_IX = tmp_outlist.M_IX) AND "
           " (measurements.FL_ID = tmp_outlist.FL_ID) AND (measurements.meas_ID = "
           "tmp_outlist.meas_ID) "
           " WHERE (((sim_result.fl_id)=" +
           std::to_string(plot) + ")    )";
}

std::string carbon_grid_statement(std::int64_t plot) {
    return " SELECT sim_result.year_, sim_result.sim_value, measurements.meas_value, "
           "measurements.meas_id,"
           " measurements.year_number AS year_num, sim_result.fl_id  "
           " FROM sim_result LEFT JOIN measurements ON     "
           " (sim_result.fl_id = measurements.FL_ID) AND "
           " (abs(sim_result.m_ix) = measurements.m_ix) AND "
           "  (sim_result.year_ = measurements.year)  "
           " WHERE  sim_result.fl_id=" +
           std::to_string(plot);
}

std::string cmic_work_table_statement(std::int64_t plot) {
    return " SELECT measurements.M_IX, CDbl(measurements.FL_ID) AS fl_id, "
           "CDbl(measurements.[year]) AS year_, 2*5*measurements.[Month]/10 AS month_, "
           " CDbl(measurements.year_number) AS year_num, measurements.year_number, "
           "measurements.meas_value, tmp_outlist.meas_ID "
           " into tmp_cmic_dyn FROM measurements LEFT JOIN tmp_outlist ON "
           "(measurements.meas_ID = tmp_outlist.meas_ID) "
           " AND (measurements.M_IX = tmp_outlist.M_IX) AND (measurements.FL_ID = "
           "tmp_outlist.FL_ID) "
           " WHERE ((measurements.M_IX=5) AND (measurements.FL_ID=" +
           std::to_string(plot) + ")) ";
}

std::string biomass_grid_statement(std::int64_t plot) {
    return " SELECT tsm_nresult.FL_ID, tsm_nresult.year AS year_, tsm_nresult.c_mic AS "
           "sim_value, tmp_cmic_dyn.meas_value, tmp_cmic_dyn.meas_ID, sim_result.year_num as "
           "year_number "
           " FROM sim_result INNER JOIN (tsm_nresult LEFT JOIN tmp_cmic_dyn ON "
           "(tsm_nresult.year = tmp_cmic_dyn.year_) "
           " AND (tsm_nresult.FL_ID = tmp_cmic_dyn.fl_id)) ON (sim_result.year_ = "
           "tsm_nresult.year) AND (sim_result.fl_id = tsm_nresult.FL_ID) "
           "  WHERE tsm_nresult.FL_ID=" +
           std::to_string(plot) + "  ORDER BY tsm_nresult.year ";
}

std::string turnover_statement(std::int64_t plot) {
    return "SELECT year_, Int(10*(Sum(C_rep_flx)))/10 AS crepflx, "
           "Int(10*Sum(C_rep_flx)/bat)/10 as repix,  Int(10*(Sum(C_min_total)))/10 AS c2atm, "
           " Int(10*(Sum(C_min_total-c_min_fom)))/10 AS csomloss, "
           "Int(10* Sum(C_fom+tsm_zbv.c_som)/1000  )/10 AS soilcarbon, "
           " Int(10*(Sum(C_rep_flx-C_min_total+c_min_fom)))/10  as saldo ,"
           "Int(10* bat)/10 as bat"
           " FROM tsm_zbv, tsm_nresult where tsm_zbv.fl_id=" +
           std::to_string(plot) +
           " and tsm_zbv.year_=tsm_nresult.year and tsm_zbv.fl_id=tsm_nresult.fl_id  "
           " GROUP BY bat,year_ order by year_";
}

std::string obs_nt_work_table_statement(std::int64_t plot) {
    return " SELECT measurements.meas_value, measurements.year, measurements.FL_ID, "
           "measurements.M_IX, measurements.year_number, tmp_outlist.meas_ID  into tmp_obs_nt "
           " FROM measurements  LEFT JOIN tmp_outlist ON (measurements.M_IX = "
           "tmp_outlist.M_IX) AND (measurements.FL_ID = tmp_outlist.FL_ID) AND "
           "(measurements.meas_ID = tmp_outlist.meas_ID) "
           " WHERE measurements.FL_ID=" +
           std::to_string(plot) + " AND measurements.M_IX=0 AND measurements.year_number>0 ";
}

std::string dyn_nt_work_table_statement(std::int64_t plot) {
    return "SELECT tsm_nresult.[year], sim_result.year_num, tsm_nresult.n_SOM, "
           "tsm_nresult.FL_ID into tmp_dyn_nt "
           " FROM tsm_nresult INNER JOIN sim_result ON (tsm_nresult.year = sim_result.year_)  "
           " AND (tsm_nresult.FL_ID = sim_result.FL_ID)     "
           " GROUP BY tsm_nresult.[year], sim_result.year_num, tsm_nresult.n_SOM, "
           "tsm_nresult.FL_ID   "
           " HAVING ((sim_result.year_num)>0) AND tsm_nresult.FL_ID=" +
           std::to_string(plot);
}

std::string nitrogen_grid_statement(std::int64_t plot) {
    return " SELECT  cdbl(0) as DAY_, cdbl(tmp_dyn_nt.year) as YEAR_, cdbl((1-1)/100) as "
           "MONTH_, cdbl(tmp_dyn_nt.year_num) as YEAR_NUM,  round(tmp_dyn_nt.n_SOM,4) as "
           "SIM_VALUE, tmp_obs_nt.MEAS_VALUE, tmp_obs_nt.M_IX, cdbl(tmp_dyn_nt.FL_ID) as fl_id, "
           " tmp_dyn_nt.year as year_number, tmp_obs_nt.meas_id FROM tmp_dyn_nt LEFT JOIN "
           "tmp_obs_nt ON tmp_dyn_nt.year = tmp_obs_nt.year order by  tmp_dyn_nt.year_num "
           " union "
           " select cdbl(0) as day_, cdbl(year) as year_,cdbl((1-1)/100) as month_, "
           "cdbl(year_number) as year_num, cdbl(-99) as SIM_value, meas_value, m_ix, "
           "cdbl(fl_id) as fl_id,  year_number, 0 as meas_id from measurements "
           " where m_ix=0 and year_number=0 and fl_id=" +
           std::to_string(plot) + " order by year_num ";
}

std::string corg_statistics_table_statement() {
    return "SELECT field_description.FL_ID, 0.00001 AS med, 0.00001 AS rms, 0 AS n, "
           "0.0000001 AS smw,"
           " 0.000001 AS s, 0.001 AS rele,0.00001 AS r_krit, 0.00001 AS r_sim, 0.00001 AS "
           "r_dif, 0.00001 AS ef, 0.001 AS rmsprz, 0.001 AS medprz, "
           " 0.000001 as SB, 0.000001 as NU,0.000001 as LC INTO tsm_stat_corg FROM "
           "field_description";
}

std::string nt_statistics_table_statement() {
    return "SELECT field_description.FL_ID, 0.00001 AS med, 0.00001 AS rms, 0 AS n, "
           "0.0000001 AS smw,"
           " 0.000001 AS s, 0.001 AS rele, 0.00001 AS r_krit, 0.00001 AS r_sim, 0.00001 AS "
           "r_dif, 0.00001 AS ef, 0.001 AS rmsprz, 0.001 AS medprz "
           "  INTO tsm_stat_nt FROM field_description";
}

} // namespace stats

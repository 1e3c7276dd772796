// result_page_statements.cpp --- the queries behind the result pages of a plot.
#include "stats/result_page_statements.h"

namespace stats {

namespace {

std::string id(std::int64_t plot) {
    return std::to_string(plot);
}

// The FROM and WHERE of the averaged reproduction rows.
std::string average_rows(std::int64_t plot) {
    return "  FROM tsm_zbv AS z INNER JOIN tsm_nresult AS n ON (z.year_ = n.year) AND (z.fl_id = "
           "n.FL_ID) WHERE (((z.fl_id)=" +
           id(plot) + " )) GROUP BY z.fl_id, \"average\" order by yr";
}

} // namespace

std::string misc_results_statement(std::int64_t plot) {
    return "select [year],int(100*n_m_om)/100 as n_m_om, int(100*n_ops)/100 as n_ops, "
           "int(100*C_ops)/100 as C_ops,int(100*c_som)/100 as c_som, int(n_org*100)/100 as "
           "n_som,int(100*c_lts)/100 as c_lts, "
           "iif(n_org>0,int(100*c_som/n_org)/100,-99) as cnr, "
           "int(100*c_rep)/100 as crep, int(100*bat)/100 as bat,int(1000*bd)/1000 as bd "
           ",int(100*pwp)/100 as pwp  from tsm_nresult where  fl_id=" +
           id(plot) + " order by [year]";
}

std::string reproduction_assessment_statement(std::int64_t plot) {
    return " SELECT z.fl_id,Round(Avg((z.c_rep_flx))*100)/100 AS rep_flx,   "
           "Round(Avg((z.c_rep_flx)/n.bat)*100)/100 AS rep_ix "
           "  FROM tsm_zbv AS z INNER JOIN tsm_nresult AS n ON (z.year_ = n.year) AND (z.fl_id = "
           "n.FL_ID) WHERE (((z.fl_id)=" +
           id(plot) + " )) GROUP BY z.fl_id ";
}

std::string reproduction_chart_statement(std::int64_t plot) {
    return " SELECT round(n.bat*100)/100 as BAT , round(100* (z.c_rep_flx)/n.bat)/100 as rep_ix, "
           "  n.year  as yr  FROM tsm_zbv z, tsm_nresult n  where  z.fl_id=n.fl_id and "
           "z.year_=n.year    and z.fl_id=" +
           id(plot) + " order by n.year";
}

std::string reproduction_balance_statement(std::int64_t plot) {
    return " SELECT  left(cstr(n.year),8)  as yr,  round(n.bat*100)/100 as BAT , round(100* "
           "(z.c_rep_flx)/n.bat)/100 as rep_ix, "
           " round( (z.[c_rep_flx]-(z.[c_min_total]-[z].[c_min_fom]) )*100)/100 AS SOM_BAL, "
           "round(z.c_rep_flx*100)/100 AS SOM_REP,  "
           "   z.fl_id  FROM tsm_zbv z, tsm_nresult n  where  z.fl_id=n.fl_id and z.year_=n.year  "
           "  and z.fl_id=" +
           id(plot) +
           " union   SELECT left(\"average\",8) AS yr,    Round( Avg(n.bat*100))/100 AS BAT, "
           "Round(Avg((z.c_rep_flx)/n.bat)*100)/100 AS rep_ix, "
           " Round(Avg((z.[c_rep_flx]-(z.[c_min_total]-[z].[c_min_fom]))*100))/100 AS SOM_BAL,"
           "Round( Avg(z.c_rep_flx*100))/100 AS SOM_REP, "
           "  z.fl_id  " +
           average_rows(plot);
}

std::string reproduction_report_statement(std::int64_t plot) {
    return " SELECT  val(left(cstr(n.year),8))  as yr,  round(n.bat*10)/10 as BAT , round(10* "
           "(z.c_rep_flx)/n.bat)/10 as rep_ix, "
           "  round(z.c_rep_flx*1)/1 AS SOM_REP  "
           "   FROM tsm_zbv z, tsm_nresult n  where  z.fl_id=n.fl_id and z.year_=n.year  "
           "  and z.fl_id=" +
           id(plot) +
           " union   SELECT left(\"average\",8) AS yr,    Round( Avg(n.bat*100))/100 AS BAT, "
           "Round(Avg((z.c_rep_flx)/n.bat)*100)/100 AS rep_ix, "
           " Round( Avg(z.c_rep_flx*100))/100 AS SOM_REP  " +
           average_rows(plot);
}

std::string humus_balance_statement(std::int64_t plot) {
    return " select  FL_ID,   round(c_rep*100)/100 AS SOM_BAL, cstr([year]) as yr FROM "
           "tsm_nresult where fl_id=" +
           id(plot) +
           " union select  FL_ID,  round(Avg(c_rep)*100)/100 AS som_bal ,\"average\" as yr from "
           "tsm_nresult where fl_id=" +
           id(plot) + " group by fl_id, \"average\"   order by yr ";
}

bool is_balance_method(const std::string& methode) {
    return methode == "LUFA" || methode == "STAND" || methode == "SALCA" || methode == "HUMOD" ||
           methode.rfind("HUBA", 0) == 0;
}

ReproductionQueries reproduction_queries(const std::string& methode, const std::string& modus,
                                         const std::string& language, std::int64_t plot) {
    ReproductionQueries q;
    if (is_balance_method(methode)) {
        q.grid = humus_balance_statement(plot);
    } else if (methode == "TSM") {
        q.tsm_assessment = true;
        if (modus == "ORV" || modus == "KORVEX")
            q.grid = reproduction_report_statement(plot);
        else if (language != "D")
            q.grid = reproduction_balance_statement(plot);
    }
    return q;
}

std::string n_balance_statement(std::int64_t plot) {
    return "select * from nmin_saldo where fl_id=" + id(plot) + " order by [year]";
}

} // namespace stats

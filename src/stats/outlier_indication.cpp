#include "stats/outlier_indication.h"

#include "db/connection.h"
#include "db/db_error.h"

#include <cmath>
#include <specialfunctions.h>
#include <string>

namespace stats {
namespace {

const char* const create_z_grubbs = "create table z_grubbs ( N int, ZGRUBB float   )";

// Mean, sample standard deviation, count and range per plot and property.
const char* const group_statistics =
    "SELECT measurements.FL_ID, measurements.M_IX, Avg(measurements.meas_value) AS MV_OBS, "
    "StDev(measurements.meas_value) AS Sd_OBS, Count(measurements.meas_value) AS N_OBS, "
    "Max(measurements.meas_value) AS max_OBS, Min(measurements.meas_value) AS min_OBS"
    " into prepare_teststats FROM measurements WHERE (((measurements.year_number) > 0))"
    " GROUP BY measurements.FL_ID, measurements.M_IX ORDER BY measurements.FL_ID, "
    "measurements.M_IX";

// Grubbs' statistics of the largest and the smallest value against the critical value
// of the group's size. Groups of fewer than 3 values have no positive critical value;
// groups whose values are all equal have no spread to divide by and no outlier.
const char* const grubbs_test =
    "SELECT prepare_teststats.FL_ID, prepare_teststats.M_IX, "
    "([max_OBS]-[MV_OBS])/[Sd_OBS] AS PG_MAX, ([MV_OBS]-[min_OBS])/[Sd_OBS] AS PG_Min, "
    "z_grubbs.ZGRUBB, [PG_Min]>[z_grubbs].[ZGRUBB] AS outlier_MIN, "
    "[PG_MAX]>[z_grubbs].[ZGRUBB] AS outlier_MAX INTO outlier_check "
    "FROM prepare_teststats INNER JOIN z_grubbs ON prepare_teststats.N_OBS = z_grubbs.N "
    "WHERE (((z_grubbs.ZGRUBB)>0) AND ((prepare_teststats.max_OBS)>[prepare_teststats].[min_OBS]) "
    "AND ((prepare_teststats.Sd_OBS)>0))";

// The measurements holding a group's tested extreme value. They match on plot, property
// and value only, so every measurement with that value is listed.
const char* const lowest_outliers =
    "SELECT measurements.meas_ID, measurements.FL_ID, measurements.M_IX INTO get_outliers "
    "FROM (measurements INNER JOIN prepare_teststats ON (measurements.FL_ID = "
    "prepare_teststats.FL_ID) AND (measurements.M_IX = prepare_teststats.M_IX) AND "
    "(measurements.meas_value = prepare_teststats.min_OBS)) INNER JOIN outlier_check ON "
    "(prepare_teststats.FL_ID = outlier_check.FL_ID) AND (prepare_teststats.M_IX = "
    "outlier_check.M_IX) WHERE (((outlier_check.outlier_MIN)=True))";

const char* const highest_outliers =
    " insert into get_outliers ( meas_id,fl_id,m_ix ) SELECT  measurements.meas_ID, "
    "measurements.FL_ID, measurements.M_IX "
    "FROM (measurements INNER JOIN prepare_teststats ON (measurements.FL_ID = "
    "prepare_teststats.FL_ID) AND (measurements.M_IX = prepare_teststats.M_IX) AND "
    "(measurements.meas_value = prepare_teststats.max_OBS)) INNER JOIN outlier_check ON "
    "(prepare_teststats.FL_ID = outlier_check.FL_ID) AND (prepare_teststats.M_IX = "
    "outlier_check.M_IX) WHERE (((outlier_check.outlier_MAX)=True))";

const char* const empty_outlist = "create table tmp_outlist ( fl_id int, m_ix int, meas_id int   )";

bool z_grubbs_complete(db::Connection& c) {
    if (!c.has_table("z_grubbs")) return false;
    const db::Value n = c.scalar("SELECT Count(*) FROM (SELECT DISTINCT z_grubbs.N FROM z_grubbs "
                                 "WHERE z_grubbs.N Between 1 And " +
                                 std::to_string(max_grubbs_group) + ") AS present");
    return n.as_int() == max_grubbs_group;
}

} // namespace

double z_grubbs(int n) {
    if (n < 3) return -99;
    const double t = alglib::invstudenttdistribution(n - 2, 0.05 / (2.0 * n));
    const double t2 = t * t;
    return (n - 1) / std::sqrt(static_cast<double>(n)) * std::sqrt(t2 / (t2 + n - 2));
}

void ensure_z_grubbs(db::Connection& c) {
    if (z_grubbs_complete(c)) return;
    db::Transaction tx(c, true);
    if (c.has_table("z_grubbs")) c.execute("drop table z_grubbs");
    c.execute(create_z_grubbs);
    db::Statement insert = c.prepare("insert into z_grubbs ( N, ZGRUBB ) values ( ?, ? )");
    for (int n = 1; n <= max_grubbs_group; ++n) insert.execute({n, z_grubbs(n)});
    tx.commit();
}

int prepare_outlier_indication(db::Connection& c) {
    ensure_z_grubbs(c);
    drop_work_table(c, "prepare_teststats");
    c.execute_ignoring_failure(group_statistics);
    drop_work_table(c, "outlier_check");
    c.execute_ignoring_failure(grubbs_test);
    drop_work_table(c, "get_outliers");
    c.execute_ignoring_failure(lowest_outliers);
    c.execute_ignoring_failure(highest_outliers);
    drop_work_table(c, "tmp_outlist");
    c.execute_ignoring_failure(" SELECT * into tmp_outlist from get_outliers");
    // The workbench joins the list: without it, no measurement is marked.
    if (!c.has_table("tmp_outlist")) c.execute(empty_outlist);
    c.execute_ignoring_failure("alter table measurements add weight double");
    c.execute_ignoring_failure("update measurements set weight=1");
    c.execute_ignoring_failure("update measurements INNER JOIN tmp_outlist ON "
                               "measurements.meas_ID = tmp_outlist.meas_ID SET "
                               "measurements.weight = 0");
    return static_cast<int>(c.scalar("select count(*) from tmp_outlist").as_int());
}

} // namespace stats

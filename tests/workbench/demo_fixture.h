// demo_fixture.h --- the demo experiment database on a temporary file, with a picture of
// every table the workbench's plot operations touch.
#pragma once

#include "db/connection.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <string>

namespace test {

// Experiments 1 ("Static fertilisation trial", plots 101-105) and 2 ("Crop rotation
// trial", plots 201-206).
class DemoDatabase : public ::testing::Test {
protected:
    TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);
    ScriptedDialogs dialogs;

    // Every row of the tables of experiments and plots, in a fixed order.
    std::string snapshot() {
        std::string all;
        for (const char* q : {"select * from experiments order by exp_id",
                              "select * from field_description order by fl_id",
                              "select * from site_state order by fl_id",
                              "select * from cultivation order by cultivation_id",
                              "select * from measurements order by meas_id",
                              "select * from sim_result order by fl_id, year_",
                              "select * from tsm_zbv order by fl_id, year_",
                              "select * from ref2vcode order by lit_id"})
            all += std::string(q) + "\n" + rows(c, q);
        return all;
    }

    // One result row of each result table for the plot.
    void add_results(int plot) {
        c.prepare("insert into sim_result (fl_id, m_ix, year_, year_num, sim_value) "
                  "values (?, 7, 1980, 11, 1.8)")
            .execute({plot});
        c.prepare("insert into tsm_zbv (fl_id, year_, c_som) values (?, 1980, 40)").execute({plot});
    }

    std::string count(const std::string& table, const std::string& where) {
        return rows(c, "select count(*) from " + table + " where " + where);
    }
};

} // namespace test

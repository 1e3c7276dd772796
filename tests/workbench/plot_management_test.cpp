// Experiments and plots: creating, copying, moving, renumbering and deleting them.
#include "db/db_error.h"
#include "demo_fixture.h"
#include "workbench/entry_checks.h"
#include "workbench/experiment_code.h"
#include "workbench/experiment_folders.h"
#include "workbench/node_labels.h"
#include "workbench/plot_id_shift.h"
#include "workbench/plot_management.h"

#include <vector>

namespace {

using namespace workbench;

const std::string first_experiment = "Static fertilisation trial";

class PlotManagement : public test::DemoDatabase {};

TEST_F(PlotManagement, DeletingAnExperimentKeepsItsResults) {
    add_results(101);
    add_results(201);
    dialogs.yes_no = {true};
    ASSERT_TRUE(delete_experiment(c, dialogs, "E", experiment_label(first_experiment, "1")));
    EXPECT_EQ(dialogs.shown, std::vector<std::string>{"ATTENTION !: " + first_experiment +
                                                      "   <1>: The Folder will be deleted!"});
    EXPECT_EQ(count("experiments", "vcode='1'"), "0\n");
    const std::string plots = "fl_id between 101 and 105";
    for (const char* table : {"field_description", "measurements", "cultivation", "site_state"})
        EXPECT_EQ(count(table, plots), "0\n") << table;
    EXPECT_EQ(count("sim_result", "fl_id=101"), "1\n");
    EXPECT_EQ(count("tsm_zbv", "fl_id=101"), "1\n");
    EXPECT_EQ(count("field_description", "fl_id between 201 and 206"), "6\n");
    EXPECT_EQ(count("experiments", "vcode='2'"), "1\n");
}

TEST_F(PlotManagement, DeletingAPlotRemovesItsResults) {
    add_results(101);
    add_results(102);
    dialogs.yes_no = {true};
    ASSERT_TRUE(delete_plot(c, dialogs, "E", 101));
    EXPECT_EQ(dialogs.shown,
              std::vector<std::string>{
                  " Confirm Delete:  Do you really want to delete ALL data of plot 101 ?"});
    for (const char* table : {"field_description", "cultivation", "measurements", "site_state",
                              "sim_result", "tsm_zbv"}) {
        EXPECT_EQ(count(table, "fl_id=101"), "0\n") << table;
        EXPECT_NE(count(table, "fl_id=102"), "0\n") << table;
    }
}

TEST_F(PlotManagement, AnsweringNoDeletesNothing) {
    const std::string before = snapshot();
    EXPECT_FALSE(delete_plot(c, dialogs, "D", 101));
    EXPECT_FALSE(delete_experiment(c, dialogs, "D", experiment_label(first_experiment, "1")));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(dialogs.shown,
              (std::vector<std::string>{
                  "Löschen Bestätigen!: Wollen Sie wirklich ALLE Daten löschen von Fläche:101 ?",
                  "ACHTUNG !: " + first_experiment +
                      "   <1>: Der Betrieb wird mit allen Daten gelöscht !"}));
}

TEST_F(PlotManagement, FailedDeleteLeavesEverything) {
    add_results(101);
    // Both deletions reach the selection state after removing other rows of the plots.
    c.execute_native("CREATE TRIGGER keep_state BEFORE DELETE ON site_state "
                     "BEGIN SELECT RAISE(ABORT, 'site_state is locked'); END;");
    const std::string before = snapshot();
    dialogs.yes_no = {true, true};
    EXPECT_THROW(delete_experiment(c, dialogs, "E", experiment_label(first_experiment, "1")),
                 db::Error);
    EXPECT_EQ(snapshot(), before);
    EXPECT_THROW(delete_plot(c, dialogs, "E", 101), db::Error);
    EXPECT_EQ(snapshot(), before);
}

TEST(CopyPlot, CopiesSiteManagementAndMeasurementsButNoResults) {
    for (const bool regional : {false, true}) {
        SCOPED_TRACE(regional ? "regional" : "ordinary");
        test::TempDir dir;
        db::Connection c = db::create_experiment_database(dir / "copy.db", false);
        if (regional) c.execute("alter table cultivation add part double");
        c.execute_native(
            "insert into field_description (fl_id, location, versuch_code, "
            "site_description, herkunft, climate_id, soil_id, i_con, area, notill, "
            "rep_cnt, mw_bat, comment, classification) values "
            "(17, 'farm', '5', 'abc', 'field book', 2, 3, '12', 0.5, 1, 2, 31.5, 'c', 'x'),"
            "(40, 'farm', '5', 'other', 'none', -99, -99, 'obsval', -99, 0, 0, 30, '-', '')");
        c.execute("insert into site_state (fl_id, status) values (17, 1)");
        c.execute_native("insert into measurements (fl_id, m_ix, day, month, year, year_number, "
                         "meas_value, vrnz) values (17, 7, 1, 4, 1990, 0, 1.2, 0.01), "
                         "(17, 0, 1, 4, 1995, 6, 0.12, 0.001), (40, 7, 1, 4, 1990, 0, 9, 0)");
        c.execute_native("insert into cultivation (fl_id, fl_id_alt, day, month, year, macode, "
                         "item_ix, quantity) values (17, 0, 1, 8, 1990, 2, 1, 70), "
                         "(17, 50, 1, 9, 1990, 3, 101, 300)");
        if (regional) c.execute("update cultivation set part=40");
        c.execute("insert into sim_result (fl_id, m_ix, year_, sim_value) values (17, 7, 1990, 1)");

        EXPECT_EQ(copy_plot(c, 17, regional), 41);
        const std::string site = "select herkunft, soil_id, climate_id, location, mw_bat, "
                                 "classification, comment, versuch_code, area, notill, i_con, "
                                 "rep_cnt from field_description where fl_id=";
        EXPECT_EQ(test::rows(c, site + "41"), test::rows(c, site + "17"));
        EXPECT_EQ(test::rows(c, "select site_description from field_description where fl_id=41"),
                  "xabc\n");
        const std::string meas = "select m_ix, [day], [month], [year], year_number, meas_value, "
                                 "vrnz from measurements where fl_id=";
        EXPECT_EQ(test::rows(c, meas + "41 order by m_ix"),
                  test::rows(c, meas + "17 order by m_ix"));
        const std::string mgmt = std::string("select fl_id_alt, [day], [month], [year], macode, "
                                             "item_ix, quantity") +
                                 (regional ? ", part" : "") + " from cultivation where fl_id=";
        EXPECT_EQ(test::rows(c, mgmt + "41 order by macode"),
                  test::rows(c, mgmt + "17 order by macode"));
        EXPECT_EQ(test::rows(c, "select status from site_state where fl_id=41"), "0\n");
        EXPECT_EQ(test::rows(c, "select count(*) from sim_result where fl_id=41"), "0\n");

        EXPECT_THROW(copy_plot(c, 99, regional), db::Error);
        EXPECT_EQ(test::rows(c, "select count(*) from field_description"), "3\n");
        EXPECT_EQ(test::rows(c, "select count(*) from site_state"), "2\n");
    }
}

TEST_F(PlotManagement, NewPlotTakesTheFolderAndTheMode) {
    struct Case {
        std::string modus, herkunft, i_con, stored_herkunft;
    };
    const std::vector<Case> cases = {
        {"ORV", "field book", "null", "field book"},
        {"TSM", "", "obsval", "??"},
        {"KORVEX", "x", "obsval", "x"},
    };
    std::int64_t expected = 207;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.modus);
        const std::int64_t id = add_plot(c, {first_experiment, k.herkunft, "1"}, k.modus);
        EXPECT_EQ(id, expected++);
        EXPECT_EQ(test::rows(c, "select location, versuch_code, site_description, herkunft, "
                                "i_con, comment, climate_id, soil_id, area, rep_cnt "
                                "from field_description where fl_id=" +
                                    std::to_string(id)),
                  first_experiment + "|1|-|" + k.stored_herkunft + "|" + k.i_con +
                      "|-|-99|-99|-99|0\n");
        EXPECT_EQ(count("site_state", "status=0 and fl_id=" + std::to_string(id)), "1\n");
    }
}

TEST_F(PlotManagement, NewExperimentHasAPlaceholderPlot) {
    const std::int64_t code = next_experiment_code(c);
    EXPECT_EQ(code, 3);
    EXPECT_EQ(create_experiment(c, code, "Tillage trial"), 207);
    EXPECT_EQ(test::rows(c, "select exp_id, vcode, location from experiments where exp_id=3"),
              "3|3|Tillage trial\n");
    EXPECT_EQ(test::rows(c, "select location, versuch_code, site_description, herkunft, comment, "
                            "climate_id, soil_id, area, rep_cnt from field_description "
                            "where fl_id=207"),
              "Tillage trial|3|-|??|-|-99|-99|-99|0\n");
    // A code that is taken leaves no trace.
    const std::string before = snapshot();
    EXPECT_THROW(create_experiment(c, 2, "again"), db::Error);
    EXPECT_EQ(snapshot(), before);
    // So does an empty or blank name, refused naming the field.
    for (const char* name : {"", "   "}) {
        try {
            create_experiment(c, code + 1, name);
            ADD_FAILURE() << "accepted '" << name << "'";
        } catch (const EntryRefused& e) {
            EXPECT_EQ(e.field(), "short name");
        }
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(PlotManagement, NamesWithQuotesAreStoredExactly) {
    const std::vector<std::string> names = {
        "O'Brien's \"north\" field",
        "\"",
        "x'; delete from experiments; --",
        "a\"\" & b",
    };
    std::int64_t code = next_experiment_code(c);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::int64_t plot = create_experiment(c, code, name);
        const std::string label = experiment_label(name, std::to_string(code));
        EXPECT_EQ(get_location(label), name);
        EXPECT_EQ(
            test::rows(c, "select location from experiments where exp_id=" + std::to_string(code)),
            name + "\n");
        const std::optional<PlotIdRange> range = plot_id_range(c, name);
        ASSERT_TRUE(range);
        EXPECT_EQ(range->min, plot);

        move_plot(c, 101, name);
        EXPECT_EQ(test::rows(c, "select location from field_description where fl_id=101"),
                  name + "\n");

        change_experiment_code(c, std::to_string(code), std::to_string(code), name + "'2");
        EXPECT_EQ(test::rows(c, "select location from field_description where fl_id=" +
                                    std::to_string(plot)),
                  name + "'2\n");

        dialogs.yes_no = {true};
        ASSERT_TRUE(delete_experiment(c, dialogs, "E", experiment_label(name + "'2", "x")));
        EXPECT_EQ(count("field_description", "fl_id=" + std::to_string(plot)), "0\n");
        EXPECT_EQ(count("experiments", "exp_id=" + std::to_string(code)), "0\n");
        ++code;
    }
    EXPECT_EQ(count("experiments", "1=1"), "2\n");
}

TEST_F(PlotManagement, ShiftIntoAnOccupiedRangeIsReportedButNotRefused) {
    const std::optional<PlotIdRange> range = plot_id_range(c, first_experiment);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->min, 101);
    EXPECT_EQ(range->max, 105);
    const std::string measurements_of_101 = count("measurements", "fl_id=101");

    // 102 to 105 are taken by the experiment's own plots, which move too.
    EXPECT_EQ(destination_status(destination_count(c, *range, 1)),
              "4 records in destination range !");
    shift_plot_ids(c, *range, 1);
    EXPECT_EQ(test::rows(c, "select fl_id from field_description where fl_id < 200 "
                            "order by fl_id"),
              "102\n103\n104\n105\n106\n");
    EXPECT_EQ(count("measurements", "fl_id=102"), measurements_of_101);
    EXPECT_EQ(count("cultivation", "fl_id=101"), "0\n");
    // The selection state keeps the old numbers.
    EXPECT_EQ(count("site_state", "fl_id=101"), "1\n");
    EXPECT_EQ(count("site_state", "fl_id=106"), "0\n");
}

TEST_F(PlotManagement, ShiftOntoAnotherExperimentsPlotsChangesNothing) {
    const PlotIdRange range{101, 105};
    EXPECT_EQ(destination_status(destination_count(c, range, 100)),
              "5 records in destination range !");
    const std::string before = snapshot();
    EXPECT_THROW(shift_plot_ids(c, range, 100), db::Error);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(PlotManagement, ShiftMovesEveryPlotInTheRange) {
    move_plot(c, 103, "Crop rotation trial");
    const std::optional<PlotIdRange> range = plot_id_range(c, first_experiment);
    ASSERT_TRUE(range);
    EXPECT_EQ(destination_status(destination_count(c, *range, 1000)),
              "0 records in destination range ! press ok to start transfer");
    EXPECT_EQ(parse_plot_id_shift(" 1000 "), 1000);
    shift_plot_ids(c, *range, parse_plot_id_shift("1000"));
    EXPECT_EQ(test::rows(c, "select fl_id, location from field_description where fl_id > 1000 "
                            "order by fl_id"),
              "1101|" + first_experiment + "\n1102|" + first_experiment +
                  "\n1103|Crop rotation trial\n1104|" + first_experiment + "\n1105|" +
                  first_experiment + "\n");
    EXPECT_EQ(count("measurements", "fl_id between 101 and 105"), "0\n");
    for (const char* text : {"", "1e", "abc", "1.5", "100; delete from measurements"})
        EXPECT_THROW(parse_plot_id_shift(text), std::invalid_argument) << text;
}

TEST_F(PlotManagement, ExperimentCodeChange) {
    for (const std::string code : {"?", "abc", "0", "-3", "1.5"}) {
        dialogs.shown.clear();
        const std::string label =
            code == "?" ? first_experiment : first_experiment + " <" + code + ">";
        EXPECT_FALSE(start_experiment_code_change(c, dialogs, label)) << code;
        EXPECT_EQ(dialogs.shown,
                  std::vector<std::string>{"background adaptation impossible: please change "
                                           "the data manually in the database"});
    }
    c.execute("insert into ref2vcode (lit_id, versuchs_code) values (1, '1'), (2, '2')");
    const auto form =
        start_experiment_code_change(c, dialogs, experiment_label(first_experiment, "1"));
    ASSERT_TRUE(form);
    EXPECT_EQ(form->old_code, "1");
    EXPECT_EQ(form->location, first_experiment);
    EXPECT_EQ(form->code, "1");

    const std::string before = snapshot();
    EXPECT_THROW(change_experiment_code(c, "1", "seven", "Moved"), std::invalid_argument);
    EXPECT_THROW(change_experiment_code(c, "1", "2", "Moved"), db::Error); // taken by another
    EXPECT_EQ(snapshot(), before);

    change_experiment_code(c, "1", "7", "Moved");
    EXPECT_EQ(test::rows(c, "select exp_id, vcode, location from experiments order by exp_id"),
              "2|2|Crop rotation trial\n7|7|Moved\n");
    EXPECT_EQ(count("field_description", "versuch_code='7' and location='Moved'"), "5\n");
    EXPECT_EQ(test::rows(c, "select lit_id, versuchs_code from ref2vcode order by lit_id"),
              "1|7\n2|2\n");
}

} // namespace

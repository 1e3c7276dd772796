// plot_transfer_test.cpp --- moving plots between experiment databases: whole plots,
// the same simulation in the destination, keys that collide, rows that differ, tables
// that are missing, columns matched by name, missing crop and amendment rows.
#include "db/connection.h"
#include "scripted_dialogs.h"
#include "sim/run_driver.h"
#include "sim/run_observer.h"
#include "sim/run_steps.h"
#include "transfer_fixture.h"

#include <algorithm>
#include <stdexcept>

namespace {

using test::TransferTest;

using transfer::PlotResult;

// Rows of a plot's tables, of its experiment, soil, station, references and of the
// saved state it starts from, compared column by column with the source.
TEST_F(TransferTest, StaticTrialArrivesWithEveryRowItNeeds) {
    source.execute_native(
        "INSERT INTO referenzen (lit_id, autor, titel) VALUES (7, 'Author A', 'Static trial'), "
        "(8, 'Author B', 'Rotation trial'), (9, 'Author C', 'Keyword paper');"
        "INSERT INTO ref2vcode (lit_id, versuchs_code) VALUES (7, '1'), (8, '2');"
        "INSERT INTO refkey_def (key_id, key_name) VALUES (3, 'manure');"
        "INSERT INTO key2ref2fl (key_id, ref_id, fl_id) VALUES (3, 9, 103);"
        "UPDATE field_description SET i_con = '201', rep_cnt = 2 WHERE FL_ID = 102;"
        "INSERT INTO som_state (fl_id, yr, c_am, c_sm, c_lts) VALUES (201, 1969, 1, 2, 3);"
        "INSERT INTO fom_state (fl_id, yr, nr, fom_ix, fom_c) VALUES (201, 1969, 1, 5, 7.5);"
        "UPDATE measurements SET vrnz = 0.01, weight = 0 WHERE FL_ID = 104 AND M_IX = 7 AND "
        "year_number = 3;"
        "UPDATE cultivation SET FL_ID_alt = 50 WHERE FL_ID = 105 AND Macode = 7;");
    const transfer::TransferReport report = move(test::static_trial);

    ASSERT_TRUE(report.all_arrived());
    for (const auto& p : report.plots) {
        EXPECT_EQ(p.result, PlotResult::moved) << transfer::outcome_line(p);
        EXPECT_EQ(p.destination_id, p.source_id);
    }
    EXPECT_EQ(report.plots[0].measurements, 45);
    EXPECT_EQ(report.plots[0].management, 46);
    const std::string plots = " WHERE FL_ID BETWEEN 101 AND 105";
    for (const std::string& q :
         {"SELECT * FROM $field_description" + plots, "SELECT * FROM $site_state" + plots,
          "SELECT FL_ID, day, Month, year, year_number, M_IX, meas_value, vrnz, weight FROM "
          "$measurements" +
              plots,
          "SELECT FL_ID, day, month, year, Macode, Item_IX, Quantity, Sim_Quantity, FL_ID_alt "
          "FROM $cultivation" +
              plots,
          "SELECT * FROM $vb_st_gr" + plots, "SELECT * FROM $humod_nur" + plots,
          std::string("SELECT * FROM $experiments WHERE exp_id = 1"),
          std::string("SELECT * FROM $soilproperties WHERE soil_ID = 1"),
          std::string("SELECT * FROM $climate_station WHERE climate_ID = 1"),
          std::string("SELECT * FROM $climate_data WHERE climate_ID = 1"),
          std::string("SELECT * FROM $reg_ndeposit WHERE climate_id = 1"),
          std::string("SELECT * FROM $vc2cls WHERE exp_id = 1"),
          std::string("SELECT * FROM $ref2vcode WHERE versuchs_code = '1'"),
          std::string("SELECT * FROM $referenzen WHERE lit_id IN (7, 9)"),
          std::string("SELECT * FROM $refkey_def"), std::string("SELECT * FROM $key2ref2fl"),
          std::string("SELECT * FROM $som_state"), std::string("SELECT * FROM $fom_state")})
        EXPECT_TRUE(same_in_both(q)) << q;
    // Nothing of the other experiment comes along.
    EXPECT_EQ(count(dest, "field_description"), "5\n");
    EXPECT_EQ(count(dest, "experiments"), "1\n");
    EXPECT_EQ(count(dest, "referenzen"), "2\n");
    EXPECT_EQ(count(dest, "climate_station"), "1\n");
}

// A run in the destination gives the source's results to the last digit.
TEST_F(TransferTest, RunInTheDestinationReproducesTheSourceResults) {
    test::WorkingFolder folder(dir.path());
    const auto run = [&](db::Connection& c) {
        sim::Simulator simulator;
        simulator.methode = "TSM";
        sim::RecordingObserver observer;
        test::ScriptedDialogs dialogs;
        app::ProgramState state;
        const sim::RunSteps steps = sim::standard_run_steps();
        sim::RunContext ctx{c, simulator, observer, dialogs, state};
        ASSERT_EQ(sim::press_calculate(ctx, steps), sim::CalculateOutcome::completed);
    };
    source.execute("update site_state set status = iif(FL_ID < 200, 1, 0)");
    run(source);
    move(test::static_trial);
    run(dest);
    ASSERT_EQ(count(dest, "sim_result"), count(source, "sim_result"));
    EXPECT_NE(count(dest, "sim_result"), "0\n");
    for (const char* q : {"SELECT fl_id, m_ix, year_, year_num, sim_value FROM $sim_result",
                          "SELECT * FROM $tsm_zbv", "SELECT * FROM $tsm_nresult"})
        EXPECT_TRUE(same_in_both(q)) << q;
}

std::string destination_rows(db::Connection& c) {
    std::string all;
    for (const char* t :
         {"experiments", "field_description", "site_state", "measurements", "cultivation",
          "soilproperties", "climate_station", "climate_data", "reg_ndeposit", "vc2cls", "vb_st_gr",
          "humod_nur", "srbpflan", "srbopspa"})
        all += test::rows(c, std::string("select * from ") + t);
    return all;
}

TEST_F(TransferTest, RepeatedTransferFindsThePlotsAndChangesNothing) {
    move(test::static_trial);
    const std::string before = destination_rows(dest);
    const transfer::TransferReport again = move(test::static_trial);
    EXPECT_EQ(destination_rows(dest), before);
    EXPECT_TRUE(again.all_arrived());
    for (const auto& p : again.plots) EXPECT_EQ(p.result, PlotResult::already_there);
    EXPECT_TRUE(again.notes.empty());
}

// The destination's own plot 101 keeps its rows; the moved one gets the next free FL_ID,
// or stays out when the user declines.
TEST_F(TransferTest, CollidingPlotIsRenumberedOrLeftOut) {
    struct Case {
        bool renumber;
        PlotResult result;
        const char* plots_after;
    };
    for (const Case& k :
         {Case{true, PlotResult::renumbered, "2\n"}, Case{false, PlotResult::left_out, "1\n"}}) {
        test::TempDir other;
        dest = db::create_experiment_database(other / "own.db", false);
        dest.execute_native("INSERT INTO field_description (FL_ID, Location, site_description) "
                            "VALUES (101, 'Own trial', 'own plot');"
                            "INSERT INTO site_state (FL_ID) VALUES (101);"
                            "INSERT INTO measurements (FL_ID, M_IX, meas_value) VALUES "
                            "(101, 7, 1.1), (101, 7, 1.2), (101, 7, 1.3)");
        std::vector<std::pair<std::int64_t, std::int64_t>> asked;
        transfer::TransferOptions options;
        options.renumber_plot = [&](std::int64_t from, std::int64_t to) {
            asked.emplace_back(from, to);
            return k.renumber;
        };
        const transfer::TransferReport r = move({101}, options);
        ASSERT_EQ(asked, (std::vector<std::pair<std::int64_t, std::int64_t>>{{101, 102}}));
        EXPECT_EQ(r.plots[0].result, k.result);
        EXPECT_EQ(r.all_arrived(), k.renumber);
        EXPECT_EQ(count(dest, "field_description"), k.plots_after);
        EXPECT_EQ(test::rows(dest, "select site_description from field_description where "
                                   "FL_ID = 101"),
                  "own plot\n");
        EXPECT_EQ(count(dest, "measurements", "FL_ID = 101"), "3\n");
        EXPECT_EQ(count(dest, "measurements", "FL_ID = 102"), k.renumber ? "45\n" : "0\n");
        EXPECT_EQ(count(dest, "site_state", "FL_ID = 102"), k.renumber ? "1\n" : "0\n");
    }
}

// A soil, station, experiment or reference under a key the destination uses for other
// rows is copied under a new key; rows the destination holds under another key are used.
TEST_F(TransferTest, KeysOfDifferentRowsAreRenumberedAndSameRowsAreUsed) {
    source.execute_native("INSERT INTO referenzen (lit_id, autor) VALUES (7, 'Author A');"
                          "INSERT INTO ref2vcode (lit_id, versuchs_code) VALUES (7, '1')");
    dest.execute_native("INSERT INTO soilproperties (soil_ID, profile, clay) VALUES (1, "
                        "'other soil', 50);"
                        "INSERT INTO climate_station (climate_ID, station) VALUES (1, 'other');"
                        "INSERT INTO climate_data (climate_ID, day, month, year, temperature) "
                        "VALUES (1, 0, 0, 0, 3);"
                        "INSERT INTO experiments (exp_id, vcode, location) VALUES (1, '1', "
                        "'other trial');"
                        "INSERT INTO referenzen (lit_id, autor) VALUES (7, 'Author Z')");
    {
        // The source's station 1 is already in the destination, as station 5.
        transfer::AttachedSource attached(dest, source.path());
        dest.execute_native(
            "INSERT INTO climate_station SELECT 5, station, year0_nd, ndep_0, year1_nd, ndep_1 "
            "FROM src.climate_station WHERE climate_ID = 1;"
            "INSERT INTO climate_data SELECT 5, day, month, year, temperature, precipitation "
            "FROM src.climate_data WHERE climate_ID = 1;"
            "INSERT INTO reg_ndeposit SELECT 5, year, N_dep_y FROM src.reg_ndeposit WHERE "
            "climate_id = 1");
    }
    const std::string station_rows = count(dest, "climate_data");
    const transfer::TransferReport r = move({101, 102});

    EXPECT_EQ(test::rows(dest, "select distinct soil_ID, climate_ID, versuch_code from "
                               "field_description"),
              "2|5|2\n");
    EXPECT_EQ(count(dest, "climate_data"), station_rows);
    const std::string soil = "select profile, clay, silt, sand, BD, skelett, fchw, fbio, "
                             "BA_RBS from soilproperties where soil_ID = ";
    EXPECT_EQ(test::rows(dest, soil + "2"), test::rows(source, soil + "1"));
    EXPECT_EQ(test::rows(dest, "select exp_id, vcode, location from experiments order by exp_id"),
              "1|1|other trial\n2|2|Static fertilisation trial\n");
    EXPECT_EQ(test::rows(dest, "select lit_id, versuchs_code from ref2vcode"), "8|2\n");
    EXPECT_EQ(test::rows(dest, "select autor from referenzen where lit_id = 8"), "Author A\n");
    EXPECT_EQ(test::rows(dest, "select exp_id, climate_ID from vc2cls"), "2|5\n");
    for (const char* note :
         {"soil 1 -> 2", "climate station 1 -> 5", "experiment 1 -> 2", "reference 7 -> 8"})
        EXPECT_TRUE(std::any_of(r.notes.begin(), r.notes.end(), [&](const std::string& n) {
            return n.rfind(note, 0) == 0;
        })) << note;
}

// A destination that cannot take every row keeps none: a missing table is named before
// anything is written, a failure half way is rolled back.
TEST_F(TransferTest, FailureLeavesTheDestinationAsItWas) {
    struct Case {
        const char* change;
        const char* message;
    };
    for (const Case& k :
         {Case{"DROP TABLE measurements", "no table measurements"},
          Case{"DROP TABLE vb_st_gr", "no table vb_st_gr"},
          Case{"CREATE TRIGGER refuse BEFORE INSERT ON cultivation BEGIN SELECT RAISE(ABORT, "
               "'management refused'); END",
               "management refused"}}) {
        test::TempDir other;
        dest = db::create_experiment_database(other / "dest.db", false);
        dest.execute_native(k.change);
        const std::string before = test::rows(dest, "select count(*) from field_description") +
                                   count(dest, "site_state") + count(dest, "experiments") +
                                   count(dest, "soilproperties") + count(dest, "climate_data");
        try {
            move(test::static_trial);
            ADD_FAILURE() << k.change;
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(k.message), std::string::npos) << e.what();
        }
        EXPECT_EQ(test::rows(dest, "select count(*) from field_description") +
                      count(dest, "site_state") + count(dest, "experiments") +
                      count(dest, "soilproperties") + count(dest, "climate_data"),
                  before)
            << k.change;
    }
}

// Columns are matched by name, whatever their order; a source column the destination
// lacks is reported.
TEST_F(TransferTest, ColumnsAreMatchedByName) {
    dest.execute_native("DROP TABLE measurements; CREATE TABLE measurements (weight REAL, note "
                        "TEXT, meas_value REAL, M_IX INTEGER, year_number INTEGER, year INTEGER, "
                        "Month INTEGER, day INTEGER, FL_ID INTEGER, vrnz REAL)");
    source.execute_native("ALTER TABLE cultivation ADD COLUMN part REAL");
    const transfer::TransferReport r = move({101});
    EXPECT_TRUE(same_in_both("SELECT FL_ID, day, Month, year, year_number, M_IX, meas_value, "
                             "vrnz, weight FROM $measurements WHERE FL_ID = 101"));
    EXPECT_EQ(r.notes, std::vector<std::string>{"cultivation.part: the destination has no such "
                                                "column; its values stay in the source"});
}

// Codes and file names with quotes are data, not statement text.
TEST_F(TransferTest, CodesAndPathsWithQuotesMove) {
    source.execute_native("UPDATE experiments SET vcode = '1''\"x' WHERE exp_id = 1;"
                          "UPDATE field_description SET versuch_code = '1''\"x' WHERE FL_ID = 101");
    dest = db::create_experiment_database(dir / "it's \"dest\".db", false);
    EXPECT_TRUE(move({101}).all_arrived());
    EXPECT_EQ(test::rows(dest, "select versuch_code from field_description"), "1'\"x\n");
    EXPECT_EQ(test::rows(dest, "select vcode from experiments"), "1'\"x\n");
}

// Crops and amendments that the destination lacks come with the plot that uses them.
TEST_F(TransferTest, MissingCropAndAmendmentRowsComeWithThePlot) {
    dest.execute_native("DELETE FROM srbopspa WHERE ITEM_IX = 101; DELETE FROM srbpflan WHERE "
                        "ITEM_IX = 9");
    const transfer::TransferReport r = move({103});
    EXPECT_EQ(
        r.plots[0].parameter_rows,
        (std::vector<std::string>{"amendment 101 farmyard manure (cattle)", "crop 9 sugar beet"}));
    EXPECT_TRUE(same_in_both("SELECT * FROM $srbopspa"));
    EXPECT_TRUE(same_in_both("SELECT * FROM $srbpflan"));
}

// The source is only read: its own connection may be writing meanwhile.
TEST_F(TransferTest, SourceBusyWritingDoesNotHoldTheTransfer) {
    source.begin();
    source.execute("update site_state set status = 0");
    EXPECT_TRUE(move({101}).all_arrived());
    source.rollback();
}

TEST_F(TransferTest, UnknownPlotIsReportedAndTheOthersMove) {
    const transfer::TransferReport r = move({999, 101});
    EXPECT_FALSE(r.all_arrived());
    EXPECT_EQ(transfer::outcome_line(r.plots[0]), "FL_ID 999: not in the source database");
    EXPECT_EQ(transfer::outcome_line(r.plots[1]),
              "FL_ID 101 -> 101: moved (45 measurements, 46 management rows)");
}

} // namespace

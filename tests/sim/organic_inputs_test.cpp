// organic_inputs_test.cpp --- the reproduction records and the model's input table built from
// the cultivation record of the selected plots.
#include "db/db_error.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "sim/organic_inputs.h"
#include "sim/run_driver.h"
#include "test_support.h"

#include <cctype>
#include <gtest/gtest.h>

namespace {

// The demo database: plot 203 has in 1972 (its initial year) a cattle slurry amendment of 200
// (code 3) and a winter wheat harvest of 64.8 with its straw returned (code 9); plot 204
// ploughs up grassland (code 0, 400) in 1977.
class OrganicInputsTest : public ::testing::Test {
protected:
    OrganicInputsTest() : conn(db::create_experiment_database(dir / "demo.sqlite", true)) {}

    void select(const std::string& plots) {
        conn.execute("update site_state set status=0");
        conn.execute("update site_state set status=1 where FL_ID in (" + plots + ")");
    }

    void run_steps() {
        sim::RunContext ctx{conn, simulator, observer, dialogs, state};
        sim::input_quantities(ctx);
        sim::organic_inputs(ctx);
    }

    double number(const std::string& query) { return conn.scalar(query).as_double(-1e9); }
    std::string rows(const std::string& query) { return test::rows(conn, query); }

    test::TempDir dir;
    db::Connection conn;
    sim::Simulator simulator;
    sim::RecordingObserver observer;
    test::ScriptedDialogs dialogs;
    app::ProgramState state;
};

// Residue nitrogen of the 1972 wheat: CEWR + FEWR * harvested N (64.8 * N_Gehalt 1.81).
constexpr double wheat_residue_n = 15 + 0.16 * 64.8 * 1.81;

TEST_F(OrganicInputsTest, InputsOfAPlotYearFollowFromTheParameterTables) {
    // A second amendment in the same year: farmyard manure 30 (TS 0.25, C 0.38).
    conn.execute("insert into cultivation (FL_ID, year, Macode, Item_IX, Quantity, FL_ID_alt) "
                 "values (203, 1972, 3, 101, 30, 0)");
    select("203");
    run_steps();

    EXPECT_EQ(rows("select Sim_Quantity from cultivation where FL_ID=203 and year=1972 "
                   "and Macode<>4 order by Macode, Item_IX"),
              "285\n600\n117.288\n");
    EXPECT_EQ(rows("select ctype, NAME_, item_ix, part, K, ETA, CNR, cnr_alt, mkd from opstab "
                   "where FL_ID=203 and year_=1972 order by ctype, item_ix"),
              "ER|winter wheat|1|100|0.04|0.35|45|45|0\n"
              "KP|cereal straw|21|100|0.06|0.25|77|77|0\n"
              "OA|farmyard manure (cattle)|101|100|0.015|0.5|20|17|1\n"
              "OA|cattle slurry|102|100|0.05|0.3|15|8|1\n");
    const auto cops = [&](const std::string& where) {
        return number("select COPS from opstab where FL_ID=203 and year_=1972 and " + where);
    };
    EXPECT_NEAR(cops("ctype='ER'"), wheat_residue_n * 45, 1e-9);
    EXPECT_NEAR(cops("ctype='KP'"), 64.8 * 100 * 0.8 * 0.86 * 0.45, 1e-9);
    EXPECT_NEAR(cops("item_ix=101"), 285, 1e-9);
    EXPECT_NEAR(cops("item_ix=102"), 600, 1e-9);

    // Reproduction carbon: residues with CNR_ALT and ETA, amendments and straw times ETA.
    const double crep =
        wheat_residue_n * 45 * 0.35 + 285 * 0.5 + 600 * 0.3 + 64.8 * 100 * 0.8 * 0.86 * 0.45 * 0.25;
    EXPECT_NEAR(number("select Crep from crep_year where FL_ID=203 and year_0=1972"), crep, 1e-9);
    // Corg and Norg only in the year of the initial measurement.
    EXPECT_EQ(rows("select year_0, year_1, n, Corg, Norg from crep_year where FL_ID=203 and "
                   "year_0 in (1972, 1973) order by year_0"),
              "1972|1973|4|1.18|0.122\n1973|1974|2|-99.9999|-99.9999\n");
}

TEST_F(OrganicInputsTest, OnlyAReturnedByProductGivesByProductInputs) {
    struct Case {
        int macode;
        const char* records; // crep_h1 of the harvest
        const char* inputs;  // opstab of the harvest
    };
    for (const Case& c : {Case{2, "EWR\n", "ER\n"}, Case{9, "EWR\nKP\n", "ER\nKP\n"}}) {
        SCOPED_TRACE(c.macode);
        conn.execute("update cultivation set Macode=" + std::to_string(c.macode) +
                     " where cultivation_id=820");
        select("203");
        run_steps();
        EXPECT_EQ(rows("select id_ from crep_h1 where FL_ID=203 and year_=1973 order by id_"),
                  c.records);
        EXPECT_EQ(rows("select ctype from opstab where FL_ID=203 and year_=1973 order by ctype"),
                  c.inputs);
        EXPECT_NEAR(number("select Sim_Quantity from cultivation where cultivation_id=820"),
                    56.1 * 1.65, 1e-9);
    }
}

TEST_F(OrganicInputsTest, ThePlotShareWeightsTheYearlySum) {
    // Plot 203 in 1996: a slurry amendment of 200 on the share FL_ID_alt.
    const auto year_sum = [&](const std::string& share) {
        conn.execute("update cultivation set FL_ID_alt=" + share +
                     " where FL_ID=203 and year=1996 and Macode=3");
        select("203");
        run_steps();
        EXPECT_EQ(rows("select part from opstab where FL_ID=203 and year_=1996 and ctype='OA'"),
                  "100\n");
        return number("select Crep from crep_year where FL_ID=203 and year_0=1996");
    };
    const double half = year_sum("50");
    EXPECT_EQ(rows("select FLA from crep_h1 where FL_ID=203 and year_=1996 and id_='OD'"), "50\n");
    const double whole = year_sum("0");
    EXPECT_NEAR(whole - half, 0.5 * 600 * 0.3, 1e-9);
    EXPECT_NEAR(year_sum("-5"), whole, 1e-9);
}

TEST_F(OrganicInputsTest, PloughedUpGrasslandIsAByProductInputWithoutReproductionRecord) {
    select("204");
    run_steps();
    // Sward of grassland (grd_ix 33): 400 * 100 * TS 0.25 * C 0.4; its root residues from the
    // row's Sim_Quantity as entered (40): (CEWR 20 + FEWR 0.15 * 40) * CNR 30.
    EXPECT_EQ(rows("select ctype, item_ix, part, COPS from opstab where FL_ID=204 and "
                   "year_=1977 and item_ix in (10, 33) order by ctype"),
              "ER|10|100|780\nKP|33|100|4000\n");
    EXPECT_EQ(rows("select count(*) from crep_h1 where FL_ID=204 and Macode=0"), "0\n");
}

TEST_F(OrganicInputsTest, RegionalModeTakesTheShareFromPart) {
    conn.execute("alter table cultivation add column part double");
    conn.execute("update cultivation set part=40 where FL_ID in (203, 204)");
    conn.execute("update cultivation set part=0 where cultivation_id=820");
    state.regional_mode = true;
    select("203,204");
    run_steps();
    EXPECT_EQ(rows("select ctype, part from opstab where FL_ID=203 and year_=1972 "
                   "order by ctype"),
              "ER|40\nKP|40\nOA|40\n");
    EXPECT_NEAR(number("select COPS from opstab where FL_ID=203 and year_=1972 and ctype='KP'"),
                64.8 * 100 * 0.8 * 0.86 * 0.45, 1e-9);
    // Ploughed-up carbon is scaled by the share instead of 100.
    EXPECT_NEAR(number("select COPS from opstab where FL_ID=204 and year_=1977 and ctype='KP'"),
                400 * 40 * 0.25 * 0.4, 1e-9);
    EXPECT_EQ(rows("select id_, FLA from crep_h1 where FL_ID=203 and year_ in (1972, 1973) "
                   "order by year_, id_"),
              "EWR|40\nKP|40\nOD|40\nEWR|100\nKP|100\n");
}

TEST_F(OrganicInputsTest, UnselectedPlotsAreLeftAlone) {
    conn.execute("update cultivation set Sim_Quantity=-1 where FL_ID=101");
    select("203");
    run_steps();
    EXPECT_EQ(rows("select distinct Sim_Quantity from cultivation where FL_ID=101"), "-1\n");
    for (const char* table :
         {"crep_h1", "crep_year", "_cropping_dt", "_koppel_prdkt", "_org_dnger", "opstab"})
        EXPECT_EQ(rows(std::string("select distinct FL_ID from ") + table), "203\n") << table;
}

TEST_F(OrganicInputsTest, EveryStatementWritesItsCount) {
    select("203");
    run_steps();
    std::vector<std::string> texts;
    for (std::string line : observer.lines) {
        while (!line.empty() && std::isdigit(static_cast<unsigned char>(line.back())))
            line.pop_back();
        texts.push_back(line);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "sql 2:", "sql 3:", "CREP_ewr:", " CREP_od:", "  CREP_kop:", "crep_year:",
                         "corg updates:", "Norg updates:", "crop_er :", "crop_ap :", "plough up :",
                         "crop_oa :", "cops KPrecs:", "cops OArecs:", "cops ERrecs:",
                         "mark updated:", "opstab index created:"}));
    EXPECT_EQ(observer.lines[12],
              "cops KPrecs:" +
                  conn.scalar("select count(*) from opstab where ctype='KP'").as_text());
    EXPECT_EQ(observer.lines[6], "corg updates:1");
    EXPECT_EQ(observer.lines[16], "opstab index created:0");
    EXPECT_TRUE(conn.has_table("opstab"));
}

TEST_F(OrganicInputsTest, TheInputTableNeedsTheCropRows) {
    select("203");
    sim::RunContext ctx{conn, simulator, observer, dialogs, state};
    EXPECT_THROW(sim::organic_inputs(ctx), db::Error);
}

TEST_F(OrganicInputsTest, ASecondRunGivesTheSameTables) {
    select("203,204");
    const auto snapshot = [&] {
        std::string all;
        for (const char* table : {"crep_h1", "crep_year", "_cropping_dt", "_koppel_prdkt",
                                  "_org_dnger", "opstab", "cultivation"})
            all += rows(std::string("select * from ") + table);
        return all;
    };
    run_steps();
    const std::string first = snapshot();
    const std::vector<std::string> messages = observer.lines;
    observer.lines.clear();
    run_steps();
    EXPECT_EQ(snapshot(), first);
    EXPECT_EQ(observer.lines, messages);
}

} // namespace

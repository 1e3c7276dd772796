// The template a new experiment database starts from, and the demo database.
#include "db/connection.h"
#include "db/new_database.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

// The tables and columns every part of the program relies on.
const std::vector<std::pair<const char*, std::vector<const char*>>> required = {
    {"experiments", {"exp_id", "vcode", "location", "herkunft"}},
    {"field_description",
     {"FL_ID", "Location", "versuch_code", "site_description", "Herkunft", "climate_ID", "soil_ID",
      "i_con", "area", "notill", "rep_cnt", "mw_BAT", "comment", "classification"}},
    {"site_state", {"FL_ID", "status", "res_VAL"}},
    {"vc2cls", {"exp_id", "climate_ID"}},
    {"soilproperties",
     {"soil_ID", "profile", "BA_RBS",  "BA_RBS_CODE", "BA_KA4", "BA_LfL",   "clay",
      "silt",    "sand",    "FAT",     "PV",          "FC",     "PWP",      "BD",
      "PD",      "cif",     "skelett", "fchw",        "fbio",   "silt_org", "sand_org",
      "FAT_org", "PV_org",  "FC_org",  "PWP_org",     "BD_org", "PD_org",   "cif_org"}},
    {"pore_size_parm", {"mi", "me", "ma"}},
    {"climate_station", {"climate_ID", "station", "year0_nd", "ndep_0", "year1_nd", "ndep_1"}},
    {"climate_data", {"climate_ID", "day", "month", "year", "temperature", "precipitation"}},
    {"reg_ndeposit", {"climate_id", "year", "N_dep_y"}},
    {"cultivation",
     {"cultivation_id", "FL_ID", "day", "month", "year", "Macode", "Item_IX", "Quantity",
      "Sim_Quantity", "FL_ID_alt"}},
    {"measurements",
     {"meas_id", "FL_ID", "day", "Month", "year", "year_number", "M_IX", "meas_value", "vrnz",
      "weight"}},
    {"CND_MWML",
     {"M_IX", "MERKMAL", "KURZBEZ", "BEZEICHNUNG", "EINHEIT", "KLASSE", "F_LENGTH", "F_DECS"}},
    {"srbpflan",
     {"ITEM_IX", "NAME", "HI", "N_GEHALT", "FEWR", "CEWR", "ewr_ix", "kop_ix", "grd_ix", "ros_ix",
      "main_crop", "oeko_code"}},
    {"srbopspa",
     {"ITEM_IX", "NAME", "TS_GEHALT", "C_GEH_TS", "K", "ETA", "CNR", "CNR_ALT", "mkd", "od",
      "ros_ix"}},
    {"srbmindg", {"ITEM_IX", "NAME", "AMMANTEIL"}},
    {"SRBAPARM", {"item_ix", "NAME", "K_AOS", "K_STAB", "K_AKT", "CNR_OBS", "H_PWP", "H_FC"}},
    {"srbaktion",
     {"action_id", "ACTION", "action_de", "action_en", "DEF_INTENSITY", "UNIT_INTENSITY"}},
    {"srbsel_crop", {"ITEM_IX", "NAME", "select", "OEKO_code"}},
    {"tsm_var_fac", {"ID", "F_BAT", "F_BD", "F_CREP"}},
    {"wmzprm", {"xfat", "xa", "xb", "xc"}},
    {"n_saat_imp", {"ITEM_IX", "menge", "n_gehalt", "nutzungsjahre"}},
    {"leg_parm", {"item_ix", "faktor", "konstante"}},
    {"cbi_setting", {"model"}},
    {"referenzen", {"lit_id", "quelle", "autor", "jahr", "titel"}},
};

TEST(Template, HoldsEveryTableAndColumn) {
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "new.db", false);
    for (const auto& [table, columns] : required) {
        ASSERT_TRUE(c.has_table(table)) << table;
        for (const char* col : columns)
            EXPECT_TRUE(c.has_column(table, col)) << table << "." << col;
    }
    EXPECT_EQ(c.scalar("select count(*) from field_description").as_int(), 0);
    EXPECT_EQ(c.scalar("select Trim(model) from cbi_setting").as_text(), "TSM");
    EXPECT_FALSE(c.has_column("cultivation", "part")); // a new database is not regional
    // Text is compared without regard to case, as in every Jet database.
    EXPECT_EQ(c.scalar("select count(*) from srbaktion where ACTION = (select UCase(ACTION) "
                       "from srbaktion where action_id = 2)")
                  .as_int(),
              1);
}

TEST(Demo, RealLookingExperiments) {
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);
    EXPECT_GE(c.scalar("select count(*) from soilproperties").as_int(), 3);
    EXPECT_GE(c.scalar("select count(*) from experiments").as_int(), 2);
    EXPECT_GE(c.scalar("select count(*) from field_description").as_int(), 8);
    // Every station has 60 years of weather, a year-0 row and N deposition.
    EXPECT_EQ(
        c.scalar("select count(*) from climate_station s where "
                 "(select count(*) from climate_data d where d.climate_ID = s.climate_ID "
                 "and d.[year] > 0) < 60 or "
                 "(select count(*) from climate_data d where d.climate_ID = s.climate_ID "
                 "and d.[year] = 0) <> 1 or "
                 "(select count(*) from reg_ndeposit n where n.climate_id = s.climate_ID) = 0")
            .as_int(),
        0);
    // Every plot: a selection row, 40 years of management, initial Corg and Nt.
    EXPECT_EQ(c.scalar("select count(*) from field_description f where "
                       "(select count(*) from site_state s where s.FL_ID = f.FL_ID) <> 1 or "
                       "(select max([year]) - min([year]) from cultivation k where "
                       "k.FL_ID = f.FL_ID) < 39 or "
                       "(select count(*) from measurements m where m.FL_ID = f.FL_ID and "
                       "m.year_number = 0 and m.M_IX in (0, 7)) <> 2")
                  .as_int(),
              0);
    for (int code : {0, 2, 3, 4, 7, 9})
        EXPECT_GT(
            c.scalar("select count(*) from cultivation where Macode = " + std::to_string(code))
                .as_int(),
            0)
            << "action " << code;
    EXPECT_GT(c.scalar("select count(*) from measurements where M_IX = 5").as_int(), 0);
    // Management refers to existing crops, amendments and fertilisers.
    EXPECT_EQ(c.scalar("select count(*) from cultivation k where (k.Macode in (2, 9) and "
                       "k.Item_IX not in (select ITEM_IX from srbpflan)) or (k.Macode = 3 and "
                       "k.Item_IX not in (select ITEM_IX from srbopspa)) or (k.Macode = 4 and "
                       "k.Item_IX not in (select ITEM_IX from srbmindg))")
                  .as_int(),
              0);
}

} // namespace

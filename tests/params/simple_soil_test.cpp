// simple_soil_test.cpp --- saving and deleting a simple soil description.
#include "db/new_database.h"
#include "params/simple_soil.h"
#include "params/soil_profiles.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

class SimpleSoil : public testing::Test {
protected:
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);
    test::ScriptedDialogs dialogs;

    std::string all() { return test::rows(c, "select * from soilproperties order by soil_ID"); }
};

TEST_F(SimpleSoil, ANewSoilWithTheDefaults) {
    const auto name = params::save_simple_soil(c, {"sand", "S", "4,5", "-99", "0"}, true, dialogs);
    EXPECT_EQ(name, "sand");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(
        test::rows(c, "select soil_ID, BA_RBS, clay, silt, silt_org, skelett, FAT, FAT_org, BD, "
                      "BD_org, PV, FC, PWP, cif, cif_org, PD, sand, sand_org from soilproperties "
                      "where profile='sand'"),
        "4|S|4.5|-99|0|0|-99|0|-99|0|-99|-99|-99|-99|0|-99|-99|0\n");
}

TEST_F(SimpleSoil, ADuplicateNameGetsOnesUntilItIsFreeAndTheUserIsTold) {
    params::SimpleSoilInput input{"sand", "S", "4", "10", "0"};
    EXPECT_EQ(params::save_simple_soil(c, input, true, dialogs), "sand");
    EXPECT_EQ(params::save_simple_soil(c, input, true, dialogs), "sand1");
    EXPECT_EQ(params::save_simple_soil(c, input, true, dialogs), "sand11");
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1], "simple soil description: A soil named \"sand\" exists; the soil "
                                "was saved as \"sand11\".");
    EXPECT_EQ(test::rows(c, "select silt_org from soilproperties where profile='sand1'"), "-1\n");
}

TEST_F(SimpleSoil, SavingAnExistingSoilKeepsItsMeasuredValues) {
    const std::string name = "Haplic Luvisol, boulder clay";
    EXPECT_EQ(params::save_simple_soil(c, {name, "LT", "30.5", "40", "2"}, false, dialogs), name);
    EXPECT_EQ(test::rows(c, "select clay, silt, skelett, PV, PV_org, BD, BD_org, cif from "
                            "soilproperties where soil_ID=3"),
              "30.5|40|2|44.5|-1|1.45|-1|0.6\n");
}

TEST_F(SimpleSoil, BadInputIsRefusedBeforeAnythingIsWritten) {
    const std::string before = all();
    struct Case {
        params::SimpleSoilInput input;
        std::vector<std::string> incomplete;
    };
    for (const Case& k : {Case{{"-?-", "S", "4", "-99", "0"}, {"name"}},
                          Case{{"x", "?", "?", "-99", "0"}, {"clay", "soil type"}},
                          Case{{"", "Q", "4", "-99", "0"}, {"name", "soil type"}}}) {
        EXPECT_EQ(params::incomplete_controls(k.input), k.incomplete);
        dialogs.shown.clear();
        EXPECT_EQ(params::save_simple_soil(c, k.input, true, dialogs), std::nullopt);
        EXPECT_EQ(dialogs.shown, (std::vector<std::string>{"Satz kann nicht gespeichert werden: "
                                                           "Bitte alle Pflicht-Daten eingeben !"}));
    }
    for (const params::SimpleSoilInput& bad : {params::SimpleSoilInput{"x", "S", "4x", "-99", "0"},
                                               {"x", "S", "70", "40", "0"},
                                               {"x", "S", "4", "-99", "101"}})
        EXPECT_THROW(params::save_simple_soil(c, bad, true, dialogs), params::InputError);
    EXPECT_EQ(all(), before);
}

TEST_F(SimpleSoil, DeletingASoilInUseIsRefused) {
    dialogs.yes_no = {true, true};
    EXPECT_FALSE(params::delete_simple_soil(c, "Haplic Luvisol, boulder clay", dialogs));
    EXPECT_NE(dialogs.shown.at(0).find("used by the plots 201 "), std::string::npos);
    params::save_simple_soil(c, {"sand", "S", "4", "10", "0"}, true, dialogs);
    EXPECT_TRUE(params::delete_simple_soil(c, "sand", dialogs));
    EXPECT_EQ(params::find_profile(c, "sand"), std::nullopt);
}

} // namespace

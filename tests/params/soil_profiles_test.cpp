// soil_profiles_test.cpp --- finding, creating, checking, saving, copying and deleting soil
// profiles.
#include "db/new_database.h"
#include "params/soil_profiles.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

using params::ProfileValues;

class SoilProfiles : public testing::Test {
protected:
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);
    test::ScriptedDialogs dialogs;

    std::string profiles() {
        return test::rows(c, "select * from soilproperties order by soil_ID");
    }

    // The demo's loess profile as the editor holds it.
    static ProfileValues loess() {
        return {{"profile", "loess"}, {"BA_RBS", "L"}, {"clay", 21.0}, {"silt", 68.0},
                {"FAT", 33.0},        {"BD", 1.38},    {"PV", 47.5},   {"FC", 35.5},
                {"PWP", 14.0},        {"skelett", 0.0}};
    }
};

TEST_F(SoilProfiles, TheOriginRuleMarksMeasuredValues) {
    struct Case {
        db::Value typed, stored;
        int origin;
    };
    for (const Case& k : {Case{{}, -99.0, 0}, Case{0.0, -99.0, 0}, Case{-5.0, -99.0, 0},
                          Case{"", -99.0, 0}, Case{30.0, 30.0, -1}, Case{0.01, 0.01, -1}}) {
        ProfileValues v{{"FC", k.typed}};
        params::apply_origin_rule(v);
        EXPECT_EQ(v["FC"], k.stored) << k.typed.as_text();
        EXPECT_EQ(v["FC_org"].as_int(), k.origin) << k.typed.as_text();
        EXPECT_EQ(v["silt_org"].as_int(), 0); // every origin column gets its flag
    }
}

TEST_F(SoilProfiles, ImplausibleValuesAreRefusedNamingTheFieldAndNothingIsWritten) {
    struct Case {
        const char* column;
        db::Value value;
        const char* message_part;
    };
    const std::string before = profiles();
    for (const Case& k : {Case{"BD", 15.0, "Bulk Density: 15 is outside 0.5 to 2.2 g/cm³"},
                          Case{"FC", 50.0, "Field Capacity (50) must not exceed PoreVolume (47.5)"},
                          Case{"PWP", 40.0, "Permanent Wilting Point (40) must not exceed Field"},
                          Case{"silt", 85.0, "Clay + Silt (106 %) must not exceed 100 %"},
                          Case{"clay", 120.0, "Clay: 120 is outside 0 to 100 %"},
                          Case{"clay", -99.0, "Clay is mandatory (0 to 100 %)"},
                          Case{"profile", " ", "The profile name is empty"}}) {
        ProfileValues v = loess();
        v[k.column] = k.value;
        try {
            params::save_profile(c, 1, v);
            ADD_FAILURE() << k.column << " accepted";
        } catch (const params::InputError& e) {
            EXPECT_NE(std::string(e.what()).find(k.message_part), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("nothing was saved"), std::string::npos);
        }
    }
    EXPECT_EQ(profiles(), before);
}

TEST_F(SoilProfiles, SavingAppliesTheOriginRule) {
    ProfileValues v = loess();
    v["FC"] = db::Value();
    v["PV"] = 44.0;
    params::save_profile(c, 1, v);
    EXPECT_EQ(
        test::rows(c, "select profile, FC, FC_org, PV, PV_org from soilproperties where soil_ID=1"),
        "loess|-99|0|44|-1\n");
}

TEST_F(SoilProfiles, NumbersTakeEitherDecimalSeparator) {
    EXPECT_EQ(params::number_input("Clay", "12,5"), db::Value(12.5));
    EXPECT_EQ(params::number_input("Clay", " 12.5 "), db::Value(12.5));
    EXPECT_TRUE(params::number_input("Clay", "").is_null());
    EXPECT_THROW(params::number_input("Clay", "12a"), params::InputError);
}

TEST_F(SoilProfiles, EnterFindsOrCreatesAProfileByName) {
    // Found: no question.
    EXPECT_EQ(params::enter_profile(c, "Haplic Chernozem, loess", dialogs), 1);
    EXPECT_TRUE(dialogs.shown.empty());
    // Declined: nothing changes.
    const std::string before = profiles();
    EXPECT_EQ(params::enter_profile(c, "new one", dialogs), std::nullopt);
    EXPECT_EQ(dialogs.shown, (std::vector<std::string>{"confirm append: create new profile ?"}));
    EXPECT_EQ(profiles(), before);
    // Accepted: the next key.
    dialogs.yes_no = {true};
    EXPECT_EQ(params::enter_profile(c, "new one", dialogs), 4);
    EXPECT_EQ(test::rows(c, "select profile from soilproperties where soil_ID=4"), "new one\n");
    // The first profile of an empty table gets 0.
    c.execute("delete from field_description");
    c.execute("delete from soilproperties");
    dialogs.yes_no = {true};
    EXPECT_EQ(params::enter_profile(c, "first", dialogs), 0);
    EXPECT_EQ(params::enter_profile(c, "", dialogs), std::nullopt);
}

TEST_F(SoilProfiles, AProfileInUseIsNotDeleted) {
    dialogs.yes_no = {true};
    EXPECT_FALSE(params::delete_profile(c, 1, dialogs));
    ASSERT_EQ(dialogs.shown.size(), 1u); // refused before the question
    const std::string& message = dialogs.shown[0];
    EXPECT_EQ(message.rfind("soil profile in use: The soil profile 1 is used by the plots 101 ", 0),
              0u)
        << message;
    EXPECT_NE(message.find(", 105 "), std::string::npos) << message;
    EXPECT_NE(message.find("; it was not deleted."), std::string::npos) << message;
    EXPECT_EQ(test::rows(c, "select count(*) from soilproperties where soil_ID=1"), "1\n");

    // Unused: deleted after the confirmation, kept without it.
    const std::int64_t copy = params::copy_profile(c, 1, "loess copy");
    EXPECT_EQ(test::rows(c, "select clay, silt, BD from soilproperties where soil_ID=" +
                                std::to_string(copy)),
              "21|68|1.38\n");
    dialogs.yes_no = {false, true};
    EXPECT_FALSE(params::delete_profile(c, copy, dialogs));
    EXPECT_TRUE(params::delete_profile(c, copy, dialogs));
    EXPECT_EQ(test::rows(c, "select count(*) from soilproperties"), "3\n");
    EXPECT_THROW(params::copy_profile(c, 1, "Haplic Cambisol, glacial sand"), params::InputError);
}

TEST_F(SoilProfiles, LongPlotListsShowTheFirstFiveAndTheCount) {
    const std::vector<std::string> seven = {"1 a", "2 b", "3 c", "4 d", "5 e", "6 f", "7 g"};
    EXPECT_EQ(params::plot_list_text(seven), "1 a, 2 b, 3 c, 4 d, 5 e and 2 more (7 plots)");
    EXPECT_EQ(params::plot_list_text({"1 a"}), "1 a");
}

} // namespace

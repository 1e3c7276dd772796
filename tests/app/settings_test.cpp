// settings_test.cpp --- the settings store, the first start, the ODBC data source and the
// settings object.
#include "app/first_start.h"
#include "app/odbc_source.h"
#include "app/settings_store.h"
#include "app/tsm_settings.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using app::MemorySettingsStore;
using app::SettingsError;
using app::SettingsStore;

using test::ScopedEnv;

std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

testing::AssertionResult Contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return testing::AssertionSuccess();
    return testing::AssertionFailure() << '"' << text << "\" lacks \"" << part << '"';
}

template <class T> std::string error_of(T&& action) {
    try {
        action();
    } catch (const SettingsError& e) {
        return e.what();
    }
    return "no error";
}

// ---------------------------------------------------------------------------
// The store: both backends behave alike

struct Backend {
    const char* name;
    std::function<std::unique_ptr<SettingsStore>(const test::TempDir&)> open;
};

void PrintTo(const Backend& b, std::ostream* os) {
    *os << b.name;
}

class StoreTest : public testing::TestWithParam<Backend> {
protected:
    test::TempDir dir;
    ScopedEnv env{"TSM_SETTINGS", (dir / "tsm.ini").string()};
    std::unique_ptr<SettingsStore> store = GetParam().open(dir);
};

TEST_P(StoreTest, StringsAndIntegersAreToldApartAndNamesIgnoreCase) {
    EXPECT_FALSE(store->key_exists());
    store->write_string("Database", "/data/x.db");
    store->write_integer("recalc_bat", 1);
    store->write_integer("low", INT32_MIN);
    store->write_string("number_text", " 42 ");
    store->write_string("word", "abc");
    store->write_string("DATABASE", "/data/y.db"); // the same value, another spelling

    EXPECT_TRUE(store->key_exists());
    EXPECT_EQ(store->value_names().size(), 5u);
    EXPECT_EQ(store->read_string("database"), "/data/y.db");
    EXPECT_TRUE(store->has_value("RECALC_BAT"));
    EXPECT_EQ(store->read_integer("Recalc_Bat"), 1);
    EXPECT_EQ(store->read_string("recalc_bat"), "1");
    EXPECT_EQ(store->read_integer("low"), INT32_MIN);
    EXPECT_EQ(store->read_integer("number_text"), 42);
    EXPECT_EQ(store->read_string("missing"), "");
    EXPECT_FALSE(store->has_value("missing"));
    EXPECT_TRUE(Contains(error_of([&] { store->read_integer("dyn_lts"); }), "\"dyn_lts\""));
    EXPECT_TRUE(Contains(error_of([&] { store->read_integer("word"); }), "\"word\""));
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest,
                         testing::Values(Backend{"memory",
                                                 [](const test::TempDir&) {
                                                     return std::make_unique<MemorySettingsStore>();
                                                 }},
                                         Backend{"ini_file",
                                                 [](const test::TempDir&) {
                                                     return app::open_user_settings();
                                                 }}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The user's store through TSM_SETTINGS

TEST(UserSettings, FirstStartIsDetectedAndValuesSurviveReopening) {
    test::TempDir dir;
    const auto file = dir / "tsm.ini";
    ScopedEnv env("TSM_SETTINGS", file.string());
    EXPECT_FALSE(app::open_user_settings()->key_exists()); // no file
    write_file(file, "");
    EXPECT_FALSE(app::open_user_settings()->key_exists()); // empty file

    app::write_first_start_values(*app::open_user_settings(), "/home/u/demo.db", "/home/u");
    const auto again = app::open_user_settings();
    EXPECT_TRUE(again->key_exists());
    EXPECT_EQ(again->value_names().size(), 13u);
    EXPECT_EQ(again->read_integer("recalc_bat"), 1);
    EXPECT_EQ(again->read_string("database"), "/home/u/demo.db");
    EXPECT_TRUE(Contains(read_file(file), "ppath=/home/u"));
}

TEST(UserSettings, HandWrittenNamesAreFoundWithoutRegardToCase) {
    test::TempDir dir;
    const auto file = dir / "tsm.ini";
    write_file(file, "[General]\nDataBase=/x.db\nKORVEX=2\n");
    ScopedEnv env("TSM_SETTINGS", file.string());
    const auto store = app::open_user_settings();
    EXPECT_EQ(store->read_string("database"), "/x.db");
    EXPECT_EQ(store->read_integer("korvex"), 2);
    store->write_integer("korvex", 0);
    EXPECT_EQ(read_file(file), "[General]\nDataBase=/x.db\nKORVEX=0\n");
}

TEST(UserSettings, NativeStoreIsTheUsersConfigFile) {
    test::TempDir home;
    ScopedEnv settings("TSM_SETTINGS", "");
    ScopedEnv xdg("XDG_CONFIG_HOME", "");
    ScopedEnv env("HOME", home.path().string());
    EXPECT_EQ(app::user_settings_location(), (home / ".config/tsm/tsm.conf").string());
}

TEST(UserSettings, DamagedFileIsNamedInTheError) {
    test::TempDir dir;
    const auto file = dir / "tsm.ini";
    write_file(file, "[General\nthis is no settings file\n");
    ScopedEnv env("TSM_SETTINGS", file.string());
    const std::string message = error_of([] { app::open_user_settings(); });
    EXPECT_TRUE(Contains(message, file.string()));
    EXPECT_TRUE(Contains(message, "damaged"));
}

// ---------------------------------------------------------------------------
// First start

TEST(FirstStart, WritesTheThirteenValuesInOrder) {
    MemorySettingsStore store;
    app::write_first_start_values(store, "/home/u/.local/share/tsm/demo.db", "/opt/tsm");
    EXPECT_TRUE(store.key_exists());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"database", "/home/u/.local/share/tsm/demo.db"},
        {"ppath", "/opt/tsm"},
        {"methode", "TSM"},
        {"pf_fk", "18"},
        {"pf_wp", "42"},
        {"ptfmode", "3"},
        {"r_call", "R"},
        {"r_script", "anyscript.r"},
        {"r_result", "anyname.txt"},
        {"soil_scheme", "RBS"},
        {"recalc_bat", "1"},
        {"power", "0"},
        {"language", "E"}};
    std::vector<std::pair<std::string, std::string>> written;
    for (const std::string& name : store.value_names())
        written.emplace_back(name, store.read_string(name));
    EXPECT_EQ(written, expected);
    EXPECT_EQ(store.read_integer("power"), 0); // integers, not texts
    EXPECT_THROW(store.read_integer("dyn_bd"), SettingsError);
}

// ---------------------------------------------------------------------------
// ODBC data source

TEST(OdbcSource, SetsDbqAndDatabaseOfTsmSectionOnly) {
    struct Case {
        const char* what;
        std::string before, after;
    };
    const std::vector<Case> cases = {
        {"both present, other lines kept",
         "[ODBC]\nTrace=No\n\n[T_S_M]\nDriver = SQLite3\nDBQ = /old.db\n; note\nDatabase=/old.db\n"
         "\n[other]\nDBQ=/other.db\n",
         "[ODBC]\nTrace=No\n\n[T_S_M]\nDriver = SQLite3\nDBQ = /new.db\n; note\nDatabase=/new.db\n"
         "\n[other]\nDBQ=/other.db\n"},
        {"both added at the end of the section",
         "[t_s_m]\r\nDriver=SQLite3\r\n\r\n[other]\r\nX=1\r\n",
         "[t_s_m]\r\nDriver=SQLite3\r\nDBQ=/new.db\r\nDatabase=/new.db\r\n\r\n[other]\r\nX=1\r\n"},
        {"last section without line end", "[T_S_M]\nDriver=SQLite3",
         "[T_S_M]\nDriver=SQLite3\nDBQ=/new.db\nDatabase=/new.db\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::with_odbc_database(c.before, "/new.db"), c.after) << c.what;
    EXPECT_EQ(app::with_odbc_database("[T_S_M_2]\nDBQ=/a.db\n", "/new.db"), std::nullopt);
}

TEST(OdbcSource, UpdatesTheUserFileOrAsksTheUserToAddTheSource) {
    test::TempDir dir;
    const auto ini = dir / "odbc.ini";
    ScopedEnv env("ODBCINI", ini.string());
    const std::string message = "ODBC data source: " + app::missing_odbc_source_message("/new.db");
    for (const std::string& part :
         std::vector<std::string>{"[T_S_M]\nDriver=SQLite3\nDatabase=/new.db\nStepAPI=1\n",
                                  "libsqliteodbc", ini.string()})
        EXPECT_TRUE(Contains(message, part)) << part;

    test::ScriptedDialogs no_file;
    EXPECT_FALSE(app::update_odbc_source("/new.db", no_file));
    EXPECT_EQ(no_file.shown, std::vector<std::string>{message});
    EXPECT_FALSE(std::filesystem::exists(ini)); // never created

    write_file(ini, "[other]\nDBQ=/a.db\n");
    test::ScriptedDialogs no_section;
    EXPECT_FALSE(app::update_odbc_source("/new.db", no_section));
    EXPECT_EQ(no_section.shown, std::vector<std::string>{message});
    EXPECT_EQ(read_file(ini), "[other]\nDBQ=/a.db\n");

    write_file(ini, "[T_S_M]\nDriver=SQLite3\nDBQ=/a.db\n");
    test::ScriptedDialogs present;
    EXPECT_TRUE(app::update_odbc_source("/new.db", present));
    EXPECT_TRUE(present.shown.empty());
    EXPECT_EQ(read_file(ini), "[T_S_M]\nDriver=SQLite3\nDBQ=/new.db\nDatabase=/new.db\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1); // no temp
}

TEST(OdbcSource, FileDefaultsToHomeOdbcIni) {
    ScopedEnv odbcini("ODBCINI", "");
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(app::user_odbc_ini(), std::filesystem::path("/home/someone/.odbc.ini"));
}

// ---------------------------------------------------------------------------
// The settings object

class TsmSettingsTest : public testing::Test {
protected:
    TsmSettingsTest() { app::write_first_start_values(store, "/d/demo.db", "/opt/tsm"); }
    MemorySettingsStore store;
    app::ProgramState state;
    app::TsmSettings settings{store, state};
};

TEST_F(TsmSettingsTest, LoadsFieldsAndStoresThemBack) {
    store.write_string("pdf_dir", "/lit/");
    store.write_integer("korvex", 1);
    settings.activate();
    EXPECT_EQ(state.methode, "TSM");
    EXPECT_EQ(settings.fields.method, "TSM");
    EXPECT_EQ(settings.fields.ppath, "/opt/tsm");
    EXPECT_EQ(settings.fields.bat_recalc, "1");
    EXPECT_EQ(settings.fields.pdf_dir, "/lit/");
    EXPECT_EQ(settings.fields.scenario_status, "disabled");
    EXPECT_TRUE(settings.fields.method_editable);
    EXPECT_EQ(settings.dyn_bd + settings.dyn_lts + settings.hassink, 0); // missing: 0

    settings.fields.method = "HUMOD";
    settings.fields.soil_scheme = "KA5";
    settings.fields.r_call = "/usr/bin/R";
    settings.fields.bat_recalc = "0";
    settings.fields.pdf_reader = "/usr/bin/evince";
    settings.set_scenario(true);
    settings.set_hassink(true);
    settings.write_registry();

    app::ProgramState other_state;
    app::TsmSettings other{store, other_state};
    other.read_registry(true);
    EXPECT_EQ(other_state.methode, "HUMOD");
    EXPECT_EQ(other._methode, "HUMOD");
    EXPECT_EQ(other._soil_scheme, "KA5");
    EXPECT_EQ(other.fields.r_call, "/usr/bin/R");
    EXPECT_EQ(store.read_integer("recalc_bat"), 0);
    EXPECT_EQ(other.fields.pdf_reader, "/usr/bin/evince");
    EXPECT_EQ(other.fields.scenario_status, "enabled");
    EXPECT_TRUE(other.fields.cb_dynbd && other.fields.cb_dynlts && other.fields.cb_hassink);
    EXPECT_EQ(store.read_string("korvex"), "1"); // never written by the dialog
}

TEST_F(TsmSettingsTest, LanguageIsChosenHereForTheNextStart) {
    settings.activate();
    EXPECT_EQ(settings.fields.language, "E");
    settings.fields.language = "D";
    settings.write_registry();
    EXPECT_EQ(store.read_string("language"), "D");
    EXPECT_EQ(state.language, "E"); // the running program keeps its captions

    store.write_string("language", " d ");
    settings.read_registry(false);
    EXPECT_EQ(settings.fields.language, "D");
}

TEST(PfShown, StoredTenthsAreShownAsThePf) {
    const std::pair<const char*, const char*> cases[] = {
        {"42", "4.2"},  {"18", "1.8"},  {" 25 ", "2.5"}, {"7", "0.7"},
        {"-3", "-0.3"}, {"4.2", "4.2"}, {"", ""},        {"x", "x"}};
    for (auto [stored, shown] : cases) EXPECT_EQ(app::pf_shown(stored), shown) << stored;
}

TEST_F(TsmSettingsTest, StoreFailures) {
    settings.read_registry(true);
    settings.fields.bat_recalc = "x";
    settings.fields.pdf_dir = "/lit/";
    settings.fields.r_call = "/usr/bin/R";
    EXPECT_TRUE(Contains(error_of([&] { settings.write_registry(); }), "\"recalc_bat\""));
    EXPECT_EQ(store.read_string("r_call"), "/usr/bin/R"); // written before the failure
    EXPECT_FALSE(store.has_value("pdf_dir"));             // not after it

    test::TempDir dir;
    db::Connection conn = db::create_experiment_database(dir / "x.db", false);
    test::ScriptedDialogs dialogs;
    EXPECT_FALSE(settings.save(conn, dialogs)); // shown, and the dialog stays open
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(Contains(dialogs.shown[0], "TSM settings: settings value \"recalc_bat\""));

    MemorySettingsStore no_key;
    app::TsmSettings unkeyed{no_key, state};
    unkeyed.read_registry(true);
    unkeyed.write_registry();
    unkeyed.write_scenario();
    EXPECT_TRUE(no_key.value_names().empty()); // the key is never created here
}

TEST(TsmSettingsLoad, MissingRecalcBatStopsTheLoadWithFieldsUnchanged) {
    MemorySettingsStore store;
    store.create_key();
    store.write_string("ppath", "/opt/tsm");
    app::ProgramState state;
    app::TsmSettings settings{store, state};
    settings.fields.ppath = "before";
    EXPECT_TRUE(Contains(error_of([&] { settings.read_registry(true); }), "\"recalc_bat\""));
    EXPECT_EQ(settings.fields.ppath, "before");
}

// Check boxes: the flags as (dyn_bd, dyn_lts, hassink), from a start state through clicks.
TEST_F(TsmSettingsTest, CheckBoxesKeepTheFlagInvariant) {
    struct Case {
        const char* what;
        std::string flags_before;
        std::function<void(app::TsmSettings&)> click;
        std::string flags_after;
    };
    const std::vector<Case> cases = {
        {"check bd", "000", [](auto& s) { s.set_dyn_bd(true); }, "100"},
        {"uncheck bd clears all", "111", [](auto& s) { s.set_dyn_bd(false); }, "000"},
        {"check lts checks bd", "000", [](auto& s) { s.set_dyn_lts(true); }, "110"},
        {"uncheck lts clears hassink", "111", [](auto& s) { s.set_dyn_lts(false); }, "100"},
        {"check hassink checks all", "000", [](auto& s) { s.set_hassink(true); }, "111"},
        {"uncheck hassink alone", "111", [](auto& s) { s.set_hassink(false); }, "110"},
        {"stored hassink alone loads as all", "001", [](auto&) {}, "111"},
        {"stored lts without bd", "010", [](auto&) {}, "110"},
    };
    for (const Case& c : cases) {
        store.write_integer("dyn_bd", c.flags_before[0] - '0');
        store.write_integer("dyn_lts", c.flags_before[1] - '0');
        store.write_integer("hassink", c.flags_before[2] - '0');
        settings.read_registry(true);
        c.click(settings);
        const auto& f = settings.fields;
        const std::string flags = std::to_string(settings.dyn_bd) +
                                  std::to_string(settings.dyn_lts) +
                                  std::to_string(settings.hassink);
        const std::string boxes = std::string(f.cb_dynbd ? "1" : "0") + (f.cb_dynlts ? "1" : "0") +
                                  (f.cb_hassink ? "1" : "0");
        EXPECT_EQ(flags, c.flags_after) << c.what;
        EXPECT_EQ(boxes, c.flags_after) << c.what;
    }
}

TEST_F(TsmSettingsTest, ScenarioBoxIsWrittenAtLauncherActivation) {
    settings.read_registry(true);
    settings.set_scenario(true); // command line "S+"
    EXPECT_EQ(settings.fields.scenario_status, "enabled");
    settings.write_scenario();
    EXPECT_EQ(store.read_integer("scenario"), 1);
    settings.set_scenario(false); // "S-"
    settings.write_scenario();
    EXPECT_EQ(store.read_integer("scenario"), 0);
    EXPECT_EQ(settings.scenario_ctrl, 0);
}

// ---------------------------------------------------------------------------
// Saving: cbi_setting and the model change check

class SaveTest : public TsmSettingsTest {
protected:
    SaveTest() {
        conn.execute("drop table tsm_zbv");
        conn.execute("create table tsm_zbv (FL_ID integer)");
        prepare();
    }
    // One result row in each result table, "TSM" in store and cbi_setting, dialog opened.
    void prepare() {
        for (const char* t : {"rs_table", "tsm_nresult", "tsm_zbv"}) {
            conn.execute(std::string("delete from ") + t);
            conn.execute(std::string("insert into ") + t + " (FL_ID) values (7)");
        }
        conn.execute("update cbi_setting set model = 'TSM'");
        store = MemorySettingsStore();
        app::write_first_start_values(store, "/d/demo.db", "/opt/tsm");
        settings.activate();
        dialogs = {};
    }
    std::string result_counts() {
        return test::rows(conn, "select count(*) from rs_table") +
               test::rows(conn, "select count(*) from tsm_nresult") +
               test::rows(conn, "select count(*) from tsm_zbv");
    }
    test::TempDir dir;
    db::Connection conn = db::create_experiment_database(dir / "x.db", false);
    test::ScriptedDialogs dialogs;
};

TEST_F(SaveTest, ResultsAreDeletedOnlyWhenTheMethodAloneChangesAndTheUserAgrees) {
    const std::string question =
        "ATTENTION !: model change detected: results will be deleted ! Continue anyway ?";
    struct Case {
        const char* what;
        std::string method, soil_scheme, ptf_mode;
        bool answer, asked;
        std::string counts, model;
    };
    const std::vector<Case> cases = {
        {"unchanged", "TSM", "RBS", "3", true, false, "1\n1\n1\n", "TSM"},
        {"method and soil scheme", " HUMOD ", "KA5", "3", true, false, "1\n1\n1\n", "HUMOD"},
        {"method and ptf mode", "STAND", "RBS", "4", true, false, "1\n1\n1\n", "STAND"},
        {"method, declined", " HUMOD ", "RBS", "3", false, true, "1\n1\n1\n", "HUMOD"},
        {"method, accepted", "SALCA", "RBS", "3", true, true, "0\n0\n0\n", "SALCA"},
    };
    for (const Case& c : cases) {
        prepare();
        dialogs.yes_no = {c.answer};
        settings.fields.method = c.method;
        settings.fields.soil_scheme = c.soil_scheme;
        settings.fields.ptf_mode = c.ptf_mode;

        EXPECT_TRUE(settings.save(conn, dialogs)) << c.what;
        EXPECT_EQ(dialogs.shown, c.asked ? std::vector{question} : std::vector<std::string>{})
            << c.what;
        EXPECT_EQ(result_counts(), c.counts) << c.what;
        EXPECT_EQ(state.methode, c.method) << c.what;
        EXPECT_EQ(store.read_string("methode"), c.method) << c.what;
        EXPECT_EQ(test::rows(conn, "select model from cbi_setting"), c.model + "\n") << c.what;
    }
}

TEST_F(SaveTest, CbiSettingIsCreatedWhenMissing) {
    conn.execute("drop table cbi_setting");
    settings.fields.method = "  HUBAHE ";
    settings.fields.soil_scheme = "KA5";
    EXPECT_TRUE(settings.save(conn, dialogs));
    EXPECT_EQ(test::rows(conn, "select model from cbi_setting"), "HUBAHE\n");
}

TEST_F(SaveTest, FailingDeletionIsShownAndKeepsTheDialogOpen) {
    conn.execute("drop table rs_table");
    conn.execute("drop table tsm_zbv");
    dialogs.yes_no = {true};
    settings.fields.method = "HUMOD";
    EXPECT_FALSE(settings.save(conn, dialogs));
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_TRUE(Contains(dialogs.shown[1], "rs_table"));
    EXPECT_EQ(test::rows(conn, "select model from cbi_setting"), "HUMOD\n"); // saved already
    EXPECT_EQ(store.read_string("methode"), "HUMOD");
    EXPECT_EQ(test::rows(conn, "select count(*) from tsm_nresult"), "1\n");
}

TEST(SaveLanguage, GermanConfirmationCaption) {
    test::TempDir dir;
    db::Connection conn = db::create_experiment_database(dir / "x.db", false);
    MemorySettingsStore store;
    app::write_first_start_values(store, "/d/demo.db", "/opt/tsm");
    app::ProgramState state;
    state.language = "D";
    app::TsmSettings settings{store, state};
    settings.activate();
    settings.fields.method = "HUMOD";
    test::ScriptedDialogs dialogs;
    settings.save(conn, dialogs);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].starts_with("ACHTUNG !: ")) << dialogs.shown[0];
}

TEST(FolderOf, KeepsTheTrailingSeparator) {
    EXPECT_EQ(app::folder_of("/lit/papers/a.pdf"), "/lit/papers/");
}

} // namespace

// startup_test.cpp --- initialisation file, command-line rules and the launcher's start-up.
#include "app/command_line.h"
#include "app/first_start.h"
#include "app/ini_file.h"
#include "app/settings_store.h"
#include "app/startup.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <sstream>

namespace {

using app::IniFile;
using app::LauncherState;
using app::ProgramState;
using app::SimulatorStart;

// Files that "exist" for the command-line rules.
app::FileExists existing(std::set<std::string> files) {
    return [files = std::move(files)](const std::string& p) { return files.count(p) > 0; };
}

// The fields of a SimulatorStart that differ from an activation's reset values.
std::string changed(const SimulatorStart& s) {
    const SimulatorStart d;
    std::ostringstream out;
    auto put = [&](const char* name, const auto& v) {
        out << (out.tellp() ? " " : "") << name << "=" << v;
    };
    if (s.sim_prot != d.sim_prot) put("sim_prot", s.sim_prot);
    if (s.run_id) put("run_id", *s.run_id);
    if (s.auto_mode != d.auto_mode) put("auto_mode", s.auto_mode);
    if (s.recalc_bat) put("recalc_bat", *s.recalc_bat);
    if (s.simple_version != d.simple_version) put("simple_version", s.simple_version);
    if (s.methode) put("methode", *s.methode);
    if (s.z_cnt) put("z_cnt", *s.z_cnt);
    if (s.z_anf) put("z_anf", *s.z_anf);
    if (s.soil_scheme) put("soil_scheme", *s.soil_scheme);
    if (s.interpol) put("interpol", *s.interpol);
    if (s.nowait != d.nowait) put("nowait", s.nowait);
    if (s.pre_proc_query != d.pre_proc_query) put("pre", s.pre_proc_query);
    if (s.pst_proc_query != d.pst_proc_query) put("pst", s.pst_proc_query);
    if (s.post_processing != d.post_processing) put("post_processing", s.post_processing);
    if (s.uncas_mode != d.uncas_mode) put("uncas_mode", s.uncas_mode);
    if (s.sel_id != d.sel_id) put("sel_id", s.sel_id);
    if (s.threads) put("threads", *s.threads);
    return out.str();
}

TEST(SimulatorArgs, EachRuleAndItsTest) {
    const auto files = existing({"pre.sql", "post.sql"});
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"ERR_P"}, "sim_prot=1 run_id=-99"},
        {{"ERR_P="}, "sim_prot=1 run_id=-99"},
        {{"ERR_P_42"}, "sim_prot=1 run_id=42"},
        {{"ERR_P=12345678"}, "sim_prot=1 run_id=123456"},
        {{"err_p=5"}, ""},
        {{"GO"}, "auto_mode=1"},
        {{"go"}, "auto_mode=1"},
        {{"gone"}, ""},
        {{"BAT=1"}, "recalc_bat=1"},
        {{"bat_0"}, "recalc_bat=0"},
        {{"BAT"}, "recalc_bat=0"},
        {{"new_bat"}, "simple_version=0"},
        {{"NEW_BAT"}, ""},
        {{"M=HUBAHE"}, "methode=HUBAHE"},
        {{"M=HUBA HEXX"}, "methode=HUBAH"},
        {{"m=TSM"}, ""},
        {{"RC=12345"}, "z_cnt=1234"},
        {{"rc=3"}, "z_cnt=3"},
        {{"Tc=1990"}, "z_anf=1990"},
        {{"SC=KA4x"}, "soil_scheme=KA4"},
        {{"sc=KA4"}, ""},
        {{"I=-1"}, "interpol=-1"},
        {{"i=1"}, ""},
        {{"NW"}, "nowait=1"},
        {{"!"}, "nowait=1"},
        {{"!!"}, ""},
        {{"sql=missing.sql"}, "pre=missing.sql"},
        {{"SQL:x"}, ""},
        {{"PPQ=pre.sql"}, "pre=pre.sql"},
        {{"SQL=pre.sql", "ppq=missing.sql"}, ""},
        {{"POQ=post.sql"}, "pst=post.sql post_processing=1"},
        {{"POQ=post.sql", "POQ=missing.sql"}, ""},
        {{"UNCAS"}, "uncas_mode=1"},
        {{"ID=-12"}, "sel_id=-12"},
        {{"THREADS=4"}, "threads=4"},
        {{"threads=1"}, "threads=1"},
        {{"RC=2", "RC=7", "ID=1", "ID=2"}, "z_cnt=7 sel_id=2"},
        {{"DB=x.mdb", "S+", "ORV", "REGIO"}, ""},
    };
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(changed(app::parse_simulator_args(args, files)), expected) << args.front();
}

// A bad number is refused before anything changes, naming the parameter.
TEST(SimulatorArgs, NumberThatIsNoNumberOrOutOfRangeNamesTheParameter) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"RC=x2", "RC=x2: 'x2' is not a whole number"},
        {"TC=19a0", "TC=19a0: '19a0' is not a whole number"},
        {"I=", "I=: '' is not a whole number"},
        {"ERR_P=ab", "ERR_P=ab: 'ab' is not a whole number"},
        {"RC=-1", "RC=-1: the number of repetitions lies outside 0 to 9999"},
        {"TC=-5", "TC=-5: the scenario start year lies outside 0 to 9999"},
        {"I=2", "I=2: the silt rule (-1 min, 0 mean, 1 max) lies outside -1 to 1"},
        {"ID=abc", "ID=abc: 'abc' is not a whole number"},
        {"ID=", "ID=: '' is not a whole number"},
        {"ID=101;drop table x", "ID=101;drop table x: '101;drop table x' is not a whole number"},
        {"ID=101 or 1=1", "ID=101 or 1=1: '101 or 1=1' is not a whole number"},
        {"ID=99999999999", "ID=99999999999: '99999999999' is not a whole number"},
        {"THREADS=two", "THREADS=two: 'two' is not a whole number"},
    };
    for (const auto& [arg, message] : cases) {
        try {
            app::parse_simulator_args({"GO", arg}, existing({}));
            ADD_FAILURE() << arg << " was accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
}

TEST(LauncherArgs, RulesTwoToSeven) {
    struct Case {
        std::vector<std::string> args;
        std::optional<std::string> modus, method;
        bool restricted, regional, go;
        std::optional<bool> som;
    };
    const std::vector<Case> cases = {
        {{"ORV"}, "ORV", {}, false, false, false, {}},
        {{"orvx"}, "ORV", {}, false, false, false, {}},
        {{"regio9"}, {}, {}, false, true, false, {}},
        {{"M=HHE", "ORV"}, "ORV", "HUBAHE", true, false, false, {}},
        {{"ORV", "M=HHE"}, "KORVEX", "HUBAHE", true, false, false, {}},
        {{"M=HHE", "M=xyz"}, "KORVEX", "HUBAHE", true, false, false, {}},
        {{"M=xyz"}, "KORVEX", "", true, false, false, {}},
        {{"M=hhe", "M=STAND"}, "KORVEX", "STAND", true, false, false, {}},
        {{"S+", "S-x"}, {}, {}, false, false, false, false},
        {{"S-", "S+"}, {}, {}, false, false, false, true},
        {{"s+", "Go", "go!"}, {}, {}, false, false, false, {}},
        {{"go"}, {}, {}, false, false, true, {}},
    };
    for (const Case& c : cases) {
        const app::LauncherCommands got = app::parse_launcher_args(c.args);
        SCOPED_TRACE(c.args.front());
        EXPECT_EQ(got.modus, c.modus);
        EXPECT_EQ(got.method_field, c.method);
        EXPECT_EQ(got.restricted, c.restricted);
        EXPECT_EQ(got.regional, c.regional);
        EXPECT_EQ(got.go, c.go);
        EXPECT_EQ(got.save_som_state, c.som);
    }
}

TEST(CommandLine, OneParameterServesLauncherAndSimulator) {
    const std::vector<std::string> args{"M=HHE", "go"};
    const app::LauncherCommands launcher = app::parse_launcher_args(args);
    EXPECT_EQ(launcher.modus, "KORVEX");
    EXPECT_EQ(launcher.method_field, "HUBAHE");
    EXPECT_TRUE(launcher.restricted && launcher.go);
    EXPECT_EQ(changed(app::parse_simulator_args(args, existing({}))), "auto_mode=1 methode=HHE");
}

TEST(DatabaseRule, MissingFileGivesMessageAndQuestionMark) {
    test::ScriptedDialogs dialogs;
    std::string database = "keep";
    app::apply_database_rule({"DB=a.mdb", "db=b.mdb"}, database, dialogs, existing({"a.mdb"}));
    EXPECT_EQ(database, "a.mdb");
    EXPECT_TRUE(dialogs.shown.empty());
    app::apply_database_rule({"DB=a.mdb", "DB=gone.mdb"}, database, dialogs, existing({"a.mdb"}));
    EXPECT_EQ(database, "?");
    EXPECT_EQ(dialogs.shown,
              std::vector<std::string>{"DB error: database not found, will try to use last DB"});
}

IniFile parse(const std::string& text) {
    std::istringstream in(text);
    return IniFile::parse(in, "tsm.ini");
}

TEST(IniFile, LenientReaderWithNamesInAnyCase) {
    const IniFile ini = parse("\xEF\xBB\xBF; comment\r\n"
                              "stray=1\n"
                              "[Setup]\r\n"
                              "  LANG = e \n"
                              "# lang=D\n"
                              "lang=D\n"
                              "DB=\"C:\\data\\my db;1.mdb\"\n"
                              "nonsense\n"
                              "[broken\n"
                              "[modus]\n");
    EXPECT_TRUE(ini.has_section("SETUP"));
    EXPECT_TRUE(ini.has_section("MODUS"));
    EXPECT_FALSE(ini.has_section("other"));
    EXPECT_EQ(ini.value("setup", "lang"), "e");
    EXPECT_EQ(ini.value("SETUP", "db"), "C:\\data\\my db;1.mdb");
    EXPECT_EQ(ini.value("MODUS", "mode"), std::nullopt);
    EXPECT_EQ(ini.value_or("MODUS", "mode", "TSM"), "TSM");
    ASSERT_EQ(ini.warnings().size(), 3u);
    EXPECT_EQ(ini.warnings()[0].rfind("tsm.ini, line 2: ", 0), 0u) << ini.warnings()[0];
    EXPECT_EQ(ini.warnings()[1].rfind("tsm.ini, line 8: ", 0), 0u) << ini.warnings()[1];
    EXPECT_EQ(ini.warnings()[2].rfind("tsm.ini, line 9: ", 0), 0u) << ini.warnings()[2];
}

TEST(IniFile, UnreadableFileNamesIt) {
    test::TempDir dir;
    // A missing file, and a folder, which opens but cannot be read as a file.
    for (const std::filesystem::path& path : {dir / "none.ini", dir.path()}) {
        try {
            IniFile::load(path);
            ADD_FAILURE() << path << " was read";
        } catch (const app::IniError& e) {
            EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos) << e.what();
        }
    }
}

TEST(IniFile, StartRules) {
    struct Case {
        std::string text, language, system_tag, database, modus;
    };
    const std::vector<Case> cases = {
        {"", "E", "int", "?", "?"},
        {"[SETUP]\n", "D", "int", "?", "?"},
        {"[SETUP]\nlang=d\nsys= bio \nDB=x.mdb\n", "D", "bio", "x.mdb", "?"},
        {"[SETUP]\nlang=E\nsys=BIO\n", "E", "int", "?", "?"},
        {"[SETUP]\nlang=German\n", "E", "int", "?", "?"},
        {"[MODUS]\n", "E", "int", "?", "TSM"},
        {"[MODUS]\nmode=ORV\n", "E", "int", "?", "TSM"},
        {"[MODUS]\nmode=KORVEX\n", "E", "int", "?", "KORVEX"},
        {"[MODUS]\nmode=korvex\n", "E", "int", "?", "TSM"},
    };
    for (const Case& c : cases) {
        ProgramState state;
        app::apply_ini_rules(parse(c.text), state);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(state.language, c.language);
        EXPECT_EQ(state.system_tag, c.system_tag);
        EXPECT_EQ(state.database, c.database);
        EXPECT_EQ(state.modus, c.modus);
    }
}

TEST(ProgramVersion, FourWholeNumbers) {
    const std::string v = app::program_version();
    int parts = 1;
    for (char c : v) {
        if (c == '.')
            ++parts;
        else
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c))) << v;
    }
    EXPECT_EQ(parts, 4) << v;
    EXPECT_EQ(v, "0.1.0.0"); // the project version, with a fourth number
}

// A launcher created in a temporary program folder with a scripted user.
class Launcher : public ::testing::Test {
protected:
    test::TempDir dir;
    app::MemorySettingsStore store;
    test::ScriptedDialogs dialogs;
    ProgramState state;
    LauncherState launcher;
    std::set<std::string> files{"c:\\data\\last.mdb"};
    std::vector<std::string> first_start_calls;
    app::AccessConversion convert; // none unless a test gives one

    void write_ini(const std::string& text) { std::ofstream(app::ini_path(dir.path())) << text; }

    // A settings key of an earlier start, complete but for what a test leaves out.
    void existing_key(const std::string& database = "c:\\data\\last.mdb") {
        app::write_first_start_values(store, database, "c:\\data");
        store.write_string("language", "E");
    }

    void create(std::vector<std::string> args = {}) {
        app::StartupContext context{
            std::move(args),
            app::ini_path(dir.path()),
            [this](const std::string& p) { return files.count(p) > 0; },
            "1.2.3.4",
            "/home/user",
            [this](app::SettingsStore& s, const std::string& db, const std::string& cwd) {
                first_start_calls.push_back(db + " " + cwd);
                s.create_key();
                s.write_string("database", db);
            },
            [] { return std::string("/home/user/.local/share/tsm/demo.db"); },
            convert};
        app::create_launcher(state, launcher, store, dialogs, context);
    }

    void activate(const std::vector<std::string>& args = {}) {
        app::begin_activation(state, launcher, "1.2.3.4");
        app::apply_activation_rules(state, launcher, args);
        app::update_status_text(state, launcher);
    }

    bool restricted() const {
        return !launcher.settings.enabled && !launcher.parameters.enabled &&
               !launcher.data_transfer.enabled;
    }
};

TEST_F(Launcher, FirstStartWithoutIniFile) {
    create();
    EXPECT_EQ(first_start_calls,
              std::vector<std::string>{"/home/user/.local/share/tsm/demo.db /home/user"});
    EXPECT_TRUE(store.key_exists());
    EXPECT_EQ(state.language, "E");
    EXPECT_TRUE(state.power);
    for (const auto* b :
         {&launcher.parameters, &launcher.sql_module, &launcher.data_transfer, &launcher.settings})
        EXPECT_TRUE(b->visible && b->enabled) << b->caption;
    EXPECT_EQ(state.database, "/home/user/.local/share/tsm/demo.db");
    EXPECT_EQ(state.db_f_name, state.database);
    EXPECT_EQ(state.lastversion, "0.0.0.0");
    EXPECT_EQ(store.read_string("version"), "1.2.3.4");
    EXPECT_EQ(launcher.status_panel1, "Version: 1.2.3.4");
    EXPECT_TRUE(dialogs.shown.empty());

    activate();
    EXPECT_EQ(state.modus, "TSM");
    EXPECT_EQ(launcher.status_panel1, "Version= 1.2.3.4");
    EXPECT_EQ(launcher.simulator_database, "/home/user/.local/share/tsm/demo.db");
    EXPECT_EQ(launcher.status_panel0, "TSM 2016 / int");
    activate();
    EXPECT_EQ(launcher.status_panel0, "TSM 2016 / int");
}

TEST_F(Launcher, IniWithoutModusDisablesButtonsUntilTheEnd) {
    write_ini("[SETUP]\nlang=E\nsys= bio \n");
    existing_key();
    store.write_string("version", "1.0.0.0");
    store.write_string("provider", "Provider=Other;");
    create();
    EXPECT_TRUE(first_start_calls.empty());
    EXPECT_EQ(state.modus, "?");
    EXPECT_EQ(state.system_tag, "bio");
    EXPECT_EQ(state.database, "c:\\data\\last.mdb");
    EXPECT_EQ(state.provider, "Provider=Other;");
    EXPECT_EQ(state.lastversion, "1.0.0.0");
    EXPECT_TRUE(restricted());
    EXPECT_TRUE(launcher.settings.visible);
    activate();
    EXPECT_EQ(state.modus, "TSM");
    EXPECT_TRUE(restricted());
    EXPECT_EQ(launcher.status_panel0, "TSM 2016 / bio");
}

TEST_F(Launcher, IniModeOrvIsTsm) {
    write_ini("[MODUS]\nmode=ORV\n");
    existing_key();
    create();
    EXPECT_EQ(state.modus, "TSM");
    EXPECT_FALSE(restricted());
    activate({"ORV"});
    EXPECT_EQ(state.modus, "ORV");
    EXPECT_EQ(launcher.status_panel0, "ORV 2014 / int");
    activate();
    EXPECT_EQ(state.modus, "ORV") << "the mode stays for the program run";
}

TEST_F(Launcher, MissingCommandLineDatabaseFallsBackToTheStore) {
    existing_key();
    create({"DB=c:\\gone.mdb"});
    EXPECT_EQ(dialogs.shown,
              std::vector<std::string>{"DB error: database not found, will try to use last DB"});
    EXPECT_EQ(state.database, "c:\\data\\last.mdb");
    EXPECT_EQ(state.db_f_name, "c:\\data\\last.mdb");
}

TEST_F(Launcher, MissingStoredDatabaseIsAskedFor) {
    existing_key("c:\\moved.mdb");
    dialogs.files.push_back(std::string("d:\\found.mdb"));
    create();
    EXPECT_EQ(dialogs.shown, std::vector<std::string>{"file: Where is the database ?"});
    EXPECT_EQ(state.database, "d:\\found.mdb");
    EXPECT_EQ(store.read_string("database"), "d:\\found.mdb");
}

// An Access database chosen there is offered for conversion; the converted database is
// used, and a declined offer leaves the stored one.
TEST_F(Launcher, MissingStoredDatabaseChosenAsAccessFileIsConverted) {
    std::vector<std::string> offered;
    std::optional<std::string> converted = "d:\\found.db";
    convert = [&](const std::string& file, const std::string& language, app::Dialogs&) {
        offered.push_back(file + " " + language);
        return converted;
    };
    existing_key("c:\\moved.mdb");
    dialogs.files.push_back(std::string("d:\\found.mdb"));
    create();
    EXPECT_EQ(offered, std::vector<std::string>{"d:\\found.mdb E"});
    EXPECT_EQ(state.database, "d:\\found.db");
    EXPECT_EQ(store.read_string("database"), "d:\\found.db");

    converted.reset();
    state = ProgramState();
    existing_key("c:\\moved.mdb");
    dialogs.files.push_back(std::string("d:\\found.accdb"));
    create();
    EXPECT_EQ(offered.back(), "d:\\found.accdb E");
    EXPECT_EQ(state.database, "c:\\moved.mdb");
    EXPECT_EQ(store.read_string("database"), "c:\\moved.mdb");
}

TEST_F(Launcher, GermanGivesCompactLayoutWithoutPower) {
    write_ini("[SETUP]\nlang=D\n[MODUS]\nmode=TSM\n");
    existing_key();
    create();
    EXPECT_EQ(state.language, "D");
    EXPECT_EQ(store.read_string("language"), "D");
    EXPECT_FALSE(state.power);
    EXPECT_EQ(launcher.plot_selection.caption, "Daten &Verarbeiten");
    EXPECT_EQ(launcher.end.caption, "&Ende");
    EXPECT_EQ(state.word_insert, "Einfügen");
    EXPECT_EQ(state.database_question, "Wo ist die Datenbank ?");
    EXPECT_FALSE(launcher.climate.visible);
    EXPECT_FALSE(launcher.parameters.visible || launcher.sql_module.visible ||
                 launcher.data_transfer.visible);
    EXPECT_TRUE(launcher.settings.visible);
    EXPECT_EQ(launcher.database_choice.top, 265);
    EXPECT_EQ(launcher.end.height, 40);
    EXPECT_EQ(launcher.label_top, 315);
    EXPECT_GE(*launcher.end.top, 315 + 20); // below the database label
}

TEST_F(Launcher, LanguageFromStoreWithoutIniFile) {
    existing_key();
    store.write_string("language", "d");
    create();
    EXPECT_EQ(state.language, "D");
    EXPECT_FALSE(state.power);
}

TEST_F(Launcher, MethodCodeRestrictsToKorvex) {
    existing_key();
    create();
    activate({"M=HHE", "S+"});
    EXPECT_EQ(state.modus, "KORVEX");
    EXPECT_EQ(launcher.method_field, "HUBAHE");
    EXPECT_EQ(launcher.save_som_state, true);
    EXPECT_TRUE(restricted());
    EXPECT_EQ(launcher.status_panel0, "KORVEX 2014");
    launcher.settings.enabled = true;
    EXPECT_FALSE(app::press_settings(state, launcher));
    EXPECT_FALSE(launcher.settings.enabled);
}

TEST_F(Launcher, GoIsClearedAtEachActivation) {
    existing_key();
    create({"go"});
    activate({"go", "REGIO"});
    EXPECT_TRUE(state.go_on);
    EXPECT_EQ(state.appmode, "REGIO");
    EXPECT_TRUE(state.regional_mode);
    activate();
    EXPECT_FALSE(state.go_on);
}

TEST_F(Launcher, MethodCheckAgainstTheDatabase) {
    state.methode = "TSM";
    app::check_method(state, launcher, dialogs, "  TSM ");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(launcher.method_field, std::nullopt);
    app::check_method(state, launcher, dialogs, "HUMOD");
    EXPECT_EQ(dialogs.shown, std::vector<std::string>{" attention: method not changeable"});
    EXPECT_EQ(launcher.method_field, "TSM");
}

} // namespace

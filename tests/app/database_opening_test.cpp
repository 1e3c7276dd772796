// Opening the experiment database, its connection string, the adaptation of older
// databases, keys and the selection lists.
#include "app/database_opening.h"
#include "app/selection_lists.h"
#include "db/db_error.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

using Strings = std::vector<std::string>;

// The settings key as it is after the first start.
app::MemorySettingsStore settings_key() {
    app::MemorySettingsStore s;
    s.create_key();
    return s;
}

// Every value of a store as text, for comparisons before and after.
std::map<std::string, std::string> values(const app::SettingsStore& s) {
    std::map<std::string, std::string> out;
    for (const std::string& name : s.value_names()) out[name] = s.read_string(name);
    return out;
}

// A database of an older program version: the core tables without the later columns,
// an fom_state without fom_ix, no cbi_setting, no work tables, no selection lists.
db::Connection old_database(const std::filesystem::path& file, bool with_tsm_nresult = true) {
    db::Connection c = db::Connection::create(file);
    c.execute_native(R"(
        CREATE TABLE measurements (meas_id INTEGER, FL_ID INTEGER, M_IX INTEGER, meas_value REAL);
        CREATE TABLE field_description (FL_ID INTEGER, Location TEXT, comment TEXT);
        INSERT INTO field_description VALUES (1, 'A', 'ploughed'), (2, 'A', 'trial notill since 1990'),
                                             (3, 'B', NULL), (4, 'B', 'NOTILL');
        CREATE TABLE soilproperties (soil_ID INTEGER, clay REAL);
        CREATE TABLE srbpflan (ITEM_IX INTEGER, NAME TEXT, name_de TEXT, NAME_en TEXT);
        INSERT INTO srbpflan VALUES (1, 'wheat', 'Weizen', 'wheat'), (2, 'rye', 'Roggen', 'rye');
        CREATE TABLE srbopspa (ITEM_IX INTEGER, NAME TEXT, name_de TEXT, name_en TEXT, OD INTEGER);
        INSERT INTO srbopspa VALUES (1, 'straw', 'Stroh', 'straw', 0), (2, 'manure', 'Mist', 'manure', -1);
        CREATE TABLE srbmindg (ITEM_IX INTEGER, NAME TEXT);
        INSERT INTO srbmindg VALUES (1, 'CAN');
        CREATE TABLE fom_state (fl_id INTEGER, yr INTEGER, nr INTEGER, fom_c REAL);
        INSERT INTO fom_state VALUES (1, 2000, 1, 500.0);
    )");
    if (with_tsm_nresult) c.execute_native("CREATE TABLE tsm_nresult (fl_id INTEGER, BD REAL)");
    return c;
}

TEST(ConnectionString, SplitKeepsEachSemicolon) {
    const std::vector<std::pair<std::string, Strings>> cases = {
        {"", {";", ""}},
        {"abc", {"abc;", ""}},
        {"a;b", {"a;", "b;"}},
        {"a;b;", {"a;", "b;", ";"}},
        {"Provider=X;Data Source=c:\\x.mdb ;Mode=1",
         {"Provider=X;", "Data Source=c:\\x.mdb ;", "Mode=1;"}},
    };
    for (const auto& [text, elements] : cases)
        EXPECT_EQ(app::split_connection_string(text), elements) << text;
}

TEST(ConnectionString, RecordFindsPathAndProvider) {
    struct Case {
        std::string text, path, provider;
    };
    const std::vector<Case> cases = {
        {"Provider=SQLite;data source=/tmp/a.db ;Mode=1", "/tmp/a.db", "Provider=SQLite;"},
        {"Data Source=/x/old.db;Provider=P1;Data Source=/x/new.db;Provider=P2", "/x/new.db",
         "Provider=P2;"},
        {"Data Source=/x/a b.db", "/x/a b.db", ""},
    };
    for (const Case& c : cases) {
        app::DatabaseLink link;
        app::MemorySettingsStore settings = settings_key();
        app::ProgramState state;
        app::record_connection(app::split_connection_string(c.text), link, settings, state);
        EXPECT_EQ(state.db_f_name, c.path) << c.text;
        EXPECT_EQ(settings.read_string("database"), c.path) << c.text;
        EXPECT_EQ(settings.read_string("DBQ"), c.path) << c.text;
        EXPECT_EQ(settings.read_string("provider"), c.provider) << c.text;
    }
}

TEST(ConnectionString, WithoutDataSourceThePathStays) {
    for (const std::string text : {"", "Provider=P9;Mode=1"}) {
        app::DatabaseLink link;
        app::MemorySettingsStore settings = settings_key();
        settings.write_string("database", "/keep.db");
        app::ProgramState state;
        state.db_f_name = "/keep.db";
        app::record_connection(app::split_connection_string(text), link, settings, state);
        EXPECT_EQ(state.db_f_name, "/keep.db");
        EXPECT_EQ(settings.read_string("database"), "/keep.db");
        EXPECT_EQ(settings.has_value("DBQ"), false);
        EXPECT_EQ(link.label, "system database");
    }
}

TEST(ConnectionString, ComposedStringRoundTripsToThePath) {
    const std::string path = "/data/field trials/exp.sqlite";
    const std::string text = app::compose_connection_string("", path);
    EXPECT_EQ(text, "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=/data/field "
                    "trials/exp.sqlite ;Mode=Share Deny None;Jet OLEDB:System database=\"\";Jet "
                    "OLEDB:Registry Path=\"\";Jet OLEDB:Database Password=\"\";Jet OLEDB:Engine "
                    "Type=4;Jet OLEDB:Database Locking Mode=0;Jet OLEDB:Global Partial Bulk "
                    "Ops=2;Jet OLEDB:Global Bulk Transactions=1;Extended Properties=\"\";Jet "
                    "OLEDB:New Database Password=\"\";Jet OLEDB:Create System Database=False;Jet "
                    "OLEDB:Encrypt Database=False;Jet OLEDB:Don't Copy Locale on Compact=False;Jet "
                    "OLEDB:Compact Without Replica Repair=False;Jet OLEDB:SFP=False");

    app::DatabaseLink link;
    app::MemorySettingsStore settings = settings_key();
    app::ProgramState state;
    state.provider = "Provider=Old;";
    app::record_connection(app::split_connection_string(text), link, settings, state);
    EXPECT_EQ(state.db_f_name, path);
    EXPECT_EQ(app::connection_string_path(text), path);
    EXPECT_EQ(settings.read_string("provider"), app::default_provider);
    EXPECT_EQ(state.provider, app::default_provider);
    EXPECT_EQ(link.label, "system database=exp.sqlite");
}

TEST(ConnectionString, NoSettingsKeyWritesNothing) {
    app::DatabaseLink link;
    app::MemorySettingsStore settings; // no key
    app::ProgramState state;
    app::record_connection(app::split_connection_string("Data Source=/a.db;Provider=P;"), link,
                           settings, state);
    EXPECT_TRUE(settings.value_names().empty());
    EXPECT_EQ(state.db_f_name, "/a.db");
}

TEST(Adaptation, BringsAnOldDatabaseUpToDate) {
    test::TempDir dir;
    db::Connection c = old_database(dir / "old.db");
    app::MemorySettingsStore settings = settings_key();
    settings.write_string("methode", "STAND");
    app::ProgramState state;

    const app::Adaptation done = app::adapt_datamodel(c, settings, state);
    const Strings expected = {
        "create table sim_result ( fl_id int, m_ix int, year_num int, year_ int, sim_value float   "
        ")",
        "create table tmp_ndeposit ( climate_id int,  [year] int, N_dep_y float   )",
        "create table reg_ndeposit ( climate_id int,  [year] int, N_dep_y float   )",
        "create table tmp_outlist ( fl_id int, m_ix int, meas_id int   )",
        "alter table measurements add vrnz float",
        "alter table tsm_nresult add N_flush float",
        "alter table tsm_nresult add PWP float",
        "alter table tsm_nresult add a_age float",
        "alter table tsm_nresult add s_age float",
        "alter table tsm_nresult add l_age float",
        "alter table tsm_nresult add N_m_fom float",
        "alter table field_description add area float",
        "update field_description set area=-99",
        "alter table field_description add notill float",
        "update field_description set notill=0",
        "update field_description set notill=1 where instr(1,comment,'notill',0)>0",
        "alter table field_description add rep_cnt int",
        "update field_description set rep_cnt=0",
        "alter table field_description add i_con char(8)",
        "update field_description set i_con='obsval'",
        "create table cbi_setting (model char(12))",
        "insert into cbi_setting (model) select \"TSM\"",
        "create table som_state ( fl_id integer, yr integer, c_am float, c_sm float, c_lts float, "
        "cnr_am float, cnr_sm float, cnr_lts float ) ",
        "alter table fom_state add fom_crflx float",
        "update fom_state set fom_crflx=-999.99",
        "alter table fom_state add fom_ix integer",
        "update fom_state set fom_ix=-999",
        "alter table soilproperties add fchw float",
        "alter table soilproperties add fbio float",
        "alter table srbpflan add oeko_code int",
        " SELECT Yes AS [select],srbpflan.ITEM_IX, srbpflan.Name, OEKO_code INTO srbsel_crop FROM "
        "srbpflan ",
        " SELECT Yes AS [select], ITEM_IX, Name INTO srbsel_ops FROM srbopspa where OD=-1 ",
        " SELECT Yes AS [select], ITEM_IX, Name  INTO srbsel_frt FROM srbmindg ",
    };
    EXPECT_EQ(done.executed, expected);

    // "notill" is looked for with a binary comparison: "NOTILL" does not count.
    EXPECT_EQ(test::rows(c, "select FL_ID, area, notill, rep_cnt, i_con from field_description "
                            "order by FL_ID"),
              "1|-99|0|0|obsval\n2|-99|1|0|obsval\n3|-99|0|0|obsval\n4|-99|0|0|obsval\n");
    EXPECT_EQ(test::rows(c, "select fom_crflx, fom_ix from fom_state"), "-999.99|-999\n");
    EXPECT_EQ(test::rows(c, "select model from cbi_setting"), "TSM\n");
    EXPECT_EQ(settings.read_string("methode"), "TSM");
    EXPECT_EQ(state.methode, "TSM");
    EXPECT_EQ(state.caption, "TSM workbench; Model=TSM");
    EXPECT_FALSE(done.method_field.has_value());
    EXPECT_EQ(test::rows(c, "select [select], ITEM_IX, Name from srbsel_crop order by ITEM_IX"),
              "-1|1|wheat\n-1|2|rye\n");
    EXPECT_EQ(test::rows(c, "select [select], ITEM_IX, Name from srbsel_ops"), "-1|2|manure\n");
    EXPECT_EQ(test::rows(c, "select [select], ITEM_IX, Name from srbsel_frt"), "-1|1|CAN\n");
    for (const auto& [table, column] :
         std::vector<std::pair<std::string, std::string>>{{"sim_result", "sim_value"},
                                                          {"reg_ndeposit", "N_dep_y"},
                                                          {"tmp_outlist", "meas_id"},
                                                          {"som_state", "cnr_lts"},
                                                          {"srbpflan", "oeko_code"}})
        EXPECT_TRUE(c.has_column(table, column)) << table << "." << column;

    app::ProgramState again;
    EXPECT_EQ(app::adapt_datamodel(c, settings, again).executed, Strings{});
    EXPECT_EQ(again.caption, state.caption);
    EXPECT_EQ(again.methode, "TSM");
}

TEST(Adaptation, ACurrentDatabaseOnlyReadsTheMethod) {
    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "new.db", false);
    app::MemorySettingsStore settings = settings_key();
    app::ProgramState state;
    app::adapt_datamodel(c, settings, state); // adds the work tables a new database lacks
    c.execute("delete * from cbi_setting");
    c.execute("select \"LUFA        \" as model into cbi_padded");
    c.execute("insert into cbi_setting (model) select model from cbi_padded");
    const app::Adaptation done = app::adapt_datamodel(c, settings, state);
    EXPECT_EQ(done.executed, Strings{});
    EXPECT_EQ(done.method_field, "LUFA");
    EXPECT_EQ(state.methode, "LUFA");
    EXPECT_EQ(settings.read_string("methode"), "LUFA");
    EXPECT_EQ(state.caption, "TSM workbench; Model=LUFA        ");

    c.execute("delete * from cbi_setting");
    app::adapt_datamodel(c, settings, state);
    EXPECT_EQ(state.methode, "");
    EXPECT_EQ(state.caption, "TSM workbench; Model=");
}

TEST(Adaptation, AMissingCoreTableEndsItNamingTheTable) {
    test::TempDir dir;
    db::Connection c = old_database(dir / "old.db", false);
    app::MemorySettingsStore settings = settings_key();
    app::ProgramState state;
    try {
        app::adapt_datamodel(c, settings, state);
        FAIL() << "no error";
    } catch (const db::Error& e) {
        EXPECT_NE(std::string(e.what()).find("tsm_nresult"), std::string::npos) << e.what();
    }
    // Looked for first: nothing was changed.
    EXPECT_FALSE(c.has_column("measurements", "vrnz"));
    EXPECT_FALSE(c.has_table("sim_result"));
}

TEST(Keys, NextFreeKey) {
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "k.db");
    c.execute("create table t (id int)");
    EXPECT_EQ(app::get_key(c, "t", "id"), 0);
    c.execute("insert into t (id) values (41)");
    c.execute("insert into t (id) values (7)");
    EXPECT_EQ(app::get_key(c, "t", "id"), 42);
}

TEST(SelectionState, OnlyNewPlotsGetARow) {
    test::TempDir dir;
    db::Connection c = db::Connection::create(dir / "s.db");
    c.execute_native("CREATE TABLE field_description (FL_ID INTEGER);"
                     "INSERT INTO field_description VALUES (1), (2), (3);"
                     "CREATE TABLE site_state (FL_ID INTEGER, status INTEGER, res_VAL INTEGER);"
                     "INSERT INTO site_state VALUES (2, 1, 1);");
    EXPECT_EQ(app::add_selection_state_rows(c), 2);
    EXPECT_EQ(test::rows(c, "select FL_ID, status, res_VAL from site_state order by FL_ID"),
              "1|0|0\n2|1|1\n3|0|0\n");
    EXPECT_EQ(app::add_selection_state_rows(c), 0);
}

TEST(SelectionLists, FollowTheItemsAndTheLanguage) {
    test::TempDir dir;
    db::Connection c = old_database(dir / "l.db");
    c.execute_native(R"(
        CREATE TABLE srbsel_crop ("select" INTEGER, ITEM_IX INTEGER, NAME TEXT, OEKO_code INTEGER);
        INSERT INTO srbsel_crop VALUES (0, 1, 'wheat', 0), (-1, 9, 'gone', 0);
        CREATE TABLE srbsel_ops ("select" INTEGER, ITEM_IX INTEGER, NAME TEXT);
        INSERT INTO srbsel_ops VALUES (0, 2, 'manure'), (-1, 8, 'gone');
        CREATE TABLE srbaktion (action_id INTEGER, ACTION TEXT, action_de TEXT, action_en TEXT,
                                DEF_INTENSITY TEXT, def_intensity_de TEXT, def_intensity_en TEXT);
        INSERT INTO srbaktion VALUES (2, 'harvest', 'Ernte', 'harvest', 'yield', 'Ertrag', 'yield');
    )");
    EXPECT_TRUE(app::refresh_selection_lists(c, "d"));
    EXPECT_EQ(test::rows(c, "select [select], ITEM_IX from srbsel_crop order by ITEM_IX"),
              "0|1\n-1|2\n");
    // The amendment list keeps substrates only: the straw residue (od 0) stays out.
    EXPECT_EQ(test::rows(c, "select [select], ITEM_IX from srbsel_ops order by ITEM_IX"), "0|2\n");
    EXPECT_EQ(test::rows(c, "select NAME from srbpflan order by ITEM_IX"), "Weizen\nRoggen\n");
    EXPECT_EQ(test::rows(c, "select NAME from srbopspa order by ITEM_IX"), "Stroh\nMist\n");
    EXPECT_EQ(test::rows(c, "select ACTION, DEF_INTENSITY from srbaktion"), "Ernte|Ertrag\n");

    EXPECT_TRUE(app::refresh_selection_lists(c, "E"));
    EXPECT_EQ(test::rows(c, "select NAME from srbpflan order by ITEM_IX"), "wheat\nrye\n");
    EXPECT_EQ(test::rows(c, "select ACTION, DEF_INTENSITY from srbaktion"), "harvest|yield\n");

    EXPECT_TRUE(app::refresh_selection_lists(c, "F")); // names stay as they are
    EXPECT_EQ(test::rows(c, "select NAME from srbpflan order by ITEM_IX"), "wheat\nrye\n");

    c.execute_native("ALTER TABLE srbpflan DROP COLUMN NAME_en; INSERT INTO srbpflan "
                     "(ITEM_IX, NAME) VALUES (3, 'oats')");
    EXPECT_FALSE(app::refresh_selection_lists(c, "D"));
    EXPECT_EQ(test::rows(c, "select count(*) from srbsel_crop"), "2\n");
}

// The launcher's database: start-up state for a given database path.
struct Launcher {
    app::DatabaseLink link;
    app::MemorySettingsStore settings = settings_key();
    app::ProgramState state;
    test::ScriptedDialogs dialogs;
    Strings odbc_updates;
    app::OdbcUpdate odbc = [this](const std::string& path, app::Dialogs&) {
        odbc_updates.push_back(path);
        return true;
    };

    explicit Launcher(const std::string& path) {
        state.db_f_name = state.database = path;
        app::set_database(link, state.provider, path);
    }
};

TEST(OpenAtStart, OpensRecordsAndAdapts) {
    test::TempDir dir;
    old_database(dir / "old.db").close();
    Launcher l((dir / "old.db").string());
    ASSERT_TRUE(app::open_database_at_start(l.link, l.settings, l.state, l.dialogs));
    ASSERT_TRUE(l.link.connection.has_value());
    EXPECT_TRUE(l.link.connection->has_table("cbi_setting"));
    EXPECT_EQ(l.settings.read_string("database"), (dir / "old.db").string());
    EXPECT_EQ(l.settings.read_string("DBQ"), (dir / "old.db").string());
    EXPECT_EQ(l.link.label, "system database=old.db");
    EXPECT_EQ(l.state.caption, "TSM workbench; Model=TSM");
    EXPECT_EQ(l.dialogs.shown, Strings{});
}

TEST(OpenAtStart, EditorOnFailureThenASecondFailureIsReported) {
    test::TempDir dir;
    Launcher l((dir / "missing.db").string());
    l.dialogs.connection_strings.push_back(
        app::compose_connection_string("Provider=Other;", (dir / "also-missing.db").string()));
    EXPECT_FALSE(app::open_database_at_start(l.link, l.settings, l.state, l.dialogs));
    EXPECT_FALSE(l.link.connection.has_value());
    ASSERT_EQ(l.dialogs.shown.size(), 2u);
    EXPECT_EQ(l.dialogs.shown[0], "connection editor: " + app::compose_connection_string(
                                                              "", (dir / "missing.db").string()));
    EXPECT_EQ(l.dialogs.shown[1].rfind("database error: ", 0), 0u);
    EXPECT_NE(l.dialogs.shown[1].find("also-missing.db"), std::string::npos) << l.dialogs.shown[1];
    EXPECT_TRUE(l.settings.value_names().empty());
}

TEST(OpenAtStart, AnEditedStringIsRecordedWithItsProvider) {
    test::TempDir dir;
    old_database(dir / "good.db").close();
    Launcher l((dir / "missing.db").string());
    l.dialogs.connection_strings.push_back(
        "Provider=Other;Data Source=" + (dir / "good.db").string() + " ;Mode=Read");
    ASSERT_TRUE(app::open_database_at_start(l.link, l.settings, l.state, l.dialogs));
    EXPECT_EQ(l.state.db_f_name, (dir / "good.db").string());
    EXPECT_EQ(l.settings.read_string("provider"), "Provider=Other;");
    EXPECT_EQ(l.settings.read_string("database"), (dir / "good.db").string());
    EXPECT_EQ(l.link.label, "system database=good.db");
    EXPECT_EQ(app::compose_connection_string(l.state.provider, "x").rfind("Provider=Other;", 0),
              0u);
}

TEST(OpenAtStart, AFailingAdaptationIsShownAndTheDatabaseStaysOpen) {
    test::TempDir dir;
    old_database(dir / "core.db", false).close();
    Launcher l((dir / "core.db").string());
    EXPECT_TRUE(app::open_database_at_start(l.link, l.settings, l.state, l.dialogs));
    EXPECT_TRUE(l.link.connection.has_value());
    ASSERT_EQ(l.dialogs.shown.size(), 1u);
    EXPECT_NE(l.dialogs.shown[0].find("tsm_nresult"), std::string::npos) << l.dialogs.shown[0];
}

std::string bytes_of(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// An empty file or another program's database is left exactly as it was.
TEST(OpenAtStart, AFileThatIsNoExperimentDatabaseIsLeftAsItWas) {
    test::TempDir dir;
    std::ofstream(dir / "empty.db").close();
    db::Connection::create(dir / "other.db").execute_native("CREATE TABLE notes (x TEXT)");
    for (const char* name : {"empty.db", "other.db"}) {
        const std::string before = bytes_of(dir / name);
        Launcher l((dir / name).string());
        app::open_database_at_start(l.link, l.settings, l.state, l.dialogs);
        ASSERT_FALSE(l.dialogs.shown.empty()) << name;
        EXPECT_NE(l.dialogs.shown.back().find("no table measurements"), std::string::npos)
            << l.dialogs.shown.back();
        l.link.connection.reset();
        EXPECT_EQ(bytes_of(dir / name), before) << name;
        EXPECT_FALSE(std::filesystem::exists(dir / (std::string(name) + "-wal"))) << name;
    }
}

// Any file name names that file: ";" and "Data Source=" in it open nothing else.
TEST(OpenAtStart, APathIsKeptAsAPath) {
    test::TempDir dir;
    const test::WorkingFolder folder(dir.path()); // where a relative "other.db" lies
    old_database(dir / "other.db").close();
    for (const char* name : {"a;b.db", "x.db;Data Source=other.db"}) {
        const std::string path = (dir / name).string();
        old_database(path).close();
        Launcher l(path);
        ASSERT_TRUE(app::open_database_at_start(l.link, l.settings, l.state, l.dialogs)) << name;
        EXPECT_EQ(l.link.connection->path().string(), path);
        EXPECT_TRUE(l.link.connection->has_table("cbi_setting"));
        EXPECT_EQ(l.state.db_f_name, path);
        EXPECT_EQ(l.settings.read_string("database"), path);
        EXPECT_EQ(l.settings.read_string("provider"), app::default_provider);
    }
    EXPECT_FALSE(db::Connection(dir / "other.db").has_table("cbi_setting"));
}

TEST(ChangeDatabase, CancelChangesNothing) {
    test::TempDir dir;
    old_database(dir / "old.db").close();
    Launcher l((dir / "old.db").string());
    ASSERT_TRUE(app::open_database_at_start(l.link, l.settings, l.state, l.dialogs));
    const auto settings_before = values(l.settings);
    const std::string string_before = l.link.connection_string;

    EXPECT_FALSE(app::change_database(l.link, l.settings, l.state, l.dialogs, l.odbc));
    EXPECT_EQ(l.dialogs.shown, Strings{"file: Where is the database ?"});
    ASSERT_TRUE(l.link.connection.has_value());
    EXPECT_EQ(l.link.connection->path(), dir / "old.db");
    EXPECT_EQ(l.link.connection_string, string_before);
    EXPECT_EQ(values(l.settings), settings_before);
    EXPECT_EQ(l.odbc_updates, Strings{});
}

TEST(ChangeDatabase, OpensAdaptsAndStoresTheNewDatabase) {
    test::TempDir dir;
    old_database(dir / "old.db").close();
    old_database(dir / "other.db").close();
    Launcher l((dir / "old.db").string());
    ASSERT_TRUE(app::open_database_at_start(l.link, l.settings, l.state, l.dialogs));
    const std::string other = (dir / "other.db").string();
    l.dialogs.files.push_back(other);

    EXPECT_TRUE(app::change_database(l.link, l.settings, l.state, l.dialogs, l.odbc));
    ASSERT_TRUE(l.link.connection.has_value());
    EXPECT_EQ(l.link.connection->path(), other);
    EXPECT_TRUE(l.link.connection->has_table("srbsel_crop"));
    EXPECT_EQ(l.settings.read_string("database"), other);
    EXPECT_EQ(l.odbc_updates, Strings{other});
    EXPECT_EQ(l.link.simulator_database, other);
    EXPECT_EQ(l.link.label, "system database=other.db");
}

// A file that does not open as an experiment database (missing, a text file, another
// program's database), with the connection-string editor cancelled, changes nothing: the
// current database stays open and named.
TEST(ChangeDatabase, AFailedChangeKeepsTheCurrentDatabase) {
    test::TempDir dir;
    old_database(dir / "old.db").close();
    std::ofstream(dir / "notes.txt") << "not a database\n";
    db::Connection::create(dir / "other.db").execute_native("CREATE TABLE notes (x TEXT)");
    for (const char* name : {"none.db", "notes.txt", "other.db"}) {
        Launcher l((dir / "old.db").string());
        ASSERT_TRUE(app::open_database_at_start(l.link, l.settings, l.state, l.dialogs));
        const auto settings_before = values(l.settings);
        const std::string string_before = l.link.connection_string;
        l.dialogs.files.push_back((dir / name).string());

        EXPECT_FALSE(app::change_database(l.link, l.settings, l.state, l.dialogs, l.odbc));
        ASSERT_TRUE(l.link.connection.has_value()) << name;
        EXPECT_EQ(l.link.connection->path(), dir / "old.db") << name;
        EXPECT_TRUE(l.link.connection->has_table("measurements")) << name;
        EXPECT_EQ(l.link.path, (dir / "old.db").string()) << name;
        EXPECT_EQ(l.link.connection_string, string_before) << name;
        EXPECT_EQ(l.link.label, "system database=old.db") << name;
        EXPECT_EQ(l.state.db_f_name, (dir / "old.db").string()) << name;
        EXPECT_NE(l.dialogs.shown.back().find(name), std::string::npos) << l.dialogs.shown.back();
        EXPECT_EQ(values(l.settings), settings_before) << name;
        EXPECT_EQ(l.odbc_updates, Strings{}) << name;
    }
    EXPECT_FALSE(db::Connection(dir / "other.db").has_table("cbi_setting"));
}

// An Access database chosen goes through the conversion offer: the database it gives is
// opened; without one nothing changes.
TEST(ChangeDatabase, AnAccessFileIsOpenedAsTheDatabaseItsConversionGives) {
    test::TempDir dir;
    old_database(dir / "old.db").close();
    old_database(dir / "trials.db").close();
    const std::string converted = (dir / "trials.db").string();
    for (const bool accepted : {false, true}) {
        Launcher l((dir / "old.db").string());
        ASSERT_TRUE(app::open_database_at_start(l.link, l.settings, l.state, l.dialogs));
        Strings offered;
        const app::AccessConversion convert = [&](const std::string& file, const std::string&,
                                                  app::Dialogs&) {
            offered.push_back(file);
            return accepted ? std::optional<std::string>(converted) : std::nullopt;
        };
        l.dialogs.files.push_back((dir / "trials.MDB").string());

        EXPECT_EQ(app::change_database(l.link, l.settings, l.state, l.dialogs, l.odbc, convert),
                  accepted);
        EXPECT_EQ(offered, Strings{(dir / "trials.MDB").string()});
        const std::string open = accepted ? converted : (dir / "old.db").string();
        ASSERT_TRUE(l.link.connection.has_value());
        EXPECT_EQ(l.link.connection->path(), open);
        EXPECT_EQ(l.state.db_f_name, open);
        EXPECT_EQ(l.settings.read_string("database"), open);
    }
}

} // namespace

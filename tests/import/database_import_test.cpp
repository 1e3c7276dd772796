// Importing SQLite experiment databases of older layouts: the schema's tables with the
// source's values, what the source lacks from the adaptation and the template, and a
// failing import that names the row and leaves no file.
#include "batch_run.h"
#include "db/connection.h"
#include "db/new_database.h"
#include "import/access_offer.h"
#include "import/database_import.h"
#include "scripted_dialogs.h"
#include "test_support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// An older layout: the template database changed by statements.
void make_source(const fs::path& file, const std::string& native_sql) {
    db::Connection c = db::create_experiment_database(file, false);
    c.execute_native(native_sql);
}

std::vector<std::string> files_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string file_bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The rows of SQLite's own SQL: fields joined by "|", rows ended by "\n", Null as "NULL".
std::string native_rows(db::Connection& c, const std::string& sql) {
    db::Statement st = c.prepare_native(sql);
    std::string out;
    while (st.step()) {
        for (int i = 0; i < st.column_count(); ++i) {
            const db::Value v = st.column(i);
            out += (i ? "|" : "") + (v.is_null() ? std::string("NULL") : v.as_text());
        }
        out += "\n";
    }
    return out;
}

struct MappingCase {
    const char* name;
    const char* source_sql; // applied to a template database
    const char* query;      // on the imported database (SQLite's SQL; several with ";")
    const char* expected;   // its rows
};

const MappingCase mapping_cases[] = {
    {"columns the adaptation adds get its values",
     "ALTER TABLE field_description DROP COLUMN area;"
     "ALTER TABLE field_description DROP COLUMN notill;"
     "ALTER TABLE field_description DROP COLUMN rep_cnt;"
     "ALTER TABLE field_description DROP COLUMN i_con;"
     "INSERT INTO field_description (FL_ID, Location, comment) VALUES (1, 'A', 'plough'),"
     " (2, 'A', 'notill since 1990');",
     "select FL_ID, area, notill, rep_cnt, i_con from field_description order by FL_ID",
     "1|-99|0|0|obsval\n2|-99|1|0|obsval\n"},
    {"other missing columns take the schema's default",
     "ALTER TABLE measurements DROP COLUMN weight; ALTER TABLE measurements DROP COLUMN vrnz;"
     "INSERT INTO measurements (FL_ID, M_IX, meas_value) VALUES (1, 7, 1.25);",
     "select FL_ID, M_IX, meas_value, weight, vrnz is null from measurements", "1|7|1.25|1|1\n"},
    {"columns and tables the schema does not know are copied as they are",
     "ALTER TABLE field_description ADD COLUMN my_note TEXT;"
     "INSERT INTO field_description (FL_ID, my_note) VALUES (5, 'keep me');"
     "CREATE TABLE my_plots (id INTEGER, flag BOOLEAN, note);"
     "INSERT INTO my_plots VALUES (1, 1, x'00ff'), (2, 0, 2.5);",
     "select FL_ID, my_note from field_description union all "
     "select id, flag || ' ' || typeof(note) || ' ' || quote(note) from my_plots",
     "5|keep me\n1|1 blob X'00FF'\n2|0 real 2.5\n"},
    {"table and column names are matched without regard to case",
     "ALTER TABLE vc2cls RENAME TO old_vc2cls; DROP TABLE old_vc2cls;"
     "CREATE TABLE VC2CLS (EXP_ID INTEGER, Climate_Id INTEGER);"
     "INSERT INTO VC2CLS VALUES (3, 4);"
     "ALTER TABLE soilproperties RENAME COLUMN soil_ID TO SOIL_ID;"
     "INSERT INTO soilproperties (SOIL_ID, CLAY) VALUES (9, 21.5);",
     "select name from sqlite_master where name like 'vc2cls';"
     "select exp_id, climate_ID from vc2cls; select soil_ID, clay from soilproperties",
     "vc2cls\n3|4\n9|21.5\n"},
    {"yes/no values 1/0, -1/0 and words become -1/0",
     "INSERT INTO soilproperties (soil_ID, silt_org, sand_org, FAT_org, cif_org) VALUES"
     " (1, 1, 0, -1, NULL), (2, 'True', 'no', '-1', '');"
     "DELETE FROM srbopspa; INSERT INTO srbopspa (ITEM_IX, od) VALUES (1, 1), (2, 0);",
     "select soil_ID, silt_org, sand_org, FAT_org, cif_org from soilproperties union all "
     "select ITEM_IX, od, 0, 0, 0 from srbopspa",
     "1|-1|0|-1|NULL\n2|-1|0|-1|NULL\n1|-1|0|0|0\n2|0|0|0|0\n"},
    {"texts are kept exactly",
     "INSERT INTO field_description (FL_ID, site_description) VALUES"
     " (1, 'Größe \"Ost\" O''Neill – äöü ß'), (2, '  blanks  ');",
     "select FL_ID, '[' || site_description || ']' from field_description order by FL_ID",
     "1|[Größe \"Ost\" O'Neill – äöü ß]\n2|[  blanks  ]\n"},
    {"a missing selection list is built from the source's own items",
     "DELETE FROM srbpflan WHERE ITEM_IX > 2; DROP TABLE srbsel_crop;",
     "select \"select\", ITEM_IX from srbsel_crop order by ITEM_IX", "-1|1\n-1|2\n"},
};

class ImportMapping : public testing::TestWithParam<MappingCase> {};

TEST_P(ImportMapping, GivesTheSchemasTablesWithTheValuesExact) {
    const MappingCase& c = GetParam();
    test::TempDir dir;
    make_source(dir / "old.db", c.source_sql);
    import::import_database(dir / "old.db", dir / "new.db");
    db::Connection imported(dir / "new.db");
    std::string got;
    std::stringstream queries(c.query);
    for (std::string q; std::getline(queries, q, ';');) got += native_rows(imported, q);
    EXPECT_EQ(got, c.expected) << c.name;
}

void PrintTo(const MappingCase& c, std::ostream* out) {
    *out << c.name;
}

INSTANTIATE_TEST_SUITE_P(OlderLayouts, ImportMapping, testing::ValuesIn(mapping_cases));

// The definitions of every table and index, as SQLite keeps them.
std::string schema_of(db::Connection& c) {
    return native_rows(c, "SELECT type, name, sql FROM sqlite_master WHERE name NOT LIKE "
                          "'sqlite%' AND name NOT LIKE 'tmp%' ORDER BY name");
}

TEST(Import, TablesOfTheSchemaTakeTheTemplatesDefinitions) {
    test::TempDir dir;
    make_source(dir / "old.db", "ALTER TABLE field_description DROP COLUMN area;"
                                "ALTER TABLE measurements DROP COLUMN weight;"
                                "ALTER TABLE cultivation RENAME COLUMN FL_ID TO fl_id;"
                                "DROP INDEX ix_climate_station_climate_id;"
                                "DROP TABLE srbsel_ops; DROP TABLE huba_crop;"
                                "INSERT INTO cultivation (fl_id, Macode) VALUES (1, 2);");
    const auto report = import::import_database(dir / "old.db", dir / "new.db");
    db::Connection imported(dir / "new.db");
    db::Connection fresh = db::create_experiment_database(dir / "fresh.db", false);
    EXPECT_EQ(schema_of(imported), schema_of(fresh));
    // The template's rows of a table the source lacks; the counter of a row goes on.
    EXPECT_EQ(native_rows(imported, "SELECT count(*) FROM huba_crop"),
              native_rows(fresh, "SELECT count(*) FROM huba_crop"));
    EXPECT_EQ(native_rows(imported, "SELECT cultivation_id, FL_ID, Macode FROM cultivation"),
              "1|1|2\n");

    const auto plots = std::find_if(report.tables.begin(), report.tables.end(),
                                    [](const auto& t) { return t.table == "field_description"; });
    ASSERT_NE(plots, report.tables.end());
    EXPECT_EQ(plots->not_in_source, std::vector<std::string>{"area"});
    EXPECT_TRUE(plots->left_out.empty());
}

struct FailureCase {
    const char* name;
    const char* source_sql;
    const char* table;
    std::int64_t row;
    const char* column;
};

const FailureCase failure_cases[] = {
    {"text in a number column",
     "INSERT INTO measurements (FL_ID, meas_value) VALUES (1, 1.5), (1, 'n.d.');", "measurements",
     2, "meas_value"},
    {"a plot key given twice",
     "DROP INDEX ix_field_description_fl_id;"
     "INSERT INTO field_description (FL_ID, Location) VALUES (1, 'a'), (2, 'b'), (2, 'c');",
     "field_description", 3, "FL_ID"},
    {"no yes/no value", "INSERT INTO soilproperties (soil_ID, silt_org) VALUES (1, 'maybe');",
     "soilproperties", 1, "silt_org"},
    {"a column every row needs is missing",
     "DROP INDEX ix_site_state_fl_id; ALTER TABLE site_state DROP COLUMN FL_ID;"
     "INSERT INTO site_state (status) VALUES (1);",
     "site_state", 1, "FL_ID"},
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class ImportFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(ImportFailure, NamesTableRowAndColumnAndLeavesNoFile) {
    const FailureCase& c = GetParam();
    test::TempDir dir;
    make_source(dir / "old.db", c.source_sql);
    const std::vector<std::string> before = files_in(dir.path());
    try {
        import::import_database(dir / "old.db", dir / "new.db");
        FAIL() << c.name << ": imported";
    } catch (const import::ImportError& e) {
        EXPECT_EQ(e.table(), c.table);
        EXPECT_EQ(e.row(), c.row);
        EXPECT_EQ(e.column(), c.column);
        EXPECT_NE(std::string(e.what()).find(std::string("Table ") + c.table + ", row " +
                                             std::to_string(c.row) + ", column " + c.column),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(files_in(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(BadRows, ImportFailure, testing::ValuesIn(failure_cases));

TEST(Import, NeverOverwritesAndOnlyReadsTheSource) {
    test::TempDir dir;
    make_source(dir / "old.db", "INSERT INTO experiments (exp_id) VALUES (1);");
    std::ofstream(dir / "new.db") << "someone's file";
    const std::string source_bytes = file_bytes(dir / "old.db");
    EXPECT_THROW(import::import_database(dir / "old.db", dir / "new.db"), std::exception);
    EXPECT_EQ(file_bytes(dir / "new.db"), "someone's file");

    import::import_database(dir / "old.db", dir / "other.db");
    EXPECT_EQ(file_bytes(dir / "old.db"), source_bytes);

    std::ofstream(dir / "notes.mdb") << "not a database at all, just some text";
    try {
        import::import_database(dir / "notes.mdb", dir / "notes.db");
        FAIL() << "a text file was imported";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("notes.mdb"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(dir / "notes.db"));
}

TEST(Import, FreeTargetNameBesideTheSource) {
    test::TempDir dir;
    const fs::path source = dir / "trials 1998.mdb";
    EXPECT_EQ(import::free_import_target(source), dir / "trials 1998.db");
    std::ofstream(dir / "trials 1998.db") << "x";
    EXPECT_EQ(import::free_import_target(source), dir / "trials 1998_2.db");
    std::ofstream(dir / "trials 1998_2.db") << "x";
    EXPECT_EQ(import::free_import_target(source), dir / "trials 1998_3.db");
}

using test::batch;
using test::BatchRun;

TEST(ImportCommand, PrintsEachTableAndNamesABadRow) {
    test::TempDir dir;
    make_source(dir / "old.db", "ALTER TABLE field_description DROP COLUMN area;"
                                "CREATE TABLE notes (txt); INSERT INTO notes VALUES ('a');"
                                "INSERT INTO field_description (FL_ID) VALUES (1), (2);");
    const BatchRun ok = batch({"import", (dir / "old.db").string(), (dir / "new.db").string()});
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_NE(ok.out.find("  field_description: 2 rows read, 2 rows written, columns left out: "
                          "none; schema columns not in the source: area\n"),
              std::string::npos)
        << ok.out;
    EXPECT_NE(ok.out.find("  notes (not in the schema, copied as it is): 1 rows read, 1 rows "
                          "written, columns left out: none\n"),
              std::string::npos)
        << ok.out;

    make_source(dir / "bad.db", "INSERT INTO cultivation (FL_ID, Quantity) VALUES (1, '12 t');");
    const BatchRun bad =
        batch({"import", (dir / "bad.db").string(), (dir / "bad-new.db").string()});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("Table cultivation, row 1, column Quantity: the value '12 t' is not a "
                           "number. Nothing was imported."),
              std::string::npos)
        << bad.err;
    EXPECT_FALSE(fs::exists(dir / "bad-new.db"));
    EXPECT_EQ(batch({"import", "only-one.db"}).code, 1);
}

// The offer of the windows: a question, the conversion into a free name beside the file,
// its result or its failure shown.
TEST(AccessOffer, ConvertsIntoAFreeNameOnlyWhenTheUserSaysYes) {
    test::TempDir dir;
    // The import reads a file by its content: an SQLite database under an Access name
    // stands in for an Access file.
    make_source(dir / "trials.mdb", "INSERT INTO experiments (exp_id) VALUES (7);");
    std::ofstream(dir / "trials.db") << "someone's file";

    test::ScriptedDialogs no;
    EXPECT_EQ(import::offer_access_conversion((dir / "trials.mdb").string(), "E", no),
              std::nullopt);
    EXPECT_EQ(no.shown, std::vector<std::string>{
                            "Access database: 'trials.mdb' is an Access database. Convert it "
                            "into the new experiment database 'trials_2.db' beside it and open "
                            "that?"});
    EXPECT_FALSE(fs::exists(dir / "trials_2.db"));

    test::ScriptedDialogs yes;
    yes.yes_no.push_back(true);
    EXPECT_EQ(import::offer_access_conversion((dir / "trials.mdb").string(), "D", yes),
              (dir / "trials_2.db").string());
    ASSERT_EQ(yes.shown.size(), 2u);
    EXPECT_EQ(yes.shown[0].rfind("Access-Datenbank: 'trials.mdb' ist eine Access-Datenbank.", 0),
              0u)
        << yes.shown[0];
    EXPECT_EQ(yes.shown[1].rfind("Access-Datenbank: 'trials.mdb' wurde in 'trials_2.db' "
                                 "umgewandelt: ",
                                 0),
              0u)
        << yes.shown[1];
    db::Connection converted(dir / "trials_2.db");
    EXPECT_EQ(native_rows(converted, "SELECT exp_id FROM experiments"), "7\n");
    EXPECT_EQ(file_bytes(dir / "trials.db"), "someone's file");

    make_source(dir / "bad.accdb", "INSERT INTO measurements (FL_ID, meas_value) VALUES (1, 'x');");
    test::ScriptedDialogs failing;
    failing.yes_no.push_back(true);
    EXPECT_EQ(import::offer_access_conversion((dir / "bad.accdb").string(), "E", failing),
              std::nullopt);
    EXPECT_NE(failing.shown.back().find("The conversion failed: Table measurements, row 1, "
                                        "column meas_value"),
              std::string::npos)
        << failing.shown.back();
    EXPECT_FALSE(fs::exists(dir / "bad.db"));
}

} // namespace

// Reading an Access database with mdbtools: every row and column of a real Jet 4 file
// against mdbtools' own export, and the dates of the file as text.
#include "db/connection.h"
#include "import/database_import.h"
#include "test_support.h"
#ifdef TSM_WITH_MDB
#include "import/mdb_source.h"
#endif

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

namespace {

#ifdef TSM_WITH_MDB

// Monitor.mdb of Debian's mrtg-contrib: one table, integers, texts, yes/no, a date.
const fs::path monitor = TSM_MONITOR_MDB;

// The standard output of a command; nothing when it cannot be run.
std::optional<std::string> output_of(const std::string& command) {
    struct PipeClose {
        void operator()(FILE* f) const { pclose(f); }
    };
    std::unique_ptr<FILE, PipeClose> pipe(popen(command.c_str(), "r"));
    if (!pipe) return std::nullopt;
    std::string out;
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;)
        out.append(buffer.data(), n);
    if (pclose(pipe.release()) != 0) return std::nullopt;
    return out;
}

// A table as mdb-export writes it with "|" between fields, no quotes, dates as
// "YYYY-MM-DD hh:mm:ss", yes/no as 1 and 0 and no value as NULL.
std::optional<std::string> exported(const std::string& table) {
    return output_of("mdb-export -d '|' -Q -0 NULL -D '%Y-%m-%d %H:%M:%S' -T '%Y-%m-%d "
                     "%H:%M:%S' '" +
                     monitor.string() + "' '" + table + "' 2>/dev/null");
}

// The same table as the reader reads it, in the same form.
std::string read_back(import::MdbSource& source, const std::string& table) {
    const std::vector<import::SourceColumn> columns = source.columns(table);
    std::string out;
    for (std::size_t i = 0; i < columns.size(); ++i) out += (i ? "|" : "") + columns[i].name;
    out += "\n";
    const auto rows = source.rows(table);
    for (import::SourceRow row; rows->next(row);) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            const db::Value& v = row[i].value;
            const std::string text = v.is_null()          ? "NULL"
                                     : columns[i].boolean ? (v.as_bool() ? "1" : "0")
                                                          : v.as_text();
            out += (i ? "|" : "") + text;
        }
        out += "\n";
    }
    return out;
}

TEST(MdbSource, ReadsEveryRowAndColumnAsMdbExportDoes) {
    if (!fs::exists(monitor)) GTEST_SKIP() << monitor << " is not installed (mrtg-contrib)";
    const auto expected = exported("Monitor_Authenticate");
    if (!expected) GTEST_SKIP() << "mdb-export is not installed (mdbtools)";

    import::MdbSource source(monitor);
    EXPECT_EQ(source.kind(), "Access (Jet 4)");
    ASSERT_EQ(source.tables(), std::vector<std::string>{"Monitor_Authenticate"});
    EXPECT_EQ(read_back(source, "Monitor_Authenticate"), *expected);

    // Yes/no as -1 and 0, the decimal number as an integer, the date as text.
    const auto rows = source.rows("Monitor_Authenticate");
    import::SourceRow row;
    ASSERT_TRUE(rows->next(row));
    EXPECT_EQ(row[1].value, db::Value(std::int64_t{1234567890}));
    EXPECT_EQ(row[5].value, db::Value(-1));
    EXPECT_EQ(row[9].value, db::Value(0));
    EXPECT_EQ(row[10].value, db::Value("2000-06-17 20:36:24"));
    EXPECT_FALSE(rows->next(row));
}

TEST(MdbSource, ImportCopiesTheTableItDoesNotKnowWhole) {
    if (!fs::exists(monitor)) GTEST_SKIP() << monitor << " is not installed (mrtg-contrib)";
    test::TempDir dir;
    const import::ImportReport report = import::import_database(monitor, dir / "Monitor.db");
    EXPECT_EQ(report.source_kind, "Access (Jet 4)");
    ASSERT_EQ(report.tables.size(), 1u);
    EXPECT_FALSE(report.tables[0].in_schema);
    EXPECT_EQ(report.tables[0].rows_written, 1);
    EXPECT_TRUE(report.tables[0].left_out.empty());
    db::Connection c(dir / "Monitor.db");
    EXPECT_EQ(test::rows(c, "select ID, LinePassword, Graph_Day, Graph_EMail, LastVisit from "
                            "Monitor_Authenticate"),
              "1|12345678|-1|0|2000-06-17 20:36:24\n");
    EXPECT_TRUE(c.has_table("field_description")); // the schema from the template
}

TEST(MdbSource, DatesAsText) {
    struct Case {
        double days;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "1899-12-30 00:00:00"},         {36694.8586111111, "2000-06-17 20:36:24"},
        {-1.25, "1899-12-29 06:00:00"},       {60.0, "1900-02-28 00:00:00"},
        {45291.99998, "2023-12-31 23:59:58"}, {45291.9999999, "2024-01-01 00:00:00"},
        {2958465.0, "9999-12-31 00:00:00"},   {-657434.0, "0100-01-01 00:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(import::access_date_text(c.days), c.text) << c.days;
}

#else

TEST(MdbSource, NotPartOfThisBuild) {
    GTEST_SKIP() << "built without mdbtools";
}

#endif

} // namespace

// xlsx_export_test.cpp --- workbooks read back from the zip file: field names, numbers
// with every digit shown with 4 decimals, texts and empty cells where they belong.
#include "app/xlsx_export.h"
#include "test_support.h"
#include "zip_entry.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

using test::zip_entry;

std::string unescaped(std::string s) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [entity, ch] : entities)
        for (auto p = s.find(entity); p != std::string::npos; p = s.find(entity, p + 1))
            s.replace(p, std::string(entity).size(), ch);
    return s;
}

// The text between `open`-tag (after its '>') and `close`, from position `from`.
std::string inner(const std::string& xml, std::size_t from, const std::string& close) {
    const auto begin = xml.find('>', from) + 1;
    return xml.substr(begin, xml.find(close, begin) - begin);
}

// The cells of the first worksheet by reference ("A1"): shared strings as "text:...",
// inline numbers as "number:...".
std::map<std::string, std::string> cells(const std::filesystem::path& file) {
    std::vector<std::string> strings;
    const std::string shared = zip_entry(file, "xl/sharedStrings.xml");
    for (auto p = shared.find("<t"); p != std::string::npos; p = shared.find("<t", p + 1))
        if (shared.compare(p, 3, "<t>") == 0 || shared.compare(p, 3, "<t ") == 0)
            strings.push_back(unescaped(inner(shared, p, "</t>")));
    std::map<std::string, std::string> out;
    const std::string sheet = zip_entry(file, "xl/worksheets/sheet1.xml");
    for (auto p = sheet.find("<c r=\""); p != std::string::npos; p = sheet.find("<c r=\"", p + 1)) {
        const std::string ref = sheet.substr(p + 6, sheet.find('"', p + 6) - p - 6);
        const std::string tag = sheet.substr(p, sheet.find('>', p) - p);
        const std::string v = inner(sheet, sheet.find("<v", p), "</v>");
        out[ref] = tag.find("t=\"s\"") != std::string::npos ? "text:" + strings.at(std::stoul(v))
                                                            : "number:" + v;
    }
    return out;
}

TEST(XlsxExportTest, FieldNamesThenOneRecordPerRow) {
    test::TempDir dir;
    const auto file = dir / "grid.xlsx";
    app::write_xlsx(file, {"FL_ID", "name", "n_saldo"},
                    {{101, "winter wheat", 12.345678},
                     {102, "12 < 13 & more", db::Value()},
                     {db::Value(), "", -0.00004}});
    const std::map<std::string, std::string> expected = {
        {"A1", "text:FL_ID"},        {"B1", "text:name"},
        {"C1", "text:n_saldo"},      {"A2", "number:101"},
        {"B2", "text:winter wheat"}, {"C2", "number:12.345678"},
        {"A3", "number:102"},        {"B3", "text:12 < 13 & more"},
        {"C4", "number:-4E-05"}}; // an empty text leaves the cell empty as Null does
    EXPECT_EQ(cells(file), expected);
}

// A small variance keeps its value; numbers with a fraction are shown with 4 decimals by
// their cell format, whole numbers as they are.
TEST(XlsxExportTest, NumbersKeepEveryDigitAndShowFourDecimals) {
    test::TempDir dir;
    const auto file = dir / "stat.xlsx";
    app::write_xlsx(file, {"FL_ID", "variance", "r"}, {{101, 2.9e-05, 0.123456789012345}});
    EXPECT_EQ(cells(file).at("B2"), "number:2.9E-05");
    EXPECT_EQ(cells(file).at("C2"), "number:0.123456789012345");

    const std::string styles = zip_entry(file, "xl/styles.xml");
    const auto code = styles.find("formatCode=\"0.0000\"");
    ASSERT_NE(code, std::string::npos) << styles;
    const std::string id = styles.substr(styles.rfind("numFmtId=\"", code) + 10, 3);
    // The cell formats in their order; a cell's s= is its index.
    std::vector<std::string> xfs;
    const auto list = styles.find("<cellXfs");
    for (auto p = styles.find("<xf ", list);
         p != std::string::npos && p < styles.find("</cellXfs>"); p = styles.find("<xf ", p + 1))
        xfs.push_back(styles.substr(p, styles.find('>', p) - p));
    const std::string sheet = zip_entry(file, "xl/worksheets/sheet1.xml");
    const auto style_of = [&](const std::string& ref) -> std::string {
        const auto p = sheet.find("<c r=\"" + ref + "\"");
        const std::string tag = sheet.substr(p, sheet.find('>', p) - p);
        const auto s = tag.find(" s=\"");
        if (s == std::string::npos) return "general";
        return xfs.at(std::stoul(tag.substr(s + 4)));
    };
    EXPECT_NE(style_of("B2").find("numFmtId=\"" + id), std::string::npos) << style_of("B2");
    EXPECT_NE(style_of("C2").find("numFmtId=\"" + id), std::string::npos);
    EXPECT_EQ(style_of("A2"), "general");
}

TEST(XlsxExportTest, AFileThatCannotBeWrittenIsNamed) {
    test::TempDir dir;
    const auto file = dir / "no such folder" / "grid.xlsx";
    try {
        app::write_xlsx(file, {"a"}, {{1}});
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
    }
}

// A workbook that fails part way leaves the earlier file as it was and nothing beside it.
TEST(XlsxExportTest, AFailedWorkbookLeavesNoTruncatedFile) {
    test::TempDir dir;
    const auto file = dir / "grid.xlsx";
    std::ofstream(file) << "the earlier workbook";
    const std::vector<db::Value> too_wide(16385, db::Value(1)); // one column past the last
    EXPECT_THROW(app::write_xlsx(file, {"a"}, {too_wide}), std::runtime_error);
    std::ifstream earlier(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "the earlier workbook");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace

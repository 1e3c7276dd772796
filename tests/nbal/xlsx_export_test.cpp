// xlsx_export_test.cpp --- workbooks read back from the zip file: field names, rounded
// numbers, texts and empty cells where they belong.
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
        {"B2", "text:winter wheat"}, {"C2", "number:12.3457"},
        {"A3", "number:102"},        {"B3", "text:12 < 13 & more"},
        {"C4", "number:0"}}; // an empty text leaves the cell empty as Null does
    EXPECT_EQ(cells(file), expected);
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

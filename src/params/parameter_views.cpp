// parameter_views.cpp --- the lines of the amendment and crop parameter views.
#include "params/parameter_views.h"

#include "db/text.h"

namespace params {
namespace {

// The item key, or nothing when the value holds none (a missing residue or by-product).
std::optional<std::int64_t> item_key(const db::Value& v) {
    if (v.is_null()) return std::nullopt;
    if (v.is_text()) {
        const auto n = db::parse_number(db::trim(v.as_text()));
        if (!n) return std::nullopt;
        return static_cast<std::int64_t>(*n);
    }
    return v.as_int();
}

// The row as a data set (empty when there is none).
db::Dataset parameter_row(db::Connection& conn, const std::string& table,
                          const db::Value& item_ix) {
    const auto key = item_key(item_ix);
    if (!key) return {};
    return conn.open("select * from " + table + " where item_ix=" + std::to_string(*key));
}

std::vector<std::string> lines_of(const db::Dataset& row) {
    std::vector<std::string> lines;
    if (row.empty()) return lines;
    for (int i = 0; i < row.field_count(); ++i)
        lines.push_back(tree_line(row.field_names()[static_cast<std::size_t>(i)], row.field(i)));
    return lines;
}

} // namespace

std::string tree_line(const std::string& column, const db::Value& value) {
    return (column + ".............").substr(0, 12) + ": " + value.as_text();
}

std::vector<std::string> parameter_lines(db::Connection& conn, const std::string& table,
                                         const db::Value& item_ix) {
    return lines_of(parameter_row(conn, table, item_ix));
}

CropParameters crop_parameters(db::Connection& conn, const db::Value& item_ix) {
    CropParameters p;
    const db::Dataset crop = parameter_row(conn, "srbpflan", item_ix);
    p.crop = lines_of(crop);
    if (crop.empty()) return p;
    if (crop.has_field("ewr_ix"))
        p.residue = parameter_lines(conn, "srbopspa", crop.field("ewr_ix"));
    if (crop.has_field("kop_ix"))
        p.by_product = parameter_lines(conn, "srbopspa", crop.field("kop_ix"));
    return p;
}

} // namespace params

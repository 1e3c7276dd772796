// parameter_views.h --- the lines of the read-only parameter views of one amendment or one
// crop with its residue and by-product.
#pragma once

#include "db/connection.h"

#include <optional>
#include <string>
#include <vector>

namespace params {

// "<column>............." cut to 12 characters, ": " and the value as text:
// tree_line("cnr", 25) gives "cnr.........: 25".
std::string tree_line(const std::string& column, const db::Value& value);

// One line per column of the row of `table` ("srbopspa", "srbpflan") whose item_ix is
// `item_ix`, in column order; no lines without an item (Null or empty) or without a row.
std::vector<std::string> parameter_lines(db::Connection& conn, const std::string& table,
                                         const db::Value& item_ix);

// The crop view: the crop's row, its residue (ewr_ix) and its by-product (kop_ix), each
// empty where the crop has none.
struct CropParameters {
    std::vector<std::string> crop, residue, by_product;
};
CropParameters crop_parameters(db::Connection& conn, const db::Value& item_ix);

} // namespace params

// xlsx_export.h --- a grid's rows written into a new spreadsheet workbook (.xlsx).
#pragma once

#include "db/dataset.h"
#include "db/value.h"

#include <filesystem>
#include <string>
#include <vector>

namespace app {

// Writes one worksheet: the field names in row 1, one record per following row. Numbers
// stay numbers with every digit; those with a fraction are shown with 4 decimals through
// the cell's number format. Other values are written as text, Null leaves the cell empty. An existing file is replaced. Throws std::runtime_error naming the file
// (and the row and column) when the workbook cannot be written.
void write_xlsx(const std::filesystem::path& file, const std::vector<std::string>& field_names,
                const std::vector<std::vector<db::Value>>& rows);
// The same for the visible rows of a query result.
void write_xlsx(const std::filesystem::path& file, db::Dataset& rows);

} // namespace app

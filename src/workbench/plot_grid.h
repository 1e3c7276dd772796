// plot_grid.h --- "replicate record" and "paste data" on the plot grid of the raw table panel
// (a data set on field_description).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace db {
class Connection;
class Dataset;
} // namespace db

namespace workbench {

// Appends count copies of the grid's current plot row, each with every field of the row
// but under the next free FL_ID (FL_ID is the plot's key). The grid ends on the last copy.
// Returns the new FL_IDs; none when count is below 1.
std::vector<std::int64_t> replicate_plot_record(db::Connection& conn, db::Dataset& grid, int count);

// The values of a clipboard text: upper case, without blanks, one per line. A last line
// without a line break is a value too unless it holds nothing but blanks.
std::vector<std::string> clipboard_values(const std::string& clipboard);

// Writes the clipboard values into the column of the grid, one row after the other from the
// current row on; once the last row is reached, further values overwrite it. Nothing is
// pasted when the current row is the last one. A value that is not a number for a numeric
// column throws std::invalid_argument naming the column and the value before anything is
// written; an empty value clears a numeric field. Returns the number of values written.
int paste_plot_values(db::Connection& conn, db::Dataset& grid, const std::string& column,
                      const std::string& clipboard);

} // namespace workbench

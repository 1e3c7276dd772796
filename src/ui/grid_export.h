// grid_export.h --- a result grid copied into a new spreadsheet workbook.
#pragma once

#include "app/dialogs.h"
#include "db/dataset.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// Exports one grid: asks for the workbook's file name, writes the title row (the column
// titles, or the field names where titles are missing; every field of the grid, hidden
// ones too) and one row per data row with typed values, and opens the
// workbook with the desktop's spreadsheet application. A name without extension gets
// ".xlsx". Returns the file written; nothing when the user cancelled or the workbook could
// not be written (the error is shown, nothing is opened). The grid's cursor is left on its
// first row.
std::optional<std::filesystem::path> grid2excel(db::Dataset& grid, app::Dialogs& dialogs,
                                                const std::vector<std::string>& titles = {});

} // namespace ui

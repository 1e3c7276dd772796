// grid_export.cpp --- a result grid copied into a new spreadsheet workbook.
#include "ui/grid_export.h"

#include "app/desktop_open.h"
#include "app/xlsx_export.h"

#include <exception>

namespace ui {

std::optional<std::filesystem::path> grid2excel(db::Dataset& grid, app::Dialogs& dialogs,
                                                const std::vector<std::string>& titles) {
    const std::optional<std::string> name =
        dialogs.choose_save_file("==> xls", "Excel workbook|*.xlsx");
    if (!name || name->empty()) return std::nullopt;
    std::filesystem::path file(*name);
    if (!file.has_extension()) file += ".xlsx";
    try {
        std::vector<std::string> header = grid.field_names();
        for (std::size_t i = 0; i < header.size() && i < titles.size(); ++i)
            if (!titles[i].empty()) header[i] = titles[i];
        std::vector<std::vector<db::Value>> rows;
        rows.reserve(static_cast<std::size_t>(grid.record_count()));
        for (grid.first(); !grid.eof(); grid.next()) rows.push_back(grid.row());
        grid.first();
        app::write_xlsx(file, header, rows);
    } catch (const std::exception& e) {
        dialogs.show_error("==> xls", e.what());
        return std::nullopt;
    }
    app::open_with_desktop(file);
    return file;
}

} // namespace ui

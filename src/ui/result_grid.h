// result_grid.h --- a read-only result grid over the rows of an evaluation query, with its
// "==> xls" button that copies the grid into a spreadsheet workbook.
#pragma once

#include "app/dialogs.h"
#include "db/dataset.h"

#include <QString>
#include <filesystem>
#include <optional>
#include <string>

class QBoxLayout;
class QPushButton;
class QTableWidget;

namespace ui {

class ResultGrid {
public:
    // Adds the grid and, below it, its button to the layout; the button exports the grid.
    ResultGrid(QBoxLayout& layout, const QString& name, const QString& button_caption,
               app::Dialogs& dialogs);

    // Shows the rows: one column per field, titled by the field name, Null as empty cell.
    void show(db::Dataset rows);
    void clear() { show(db::Dataset()); }
    // Replaces the title of a column (by field name) where the grid has that field.
    void set_title(const std::string& field, const QString& title);
    // The "==> xls" button's work: the workbook written, nothing when none was.
    std::optional<std::filesystem::path> export_to_xlsx();

    db::Dataset& data() { return data_; }
    QTableWidget* table() const { return table_; }
    QPushButton* button() const { return button_; }
    void set_visible(bool visible);

private:
    app::Dialogs& dialogs_;
    db::Dataset data_;
    QTableWidget* table_ = nullptr;
    QPushButton* button_ = nullptr;
};

} // namespace ui

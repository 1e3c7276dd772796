// dataset_grid.h --- a grid over the rows of a data set: shows chosen fields under their
// titles, writes a cell the user changed into the table at once, and exports to a workbook.
#pragma once

#include "app/dialogs.h"
#include "db/dataset.h"

#include <QTableWidget>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace ui {

class DatasetGrid : public QTableWidget {
    Q_OBJECT
public:
    DatasetGrid(app::Dialogs& dialogs, const QString& name, QWidget* parent = nullptr);

    // Shows the visible rows of the data set. `fields`: the fields shown, in order (all when
    // empty); `titles`: column titles by field name; editing is allowed when the data set is
    // editable, except for `read_only` fields.
    void show_data(db::Dataset data, std::vector<std::string> fields = {},
                   std::map<std::string, QString> titles = {},
                   std::set<std::string> read_only = {});
    // Fields shown as check boxes (yes/no columns); they change by program only.
    void set_check_fields(std::set<std::string> fields) { check_fields_ = std::move(fields); }
    // Shows the rows again (after a filter change of data()).
    void refresh();
    // Detaches the grid from its table: no rows, no columns.
    void detach();

    db::Dataset& data() { return data_; }
    bool attached() const { return attached_; }
    // The field shown in a column.
    const std::string& field_of(int column) const {
        return fields_.at(static_cast<std::size_t>(column));
    }
    // Moves the data set to the row of the grid; false when the row does not exist.
    bool to_row(int row);
    // Changes a cell as the user would by typing: the value is written into the table in
    // one transaction. A text that is no number in a number column is refused with a message
    // naming the field; the cell shows the stored value again. Returns whether it was written.
    bool write_cell(int row, int column, const QString& text);
    // Exports the shown rows (all fields) into a workbook chosen by the user.
    std::optional<std::filesystem::path> export_to_xlsx();

private:
    void fill();
    void cell_changed(QTableWidgetItem* item);

    app::Dialogs& dialogs_;
    db::Dataset data_;
    std::vector<std::string> fields_;
    std::map<std::string, QString> titles_;
    std::set<std::string> read_only_;
    std::set<std::string> check_fields_;
    bool filling_ = false;
    bool attached_ = false;
};

} // namespace ui

// raw_table_panel.h --- below the plot grid of the raw table panel: the raw management and
// measurement rows of the plot chosen in the grid, a filter condition for the grid in
// front, and new rows that start from the row worked on.
#pragma once

#include "ui/entry_panel_support.h"

#include <QWidget>
#include <cstdint>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace ui {

class RawTablePanel : public QWidget {
    Q_OBJECT
public:
    // plots: the plot grid (field_description rows of the experiment) above the panel.
    RawTablePanel(EntryPanelEnvironment env, QTableWidget* plots, QWidget* parent = nullptr);

    // Shows the rows of the plot of the plot grid's current row (after the grid was filled).
    void show_plot_rows();
    // The plot the grids show; nothing when the plot grid has no current row.
    std::optional<std::int64_t> plot() const { return fl_id_; }

    QTabWidget* pages() const { return pages_; }
    QTableWidget* management_rows() const { return management_; }
    QTableWidget* measurement_rows() const { return measurements_; }
    QLineEdit* condition() const { return condition_; }
    QCheckBox* apply_filter() const { return apply_; }
    QCheckBox* keep_content() const { return keep_; }
    QPushButton* new_row_button() const { return new_row_; }

private:
    void refresh(bool with_condition);
    void add_row();

    EntryPanelEnvironment env_;
    QTableWidget* plots_;
    std::optional<std::int64_t> fl_id_;
    QTabWidget* pages_ = nullptr;
    QTableWidget *management_ = nullptr, *measurements_ = nullptr;
    QLineEdit* condition_ = nullptr;
    QCheckBox *apply_ = nullptr, *keep_ = nullptr;
    QPushButton* new_row_ = nullptr;
};

} // namespace ui

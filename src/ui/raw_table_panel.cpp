// raw_table_panel.cpp --- the raw management and measurement rows of a plot.
#include "ui/raw_table_panel.h"

#include "db/connection.h"
#include "ui/query_grid.h"
#include "workbench/raw_tables.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ui {
namespace {

const char* const default_condition = "1=1";

QTableWidget* make_rows_grid(const char* name) {
    auto* grid = new QTableWidget; // owned by the page it is put on
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->setVisible(false);
    return grid;
}

// The column of the grid with that title (without regard to case), -1 when none.
int column_of(const QTableWidget* grid, const QString& title) {
    for (int c = 0; c < grid->columnCount(); ++c)
        if (grid->horizontalHeaderItem(c) &&
            grid->horizontalHeaderItem(c)->text().compare(title, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

// A whole number of the grid's current row, the fallback when the cell is empty or absent.
std::int64_t current_number(const QTableWidget* grid, const char* column, std::int64_t fallback) {
    const int c = column_of(grid, column);
    const int r = grid->currentRow();
    if (c < 0 || r < 0 || !grid->item(r, c) || grid->item(r, c)->text().isEmpty()) return fallback;
    return grid->item(r, c)->text().toLongLong();
}

void select_last(QTableWidget* grid) {
    if (grid->rowCount() > 0) grid->setCurrentCell(grid->rowCount() - 1, 0);
}

} // namespace

RawTablePanel::RawTablePanel(EntryPanelEnvironment env, QTableWidget* plots, QWidget* parent)
    : QWidget(parent), env_(std::move(env)), plots_(plots) {
    setObjectName("raw_rows");
    const app::ProgramState& s = env_.state;
    auto* layout = new QVBoxLayout(this); // every widget below is owned by this panel
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(caption(s, "filter condition", "Filter")));
    condition_ = new QLineEdit(default_condition);
    condition_->setObjectName("filter_condition");
    bar->addWidget(condition_, 1);
    apply_ = new QCheckBox(caption(s, "apply filter", "Filter anwenden"));
    bar->addWidget(apply_);
    keep_ = new QCheckBox(caption(s, "keep content", "Inhalt behalten"));
    bar->addWidget(keep_);
    new_row_ = new QPushButton(caption(s, "new row", "neue &Zeile"));
    bar->addWidget(new_row_);
    layout->addLayout(bar);
    pages_ = new QTabWidget;
    management_ = make_rows_grid("raw_management");
    measurements_ = make_rows_grid("raw_measurements");
    pages_->addTab(management_, caption(s, "Management", "Bewirtschaftung"));
    pages_->addTab(measurements_, caption(s, "Observation", "Messwerte"));
    layout->addWidget(pages_);

    connect(plots_, &QTableWidget::currentCellChanged, this, [this] { show_plot_rows(); });
    connect(condition_, &QLineEdit::textEdited, this, [this] { apply_->setChecked(false); });
    connect(apply_, &QCheckBox::toggled, this, [this](bool on) { refresh(on); });
    connect(new_row_, &QPushButton::clicked, this, [this] { add_row(); });
}

void RawTablePanel::show_plot_rows() {
    fl_id_.reset();
    const int c = column_of(plots_, "FL_ID");
    const int r = plots_->currentRow();
    if (c >= 0 && r >= 0 && plots_->item(r, c)) fl_id_ = plots_->item(r, c)->text().toLongLong();
    apply_->setChecked(false);
    refresh(false);
}

// Both grids show the plot's rows; the one in front also the condition when it applies.
void RawTablePanel::refresh(bool with_condition) {
    management_->setRowCount(0);
    measurements_->setRowCount(0);
    new_row_->setEnabled(fl_id_.has_value());
    if (!fl_id_) return;
    run_entry(env_.dialogs, env_.state.language, "filter condition", [&] {
        db::Connection& conn = env_.connection();
        const std::string base = workbench::plot_rows_filter(*fl_id_);
        for (auto [grid, table] :
             {std::pair<QTableWidget*, const char*>{management_, "cultivation"},
              {measurements_, "measurements"}}) {
            std::string filter = base;
            if (with_condition && pages_->currentWidget() == grid)
                filter = workbench::checked_raw_filter(conn, table, base,
                                                       condition_->text().toStdString());
            show_query(*grid, conn, std::string("select * from ") + table + " where " + filter);
        }
    });
}

void RawTablePanel::add_row() {
    if (!fl_id_) return;
    const bool events = pages_->currentWidget() == management_;
    std::optional<workbench::RawMeasurement> keep;
    workbench::RawEvent start;
    if (events) {
        start = {current_number(management_, "Macode", 0), current_number(management_, "day", 1),
                 current_number(management_, "month", 1), current_number(management_, "year", 0),
                 current_number(management_, "Item_IX", -99)};
    } else if (keep_->isChecked()) {
        keep = workbench::RawMeasurement{
            current_number(measurements_, "M_IX", 0), current_number(measurements_, "day", 1),
            current_number(measurements_, "Month", 1), current_number(measurements_, "year", 0),
            current_number(measurements_, "year_number", 0)};
    }
    const bool added = run_entry(env_.dialogs, env_.state.language, "new row", [&] {
        db::Connection& conn = env_.connection();
        if (events)
            workbench::add_raw_event(conn, *fl_id_, start);
        else
            workbench::add_raw_measurement(conn, *fl_id_, keep);
    });
    if (!added) return;
    refresh(apply_->isChecked());
    select_last(events ? management_ : measurements_);
}

} // namespace ui

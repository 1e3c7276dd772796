// result_grid.cpp --- a read-only result grid with its "==> xls" button.
#include "ui/result_grid.h"

#include "db/shown_number.h"
#include "ui/grid_export.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <vector>

namespace ui {

ResultGrid::ResultGrid(QBoxLayout& layout, const QString& name, const QString& button_caption,
                       app::Dialogs& dialogs)
    : dialogs_(dialogs), table_(new QTableWidget), button_(new QPushButton(button_caption)) {
    table_->setObjectName(name);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    button_->setObjectName(name + "_xls");
    layout.addWidget(table_, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(button_);
    row->addStretch(1);
    layout.addLayout(row);
    QObject::connect(button_, &QPushButton::clicked, [this] { export_to_xlsx(); });
}

void ResultGrid::show(db::Dataset rows) {
    data_ = std::move(rows);
    table_->clear();
    table_->setColumnCount(data_.field_count());
    table_->setRowCount(data_.record_count());
    QStringList titles;
    for (const std::string& f : data_.field_names()) titles << QString::fromStdString(f);
    table_->setHorizontalHeaderLabels(titles);
    int r = 0;
    for (data_.first(); !data_.eof(); data_.next(), ++r)
        for (int c = 0; c < data_.field_count(); ++c) {
            const db::Value& v = data_.field(c);
            // Shown rounded; the copy to a spreadsheet takes the full values.
            auto* cell = new QTableWidgetItem(QString::fromStdString(
                v.is_real() ? db::format_shown(v.as_double()) : v.as_text()));
            if (v.is_number()) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, c, cell);
        }
    data_.first();
}

void ResultGrid::set_title(const std::string& field, const QString& title) {
    const int c = data_.field_index(field);
    if (c >= 0) table_->setHorizontalHeaderItem(c, new QTableWidgetItem(title));
}

std::optional<std::filesystem::path> ResultGrid::export_to_xlsx() {
    std::vector<std::string> titles;
    for (int c = 0; c < table_->columnCount(); ++c) {
        const QTableWidgetItem* h = table_->horizontalHeaderItem(c);
        titles.push_back(h ? h->text().toStdString() : std::string());
    }
    return grid2excel(data_, dialogs_, titles);
}

void ResultGrid::set_visible(bool visible) {
    table_->setVisible(visible);
    button_->setVisible(visible);
}

} // namespace ui

#include "ui/query_grid.h"

#include "db/dataset.h"

#include <QHeaderView>
#include <QTableWidget>

namespace ui {

void show_query(QTableWidget& grid, db::Connection& conn, const std::string& query) {
    db::Dataset rows = conn.open(query);
    grid.clear();
    grid.setColumnCount(rows.field_count());
    QStringList headers;
    for (const std::string& name : rows.field_names()) headers << QString::fromStdString(name);
    grid.setHorizontalHeaderLabels(headers);
    grid.setRowCount(rows.record_count());
    int r = 0;
    for (rows.first(); !rows.eof(); rows.next(), ++r) {
        for (int c = 0; c < rows.field_count(); ++c) {
            const db::Value& v = rows.field(c);
            auto item = std::make_unique<QTableWidgetItem>(
                v.is_null() ? QString() : QString::fromStdString(v.as_text()));
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            grid.setItem(r, c, item.release()); // the grid owns its items
        }
    }
    grid.resizeColumnsToContents();
}

} // namespace ui

// dataset_grid.cpp --- a grid over a data set, writing the user's changes at once.
#include "ui/dataset_grid.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "params/soil_profiles.h"
#include "ui/grid_export.h"

#include <QHeaderView>

namespace ui {
namespace {

// The value of a typed text: Null when empty; a number where the column holds numbers
// (InputError naming the field when it is none); else text.
db::Value typed_value(const std::string& field, const db::Value& before, const QString& text) {
    const std::string t = text.toStdString();
    if (text.trimmed().isEmpty()) return {};
    if (before.is_number()) return params::number_input(field, t);
    if (before.is_null()) {
        std::string n = t;
        for (char& ch : n)
            if (ch == ',') ch = '.';
        if (const auto v = db::parse_number(n)) return db::Value(*v);
    }
    return db::Value(t);
}

} // namespace

DatasetGrid::DatasetGrid(app::Dialogs& dialogs, const QString& name, QWidget* parent)
    : QTableWidget(parent), dialogs_(dialogs) {
    setObjectName(name);
    verticalHeader()->setDefaultSectionSize(20);
    horizontalHeader()->setStretchLastSection(true);
    connect(this, &QTableWidget::itemChanged, this, &DatasetGrid::cell_changed);
}

void DatasetGrid::show_data(db::Dataset data, std::vector<std::string> fields,
                            std::map<std::string, QString> titles,
                            std::set<std::string> read_only) {
    data_ = std::move(data);
    fields_ = fields.empty() ? data_.field_names() : std::move(fields);
    titles_ = std::move(titles);
    read_only_ = std::move(read_only);
    attached_ = true;
    fill();
}

void DatasetGrid::refresh() {
    fill();
}

void DatasetGrid::detach() {
    data_ = db::Dataset();
    fields_.clear();
    attached_ = false;
    fill();
}

void DatasetGrid::fill() {
    filling_ = true;
    clear();
    setColumnCount(static_cast<int>(fields_.size()));
    setRowCount(data_.record_count());
    QStringList headers;
    for (const std::string& f : fields_) {
        const auto t = titles_.find(f);
        headers << (t != titles_.end() ? t->second : QString::fromStdString(f));
    }
    setHorizontalHeaderLabels(headers);
    int r = 0;
    for (data_.first(); !data_.eof(); data_.next(), ++r)
        for (int c = 0; c < static_cast<int>(fields_.size()); ++c) {
            const std::string& f = fields_[static_cast<std::size_t>(c)];
            const db::Value& v = data_.field(f);
            auto cell = std::make_unique<QTableWidgetItem>(QString::fromStdString(v.as_text()));
            if (v.is_number()) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!data_.editable() || read_only_.count(f))
                cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
            if (check_fields_.count(f)) {
                cell->setText({});
                cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                cell->setCheckState(v.as_bool() ? Qt::Checked : Qt::Unchecked);
            }
            setItem(r, c, cell.release()); // the grid owns its cells
        }
    data_.first();
    resizeColumnsToContents();
    filling_ = false;
}

bool DatasetGrid::to_row(int row) {
    if (row < 0 || row >= data_.record_count()) return false;
    data_.move_to(row);
    return true;
}

bool DatasetGrid::write_cell(int row, int column, const QString& text) {
    if (!to_row(row) || column < 0 || column >= static_cast<int>(fields_.size())) return false;
    const std::string& f = fields_[static_cast<std::size_t>(column)];
    if (!data_.editable() || read_only_.count(f)) return false;
    const db::Value before = data_.field(f);
    try {
        const db::Value v = typed_value(f, before, text);
        data_.edit();
        data_.set_field(f, v);
        data_.post(); // one statement: its own transaction
    } catch (const std::exception& e) {
        data_.cancel();
        dialogs_.show_error("not saved", e.what());
        filling_ = true;
        if (QTableWidgetItem* cell = item(row, column))
            cell->setText(QString::fromStdString(before.as_text()));
        filling_ = false;
        return false;
    }
    filling_ = true;
    if (QTableWidgetItem* cell = item(row, column))
        cell->setText(QString::fromStdString(data_.field(f).as_text()));
    filling_ = false;
    return true;
}

void DatasetGrid::cell_changed(QTableWidgetItem* cell) {
    if (filling_ || !cell) return;
    write_cell(cell->row(), cell->column(), cell->text());
}

std::optional<std::filesystem::path> DatasetGrid::export_to_xlsx() {
    std::vector<std::string> titles;
    for (const std::string& f : data_.field_names()) {
        const auto t = titles_.find(f);
        titles.push_back(t != titles_.end() ? t->second.toStdString() : f);
    }
    return grid2excel(data_, dialogs_, titles);
}

} // namespace ui

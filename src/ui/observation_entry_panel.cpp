// observation_entry_panel.cpp --- the measurement form beside the measurement list.
#include "ui/observation_entry_panel.h"

#include "db/connection.h"
#include "workbench/measurement_entry.h"
#include "workbench/workbench_texts.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ui {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

// The list's menu entry: show one property, or all again while one is shown.
QString ObservationEntryPanel::property_filter_caption(bool one_shown) const {
    return one_shown
               ? caption(env_.state, "&show all properties", "&alle Eigenschaften zeigen")
               : caption(env_.state, "&show this property only", "nur diese &Eigenschaft zeigen");
}

void InitialValueBox::mousePressEvent(QMouseEvent* event) {
    if (event->modifiers() & Qt::ShiftModifier) unlocked_ = true;
    QCheckBox::mousePressEvent(event);
}

void InitialValueBox::nextCheckState() {
    if (unlocked_) QCheckBox::nextCheckState();
}

ObservationEntryPanel::ObservationEntryPanel(EntryPanelEnvironment env, QTableWidget* list,
                                             QWidget* parent)
    : QWidget(parent), env_(std::move(env)), list_(list) {
    setObjectName("observation_entry");
    const app::ProgramState& s = env_.state;
    auto* layout = new QVBoxLayout(this); // every widget below is owned by this panel
    layout->setContentsMargins(0, 0, 0, 0);
    auto* group = new QGroupBox(caption(s, "edit data", "Bodenuntersuchung"));
    auto* form = new QFormLayout(group);
    date_ = new QDateEdit(QDate::currentDate());
    date_->setDisplayFormat("dd.MM.yyyy");
    date_->setCalendarPopup(true);
    form->addRow(caption(s, "sampling date", "Datum"), date_);
    property_ = new QComboBox;
    property_->setObjectName("property_list");
    form->addRow(caption(s, "property", "Merkmal"), property_);
    value_ = new QLineEdit;
    value_->setObjectName("mwert");
    unit_ = new QLabel;
    auto* value_row = new QHBoxLayout;
    value_row->addWidget(value_);
    value_row->addWidget(unit_);
    form->addRow(caption(s, "value", "Wert"), value_row);
    variance_ = new QLineEdit;
    variance_->setObjectName("vrnz");
    form->addRow(caption(s, "variance (optional)", "Varianz (optional)"), variance_);
    initial_ = new InitialValueBox(caption(s, "initial value", "als Startwert"));
    initial_->setToolTip("Shift-click to change");
    form->addRow(initial_);
    insert_ = new QRadioButton(caption(s, "Insert Record", "Messwert einfügen"));
    overwrite_ = new QRadioButton(caption(s, "Overwrite Record", "Messwert überschreiben"));
    insert_->setChecked(true);
    form->addRow(insert_);
    form->addRow(overwrite_);
    save_ = new QPushButton;
    save_->setObjectName("observation_save");
    delete_ = new QPushButton(caption(s, "delete record", "Satz &Löschen"));
    delete_->setObjectName("observation_delete");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save_);
    buttons->addWidget(delete_);
    form->addRow(buttons);
    layout->addWidget(group);
    layout->addStretch();

    menu_ = new QMenu(this);
    only_property_ = menu_->addAction(property_filter_caption(false));
    connect(only_property_, &QAction::triggered, this, [this] { toggle_property_filter(); });
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu_->popup(list_->viewport()->mapToGlobal(at)); });
    list_->installEventFilter(this);

    connect(list_, &QTableWidget::currentCellChanged, this, [this] { row_changed(); });
    connect(property_, &QComboBox::currentIndexChanged, this, [this](int i) {
        unit_->setText(i >= 0 && i < static_cast<int>(properties_.size())
                           ? qs(properties_[static_cast<std::size_t>(i)].unit)
                           : QString());
    });
    connect(insert_, &QRadioButton::toggled, this, [this] { mode_changed(); });
    connect(save_, &QPushButton::clicked, this, [this] { save(); });
    connect(delete_, &QPushButton::clicked, this, [this] { remove(); });
    mode_changed();
}

bool ObservationEntryPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        remove();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ObservationEntryPanel::load_lists(db::Connection& conn) {
    properties_ = workbench::load_properties(conn);
    property_->clear();
    for (const workbench::Property& p : properties_)
        property_->addItem(qs(p.name), QVariant::fromValue<qlonglong>(p.m_ix));
}

void ObservationEntryPanel::set_rows(std::int64_t fl_id,
                                     std::vector<workbench::MeasurementRow> rows) {
    const int position = list_->currentRow();
    fl_id_ = fl_id;
    rows_ = std::move(rows);
    apply_filter();
    const int select = row_after_reload(
        rows_, [](const workbench::MeasurementRow& r) { return r.meas_id; }, select_after_reload_,
        reselect_, position);
    select_after_reload_ = -1;
    reselect_ = false;
    if (select >= 0) list_->setCurrentCell(select, 0);
    row_changed();
}

const workbench::MeasurementRow* ObservationEntryPanel::current_row() const {
    const int r = list_->currentRow();
    if (r < 0 || r >= static_cast<int>(rows_.size()) || list_->isRowHidden(r)) return nullptr;
    return &rows_[static_cast<std::size_t>(r)];
}

void ObservationEntryPanel::row_changed() {
    if (const workbench::MeasurementRow* row = current_row()) {
        const workbench::MeasurementForm f = workbench::measurement_row_change(*row, false);
        initial_->setChecked(f.initial_value);
        if (const auto d = picker_date(f.date)) date_->setDate(*d);
        property_->setCurrentIndex(property_->findData(QVariant::fromValue<qlonglong>(f.property)));
        if (f.insert_mode) (*f.insert_mode ? insert_ : overwrite_)->setChecked(true);
        value_->setText(qs(f.value));
        variance_->setText(qs(f.variance));
    }
    mode_changed();
}

void ObservationEntryPanel::mode_changed() {
    const bool has_row = current_row() != nullptr;
    if (!has_row && overwrite_->isChecked()) insert_->setChecked(true);
    overwrite_->setEnabled(has_row);
    delete_->setEnabled(has_row);
    save_->setText(insert_->isChecked() ? caption(env_.state, "insert", "&Einfügen")
                                        : caption(env_.state, "update", "&Aktualisieren"));
    save_->setEnabled(fl_id_ != 0);
}

void ObservationEntryPanel::save() {
    const workbench::MeasurementRow* row = current_row();
    const bool overwrite = overwrite_->isChecked() && row;
    const std::string title = caption(env_.state, "edit data", "Bodenuntersuchung").toStdString();
    workbench::MeasurementInput m;
    m.fl_id = fl_id_;
    m.date = calendar_date(date_->date());
    m.property = property_->currentData().toLongLong();
    m.value = value_->text().toStdString();
    m.variance = variance_->text().toStdString();
    m.initial_value = initial_->isChecked();
    std::int64_t saved = -1;
    run_entry(env_.dialogs, env_.state.language, title, [&] {
        db::Connection& c = env_.connection();
        if (overwrite) {
            workbench::overwrite_measurement(c, m, row->meas_id);
            saved = row->meas_id;
            return;
        }
        const workbench::MeasurementValues v = workbench::check_measurement(c, m);
        if (workbench::same_measurement_exists(c, fl_id_, v) &&
            !env_.dialogs.ask_yes_no(title, "The plot has a measurement of this property on "
                                            "this date already. Enter it once more?"))
            return;
        saved = workbench::insert_measurement(c, m);
    });
    if (saved < 0) return;
    initial_->setChecked(false);
    initial_->lock();
    select_after_reload_ = saved;
    reselect_ = true;
    env_.reload();
    insert_->setChecked(true);
}

void ObservationEntryPanel::remove() {
    const workbench::MeasurementRow* row = current_row();
    if (!row) return;
    const std::string& language = env_.state.language;
    std::string question = "Delete the measurement of " + row->tag.as_text() + "." +
                           row->mon.as_text() + "." + row->datum.as_text() + " (" +
                           workbench::property_name(properties_, row->m_ix) + " " +
                           row->m_wert.as_text() + ")?";
    if (row->year_number == 0)
        question += " It is an initial value of the plot: without the initial organic carbon "
                    "value the plot cannot be run.";
    if (!env_.dialogs.ask_yes_no(workbench::confirm_caption(language), question)) return;
    const std::int64_t id = row->meas_id;
    if (!run_entry(env_.dialogs, language, "delete record",
                   [&] { workbench::delete_measurement(env_.connection(), fl_id_, id); }))
        return;
    reselect_ = true;
    env_.reload();
}

void ObservationEntryPanel::toggle_property_filter() {
    if (only_m_ix_) {
        only_m_ix_.reset();
    } else {
        const workbench::MeasurementRow* row = current_row();
        if (!row) return;
        only_m_ix_ = row->m_ix;
    }
    only_property_->setText(property_filter_caption(only_m_ix_.has_value()));
    apply_filter();
}

void ObservationEntryPanel::apply_filter() {
    for (std::size_t r = 0; r < rows_.size() && static_cast<int>(r) < list_->rowCount(); ++r)
        list_->setRowHidden(static_cast<int>(r), only_m_ix_ && rows_[r].m_ix != *only_m_ix_);
    if (list_->currentRow() >= 0 && list_->isRowHidden(list_->currentRow()))
        list_->setCurrentCell(-1, -1);
    mode_changed();
}

} // namespace ui

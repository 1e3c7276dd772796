// management_entry_panel.cpp --- the management form beside the management list.
#include "ui/management_entry_panel.h"

#include "db/connection.h"
#include "workbench/workbench_texts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace ui {
namespace {

constexpr int amount_column = 5; // ORIGWERT in the management list

struct FilterCaption {
    workbench::EventFilter filter;
    const char *english, *german;
};
constexpr std::array<FilterCaption, 5> filter_captions = {{
    {workbench::EventFilter::all, "all", "Alles"},
    {workbench::EventFilter::harvest, "harvest", "Ernte"},
    {workbench::EventFilter::amendment, "org.amendment", "org.Dünger"},
    {workbench::EventFilter::fertiliser, "N fertilizer", "min.N-Dng."},
    {workbench::EventFilter::tillage, "soil tillage", "Bodenbearbeitung"},
}};

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

ManagementEntryPanel::ManagementEntryPanel(EntryPanelEnvironment env, QTableWidget* list,
                                           QLineEdit* share, QWidget* parent)
    : QWidget(parent), env_(std::move(env)), list_(list), share_(share) {
    setObjectName("management_entry");
    const app::ProgramState& s = env_.state;
    auto* layout = new QVBoxLayout(this); // every widget below is owned by this panel
    layout->setContentsMargins(0, 0, 0, 0);
    auto* group = new QGroupBox(caption(s, "Management Event", "Maßnahme"));
    auto* form = new QFormLayout(group);
    date_ = new QDateEdit(QDate::currentDate());
    date_->setDisplayFormat("dd.MM.yyyy");
    date_->setCalendarPopup(true);
    form->addRow(caption(s, "date", "Datum"), date_);
    action_ = new QComboBox;
    action_->setObjectName("action_list");
    form->addRow(caption(s, "action", "Aktion"), action_);
    item_ = new QComboBox;
    item_->setObjectName("item_list");
    item_->setContextMenuPolicy(Qt::CustomContextMenu);
    form->addRow(caption(s, "item", "Objekt"), item_);
    amount_ = new QLineEdit;
    amount_->setObjectName("Edit1");
    unit_label_ = new QLabel;
    unit_label_->setObjectName("Label2");
    auto* amount_row = new QHBoxLayout;
    amount_row->addWidget(amount_);
    amount_row->addWidget(unit_label_);
    form->addRow(caption(s, "amount", "Menge"), amount_row);
    default_label_ = new QLabel;
    default_label_->setObjectName("Label4");
    form->addRow(default_label_);
    value_label_ = new QLabel;
    value_label_->setObjectName("Label3");
    non_default_ = new QLabel(caption(s, "non default", "abweichend"));
    non_default_->setObjectName("Label26");
    non_default_->hide();
    auto* value_row = new QHBoxLayout;
    value_row->addWidget(value_label_);
    value_row->addWidget(non_default_);
    form->addRow(value_row);
    insert_ = new QRadioButton(caption(s, "Insert Record", "Satz einfügen"));
    overwrite_ = new QRadioButton(caption(s, "Overwrite Record", "Satz überschreiben"));
    insert_->setChecked(true);
    form->addRow(insert_);
    form->addRow(overwrite_);
    save_ = new QPushButton;
    save_->setObjectName("management_save");
    delete_ = new QPushButton(caption(s, "delete record", "Satz &Löschen"));
    delete_->setObjectName("management_delete");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save_);
    buttons->addWidget(delete_);
    form->addRow(buttons);
    layout->addWidget(group);

    auto* filters = new QGroupBox(caption(s, "filter", "Filter"));
    auto* filter_layout = new QVBoxLayout(filters);
    for (const FilterCaption& f : filter_captions) {
        auto* b = new QRadioButton(caption(s, f.english, f.german));
        filters_[static_cast<std::size_t>(f.filter)] = b;
        filter_layout->addWidget(b);
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on) apply_filter();
        });
    }
    filters_[0]->setChecked(true);
    layout->addWidget(filters);
    layout->addStretch();

    connect(list_, &QTableWidget::currentCellChanged, this, [this] { row_changed(); });
    connect(list_, &QTableWidget::cellClicked, this, [this](int, int column) {
        if (column != amount_column) amount_->setFocus();
    });
    connect(action_, &QComboBox::activated, this,
            [this] { choose_action(action_->currentData().toLongLong()); });
    connect(item_, &QComboBox::activated, this, [this] {
        const std::int64_t code = action_->currentData().toLongLong();
        if (code != 21 && code != 22) amount_->clear();
    });
    connect(item_, &QWidget::customContextMenuRequested, this, [this] { press_on_items(); });
    connect(amount_, &QLineEdit::textEdited, this, [this] { non_default_->hide(); });
    connect(share_, &QLineEdit::textEdited, this, [this] { non_default_->show(); });
    connect(insert_, &QRadioButton::toggled, this, [this] { mode_changed(); });
    connect(save_, &QPushButton::clicked, this, [this] { save(); });
    connect(delete_, &QPushButton::clicked, this, [this] { remove(); });
    mode_changed();
}

void ManagementEntryPanel::load_lists(db::Connection& conn, const workbench::ActionList& actions) {
    actions_ = actions;
    items_ = workbench::load_items(conn, workbench::selected_items_statement());
    action_->clear();
    for (const workbench::Action& a : actions_)
        action_->addItem(qs(a.name), QVariant::fromValue<qlonglong>(a.id));
    item_kind_shown_.reset();
    item_->clear();
}

void ManagementEntryPanel::set_rows(std::int64_t fl_id,
                                    std::vector<workbench::ManagementRow> rows) {
    const int position = list_->currentRow();
    fl_id_ = fl_id;
    rows_ = std::move(rows);
    apply_filter();
    const int select = row_after_reload(
        rows_, [](const workbench::ManagementRow& r) { return r.cultivation_id; },
        select_after_reload_, reselect_, position);
    select_after_reload_ = -1;
    reselect_ = false;
    if (select >= 0) list_->setCurrentCell(select, 0);
    row_changed();
}

const workbench::ManagementRow* ManagementEntryPanel::current_row() const {
    const int r = list_->currentRow();
    if (r < 0 || r >= static_cast<int>(rows_.size()) || list_->isRowHidden(r)) return nullptr;
    return &rows_[static_cast<std::size_t>(r)];
}

void ManagementEntryPanel::row_changed() {
    if (const workbench::ManagementRow* row = current_row()) {
        const workbench::ManagementForm f = workbench::management_row_change(*row, actions_);
        overwrite_->setChecked(true);
        choose_action(f.action);
        if (const auto d = picker_date(f.date)) date_->setDate(*d);
        amount_->setText(qs(f.amount));
        share_->setText(qs(f.second_value));
        select_item(f.item_key);
        non_default_->setVisible(f.non_default);
    }
    mode_changed();
}

void ManagementEntryPanel::choose_action(std::int64_t code) {
    action_->setCurrentIndex(action_->findData(QVariant::fromValue<qlonglong>(code)));
    const workbench::ActionChoice choice = workbench::choose_action(code);
    show_choice(choice);
    const workbench::Action* a = workbench::find_action(actions_, code);
    unit_label_->setText(a ? qs(a->unit) : QString());
    default_label_->setText(a ? qs(a->default_intensity) : QString());
    if (choice.amount_placeholder) amount_->setText("-99");
    item_->setCurrentIndex(-1);
}

void ManagementEntryPanel::show_choice(const workbench::ActionChoice& choice) {
    fill_items(choice.item_filter);
    item_->setVisible(choice.item_list_visible);
    for (QWidget* w : {static_cast<QWidget*>(amount_), static_cast<QWidget*>(unit_label_),
                       static_cast<QWidget*>(default_label_)})
        w->setVisible(choice.amount_visible);
    share_->setEnabled(choice.second_value_enabled);
    value_label_->setText(qs(choice.value_label));
}

void ManagementEntryPanel::fill_items(std::optional<std::int64_t> kind) {
    if (item_->count() > 0 && kind && item_kind_shown_ == kind) return;
    item_kind_shown_ = kind;
    item_->clear();
    for (const workbench::Item& i : items_)
        if (!kind || i.kind == *kind)
            item_->addItem(qs(i.item), QVariant::fromValue<qlonglong>(i.ix));
}

void ManagementEntryPanel::select_item(std::int64_t key) {
    item_->setCurrentIndex(item_->findData(QVariant::fromValue<qlonglong>(key)));
}

void ManagementEntryPanel::mode_changed() {
    const bool has_row = current_row() != nullptr;
    if (!has_row && overwrite_->isChecked()) insert_->setChecked(true);
    overwrite_->setEnabled(has_row);
    delete_->setEnabled(has_row);
    const bool insert = insert_->isChecked();
    save_->setText(insert ? caption(env_.state, "insert", "&Einfügen")
                          : caption(env_.state, "update", "&Aktualisieren"));
    save_->setEnabled(fl_id_ != 0);
}

workbench::EventForm ManagementEntryPanel::form() const {
    workbench::EventForm f;
    f.fl_id = fl_id_;
    f.date = calendar_date(date_->date());
    f.action = action_->currentData().toLongLong();
    if (item_->currentIndex() >= 0) f.item_key = item_->currentData().toLongLong();
    f.amount = amount_->text().toStdString();
    f.share = share_->text().toStdString();
    return f;
}

void ManagementEntryPanel::save() {
    const workbench::ManagementRow* row = current_row();
    const bool overwrite = overwrite_->isChecked() && row;
    const std::string title = caption(env_.state, "Management Event", "Maßnahme").toStdString();
    const bool regional = env_.state.regional_mode;
    std::int64_t saved = -1;
    run_entry(env_.dialogs, env_.state.language, title, [&] {
        db::Connection& c = env_.connection();
        const workbench::EventForm f = form();
        if (overwrite) {
            workbench::overwrite_event(c, f, row->cultivation_id, items_, regional);
            saved = row->cultivation_id;
            return;
        }
        const workbench::EventValues v = workbench::check_event(c, f, items_, regional);
        if (workbench::same_event_exists(c, fl_id_, v) &&
            !env_.dialogs.ask_yes_no(title, "The plot has this event (date, action and item) "
                                            "already. Enter it once more?"))
            return;
        saved = workbench::insert_event(c, f, items_, regional);
    });
    if (saved < 0) return;
    select_after_reload_ = saved;
    reselect_ = true;
    env_.reload();
    (overwrite ? overwrite_ : insert_)->setChecked(true);
}

void ManagementEntryPanel::remove() {
    const workbench::ManagementRow* row = current_row();
    if (!row) return;
    const std::string& language = env_.state.language;
    const std::string what = row->tag.as_text() + "." + row->mon.as_text() + "." +
                             row->datum.as_text() + " " + row->calculated.aktion + " " +
                             row->calculated.subjekt;
    if (!env_.dialogs.ask_yes_no(workbench::confirm_caption(language),
                                 "Delete the event " + what + "?"))
        return;
    const std::int64_t id = row->cultivation_id;
    if (!run_entry(env_.dialogs, language, "delete record",
                   [&] { workbench::delete_event(env_.connection(), fl_id_, id); }))
        return;
    reselect_ = true; // the row now at the same position
    env_.reload();
}

void ManagementEntryPanel::apply_filter() {
    workbench::EventFilter filter = workbench::EventFilter::all;
    for (const FilterCaption& f : filter_captions)
        if (filters_[static_cast<std::size_t>(f.filter)]->isChecked()) filter = f.filter;
    for (std::size_t r = 0; r < rows_.size() && static_cast<int>(r) < list_->rowCount(); ++r)
        list_->setRowHidden(static_cast<int>(r), !workbench::passes(filter, rows_[r].macode));
    if (list_->currentRow() >= 0 && list_->isRowHidden(list_->currentRow()))
        list_->setCurrentCell(-1, -1);
    mode_changed();
}

void ManagementEntryPanel::press_on_items() {
    const std::int64_t code = action_->currentData().toLongLong();
    const std::int64_t kind = code == 2 || code == 9 ? workbench::crop_kind
                              : code == 3            ? workbench::amendment_kind
                                                     : 0;
    if (kind == 0 || item_->currentIndex() < 0) return;
    const std::int64_t item_ix = item_->currentData().toLongLong() - workbench::kind_factor * kind;
    if (item_view_)
        item_view_(kind, item_ix);
    else
        env_.dialogs.show_message(kind == workbench::crop_kind ? "crop parameters"
                                                               : "amendment parameters",
                                  "not part of this version yet");
}

} // namespace ui

#include "ui/data_transfer_window.h"

#include "ui/close_on_escape.h"
#include "ui/query_grid.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

namespace ui {
namespace {

// Every widget below is created with a parent that owns it, as Qt does.
template <class W, class... A> W* owned(QWidget* parent, A&&... args) {
    auto w = std::make_unique<W>(std::forward<A>(args)..., parent);
    return w.release();
}

struct Captions {
    const char *window, *select, *copy, *go_on, *end, *all, *none, *invert, *no_wait, *source,
        *destination, *messages, *no_destination;
};

const Captions english{"data transfer",
                       "select destination",
                       "copy",
                       "go on",
                       "end",
                       "all",
                       "none",
                       "invert",
                       "no wait on key check",
                       "plots of the source",
                       "plots of the destination",
                       "messages",
                       "no destination selected"};
const Captions german{"Datentransfer",
                      "Ziel wählen",
                      "kopieren",
                      "weiter",
                      "Ende",
                      "alle",
                      "keine",
                      "umkehren",
                      "ohne Halt bei der Schlüsselprüfung",
                      "Flächen der Quelle",
                      "Flächen des Ziels",
                      "Meldungen",
                      "kein Ziel gewählt"};

QPushButton* add_button(QWidget* parent, QBoxLayout* row, const char* name, const char* text) {
    auto* b = owned<QPushButton>(parent, QString::fromUtf8(text));
    b->setObjectName(name);
    row->addWidget(b);
    return b;
}

} // namespace

Tfrmbdedatatrans::Tfrmbdedatatrans(std::optional<db::Connection>& connection, app::Dialogs& dialogs,
                                   const std::string& language, QWidget* parent)
    : QWidget(parent), session_(connection, dialogs), dialogs_(dialogs) {
    const Captions& t = language == "D" ? german : english;
    setObjectName("Tfrmbdedatatrans");
    close_on_escape(this);
    setWindowTitle(QString::fromUtf8(t.window));
    auto* layout = new QGridLayout(this); // owned by the window, as every widget below

    auto* left = new QVBoxLayout();
    layout->addLayout(left, 0, 0); // the layout takes it
    left->addWidget(owned<QLabel>(this, QString::fromUtf8(t.source)));
    plots_ = owned<QListWidget>(this);
    plots_->setObjectName("plot_list");
    left->addWidget(plots_, 1);
    auto* checks = new QHBoxLayout();
    left->addLayout(checks);
    all_ = add_button(this, checks, "all", t.all);
    none_ = add_button(this, checks, "none", t.none);
    invert_ = add_button(this, checks, "invert", t.invert);
    no_wait_ = owned<QCheckBox>(this, QString::fromUtf8(t.no_wait));
    left->addWidget(no_wait_);

    auto* right = new QVBoxLayout();
    layout->addLayout(right, 0, 1);
    auto* top = new QHBoxLayout();
    right->addLayout(top);
    select_ = add_button(this, top, "select_destination", t.select);
    destination_ = owned<QLabel>(this, QString::fromUtf8(t.no_destination));
    destination_->setWordWrap(true);
    top->addWidget(destination_, 1);
    right->addWidget(owned<QLabel>(this, QString::fromUtf8(t.destination)));
    grid_ = owned<QTableWidget>(this);
    right->addWidget(grid_, 1);
    right->addWidget(owned<QLabel>(this, QString::fromUtf8(t.messages)));
    messages_ = owned<QListWidget>(this);
    messages_->setObjectName("message_list");
    right->addWidget(messages_, 1);

    auto* bottom = new QHBoxLayout();
    layout->addLayout(bottom, 1, 0, 1, 2);
    bottom->addStretch(1);
    copy_ = add_button(this, bottom, "copy", t.copy);
    go_on_ = add_button(this, bottom, "go_on", t.go_on);
    end_ = add_button(this, bottom, "end", t.end);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 3);
    resize(820, 560);

    for (QPushButton* b : {all_, none_, invert_})
        connect(b, &QPushButton::clicked, this, [this, b] { press_check(b->objectName()); });
    connect(select_, &QPushButton::clicked, this, [this] { press_select_destination(); });
    connect(copy_, &QPushButton::clicked, this, [this] { press_copy(); });
    connect(go_on_, &QPushButton::clicked, this, [this] { press_go_on(); });
    connect(end_, &QPushButton::clicked, this, [this] { close(); });
    connect(messages_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { activate_message(messages_->row(item)); });
    refresh();
}

QPushButton* Tfrmbdedatatrans::button(const std::string& name) const {
    for (QPushButton* b : {select_, copy_, go_on_, end_, all_, none_, invert_})
        if (b->objectName().toStdString() == name) return b;
    return nullptr;
}

// Errors are shown with their message; the window stays usable.
template <class F> void Tfrmbdedatatrans::guarded(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        session_.stop();
        dialogs_.show_error("data transfer", e.what());
    }
    refresh();
}

void Tfrmbdedatatrans::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    guarded([&] { fill_plot_list(); });
}

void Tfrmbdedatatrans::closeEvent(QCloseEvent* event) {
    session_.stop(); // a wait for "go on" ends with the window; nothing is moved
    session_.close_destination();
    destination_->setText(QString::fromUtf8(
        windowTitle() == "Datentransfer" ? german.no_destination : english.no_destination));
    refresh();
    QWidget::closeEvent(event);
}

void Tfrmbdedatatrans::fill_plot_list() {
    plots_->clear();
    for (const std::string& line : session_.plot_lines()) {
        auto* item = new QListWidgetItem(QString::fromStdString(line), plots_); // list owns it
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void Tfrmbdedatatrans::press_check(const QString& caption) {
    for (int i = 0; i < plots_->count(); ++i) {
        QListWidgetItem* item = plots_->item(i);
        const bool on = caption == "all"    ? true
                        : caption == "none" ? false
                                            : item->checkState() != Qt::Checked;
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
}

void Tfrmbdedatatrans::press_select_destination() {
    const auto file = dialogs_.choose_file("select destination",
                                           "experiment database|*.db;*.sqlite;*.mdb;*.accdb");
    if (!file) return;
    guarded([&] {
        session_.select_destination(*file);
        destination_->setText(
            QString::fromStdString(*file + "\nbackup: " + session_.backup().filename().string()));
    });
}

void Tfrmbdedatatrans::press_copy() {
    if (session_.waiting()) return;
    if (!session_.connected()) press_select_destination();
    if (!session_.connected()) return;
    std::vector<std::int64_t> plots;
    for (int i = 0; i < plots_->count(); ++i)
        if (plots_->item(i)->checkState() == Qt::Checked)
            plots.push_back(
                transfer::TransferSession::plot_key(plots_->item(i)->text().toStdString()));
    guarded([&] { session_.copy(plots, !no_wait_->isChecked()); });
}

void Tfrmbdedatatrans::press_go_on() {
    guarded([&] { session_.go_on(); });
}

void Tfrmbdedatatrans::activate_message(int row) {
    if (row < 0) return;
    guarded([&] { session_.activate_line(static_cast<std::size_t>(row)); });
}

// While the session waits for "go on", only the lists, "go on" and "end" answer: the
// wait is modal to everything that starts or changes a transfer.
void Tfrmbdedatatrans::refresh() {
    const bool waiting = session_.waiting();
    for (QWidget* w :
         std::initializer_list<QWidget*>{select_, copy_, all_, none_, invert_, no_wait_, plots_})
        w->setEnabled(!waiting);
    go_on_->setEnabled(waiting);
    messages_->clear();
    for (const std::string& m : session_.messages()) messages_->addItem(QString::fromStdString(m));
    if (!session_.connected()) {
        grid_->setRowCount(0);
        grid_->setColumnCount(0);
    } else {
        try {
            show_query(*grid_, session_.destination(), transfer::destination_plots_query);
        } catch (const std::exception& e) {
            grid_->clear();
            messages_->addItem(QString::fromStdString(e.what()));
        }
    }
}

} // namespace ui

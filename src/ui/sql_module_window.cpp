#include "ui/sql_module_window.h"

#include "ui/busy_cursor.h"
#include "ui/close_on_escape.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <stdexcept>

namespace ui {
namespace {

constexpr const char* caption = "SQL - module";
constexpr const char* script_filter = "sql - files|*.sql";

// Every widget below is created with a parent that owns it, as Qt does.
template <class W, class... A> W* owned(QWidget* parent, A&&... args) {
    auto w = std::make_unique<W>(std::forward<A>(args)..., parent);
    return w.release();
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string summary(const db::ScriptResult& r, bool german) {
    std::string text = std::to_string(r.statements_run) +
                       (german ? " Anweisung(en) ausgeführt" : " statement(s) run");
    if (r.rows)
        text += german ? ", " + std::to_string(r.rows->record_count()) + " Zeile(n) im Ergebnis"
                       : ", " + std::to_string(r.rows->record_count()) + " row(s) in the result";
    text += ".";
    for (const db::IgnoredFailure& f : r.ignored)
        text += (german ? "\nFehler übergangen, Zeile " : "\nFailure ignored, line ") +
                std::to_string(f.line) + ": " + f.message + " (" + f.statement + ")";
    return text;
}

} // namespace

Tsql_form::Tsql_form(std::optional<db::Connection>& connection, app::Dialogs& dialogs,
                     const std::string& language, QWidget* parent)
    : QWidget(parent), connection_(connection), dialogs_(dialogs), german_(language == "D") {
    setObjectName("Tsql_form");
    close_on_escape(this);
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this); // owned by the window
    pages_ = owned<QTabWidget>(this);
    pages_->addTab(make_script_page(), "sql code");
    pages_->addTab(make_result_page(), "result data set");
    layout->addWidget(pages_, 1);
    messages_ = owned<QPlainTextEdit>(this);
    messages_->setObjectName("messages");
    messages_->setReadOnly(true);
    messages_->setMaximumHeight(fontMetrics().lineSpacing() * 5);
    layout->addWidget(messages_);
    show_history();
    show_parameters();
    if (german_) apply_german_captions();
    resize(900, 600);
}

Tsql_form::~Tsql_form() = default;

QWidget* Tsql_form::make_script_page() {
    auto* page = owned<QWidget>(this);
    auto* layout = new QVBoxLayout(page);
    auto* bar = new QHBoxLayout;
    layout->addLayout(bar);
    for (const char* name : {"execute", "load from file", "save to file"}) {
        buttons_[name] = owned<QPushButton>(page, name);
        bar->addWidget(buttons_[name]);
    }
    up_ = owned<QToolButton>(page);
    up_->setArrowType(Qt::UpArrow);
    down_ = owned<QToolButton>(page);
    down_->setArrowType(Qt::DownArrow);
    history_label_ = owned<QLabel>(page);
    data_change_ = owned<QCheckBox>(page, "data change");
    data_change_->setEnabled(false); // set by the module, never by the user
    bar->addSpacing(12);
    bar->addWidget(up_);
    bar->addWidget(down_);
    bar->addWidget(history_label_);
    bar->addSpacing(12);
    bar->addWidget(data_change_);
    bar->addStretch(1);

    auto* body = new QHBoxLayout;
    layout->addLayout(body, 1);
    editor_ = owned<QPlainTextEdit>(page);
    editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
    body->addWidget(editor_, 1);

    auto* side = new QVBoxLayout;
    body->addLayout(side);
    parameters_ = owned<QTableWidget>(page, sqlmod::ParameterTable::rows, 2);
    parameters_->setHorizontalHeaderLabels({"parameter", "value"});
    parameters_->verticalHeader()->hide();
    parameters_->horizontalHeader()->setStretchLastSection(true);
    parameters_->setMinimumWidth(260);
    side->addWidget(parameters_, 1);
    for (const char* name : {"update sql code with parameter values", "clear grid"}) {
        buttons_[name] = owned<QPushButton>(page, name);
        side->addWidget(buttons_[name]);
    }

    connect(buttons_["execute"], &QPushButton::clicked, this, [this] { press_execute(); });
    connect(buttons_["load from file"], &QPushButton::clicked, this, [this] { press_load(); });
    connect(buttons_["save to file"], &QPushButton::clicked, this, [this] { press_save(); });
    connect(buttons_["update sql code with parameter values"], &QPushButton::clicked, this,
            [this] { press_update_parameters(); });
    connect(buttons_["clear grid"], &QPushButton::clicked, this,
            [this] { press_clear_parameters(); });
    connect(up_, &QToolButton::clicked, this, [this] { press_up(); });
    connect(down_, &QToolButton::clicked, this, [this] { press_down(); });
    return page;
}

QWidget* Tsql_form::make_result_page() {
    auto* page = owned<QWidget>(this);
    auto* layout = new QVBoxLayout(page);
    result_ = std::make_unique<ResultGrid>(*layout, "result", "export to XLS", dialogs_);
    buttons_["export to XLS"] = result_->button();
    result_->button()->disconnect(); // the module checks for a result first
    connect(result_->button(), &QPushButton::clicked, this, [this] { press_export(); });
    return page;
}

void Tsql_form::apply_german_captions() {
    setWindowTitle("SQL-Modul");
    pages_->setTabText(0, "SQL-Code");
    pages_->setTabText(1, "Ergebnisdatensatz");
    const std::map<std::string, QString> german = {
        {"execute", "ausführen"},
        {"load from file", "aus Datei laden"},
        {"save to file", "in Datei speichern"},
        {"update sql code with parameter values", "SQL-Code mit Parameterwerten aktualisieren"},
        {"clear grid", "Tabelle leeren"},
        {"export to XLS", "nach XLS exportieren"},
    };
    for (const auto& [name, text] : german) buttons_.at(name)->setText(text);
    data_change_->setText("Datenänderung");
    parameters_->setHorizontalHeaderLabels({"Parameter", "Wert"});
}

QPushButton* Tsql_form::button(const std::string& name) const {
    return buttons_.at(name);
}

std::string Tsql_form::script() const {
    return editor_->toPlainText().toStdString();
}

void Tsql_form::set_script(const std::string& text) {
    editor_->setPlainText(q(text));
}

void Tsql_form::show_history() {
    history_label_->setText(QString::number(session_.history.mem_id()) +
                            (german_ ? " von 10" : " of 10"));
}

void Tsql_form::show_parameters() {
    const QSignalBlocker quiet(parameters_);
    for (int r = 0; r < sqlmod::ParameterTable::rows; ++r) {
        const auto& row = session_.parameters.row(r);
        parameters_->setItem(r, 0, new QTableWidgetItem(q(row.name)));
        parameters_->setItem(r, 1, new QTableWidgetItem(q(row.value)));
    }
}

// The grid is where the user types names and values: the session takes them before use.
void Tsql_form::read_parameters() {
    for (int r = 0; r < sqlmod::ParameterTable::rows; ++r) {
        const auto text = [&](int c) {
            const QTableWidgetItem* item = parameters_->item(r, c);
            return item ? item->text().trimmed().toStdString() : std::string();
        };
        session_.parameters.row(r) = {text(0), text(1)};
    }
}

void Tsql_form::report(const std::exception& e) {
    messages_->setPlainText(q(e.what()));
    dialogs_.show_error(caption, e.what());
}

void Tsql_form::press_execute() {
    if (running_) return;
    if (!connection_) {
        dialogs_.show_message(caption,
                              german_ ? "Keine Datenbank geöffnet." : "No database is open.");
        return;
    }
    running_ = true;
    read_parameters();
    std::optional<std::runtime_error> failure;
    {
        BusyCursor busy;
        try {
            db::ScriptResult r = session_.execute(
                *connection_, script(), [this](const db::ScriptStatement&, bool changes_data) {
                    data_change_->setChecked(changes_data);
                    QCoreApplication::processEvents();
                });
            messages_->setPlainText(q(summary(r, german_)));
            if (r.rows) {
                result_->show(std::move(*r.rows));
                pages_->setCurrentIndex(1);
            } else {
                result_->clear();
            }
        } catch (const std::exception& e) {
            failure.emplace(e.what());
        }
    }
    if (failure) {
        show_parameters(); // names collected for a refused script
        report(*failure);
    }
    show_history();
    running_ = false;
}

void Tsql_form::press_load() {
    read_parameters();
    const auto file =
        dialogs_.choose_file(german_ ? "aus Datei laden" : "load from file", script_filter);
    try {
        if (file) set_script(sqlmod::read_script(*file));
    } catch (const std::exception& e) {
        report(e);
    }
    session_.parameters.collect(script());
    show_parameters();
}

void Tsql_form::press_save() {
    const auto file =
        dialogs_.choose_save_file(german_ ? "in Datei speichern" : "save to file", script_filter);
    if (!file || file->empty()) return;
    try {
        const auto written = sqlmod::write_script(*file, script());
        messages_->setPlainText(q((german_ ? "Gespeichert: " : "Saved: ") + written.string()));
    } catch (const std::exception& e) {
        report(e);
    }
}

void Tsql_form::press_up() {
    set_script(session_.history.up(script()));
    show_history();
}

void Tsql_form::press_down() {
    set_script(session_.history.down(script()));
    show_history();
}

void Tsql_form::press_update_parameters() {
    read_parameters();
    try {
        set_script(session_.apply_parameters(script()));
    } catch (const std::exception& e) {
        report(e);
    }
    show_parameters();
    show_history();
}

void Tsql_form::press_clear_parameters() {
    session_.parameters.clear();
    show_parameters();
}

std::optional<std::filesystem::path> Tsql_form::press_export() {
    if (result_->data().field_count() == 0) {
        dialogs_.show_message(caption, german_ ? "Es gibt kein Ergebnis zum Exportieren."
                                               : "There is no result to export.");
        return std::nullopt;
    }
    return result_->export_to_xlsx();
}

} // namespace ui

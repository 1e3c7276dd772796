#include "ui/settings_window.h"

#include "app/settings_store.h"
#include "db/db_error.h"
#include "ui/read_only.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <filesystem>

namespace ui {

namespace {

constexpr const char* title = "TSM settings";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// Enter in a field must neither save nor open a file dialog: no button is a default.
QPushButton* plain_button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

// The widgets are owned by the dialog; the layout runs top to bottom as the fields do.
Tfrm_tsmsetting::Tfrm_tsmsetting(app::TsmSettings& settings, ConnectionGetter connection,
                                 app::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), settings_(settings), connection_(std::move(connection)), dialogs_(dialogs) {
    using F = app::TsmSettingsFields;
    using S = app::TsmSettings;
    setObjectName("Tfrm_tsmsetting");
    setWindowTitle(caption(title, "TSM Einstellungen"));
    auto* grid = new QGridLayout(this);
    ppath_ = add_text(grid, "ppath", caption("ppath", "Programmpfad"), &F::ppath);
    ppath_->installEventFilter(this);
    method_ = add_text(grid, "method", caption("method", "Methode"), &F::method);
    add_text(grid, "database", caption("database", "Datenbank"), &F::database);
    add_text(grid, "soil_scheme", caption("soil scheme", "Bodenschema"), &F::soil_scheme);
    add_pf(grid, "pf_wp", "pF WP", &F::pf_wp);
    add_pf(grid, "pf_fk", "pF FK", &F::pf_fk);
    read_only(add_text(grid, "ptf_mode", caption("ptf mode", "PTF-Modus"), &F::ptf_mode));
    add_box(grid, "cb_dynbd", caption(" dynamic bulk density ", " dynamische Lagerungsdichte "),
            &F::cb_dynbd, &S::set_dyn_bd);
    // Shown, not clickable: they follow dynamic bulk density and the stored flags.
    add_box(grid, "cb_dynlts",
            caption(" simulate a dynamic LTS pool ", " dynamischen LTS-Pool simulieren "),
            &F::cb_dynlts, &S::set_dyn_lts)
        ->setEnabled(false);
    add_box(grid, "cb_hassink",
            caption("simulate LTS pool with Hassink-saturation",
                    "LTS-Pool mit Hassink-Sättigung simulieren"),
            &F::cb_hassink, &S::set_hassink)
        ->setEnabled(false);
    add_text(grid, "r_call", caption("R call", "R-Aufruf"), &F::r_call);
    add_text(grid, "r_result", caption("R result", "R-Ergebnis"), &F::r_result);
    const int script_row = grid->rowCount();
    add_text(grid, "r_script", caption("R script", "R-Skript"), &F::r_script)->hide();
    grid->itemAtPosition(script_row, 0)->widget()->hide();
    read_only(
        add_text(grid, "bat_recalc", caption("BAT recalc", "BAT neu berechnen"), &F::bat_recalc));
    add_text(grid, "pdf_reader", caption("PDF-reader", "PDF-Anzeige"), &F::pdf_reader);
    connect(add_file_button(grid, "pdf_reader_button", grid->rowCount() - 1), &QPushButton::clicked,
            this, &Tfrm_tsmsetting::choose_pdf_reader);
    add_text(grid, "pdf_dir", caption("pdf dir", "PDF-Ordner"), &F::pdf_dir);
    connect(add_file_button(grid, "pdf_dir_button", grid->rowCount() - 1), &QPushButton::clicked,
            this, &Tfrm_tsmsetting::choose_pdf_dir);
    add_language(grid);
    build_scenario(grid);
    build_buttons(grid);
    grid->setColumnMinimumWidth(1, 300);
    show_fields();
}

QString Tfrm_tsmsetting::caption(const char* english, const char* german) const {
    return QString::fromUtf8(settings_.running_language() == "D" ? german : english);
}

// Every change of a text goes into its field at once, so the fields always hold what the
// dialog shows.
QLineEdit* Tfrm_tsmsetting::add_text(QGridLayout* grid, const char* name, QString label,
                                     Text value) {
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(label, this), row, 0);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    grid->addWidget(edit, row, 1);
    connect(edit, &QLineEdit::textChanged, this,
            [this, value](const QString& text) { settings_.fields.*value = text.toStdString(); });
    texts_.push_back({edit, value});
    return edit;
}

// A stored pF value in tenths, shown as the pF it means; never edited here.
QLineEdit* Tfrm_tsmsetting::add_pf(QGridLayout* grid, const char* name, const char* label,
                                   Text value) {
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(label, this), row, 0);
    auto* edit = read_only(new QLineEdit(this));
    edit->setObjectName(name);
    grid->addWidget(edit, row, 1);
    texts_.push_back({edit, value, true});
    return edit;
}

// The language of the captions; the windows take it at the next start of the program.
void Tfrm_tsmsetting::add_language(QGridLayout* grid) {
    const int row = grid->rowCount();
    grid->addWidget(
        new QLabel(caption("language (from the next start)", "Sprache (ab dem nächsten Start)"),
                   this),
        row, 0);
    language_ = new QComboBox(this);
    language_->setObjectName("language");
    language_->addItem("English", "E");
    language_->addItem("Deutsch", "D");
    grid->addWidget(language_, row, 1);
    connect(language_, &QComboBox::activated, this, [this] {
        settings_.fields.language = language_->currentData().toString().toStdString();
    });
}

// A click runs the box's rule in the settings, which may change the other boxes.
QCheckBox* Tfrm_tsmsetting::add_box(QGridLayout* grid, const char* name, QString caption,
                                    Flag value, Rule rule) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(name);
    grid->addWidget(box, grid->rowCount(), 1);
    connect(box, &QCheckBox::clicked, this, [this, rule](bool checked) {
        (settings_.*rule)(checked);
        show_fields();
    });
    boxes_.push_back({box, value});
    return box;
}

QPushButton* Tfrm_tsmsetting::add_file_button(QGridLayout* grid, const char* name, int row) {
    QPushButton* b = plain_button("?", name, this);
    grid->addWidget(b, row, 2);
    return b;
}

void Tfrm_tsmsetting::build_scenario(QGridLayout* grid) {
    auto* group = new QGroupBox(caption("scenario", "Szenario"), this);
    group->setObjectName("scenario");
    auto* box = new QCheckBox(
        caption("save SOM state during TSM run", "SOM-Zustand beim TSM-Lauf speichern"), group);
    box->setObjectName("cb_scenario");
    connect(box, &QCheckBox::clicked, this, [this](bool checked) {
        settings_.set_scenario(checked);
        show_fields();
    });
    boxes_.push_back({box, &app::TsmSettingsFields::cb_scenario});
    scenario_status_ = new QLabel(group);
    scenario_status_->setObjectName("scenario_status");
    auto* row = new QHBoxLayout(group);
    row->addWidget(box);
    row->addStretch();
    row->addWidget(scenario_status_);
    grid->addWidget(group, grid->rowCount(), 0, 1, 3);
}

void Tfrm_tsmsetting::build_buttons(QGridLayout* grid) {
    QPushButton* save_button =
        plain_button(caption("&save + return", "&speichern + zurück"), "save_button", this);
    QPushButton* cancel_button =
        plain_button(caption("&cancel", "&abbrechen"), "cancel_button", this);
    connect(save_button, &QPushButton::clicked, this, &Tfrm_tsmsetting::save);
    connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(save_button);
    row->addWidget(cancel_button);
    grid->addLayout(row, grid->rowCount(), 0, 1, 3);
}

void Tfrm_tsmsetting::show_fields() {
    const app::TsmSettingsFields& f = settings_.fields;
    for (const TextField& t : texts_) {
        const QString text = qs(t.shown_only ? app::pf_shown(f.*t.value) : f.*t.value);
        if (t.edit->text() != text) t.edit->setText(text);
    }
    language_->setCurrentIndex(std::max(0, language_->findData(qs(f.language))));
    for (const Box& b : boxes_) b.box->setChecked(f.*b.value);
    scenario_status_->setText(f.scenario_status == "enabled" ? caption("enabled", "aktiviert")
                                                             : caption("disabled", "deaktiviert"));
    read_only(method_, !f.method_editable);
}

void Tfrm_tsmsetting::activate() {
    try {
        settings_.activate();
    } catch (const app::SettingsError& e) {
        dialogs_.show_error(title, e.what());
    }
    show_fields();
}

// Loading on show, not on every regained focus: coming back from a file dialog or a
// question must not throw away what was typed.
void Tfrm_tsmsetting::showEvent(QShowEvent* event) {
    activate();
    QDialog::showEvent(event);
}

// A double click on "ppath" puts the current working directory into it.
bool Tfrm_tsmsetting::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ppath_ && event->type() == QEvent::MouseButtonDblClick) {
        ppath_->setText(qs(std::filesystem::current_path().string()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrm_tsmsetting::choose_pdf_reader() {
    if (auto file = dialogs_.choose_file("PDF-reader", "programs|*")) {
        settings_.fields.pdf_reader = *file;
        show_fields();
    }
}

void Tfrm_tsmsetting::choose_pdf_dir() {
    if (auto file = dialogs_.choose_file("pdf dir", "PDF files|*.pdf|all files|*")) {
        settings_.fields.pdf_dir = app::folder_of(*file);
        show_fields();
    }
}

// Closes only when everything was saved; otherwise the message was shown and the
// dialog stays open with what was typed.
void Tfrm_tsmsetting::save() {
    db::Connection* conn = nullptr;
    try {
        conn = connection_();
    } catch (const db::Error& e) {
        dialogs_.show_error(title, e.what());
        return;
    }
    if (!conn) {
        dialogs_.show_message(title, "No experiment database is open.");
        return;
    }
    const bool saved = settings_.save(*conn, dialogs_);
    show_fields();
    if (saved) accept();
}

} // namespace ui

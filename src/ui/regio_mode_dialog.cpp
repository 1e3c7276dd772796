// regio_mode_dialog.cpp --- the dialog "change REGIO mode".
#include "ui/regio_mode_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

RegioModeDialog::RegioModeDialog(const std::string& language, QWidget* parent) : QDialog(parent) {
    const bool german = language == "D";
    auto text = [german](const char* english, const char* german_text) {
        return QString::fromUtf8(german ? german_text : english);
    };
    setObjectName("regio_mode_dialog");
    setWindowTitle(text("change REGIO mode", "REGIO-Modus ändern"));
    auto* layout = new QVBoxLayout(this); // every widget below is owned by the dialog
    auto* warning =
        new QLabel(text("This will change database structure and may cause data loss !",
                        "Dies ändert die Struktur der Datenbank; Daten können verloren gehen !"));
    warning->setWordWrap(true);
    layout->addWidget(warning);
    regio_ = new QCheckBox(text(" set REGIO mode", " REGIO-Modus setzen"));
    layout->addWidget(regio_);
    auto* restart = new QLabel(
        text("the application will be closed and has to be restarted to finish the change",
             "das Programm wird beendet und muss neu gestartet werden, um die Änderung "
             "abzuschließen"));
    restart->setWordWrap(true);
    layout->addWidget(restart);
    auto* buttons = new QHBoxLayout;
    change_ = new QPushButton(text("change the structure", "Struktur ä&ndern"));
    escape_ = new QPushButton(text("escape: no changes", "&Abbruch: keine Änderung"));
    escape_->setDefault(true);
    buttons->addWidget(change_);
    buttons->addWidget(escape_);
    layout->addLayout(buttons);
    connect(change_, &QPushButton::clicked, this, &QDialog::accept);
    connect(escape_, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace ui

// regio_mode_dialog.cpp --- the dialog "change REGIO mode".
#include "ui/regio_mode_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

RegioModeDialog::RegioModeDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("regio_mode_dialog");
    setWindowTitle("change REGIO mode");
    auto* layout = new QVBoxLayout(this); // every widget below is owned by the dialog
    auto* warning = new QLabel("This will change database structure and may cause data loss !");
    warning->setWordWrap(true);
    layout->addWidget(warning);
    regio_ = new QCheckBox(" set REGIO mode");
    layout->addWidget(regio_);
    auto* restart =
        new QLabel("the application will be closed and has to be restarted to finish the change");
    restart->setWordWrap(true);
    layout->addWidget(restart);
    auto* buttons = new QHBoxLayout;
    change_ = new QPushButton("change the structure");
    escape_ = new QPushButton("escape: no changes");
    escape_->setDefault(true);
    buttons->addWidget(change_);
    buttons->addWidget(escape_);
    layout->addLayout(buttons);
    connect(change_, &QPushButton::clicked, this, &QDialog::accept);
    connect(escape_, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace ui

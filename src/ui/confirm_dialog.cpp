#include "ui/confirm_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

namespace {

struct Captions {
    const char *caption, *remove, *esc;
};

Captions captions_for(const std::string& language) {
    if (language == "D") return {"ACHTUNG !", "Löschen", "Abbruch"};
    return {"ATTENTION !", "delete", "esc"};
}

} // namespace

TAnfrageDlg::TAnfrageDlg(const std::string& language, QWidget* parent) : QDialog(parent) {
    const Captions c = captions_for(language);
    setObjectName("TAnfrageDlg");
    setWindowTitle(QString::fromUtf8(c.caption));
    // The widgets are owned by the dialog.
    message_ = new QLabel(this);
    message_->setObjectName("message");
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignCenter);
    message_->setMinimumWidth(280);
    delete_ = new QPushButton(QString::fromUtf8(c.remove), this);
    delete_->setObjectName("delete_button");
    delete_->setDefault(true);
    esc_ = new QPushButton(QString::fromUtf8(c.esc), this);
    esc_->setObjectName("esc_button");
    connect(delete_, &QPushButton::clicked, this, &QDialog::accept);
    connect(esc_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(delete_);
    buttons->addWidget(esc_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message_);
    layout->addLayout(buttons);
}

void TAnfrageDlg::set_message(const std::string& text) {
    message_->setText(QString::fromStdString(text));
}

bool confirm_deletion(QWidget* parent, const std::string& language, const std::string& text) {
    TAnfrageDlg dlg(language, parent);
    dlg.set_message(text);
    return dlg.exec() == QDialog::Accepted;
}

void ConfirmingDialogs::show_message(const std::string& title, const std::string& text) {
    others_.show_message(title, text);
}

void ConfirmingDialogs::show_error(const std::string& title, const std::string& text) {
    others_.show_error(title, text);
}

bool ConfirmingDialogs::ask_yes_no(const std::string& title, const std::string& text) {
    if (title == "ATTENTION !") return confirm_deletion(parent_, "E", text);
    if (title == "ACHTUNG !") return confirm_deletion(parent_, "D", text);
    return others_.ask_yes_no(title, text);
}

std::optional<std::string> ConfirmingDialogs::choose_file(const std::string& title,
                                                          const std::string& filter) {
    return others_.choose_file(title, filter);
}

std::optional<std::string> ConfirmingDialogs::choose_save_file(const std::string& title,
                                                               const std::string& filter) {
    return others_.choose_save_file(title, filter);
}

std::optional<std::string> ConfirmingDialogs::edit_connection_string(const std::string& current) {
    return others_.edit_connection_string(current);
}

} // namespace ui

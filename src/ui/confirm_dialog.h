// confirm_dialog.h --- the confirmation dialog TAnfrageDlg that guards a deletion, and the
// Dialogs adapter that asks the deletion question with it.
#pragma once

#include "app/dialogs.h"

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace ui {

// Caption "ATTENTION !", one word-wrapped centred message, "delete" (default, accepts)
// and "esc" (rejects); in German "ACHTUNG !", "Löschen" and "Abbruch". exec() clears the
// answer before the dialog shows, so an accepted answer always comes from this showing.
class TAnfrageDlg : public QDialog {
    Q_OBJECT
public:
    explicit TAnfrageDlg(const std::string& language, QWidget* parent = nullptr);

    void set_message(const std::string& text);
    QLabel* message() const { return message_; }
    QPushButton* delete_button() const { return delete_; }
    QPushButton* esc_button() const { return esc_; }

private:
    QLabel* message_;
    QPushButton* delete_;
    QPushButton* esc_;
};

// Shows the dialog modally with the text; true when the user chose "delete".
bool confirm_deletion(QWidget* parent, const std::string& language, const std::string& text);

// Dialogs whose deletion question (title "ATTENTION !" or "ACHTUNG !") is asked with
// TAnfrageDlg in the language of the title; everything else goes to the wrapped dialogs.
class ConfirmingDialogs : public app::Dialogs {
public:
    explicit ConfirmingDialogs(app::Dialogs& others, QWidget* parent = nullptr)
        : others_(others), parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }

    void show_message(const std::string& title, const std::string& text) override;
    void show_error(const std::string& title, const std::string& text) override;
    bool ask_yes_no(const std::string& title, const std::string& text) override;
    std::optional<std::string> choose_file(const std::string& title,
                                           const std::string& filter) override;
    std::optional<std::string> choose_save_file(const std::string& title,
                                                const std::string& filter) override;
    std::optional<std::string> edit_connection_string(const std::string& current) override;

private:
    app::Dialogs& others_;
    QWidget* parent_;
};

} // namespace ui

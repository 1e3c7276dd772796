// qt_dialogs.h --- message boxes, questions and file dialogs as real windows.
#pragma once

#include "app/dialogs.h"

#include <QString>

class QWidget;

namespace ui {

// Boxes are parented to the given window (centred on it); "Yes" is the only yes.
class QtDialogs : public app::Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
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
    QWidget* parent_;
};

// "name|*.a;*.b|name2|*.c" as a Qt file dialog filter: "name (*.a *.b);;name2 (*.c)".
QString qt_file_filter(const std::string& filter);

} // namespace ui

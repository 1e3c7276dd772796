#include "ui/qt_dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

namespace ui {

QString qt_file_filter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        QString name = parts[i];
        if (!name.contains('(')) name += " (" + patterns + ")";
        out << name;
    }
    return out.join(";;");
}

void QtDialogs::show_message(const std::string& title, const std::string& text) {
    QMessageBox::information(parent_, QString::fromStdString(title), QString::fromStdString(text));
}

void QtDialogs::show_error(const std::string& title, const std::string& text) {
    QMessageBox::critical(parent_, QString::fromStdString(title), QString::fromStdString(text));
}

bool QtDialogs::ask_yes_no(const std::string& title, const std::string& text) {
    return QMessageBox::question(parent_, QString::fromStdString(title),
                                 QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::choose_file(const std::string& title,
                                                  const std::string& filter) {
    const QString file = QFileDialog::getOpenFileName(parent_, QString::fromStdString(title), {},
                                                      qt_file_filter(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

std::optional<std::string> QtDialogs::choose_save_file(const std::string& title,
                                                       const std::string& filter) {
    const QString file = QFileDialog::getSaveFileName(parent_, QString::fromStdString(title), {},
                                                      qt_file_filter(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

// The connection-string editor: the string in an editable field; a changed text is
// the new string.
std::optional<std::string> QtDialogs::edit_connection_string(const std::string& current) {
    bool ok = false;
    const QString text = QInputDialog::getMultiLineText(
        parent_, "Connection",
        "The database could not be opened. Connection string:", QString::fromStdString(current),
        &ok);
    if (!ok || text.toStdString() == current) return std::nullopt;
    return text.toStdString();
}

} // namespace ui

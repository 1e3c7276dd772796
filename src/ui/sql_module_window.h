// sql_module_window.h --- the SQL module Tsql_form ("SQL - module"): a script editor with
// its history and "$" parameters, the run of the script on the shared connection, and the
// rows of the last query with their copy into a workbook. A thin view over
// sqlmod::SqlSession; it lives as long as the program, closing only hides it.
#pragma once

#include "app/dialogs.h"
#include "db/connection.h"
#include "sqlmod/sql_session.h"
#include "ui/result_grid.h"

#include <QWidget>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QToolButton;

namespace ui {

class Tsql_form : public QWidget {
    Q_OBJECT
public:
    // `connection` is the shared connection, used while it is open; captions are German
    // when `language` is "D".
    Tsql_form(std::optional<db::Connection>& connection, app::Dialogs& dialogs,
              const std::string& language, QWidget* parent = nullptr);
    ~Tsql_form() override;

    // The buttons; public for tests.
    void press_execute();
    void press_load();
    void press_save();
    void press_up();
    void press_down();
    void press_update_parameters();
    void press_clear_parameters();
    std::optional<std::filesystem::path> press_export();

    QPlainTextEdit* editor() const { return editor_; }
    QTableWidget* parameter_grid() const { return parameters_; }
    QLabel* history_label() const { return history_label_; }
    QCheckBox* data_change_box() const { return data_change_; }
    QPlainTextEdit* messages() const { return messages_; }
    QTabWidget* pages() const { return pages_; }
    ResultGrid& result() { return *result_; }
    QPushButton* button(const std::string& name) const;
    const sqlmod::SqlSession& session() const { return session_; }

private:
    QWidget* make_script_page();
    QWidget* make_result_page();
    void apply_german_captions();
    std::string script() const;
    void set_script(const std::string& text);
    void show_history();
    void show_parameters();
    void read_parameters();
    void report(const std::exception& e);

    std::optional<db::Connection>& connection_;
    app::Dialogs& dialogs_;
    const bool german_;
    sqlmod::SqlSession session_;
    bool running_ = false;

    QTabWidget* pages_ = nullptr;
    QPlainTextEdit* editor_ = nullptr;
    QTableWidget* parameters_ = nullptr;
    QLabel* history_label_ = nullptr;
    QCheckBox* data_change_ = nullptr;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    QPlainTextEdit* messages_ = nullptr;
    std::map<std::string, QPushButton*> buttons_;
    std::unique_ptr<ResultGrid> result_;
};

} // namespace ui

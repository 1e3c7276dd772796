// settings_window.h --- the settings dialog Tfrm_tsmsetting: a thin view over
// app::TsmSettings, which keeps the values, the check box rules and the saving.
#pragma once

#include "app/dialogs.h"
#include "app/tsm_settings.h"
#include "db/connection.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

// Every widget is named after its field ("ppath", "method", "cb_dynbd", "cb_scenario",
// "scenario_status", "language", ...); the buttons are "save_button", "cancel_button",
// "pdf_reader_button" and "pdf_dir_button". Each showing loads the settings afresh.
class Tfrm_tsmsetting : public QDialog {
    Q_OBJECT
public:
    // The experiment database that saving writes the method into; nullptr when none is open.
    using ConnectionGetter = std::function<db::Connection*()>;

    Tfrm_tsmsetting(app::TsmSettings& settings, ConnectionGetter connection, app::Dialogs& dialogs,
                    QWidget* parent = nullptr);

    // The dialog becomes active: the settings are loaded and shown (done on every show).
    void activate();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Text = std::string app::TsmSettingsFields::*;
    using Flag = bool app::TsmSettingsFields::*;
    using Rule = void (app::TsmSettings::*)(bool);
    struct TextField {
        QLineEdit* edit;
        Text value;
        bool shown_only = false; // read-only, shown through app::pf_shown
    };
    struct Box {
        QCheckBox* box;
        Flag value;
    };

    QString caption(const char* english, const char* german) const;
    QLineEdit* add_text(QGridLayout* grid, const char* name, QString label, Text value);
    QLineEdit* add_pf(QGridLayout* grid, const char* name, const char* label, Text value);
    QCheckBox* add_box(QGridLayout* grid, const char* name, QString caption, Flag value, Rule rule);
    void add_language(QGridLayout* grid);
    QPushButton* add_file_button(QGridLayout* grid, const char* name, int row);
    void build_scenario(QGridLayout* grid);
    void build_buttons(QGridLayout* grid);
    void show_fields();
    void choose_pdf_reader();
    void choose_pdf_dir();
    void save();

    app::TsmSettings& settings_;
    ConnectionGetter connection_;
    app::Dialogs& dialogs_;
    std::vector<TextField> texts_;
    std::vector<Box> boxes_;
    QLineEdit* ppath_ = nullptr;
    QLineEdit* method_ = nullptr;
    QLabel* scenario_status_ = nullptr;
    QComboBox* language_ = nullptr;
};

} // namespace ui

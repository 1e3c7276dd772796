// settings_window_test.cpp --- the settings dialog and the confirmation dialog as windows.
#include "app/first_start.h"
#include "app/settings_store.h"
#include "app/tsm_settings.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "ui/confirm_dialog.h"
#include "ui/settings_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// Presses a button of the confirmation dialog once it runs modally.
void answer_confirmation(const char* button) {
    QTimer::singleShot(0, [button] {
        auto* dlg = qobject_cast<ui::TAnfrageDlg*>(QApplication::activeModalWidget());
        if (!dlg) {
            ADD_FAILURE() << "no confirmation dialog";
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
            return;
        }
        dlg->findChild<QPushButton*>(button)->click();
    });
}

class SettingsWindowTest : public testing::Test {
protected:
    SettingsWindowTest() {
        app::write_first_start_values(store, "/d/demo.db", "/opt/tsm");
        for (const char* t : {"rs_table", "tsm_nresult"})
            conn.execute(std::string("insert into ") + t + " (FL_ID) values (7)");
    }
    template <class W = QLineEdit> W* widget(const char* name) {
        W* w = window.findChild<W*>(name);
        if (!w) ADD_FAILURE() << "no widget " << name;
        return w;
    }
    QString text(const char* name) { return widget(name)->text(); }
    void click(const char* name) { widget<QPushButton>(name)->click(); }
    std::string result_counts() {
        return test::rows(conn, "select count(*) from rs_table") +
               test::rows(conn, "select count(*) from tsm_nresult");
    }

    app::MemorySettingsStore store;
    app::ProgramState state;
    app::TsmSettings settings{store, state};
    test::TempDir dir;
    db::Connection conn = db::create_experiment_database(dir / "x.db", false);
    test::ScriptedDialogs dialogs;
    ui::Tfrm_tsmsetting window{settings, [this] { return &conn; }, dialogs};
};

TEST_F(SettingsWindowTest, ShowsTheStoredValues) {
    store.write_string("pdf_dir", "/lit/");
    store.write_integer("hassink", 1);
    window.show();

    EXPECT_EQ(window.windowTitle(), "TSM settings");
    EXPECT_EQ(text("ppath"), "/opt/tsm");
    EXPECT_EQ(text("method"), "TSM");
    EXPECT_EQ(text("database"), "/d/demo.db");
    EXPECT_EQ(text("soil_scheme"), "RBS");
    EXPECT_EQ(text("pf_wp"), "4.2"); // stored in tenths
    EXPECT_EQ(text("pf_fk"), "1.8");
    EXPECT_EQ(text("ptf_mode"), "3");
    EXPECT_EQ(text("bat_recalc"), "1");
    EXPECT_EQ(text("pdf_dir"), "/lit/");
    // Read-only fields wear the window's colour, the others that of an input field.
    const QColor window_colour = window.palette().color(QPalette::Window);
    for (const char* name : {"pf_wp", "pf_fk", "ptf_mode", "bat_recalc", "method"}) {
        EXPECT_TRUE(widget(name)->isReadOnly()) << name;
        EXPECT_EQ(widget(name)->palette().color(QPalette::Base), window_colour) << name;
    }
    EXPECT_NE(widget("r_call")->palette().color(QPalette::Base), window_colour);
    EXPECT_FALSE(widget("r_script")->isVisible());
    EXPECT_TRUE(widget("r_call")->isVisible());
    // A stored Hassink flag shows all three boxes checked; only bulk density is clickable.
    for (const char* name : {"cb_dynbd", "cb_dynlts", "cb_hassink"})
        EXPECT_TRUE(widget<QCheckBox>(name)->isChecked()) << name;
    EXPECT_TRUE(widget<QCheckBox>("cb_dynbd")->isEnabled());
    EXPECT_FALSE(widget<QCheckBox>("cb_dynlts")->isEnabled());
    EXPECT_FALSE(widget<QCheckBox>("cb_hassink")->isEnabled());
    EXPECT_EQ(widget<QLabel>("scenario_status")->text(), "disabled");
}

TEST_F(SettingsWindowTest, CheckBoxesRunTheirRules) {
    store.write_integer("hassink", 1);
    window.show();
    widget<QCheckBox>("cb_dynbd")->click();
    for (const char* name : {"cb_dynbd", "cb_dynlts", "cb_hassink"})
        EXPECT_FALSE(widget<QCheckBox>(name)->isChecked()) << name;
    EXPECT_EQ(settings.dyn_bd + settings.dyn_lts + settings.hassink, 0);

    widget<QCheckBox>("cb_scenario")->click();
    EXPECT_EQ(widget<QLabel>("scenario_status")->text(), "enabled");
    EXPECT_EQ(settings.scenario_ctrl, 1);
}

TEST_F(SettingsWindowTest, MethodIsEditableOnlyWithKorvex) {
    window.show();
    EXPECT_TRUE(widget("method")->isReadOnly());
    window.hide();
    store.write_integer("korvex", 0);
    window.show();
    EXPECT_TRUE(widget("method")->isReadOnly());
    window.hide();
    store.write_integer("korvex", 2);
    window.show();
    EXPECT_FALSE(widget("method")->isReadOnly());
    EXPECT_NE(widget("method")->palette().color(QPalette::Base),
              window.palette().color(QPalette::Window));
}

TEST_F(SettingsWindowTest, SaveWithTheSameMethodAsksNothingAndStores) {
    window.show();
    widget("r_call")->setText("/usr/bin/R");
    click("save_button");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(store.read_string("r_call"), "/usr/bin/R");
    EXPECT_EQ(store.read_string("pf_wp"), "42"); // the shown pF never goes back
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(result_counts(), "1\n1\n");
}

TEST_F(SettingsWindowTest, ChangedMethodAsksAndDeclinedKeepsTheResults) {
    store.write_integer("korvex", 1);
    window.show();
    widget("method")->setText(" HUMOD ");
    dialogs.yes_no = {false};
    click("save_button");
    EXPECT_EQ(dialogs.shown, std::vector<std::string>{"ATTENTION !: model change detected: "
                                                      "results will be deleted ! Continue "
                                                      "anyway ?"});
    EXPECT_EQ(result_counts(), "1\n1\n");
    EXPECT_EQ(store.read_string("methode"), " HUMOD ");
    EXPECT_EQ(test::rows(conn, "select model from cbi_setting"), "HUMOD\n");
    EXPECT_FALSE(window.isVisible());
}

TEST_F(SettingsWindowTest, LanguageChoiceIsStoredForTheNextStart) {
    window.show();
    auto* language = widget<QComboBox>("language");
    EXPECT_EQ(language->currentData().toString(), "E");
    language->setCurrentIndex(language->findData("D"));
    emit language->activated(language->currentIndex());
    click("save_button");
    EXPECT_EQ(store.read_string("language"), "D");
    EXPECT_EQ(state.language, "E");

    // Shown again, it shows the stored choice; cancel keeps it.
    window.show();
    EXPECT_EQ(language->currentData().toString(), "D");
    click("cancel_button");
    EXPECT_EQ(store.read_string("language"), "D");
}

TEST(SettingsWindowGerman, CaptionsAreGerman) {
    app::MemorySettingsStore store;
    app::write_first_start_values(store, "/d/demo.db", "/opt/tsm");
    app::ProgramState state;
    state.language = "D";
    app::TsmSettings settings{store, state};
    test::ScriptedDialogs dialogs;
    ui::Tfrm_tsmsetting window{settings, [] { return nullptr; }, dialogs};
    EXPECT_EQ(window.windowTitle(), "TSM Einstellungen");
    EXPECT_EQ(window.findChild<QPushButton*>("save_button")->text(), "&speichern + zurück");
    EXPECT_EQ(window.findChild<QCheckBox*>("cb_scenario")->text(),
              "SOM-Zustand beim TSM-Lauf speichern");
    QStringList labels;
    for (QLabel* l : window.findChildren<QLabel*>()) labels << l->text();
    for (const char* caption : {"Programmpfad", "Methode", "Datenbank", "PDF-Ordner"})
        EXPECT_TRUE(labels.contains(caption)) << caption;
}

TEST_F(SettingsWindowTest, CancelStoresNothing) {
    window.show();
    widget("r_call")->setText("/usr/bin/R");
    click("cancel_button");
    EXPECT_EQ(store.read_string("r_call"), "R");
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(SettingsWindowTest, WithoutADatabaseTheDialogStaysOpen) {
    ui::Tfrm_tsmsetting no_db(
        settings, [] { return nullptr; }, dialogs);
    no_db.show();
    no_db.findChild<QPushButton*>("save_button")->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(no_db.isVisible());
}

TEST_F(SettingsWindowTest, FileButtonsAndDoubleClickFillTheFields) {
    window.show();
    dialogs.files = {"/opt/reader/okular", "/lit/soil/paper.pdf"};
    click("pdf_reader_button");
    click("pdf_dir_button");
    EXPECT_EQ(text("pdf_reader"), "/opt/reader/okular");
    EXPECT_EQ(text("pdf_dir"), "/lit/soil/");

    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget("ppath"), &dbl);
    EXPECT_EQ(text("ppath").toStdString(), std::filesystem::current_path().string());

    click("save_button");
    EXPECT_EQ(store.read_string("pdf_dir"), "/lit/soil/");
    EXPECT_EQ(store.read_string("ppath"), std::filesystem::current_path().string());
}

// ---------------------------------------------------------------------------
// The confirmation dialog

TEST(ConfirmDialog, CaptionsFollowTheLanguage) {
    struct Case {
        std::string language;
        QString caption, remove, esc;
    };
    for (const Case& c : {Case{"E", "ATTENTION !", "delete", "esc"},
                          Case{"D", "ACHTUNG !", "Löschen", "Abbruch"}}) {
        ui::TAnfrageDlg dlg(c.language);
        EXPECT_EQ(dlg.windowTitle(), c.caption);
        EXPECT_EQ(dlg.delete_button()->text(), c.remove);
        EXPECT_EQ(dlg.esc_button()->text(), c.esc);
        EXPECT_TRUE(dlg.delete_button()->isDefault());
        EXPECT_TRUE(dlg.message()->wordWrap());
        EXPECT_EQ(dlg.message()->alignment(), Qt::AlignCenter);
    }
}

TEST(ConfirmDialog, AnswersTheDeletionQuestion) {
    answer_confirmation("delete_button");
    EXPECT_TRUE(ui::confirm_deletion(nullptr, "E", "delete it ?"));
    answer_confirmation("esc_button");
    EXPECT_FALSE(ui::confirm_deletion(nullptr, "D", "delete it ?"));

    // Only the deletion question goes to the dialog; the others to the wrapped dialogs.
    test::ScriptedDialogs others;
    others.yes_no = {true};
    ui::ConfirmingDialogs dialogs(others);
    answer_confirmation("esc_button");
    EXPECT_FALSE(dialogs.ask_yes_no("ACHTUNG !", "delete it ?"));
    EXPECT_TRUE(dialogs.ask_yes_no("Question", "go on ?"));
    EXPECT_EQ(others.shown, std::vector<std::string>{"Question: go on ?"});

    // Every file choice reaches the wrapped dialogs with its answer.
    others.files = {"in.db"};
    others.save_files = {"out.xlsx"};
    EXPECT_EQ(dialogs.choose_file("open", "*.db"), "in.db");
    EXPECT_EQ(dialogs.choose_save_file("==> xls", "Excel workbook|*.xlsx"), "out.xlsx");
}

} // namespace

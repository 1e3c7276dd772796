#include "ui/launcher_window.h"

#include "db/db_error.h"
#include "ui/guarded.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <filesystem>

namespace ui {
namespace {

// The design layout: buttons 200 wide, 35 high, 40 apart; the compact layout of the
// German version moves some of them (app::LauncherState carries those numbers).
constexpr const char* not_built = "This window is not part of this version yet.";
constexpr int button_left = 20, button_width = 200, design_height = 35, step = 40, first_top = 15;

const char* const button_order[] = {"plot_selection",  "climate",       "parameters",
                                    "sql_module",      "data_transfer", "settings",
                                    "database_choice", "end",           "outlier"};

app::LauncherButton& model_of(app::LauncherState& v, const std::string& name) {
    if (name == "plot_selection") return v.plot_selection;
    if (name == "climate") return v.climate;
    if (name == "parameters") return v.parameters;
    if (name == "sql_module") return v.sql_module;
    if (name == "data_transfer") return v.data_transfer;
    if (name == "settings") return v.settings;
    if (name == "database_choice") return v.database_choice;
    if (name == "end") return v.end;
    return v.outlier;
}

} // namespace

Tsrb_UIF::Tsrb_UIF(app::Launcher& launcher, app::Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), launcher_(launcher), dialogs_(dialogs) {
    setObjectName("Tsrb_UIF");
    auto* central = new QWidget(this); // owned by the window, as every widget below
    setCentralWidget(central);
    int top = first_top;
    for (const char* name : button_order) {
        add_button(name, top);
        top += step;
        if (std::string(name) == "database_choice") top += 25; // room for the label
    }
    label_ = new QLabel("system database", central);
    label_->setObjectName("database_label");
    panel0_ = new QLabel(this);
    panel1_ = new QLabel(this);
    statusBar()->addWidget(panel0_, 1);
    statusBar()->addWidget(panel1_, 1);
    central->setMinimumSize(button_left * 2 + button_width + 100, top + 10);
    refresh();
    adjustSize();
}

QPushButton* Tsrb_UIF::add_button(const std::string& name, int top) {
    auto* b = new QPushButton(centralWidget());
    b->setObjectName(QString::fromStdString(name));
    b->setGeometry(button_left, top, button_width, design_height);
    b->setProperty("design_top", top);
    connect(b, &QPushButton::clicked, this, [this, name] { press(name); });
    buttons_[name] = b;
    return b;
}

void Tsrb_UIF::set_window_opener(const std::string& button, std::function<void()> open) {
    openers_[button] = std::move(open);
    refresh();
}

// Shows the launcher's state: captions, visibility, layout, label, status bar.
void Tsrb_UIF::refresh() {
    app::LauncherState& v = launcher_.view;
    for (auto& [name, b] : buttons_) {
        const app::LauncherButton& m = model_of(v, name);
        b->setText(QString::fromStdString(m.caption));
        b->setVisible(m.visible);
        // A button whose window this program lacks stays visible but cannot be pressed.
        const bool available = name == "end" || name == "database_choice" || openers_.count(name);
        b->setEnabled(m.enabled && available);
        b->setToolTip(available ? QString() : QString(not_built));
        b->setGeometry(button_left, m.top.value_or(b->property("design_top").toInt()), button_width,
                       m.height.value_or(design_height));
    }
    const QRect db = buttons_.at("database_choice")->geometry();
    label_->setGeometry(button_left, v.label_top.value_or(db.bottom() + 6), button_width + 100, 20);
    label_->setText(QString::fromStdString(launcher_.link.label));
    panel0_->setText(QString::fromStdString(v.status_panel0));
    panel1_->setText(QString::fromStdString(v.status_panel1));
    const std::string& caption = launcher_.state.caption;
    setWindowTitle(QString::fromStdString(caption.empty() ? "TSM workbench: TSM" : caption));
}

// Errors of a step are shown with their message; the window stays usable.
template <class F> void Tsrb_UIF::guarded(F&& f) {
    ui::guarded(dialogs_, "error", f);
    refresh();
}

void Tsrb_UIF::first_show() {
    if (shown_) return;
    shown_ = true;
    guarded([&] { launcher_.first_show(); });
}

void Tsrb_UIF::activate() {
    if (activating_) return; // a message box shown while activating re-activates us
    activating_ = true;
    bool go = false;
    guarded([&] { go = launcher_.activate(); });
    activating_ = false;
    if (!go) return;
    // "go": the simulator runs at once; the program ends when it is closed.
    if (auto simulator = openers_.find("simulator"); simulator != openers_.end())
        guarded([&] { simulator->second(); });
    close();
}

void Tsrb_UIF::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    first_show();
    returning_ = true; // the first activation follows the first show
}

// The launcher is activated when the user returns to it from another window of the
// program, not when a message box, file dialog or another program lets go of it.
bool Tsrb_UIF::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        QWidget* next = QApplication::activeWindow();
        returning_ = next && next != this && !qobject_cast<QMessageBox*>(next) &&
                     !qobject_cast<QFileDialog*>(next) && !qobject_cast<QInputDialog*>(next);
    } else if (event->type() == QEvent::WindowActivate && shown_ && returning_) {
        returning_ = false;
        activate();
    }
    return QMainWindow::event(event);
}

void Tsrb_UIF::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) QApplication::closeAllWindows();
}

void Tsrb_UIF::press(const std::string& name) {
    if (name == "end") {
        close();
        return;
    }
    if (name == "database_choice") {
        guarded([&] { launcher_.change_database(); });
        return;
    }
    if (name == "settings" && !app::press_settings(launcher_.state, launcher_.view)) {
        refresh();
        return;
    }
    auto opener = openers_.find(name);
    if (opener != openers_.end()) {
        guarded([&] { opener->second(); });
        return;
    }
    dialogs_.show_message(buttons_.at(name)->text().remove('&').toStdString(), not_built);
}

} // namespace ui

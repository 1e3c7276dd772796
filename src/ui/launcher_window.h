// launcher_window.h --- the launcher Tsrb_UIF: the main window from which every other
// window is opened. A thin view over app::Launcher.
#pragma once

#include "app/launcher.h"

#include <QMainWindow>
#include <functional>
#include <map>

class QLabel;
class QPushButton;

namespace ui {

class Tsrb_UIF : public QMainWindow {
    Q_OBJECT
public:
    // The launcher must have been created (Launcher::create) before the window.
    Tsrb_UIF(app::Launcher& launcher, app::Dialogs& dialogs, QWidget* parent = nullptr);

    // Opens another window for a button; a button without one is disabled, its tool tip
    // saying that the window is not part of this version. The opener named "simulator"
    // runs the simulator for the command line's "go".
    void set_window_opener(const std::string& button, std::function<void()> open);

    QPushButton* button(const std::string& name) const { return buttons_.at(name); }
    QLabel* database_label() const { return label_; }
    QLabel* status_panel(int i) const { return i == 0 ? panel0_ : panel1_; }

    // First show (once) and activation; public for tests and the program start.
    void first_show();
    void activate();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    // The launcher is the program: closing it ("End" or the window's close button) closes
    // every other window of the program, so that the program ends.
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* add_button(const std::string& name, int top);
    void refresh();
    void press(const std::string& name);
    template <class F> void guarded(F&& f);

    app::Launcher& launcher_;
    app::Dialogs& dialogs_;
    std::map<std::string, QPushButton*> buttons_;
    std::map<std::string, std::function<void()>> openers_;
    QLabel* label_ = nullptr;
    QLabel* panel0_ = nullptr;
    QLabel* panel1_ = nullptr;
    bool shown_ = false;
    bool activating_ = false;
    bool returning_ = false; // the next activation runs the launcher's activation
};

} // namespace ui

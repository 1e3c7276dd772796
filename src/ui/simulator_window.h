// simulator_window.h --- the simulator window TtsmadoForm1 ("TSM-simulator"): one
// simulation run over the selected plots, its messages, the histogram of experiment
// minus model, the grid of selected plots and the side functions. A thin view over
// sim::Simulator and the run driver.
#pragma once

#include "app/dialogs.h"
#include "app/program_state.h"
#include "app/settings_store.h"
#include "app/tsm_settings.h"
#include "sim/app_exec.h"
#include "sim/run_driver.h"
#include "sim/simulator.h"

#include <QMainWindow>
#include <array>
#include <optional>

class QCheckBox;
class QEventLoop;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace ui {

// What the simulator shares with the rest of the program.
struct SimulatorEnvironment {
    std::vector<std::string> args; // the program's command line, without the program
    app::SettingsStore& settings;
    app::TsmSettings& tsm_settings;
    app::ProgramState& state;
    app::Dialogs& dialogs;
    std::optional<db::Connection>& connection; // the shared connection
    std::string current_dir;
};

class TtsmadoForm1 : public QMainWindow, public sim::RunObserver {
    Q_OBJECT
public:
    TtsmadoForm1(sim::Simulator& simulator, SimulatorEnvironment env, sim::RunSteps steps,
                 QWidget* parent = nullptr);

    // Activation (every time the window is shown); public for tests.
    void activate();
    // Shows the window modally and returns when it is hidden again.
    void show_and_wait();
    // The workbench's hand-over, its fields already set on the simulator: shows the window,
    // whose activation starts the run (autoclick); then, for one plot with the power flag,
    // presses "calculate" while the window is visible (the caption "close" closes it),
    // otherwise waits while the run is under way and closes the window. Resets singlemode
    // and autoclick afterwards.
    void hand_over(bool power);
    // The buttons.
    void press_calculate();
    void press_database();
    void press_save_om_state();
    void press_run_r_script();

    sim::Simulator& simulator() { return sim_; }
    sim::TsrbAppExec& app_exec() { return exec_; }
    QPushButton* calculate_button() const { return calculate_; }
    QPushButton* database_button() const { return database_; }
    QLineEdit* path_field() const { return path_; }
    QListWidget* message_list() const { return messages_; }
    QTabWidget* pages() const { return pages_; }
    QTableWidget* plot_grid() const { return plots_; }
    QProgressBar* histogram_bar(int i) const { return bars_.at(static_cast<std::size_t>(i)); }
    QProgressBar* progress_bar() const { return progress_; }
    QCheckBox* recalc_bat_box() const { return recalc_bat_; }
    QCheckBox* stop_run_box() const { return stop_run_; }

    // The run's observer.
    void message(const std::string& line) override;
    void progress(int position, int maximum) override;
    void process_events() override;
    bool stop_requested() override;
    void run_started() override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* make_messages_page();
    QWidget* make_histogram_page();
    QWidget* make_assessment_page();
    QWidget* make_controls();
    void show_state();
    void show_selected_plots();
    sim::RunContext run_context();
    void finish_calculate(sim::CalculateOutcome outcome);
    template <class F> void guarded(F&& f);

    sim::Simulator& sim_;
    SimulatorEnvironment env_;
    sim::RunSteps steps_;
    sim::TsrbAppExec exec_;
    bool activating_ = false;
    bool calculating_ = false;
    int activations_ = 0;             // activations completed
    QEventLoop* wait_loop_ = nullptr; // the loop of show_and_wait, while it runs

    QPushButton* database_ = nullptr;
    QLineEdit* path_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QListWidget* messages_ = nullptr;
    std::array<QProgressBar*, 7> bars_{};
    QTableWidget* plots_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QCheckBox* recalc_bat_ = nullptr;
    QPushButton* calculate_ = nullptr;
    QCheckBox* stop_run_ = nullptr;
    QPushButton* r_script_ = nullptr;
    QPushButton* save_state_ = nullptr;
    QTimer* exec_timer_ = nullptr;
};

} // namespace ui

#include "ui/simulator_window.h"

#include "sim/r_script.h"
#include "sim/result_tables.h"
#include "ui/busy_cursor.h"
#include "ui/close_on_escape.h"
#include "ui/guarded.h"
#include "ui/query_grid.h"
#include "ui/read_only.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

namespace ui {
namespace {

bool real_file_exists(const std::string& f) {
    std::error_code ec;
    return std::filesystem::is_regular_file(f, ec);
}

// Every widget below is created with a parent that owns it, as Qt does.
template <class W, class... A> W* owned(QWidget* parent, A&&... args) {
    auto w = std::make_unique<W>(std::forward<A>(args)..., parent);
    return w.release();
}

} // namespace

TtsmadoForm1::TtsmadoForm1(sim::Simulator& simulator, SimulatorEnvironment env, sim::RunSteps steps,
                           QWidget* parent)
    : QMainWindow(parent), sim_(simulator), env_(std::move(env)), steps_(std::move(steps)) {
    setObjectName("TtsmadoForm1");
    close_on_escape(this); // while a run is under way: STOP RUN
    setWindowTitle("TSM-simulator");
    auto* central = owned<QWidget>(this);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central); // owned by central

    auto* top = new QHBoxLayout();
    layout->addLayout(top); // the layout takes it
    database_ = owned<QPushButton>(central, "database");
    path_ = owned<QLineEdit>(central);
    read_only(path_);
    top->addWidget(database_);
    top->addWidget(path_, 1);

    pages_ = owned<QTabWidget>(central);
    pages_->addTab(make_messages_page(), "messages");
    pages_->addTab(make_histogram_page(), "histogram");
    plots_ = owned<QTableWidget>(pages_);
    pages_->addTab(plots_, "database");
    pages_->addTab(make_assessment_page(), "assessment");
    pages_->setTabEnabled(3, false);
    layout->addWidget(pages_, 1);

    progress_ = owned<QProgressBar>(central);
    progress_->hide();
    layout->addWidget(progress_);
    layout->addWidget(make_controls());

    exec_timer_ = owned<QTimer>(this);
    exec_timer_->setInterval(100);
    connect(exec_timer_, &QTimer::timeout, this, [this] {
        exec_.poll();
        if (!exec_.timer_enabled()) exec_timer_->stop();
    });
    connect(database_, &QPushButton::clicked, this, [this] { press_database(); });
    resize(760, 520);
    sim_.autoclick = false;
    sim_.singlemode = false;
    show_state();
}

QWidget* TtsmadoForm1::make_messages_page() {
    messages_ = owned<QListWidget>(nullptr);
    messages_->setObjectName("messages");
    return messages_;
}

QWidget* TtsmadoForm1::make_histogram_page() {
    auto* page = owned<QWidget>(nullptr);
    auto* grid = new QGridLayout(page);
    grid->addWidget(owned<QLabel>(page, "experiment - model:"), 0, 0, 1, 2);
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        grid->addWidget(owned<QLabel>(page, sim::histogram_labels[i]), row, 0);
        bars_[i] = owned<QProgressBar>(page);
        bars_[i]->setObjectName(QString("tcl%1").arg(row));
        bars_[i]->setFormat("%v");
        grid->addWidget(bars_[i], row, 1);
    }
    grid->setRowStretch(8, 1);
    return page;
}

QWidget* TtsmadoForm1::make_assessment_page() {
    auto* page = owned<QWidget>(nullptr);
    auto* box = new QVBoxLayout(page);
    box->addWidget(owned<QTableWidget>(page));
    auto* pairs = owned<QTableWidget>(page, 0, 4);
    pairs->setHorizontalHeaderLabels({"YEAR_", "MEAS_VALUE", "SIM_VALUE", "MEAS_ID"});
    box->addWidget(pairs);
    return page;
}

QWidget* TtsmadoForm1::make_controls() {
    auto* bar = owned<QWidget>(nullptr);
    auto* row = new QHBoxLayout(bar);
    recalc_bat_ = owned<QCheckBox>(bar, "recalc BAT");
    calculate_ = owned<QPushButton>(bar, "calculate");
    stop_run_ = owned<QCheckBox>(bar, "STOP RUN");
    r_script_ = owned<QPushButton>(bar, "run r-script");
    save_state_ = owned<QPushButton>(bar, "save OM state");
    for (QWidget* w : std::initializer_list<QWidget*>{recalc_bat_, calculate_, stop_run_, r_script_,
                                                      save_state_})
        row->addWidget(w);
    connect(recalc_bat_, &QCheckBox::toggled, this, [this](bool on) { sim_.recalc_bat_box = on; });
    connect(stop_run_, &QCheckBox::toggled, this, [this](bool on) { sim_.stop_run = on; });
    connect(calculate_, &QPushButton::clicked, this, [this] { press_calculate(); });
    connect(r_script_, &QPushButton::clicked, this, [this] { press_run_r_script(); });
    connect(save_state_, &QPushButton::clicked, this, [this] { press_save_om_state(); });
    return bar;
}

// Shows the simulator's fields in the controls.
void TtsmadoForm1::show_state() {
    path_->setText(QString::fromStdString(sim_.path_field));
    calculate_->setText(QString::fromStdString(sim_.calculate_caption));
    calculate_->setEnabled(sim_.calculate_enabled);
    database_->setEnabled(sim_.database_enabled);
    recalc_bat_->setEnabled(sim_.recalc_bat_enabled);
    {
        const QSignalBlocker quiet(recalc_bat_);
        recalc_bat_->setChecked(sim_.recalc_bat_box);
    }
    {
        const QSignalBlocker quiet(stop_run_);
        stop_run_->setChecked(sim_.stop_run);
    }
    // The bars show the class counts against the number of compared pairs.
    int total = 0;
    for (int c : sim_.histogram) total += c;
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        bars_[i]->setRange(0, std::max(total, 1));
        bars_[i]->setValue(sim_.histogram[i]);
    }
}

void TtsmadoForm1::show_selected_plots() {
    if (!env_.connection) return;
    show_query(*plots_, *env_.connection, sim::selected_plots_query);
}

template <class F> void TtsmadoForm1::guarded(F&& f) {
    ui::guarded(env_.dialogs, "TSM-simulator", f);
}

sim::RunContext TtsmadoForm1::run_context() {
    return sim::RunContext{*env_.connection, sim_, *this, env_.dialogs, env_.state};
}

// Activation: the state of the window, the unattended run of "GO", the wait for a run
// the workbench asked for, and the press of "calculate" it wants.
void TtsmadoForm1::activate() {
    if (activating_ || calculating_) return;
    activating_ = true;
    sim::ActivationContext ctx{env_.args,       real_file_exists, env_.settings, env_.tsm_settings,
                               env_.state,      env_.dialogs,     *this,         env_.connection,
                               env_.current_dir};
    sim::ActivationOutcome outcome;
    guarded(
        [&] { outcome = sim::activate_window(sim_, ctx, steps_, [this] { return isVisible(); }); });
    activating_ = false;
    ++activations_;
    show_state();
    guarded([&] { show_selected_plots(); });
    if (outcome.calculate == sim::CalculateOutcome::close_window) close();
    if (outcome.end_program)
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TtsmadoForm1::press_calculate() {
    if (calculating_) return;
    if (!env_.connection) {
        env_.dialogs.show_message("TSM-simulator", "No experiment database is open.");
        return;
    }
    calculating_ = true;
    std::optional<BusyCursor> busy;
    if (sim_.calculate_caption != "close") busy.emplace(); // a run, not a close
    sim::RunContext ctx = run_context();
    const sim::CalculateOutcome outcome = sim::press_calculate(ctx, steps_);
    busy.reset();
    calculating_ = false;
    finish_calculate(outcome);
}

void TtsmadoForm1::finish_calculate(sim::CalculateOutcome outcome) {
    progress_->hide();
    show_state();
    if (outcome == sim::CalculateOutcome::close_window) {
        close();
        return;
    }
    if (outcome == sim::CalculateOutcome::completed || outcome == sim::CalculateOutcome::failed)
        guarded([&] { show_selected_plots(); });
}

void TtsmadoForm1::press_database() {
    guarded([&] {
        if (sim::choose_database(sim_, env_.dialogs, env_.state, env_.connection)) {
            show_state();
            show_selected_plots();
        }
    });
}

void TtsmadoForm1::press_save_om_state() {
    if (!env_.connection) return;
    guarded([&] {
        for (const std::string& failure : sim::save_om_state(
                 *env_.connection, sim::button_state_plot, sim::button_state_year, sim_.om_state))
            message(failure);
    });
}

void TtsmadoForm1::press_run_r_script() {
    guarded([&] { sim::run_r_script(sim_, exec_, env_.current_dir); });
    if (exec_.timer_enabled()) exec_timer_->start();
}

void TtsmadoForm1::message(const std::string& line) {
    messages_->addItem(QString::fromStdString(line));
    messages_->scrollToBottom();
}

void TtsmadoForm1::progress(int position, int maximum) {
    progress_->setVisible(maximum > 0 && position < maximum);
    progress_->setRange(0, std::max(maximum, 1));
    progress_->setValue(std::min(position, std::max(maximum, 1)));
}

void TtsmadoForm1::process_events() {
    QCoreApplication::processEvents();
}

bool TtsmadoForm1::stop_requested() {
    return stop_run_->isChecked();
}

void TtsmadoForm1::run_started() {
    messages_->clear();
    pages_->setCurrentIndex(0);
    show_state();
}

// Activation runs each time the window is shown: the workbench and the launcher show it
// for every hand-over. Its own message boxes taking the focus do not activate it again.
bool TtsmadoForm1::event(QEvent* e) {
    if (e->type() == QEvent::Show)
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) activate();
        });
    return QMainWindow::event(e);
}

// A run under way is not left behind: the window stays until the run has ended.
void TtsmadoForm1::closeEvent(QCloseEvent* e) {
    if (calculating_ || activating_) {
        sim_.stop_run = true;
        stop_run_->setChecked(true);
        e->ignore();
        return;
    }
    QMainWindow::closeEvent(e);
}

void TtsmadoForm1::show_and_wait() {
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    wait_loop_ = &loop;
    if (isVisible()) loop.exec();
    wait_loop_ = nullptr;
}

void TtsmadoForm1::hand_over(bool power) {
    const int before = activations_;
    show();
    while (isVisible() && activations_ == before)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (power && sim_.singlemode) {
        // Each press runs or closes; without a database (its file moved away or locked
        // during the hand-over) nothing can run, and the window closes instead of pressing
        // again and again.
        while (isVisible()) {
            if (!env_.connection) close();
            if (!isVisible()) break;
            press_calculate();
            QCoreApplication::processEvents();
        }
    } else {
        // The run clears running from within an event: sleep until the next one arrives.
        while (sim_.running && isVisible())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        close();
    }
    sim_.singlemode = false;
    sim_.autoclick = false;
}

void TtsmadoForm1::hideEvent(QHideEvent* e) {
    QMainWindow::hideEvent(e);
    if (wait_loop_) wait_loop_->quit();
}

} // namespace ui

#include "ui/nbalance_window.h"

#include "app/desktop_open.h"
#include "app/xlsx_export.h"
#include "db/db_error.h"
#include "db/text.h"
#include "db/value.h"
#include "nbal/n_balance.h"
#include "ui/close_on_escape.h"
#include "ui/query_grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>
#include <stdexcept>

namespace ui {
namespace {

constexpr const char* caption = "TSM N balance";

// Every widget below is created with a parent that owns it, as Qt does.
template <class W, class... A> W* owned(QWidget* parent, A&&... args) {
    auto w = std::make_unique<W>(std::forward<A>(args)..., parent);
    return w.release();
}

double number_in(const QLineEdit* field, const std::string& name) {
    const std::string text = field->text().toStdString();
    const auto v = db::parse_number(text);
    if (!v || !std::isfinite(*v))
        throw std::invalid_argument("The " + name + " \"" + text + "\" is not a number.");
    return *v;
}

int year_in(const QLineEdit* field, const std::string& name) {
    const double v = number_in(field, name);
    if (v != std::floor(v) || std::fabs(v) > 1e6)
        throw std::invalid_argument("The " + name + " \"" + field->text().toStdString() +
                                    "\" is not a year.");
    return static_cast<int>(v);
}

} // namespace

Tfrm_nbalance::Tfrm_nbalance(std::optional<db::Connection>& connection, app::Dialogs& dialogs,
                             QWidget* parent)
    : QWidget(parent), connection_(connection), dialogs_(dialogs) {
    setObjectName("Tfrm_nbalance");
    close_on_escape(this);
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this); // owned by the window
    layout->addWidget(make_ranges());

    auto* buttons = new QHBoxLayout();
    layout->addLayout(buttons); // the layout takes it
    run_ = owned<QPushButton>(this, "run N-Balance");
    xls_ = owned<QPushButton>(this, "copy to XLS");
    selector_ = owned<QComboBox>(this);
    selector_->addItems({"NMIN_SALDO", "NT_SALDO", ""});
    selector_->hide();
    buttons->addWidget(run_);
    buttons->addWidget(xls_);
    buttons->addWidget(selector_);
    buttons->addStretch(1);
    close_ = owned<QPushButton>(this, "close");
    buttons->addWidget(close_);

    progress_ = owned<QProgressBar>(this);
    progress_->setRange(0, nbal::progress_steps);
    progress_->setValue(0);
    layout->addWidget(progress_);
    grid_ = owned<QTableWidget>(this);
    grid_->hide();
    layout->addWidget(grid_, 1);

    connect(run_, &QPushButton::clicked, this, [this] { press_run(); });
    connect(xls_, &QPushButton::clicked, this, [this] { press_copy_to_xls(); });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    connect(selector_, &QComboBox::textActivated, this,
            [this](const QString& item) { choose_table(item); });
    resize(820, 560);
}

QWidget* Tfrm_nbalance::make_ranges() {
    auto* box = owned<QWidget>(this);
    auto* grid = new QGridLayout(box); // owned by box
    year_from_ = owned<QLineEdit>(box, "0");
    year_to_ = owned<QLineEdit>(box, "3000");
    fert_from_ = owned<QLineEdit>(box, "0");
    fert_to_ = owned<QLineEdit>(box, "3000");
    plot_ = owned<QLineEdit>(box, "*");
    observed_ = owned<QCheckBox>(box, "use observed N-uptake");
    grid->addWidget(year_from_, 0, 0);
    grid->addWidget(owned<QLabel>(box, "<=    year    <="), 0, 1);
    grid->addWidget(year_to_, 0, 2);
    grid->addWidget(fert_from_, 1, 0);
    grid->addWidget(owned<QLabel>(box, "<= fertiliser N [kg/ha] <="), 1, 1);
    grid->addWidget(fert_to_, 1, 2);
    grid->addWidget(owned<QLabel>(box, "FL_ID (* = all)"), 2, 0);
    grid->addWidget(plot_, 2, 1);
    grid->addWidget(observed_, 2, 2);
    return box;
}

db::Connection& Tfrm_nbalance::conn() {
    if (!connection_) throw std::runtime_error("No experiment database is open.");
    return *connection_;
}

void Tfrm_nbalance::report(const std::exception& e) {
    dialogs_.show_error(caption, e.what());
}

void Tfrm_nbalance::advance() {
    progress_->setValue(std::min(progress_->value() + 1, progress_->maximum()));
    QCoreApplication::processEvents();
}

// Computes the balance for the plot field and shows NMIN_SALDO.
void Tfrm_nbalance::press_run() {
    if (running_) return;
    running_ = true;
    run_->setEnabled(false);
    xls_->setEnabled(false);
    progress_->setValue(0);
    try {
        nbal::NBalanceOptions options;
        options.year_from = year_in(year_from_, "first year");
        options.year_to = year_in(year_to_, "last year");
        options.fertiliser_from = number_in(fert_from_, "lowest fertiliser N");
        options.fertiliser_to = number_in(fert_to_, "highest fertiliser N");
        options.plot = nbal::parse_plot_field(plot_->text().toStdString());
        options.observed_uptake = observed_->isChecked();
        options.regional = nbal::regional_database(conn());
        const nbal::NBalanceResult result =
            nbal::run_n_balance(conn(), options, [this] { advance(); });
        for (const std::string& w : result.warnings) dialogs_.show_message(caption, w);
        selector_->setCurrentIndex(0);
        show_table("SELECT * from NMIN_SALDO");
        selector_->show();
    } catch (const std::exception& e) {
        close_grid();
        selector_->hide();
        report(e);
    }
    progress_->setValue(progress_->maximum());
    run_->setEnabled(true);
    xls_->setEnabled(true);
    running_ = false;
}

void Tfrm_nbalance::choose_table(const QString& item) {
    try {
        show_table("  SELECT * from " + item.toStdString());
    } catch (const std::exception& e) {
        report(e);
    }
}

// Shows the query in the grid; a failing query leaves the grid closed.
void Tfrm_nbalance::show_table(const std::string& query) {
    try {
        show_query(*grid_, conn(), query);
    } catch (...) {
        close_grid();
        throw;
    }
    grid_query_ = query;
    grid_->show();
}

void Tfrm_nbalance::close_grid() {
    grid_->clear();
    grid_->setRowCount(0);
    grid_->setColumnCount(0);
    grid_->hide();
    grid_query_.clear();
}

// Writes the rows of the grid's query into a workbook file and opens it on the desktop.
void Tfrm_nbalance::press_copy_to_xls() {
    if (grid_query_.empty()) {
        dialogs_.show_message(caption, "There is no table to copy: run the N balance first.");
        return;
    }
    const auto chosen = dialogs_.choose_save_file("copy to XLS", "Excel workbook|*.xlsx");
    if (!chosen || db::trim(*chosen).empty()) return;
    std::filesystem::path file = *chosen;
    if (!file.has_extension()) file += ".xlsx";
    try {
        db::Dataset rows = conn().open(grid_query_);
        app::write_xlsx(file, rows);
        app::open_with_desktop(file);
    } catch (const std::exception& e) {
        report(e);
    }
}

} // namespace ui

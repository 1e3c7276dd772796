// nbalance_window.h --- the N balance window Tfrm_nbalance ("TSM N balance"): the ranges
// and plot of the balance, its run, the choice of summary table, its grid and the copy
// into a workbook. A thin view over nbal::run_n_balance.
#pragma once

#include "app/dialogs.h"
#include "db/connection.h"

#include <QWidget>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace ui {

class Tfrm_nbalance : public QWidget {
    Q_OBJECT
public:
    // `connection` is the shared connection, used while it is open.
    Tfrm_nbalance(std::optional<db::Connection>& connection, app::Dialogs& dialogs,
                  QWidget* parent = nullptr);

    // The buttons and the selector; public for tests.
    void press_run();
    void press_copy_to_xls();
    void choose_table(const QString& item);

    QLineEdit* year_from_field() const { return year_from_; }
    QLineEdit* year_to_field() const { return year_to_; }
    QLineEdit* fertiliser_from_field() const { return fert_from_; }
    QLineEdit* fertiliser_to_field() const { return fert_to_; }
    QLineEdit* plot_field() const { return plot_; }
    QCheckBox* observed_uptake_box() const { return observed_; }
    QPushButton* run_button() const { return run_; }
    QPushButton* xls_button() const { return xls_; }
    QPushButton* close_button() const { return close_; }
    QProgressBar* progress_bar() const { return progress_; }
    QComboBox* selector() const { return selector_; }
    QTableWidget* grid() const { return grid_; }
    // The query the grid shows; empty when the grid is closed.
    const std::string& grid_query() const { return grid_query_; }

private:
    QWidget* make_ranges();
    db::Connection& conn();
    void show_table(const std::string& query);
    void close_grid();
    void advance();
    void report(const std::exception& e);

    std::optional<db::Connection>& connection_;
    app::Dialogs& dialogs_;
    std::string grid_query_;
    bool running_ = false;

    QLineEdit* year_from_ = nullptr;
    QLineEdit* year_to_ = nullptr;
    QLineEdit* fert_from_ = nullptr;
    QLineEdit* fert_to_ = nullptr;
    QLineEdit* plot_ = nullptr;
    QCheckBox* observed_ = nullptr;
    QPushButton* run_ = nullptr;
    QPushButton* xls_ = nullptr;
    QPushButton* close_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QComboBox* selector_ = nullptr;
    QTableWidget* grid_ = nullptr;
};

} // namespace ui

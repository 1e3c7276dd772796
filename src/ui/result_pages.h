// result_pages.h --- the result pages of the workbench: the comparisons of simulated with
// observed organic carbon, total nitrogen and microbial biomass (statistics list, chart and
// grid), the organic matter turnover, the yearly state, the N balance and the SOM
// reproduction assessment of the clicked plot, each result grid with its "==> xls" button.
#pragma once

#include "stats/result_evaluation.h"
#include "ui/result_grid.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QBoxLayout;
class QChartView;
class QComboBox;
class QLabel;
class QListWidget;
class QWidget;

namespace workbench {
struct Tsrb_item;
}

namespace ui {

class Trange_select;

// A comparison page: the statistics list, the chart and the grid of the pairs.
struct ComparisonPage {
    QListWidget* list = nullptr;
    QChartView* chart = nullptr;
    std::unique_ptr<ResultGrid> grid;
};

// A page that draws one chosen column of its grid over the years.
struct SelectionPage {
    QComboBox* choice = nullptr;
    QChartView* chart = nullptr;
    QListWidget* range = nullptr; // Mean=, Min=, Max= (misc.results only)
    std::unique_ptr<ResultGrid> grid;
    std::string x_field;
    std::vector<std::string> columns; // per entry of the choice
};

// The SOM-Reproduction page.
struct ReproductionPage {
    QLabel* supply = nullptr;  // Label36
    QLabel* level = nullptr;   // rep_level
    QLabel* caption = nullptr; // Label34
    QChartView* chart = nullptr;
    std::unique_ptr<ResultGrid> grid;
};

class ResultPages : public QObject {
public:
    // Creates the page contents inside the window's pages (parent: the window).
    explicit ResultPages(Trange_select& window);
    ~ResultPages() override;

    // The evaluation of a plot in a phase: lists the comparisons and fills every page. A
    // failure is shown, naming the plot, and leaves the pages as far as they were filled.
    void evaluate(const workbench::Tsrb_item& item, int phase);

    // Draws the chosen column of a selection page (by the index of its choice).
    void choose(SelectionPage& page, int entry);

    stats::StatViews& views() { return views_; }
    ComparisonPage& carbon() { return carbon_; }
    ComparisonPage& nitrogen() { return nitrogen_; }
    ComparisonPage& biomass() { return biomass_; }
    SelectionPage& turnover() { return turnover_; }
    SelectionPage& misc_results() { return misc_; }
    SelectionPage& n_balance() { return n_balance_; }
    ReproductionPage& reproduction() { return reproduction_; }

private:
    QBoxLayout& page_layout(int page_index);
    void make_comparison(ComparisonPage& page, int page_index, const QString& list_name,
                         const QString& chart_name, const QString& grid_name);
    void make_selection(SelectionPage& page, int page_index, const QString& name,
                        const QStringList& entries, const QString& xls_caption);
    void make_reproduction();

    void show_comparison_page(ComparisonPage& page, const stats::StatView& view, db::Dataset grid,
                              const QString& y_title);
    void apply_pages(const stats::PageChanges& changes);
    void show_selection(SelectionPage& page, int page_index, db::Dataset rows);
    void show_reproduction(std::int64_t plot);
    db::Dataset open_or_empty(const std::string& statement);
    stats::EvaluationOptions options() const;

    Trange_select& window_;
    stats::StatViews views_;
    ComparisonPage carbon_, nitrogen_, biomass_;
    SelectionPage turnover_, misc_, n_balance_;
    ReproductionPage reproduction_;
};

// Creates the result pages in the window and connects them to the plot evaluation. The
// pages live as long as the window.
ResultPages& install_result_pages(Trange_select& window);

} // namespace ui

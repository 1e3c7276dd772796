// result_pages.cpp --- the result pages of the workbench.
#include "ui/result_pages.h"

#include "db/connection.h"
#include "stats/result_page_statements.h"
#include "stats/statistics_update.h"
#include "ui/chart_printing.h"
#include "ui/som_reproduction_levels.h"
#include "ui/stat_chart.h"
#include "ui/workbench_window.h"
#include "workbench/experiment_tree.h"

#include <QApplication>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QTabWidget>
#include <exception>

namespace ui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

int page_index(stats::ResultPage p) {
    switch (p) {
    case stats::ResultPage::observation:
        return page::observation;
    case stats::ResultPage::c_dynamics:
        return page::c_dynamics;
    case stats::ResultPage::misc_results:
        return page::misc_results;
    case stats::ResultPage::n_dynamics:
        return page::n_dynamics;
    case stats::ResultPage::micr_bm:
        return page::micr_bm;
    case stats::ResultPage::n_balance:
        return page::n_balance;
    case stats::ResultPage::om_turnover:
        return page::om_turnover;
    }
    return page::observation;
}

constexpr stats::ResultPage all_result_pages[] = {
    stats::ResultPage::observation, stats::ResultPage::c_dynamics, stats::ResultPage::misc_results,
    stats::ResultPage::n_dynamics,  stats::ResultPage::micr_bm,    stats::ResultPage::n_balance,
    stats::ResultPage::om_turnover};

} // namespace

ResultPages::ResultPages(Trange_select& window) : QObject(&window), window_(window) {
    make_comparison(carbon_, page::c_dynamics, "ListBox1", "Chart3", "carbon_grid");
    make_comparison(nitrogen_, page::n_dynamics, "ListBox3", "Chart4", "nitrogen_grid");
    make_comparison(biomass_, page::micr_bm, "ListBox4", "Chart5", "biomass_grid");
    const bool german = window_.state().language == "D";
    make_selection(turnover_, page::om_turnover, "turnover",
                   german ? QStringList{"Humus-Aufbau", "Humus-Abbau", "CO2-Produktion",
                                        "C-Vorrat (total) ", "Humussaldo", "BAT", "REP_IX"}
                          : QStringList{"SOM - reproduction", "SOM - decomposition",
                                        "total C emission", "total C in soil", "SOM saldo", "BAT",
                                        "REP_IX"},
                   "==> xls");
    turnover_.x_field = "year_";
    turnover_.columns = {"crepflx", "csomloss", "c2atm", "soilcarbon", "saldo", "bat", "repix"};
    make_selection(misc_, page::misc_results, "misc",
                   {"N-mineralisation kg/ha/a", "N in FOM kg/ha", "C in FOM kg/ha",
                    "N in SOM kg/ha", "C in SOM kg/ha", "phys.stab. SOC kg/ha", "CNR",
                    "C_rep flux in kg/ha/a", "BAT", "BD", "PWP"},
                   "==>xls");
    misc_.x_field = "year";
    misc_.columns = {"N_m_OM", "N_OPS", "C_OPS", "N_som", "C_SOM", "C_lts",
                     "CNR",    "crep",  "bat",   "bd",    "pwp"};
    misc_.range = new QListWidget;
    misc_.range->setObjectName("misc_range");
    misc_.range->setMaximumHeight(70);
    page_layout(page::misc_results).insertWidget(2, misc_.range);
    make_selection(n_balance_, page::n_balance, "nbalance",
                   {"saldo", "SOM- mineralisation", "fertilizer", "deposition", "other sources",
                    "crop uptake"},
                   "==> xls");
    n_balance_.x_field = "year";
    n_balance_.columns = {"saldo_nmin_soil", "n_mos_inp", "n_mindg_inp",
                          "n_depos_inp",     "n_div_inp", "n_pflanze_out"};
    make_reproduction();
}

ResultPages::~ResultPages() = default;

QBoxLayout& ResultPages::page_layout(int index) {
    QWidget* page = window_.pages()->widget(index);
    if (!page->layout()) new QVBoxLayout(page);
    if (auto* box = qobject_cast<QBoxLayout*>(page->layout())) return *box;
    // Another kind of layout: the result widgets go into a box inside it.
    auto* holder = new QWidget;
    page->layout()->addWidget(holder);
    return *new QVBoxLayout(holder);
}

void ResultPages::make_comparison(ComparisonPage& page, int index, const QString& list_name,
                                  const QString& chart_name, const QString& grid_name) {
    QBoxLayout& layout = page_layout(index);
    auto* row = new QHBoxLayout;
    page.list = new QListWidget;
    page.list->setObjectName(list_name);
    page.list->setMaximumWidth(260);
    page.chart = make_chart_view(chart_name);
    row->addWidget(page.list);
    row->addWidget(page.chart, 1);
    layout.addLayout(row, 2);
    page.grid = std::make_unique<ResultGrid>(layout, grid_name, "==> xls", window_.dialogs());
}

void ResultPages::make_selection(SelectionPage& page, int index, const QString& name,
                                 const QStringList& entries, const QString& xls_caption) {
    QBoxLayout& layout = page_layout(index);
    page.choice = new QComboBox;
    page.choice->setObjectName(name + "_choice");
    page.choice->addItems(entries);
    layout.addWidget(page.choice);
    page.chart = make_chart_view(name + "_chart");
    layout.addWidget(page.chart, 2);
    page.grid =
        std::make_unique<ResultGrid>(layout, name + "_grid", xls_caption, window_.dialogs());
    connect(page.choice, &QComboBox::activated, this, [this, &page](int i) { choose(page, i); });
}

void ResultPages::make_reproduction() {
    QBoxLayout& layout = page_layout(page::salca);
    const bool german = window_.state().language == "D";
    reproduction_.supply = new QLabel;
    reproduction_.supply->setObjectName("Label36");
    reproduction_.level = new QLabel;
    reproduction_.level->setObjectName("rep_level");
    reproduction_.caption = new QLabel(german ? "jährliche Änderung:" : "annual change:");
    reproduction_.caption->setObjectName("Label34");
    for (QLabel* l : {reproduction_.supply, reproduction_.level, reproduction_.caption})
        layout.addWidget(l);
    reproduction_.chart = make_chart_view("Chart6");
    reproduction_.chart->chart()->setTitle(german ? "C-Reproduktionsindex"
                                                  : "C reproduction index");
    print_on_click(reproduction_.chart);
    layout.addWidget(reproduction_.chart, 2);
    reproduction_.grid =
        std::make_unique<ResultGrid>(layout, "reproduction_grid", "==>xls", window_.dialogs());
}

stats::EvaluationOptions ResultPages::options() const {
    stats::EvaluationOptions o;
    o.modus = window_.state().modus;
    return o;
}

void ResultPages::evaluate(const workbench::Tsrb_item& item, int phase) {
    try {
        stats::PlotEvaluation e = stats::result_auswertung(
            window_.conn(), item, false, static_cast<stats::Phase>(phase), views_, options());
        show_comparison_page(carbon_, views_.carbon, std::move(e.carbon_grid), "Corg[%]");
        show_comparison_page(nitrogen_, views_.nitrogen, std::move(e.nitrogen_grid), "Nt[%]");
        show_comparison_page(biomass_, views_.biomass, std::move(e.biomass_grid), "Cmic");
        apply_pages(e.pages);
        if (e.pages.visible(stats::ResultPage::c_dynamics).value_or(false))
            window_.pages()->setTabEnabled(page::c_dynamics, true);
        show_selection(turnover_, page::om_turnover, std::move(e.turnover_grid));
        if (e.pages.om_turnover_to_front) window_.pages()->setCurrentIndex(page::om_turnover);
        show_selection(misc_, page::misc_results,
                       open_or_empty(stats::misc_results_statement(item.snr)));
        show_reproduction(item.snr);
        db::Dataset balance;
        if (window_.conn().has_table("nmin_saldo") &&
            window_.conn().has_column("nmin_saldo", "year"))
            balance = open_or_empty(stats::n_balance_statement(item.snr));
        show_selection(n_balance_, page::n_balance, std::move(balance));
        window_.pages()->setTabVisible(page::n_balance, !n_balance_.grid->data().empty());
    } catch (const std::exception& e) {
        window_.dialogs().show_message("evaluation",
                                       "plot " + std::to_string(item.snr) + ": " + e.what());
    }
}

void ResultPages::show_comparison_page(ComparisonPage& page, const stats::StatView& view,
                                       db::Dataset grid, const QString& y_title) {
    page.list->clear();
    for (const std::string& line : view.lines()) page.list->addItem(qs(line));
    show_comparison(*page.chart->chart(), view.chart(), "year", y_title);
    page.grid->show(std::move(grid));
}

void ResultPages::apply_pages(const stats::PageChanges& changes) {
    for (stats::ResultPage p : all_result_pages)
        if (const std::optional<bool> v = changes.visible(p))
            window_.pages()->setTabVisible(page_index(p), *v);
}

db::Dataset ResultPages::open_or_empty(const std::string& statement) {
    try {
        return window_.conn().open(statement);
    } catch (const std::exception&) {
        return {}; // the page stays empty, as a plot without these results shows it
    }
}

void ResultPages::show_selection(SelectionPage& page, int index, db::Dataset rows) {
    page.grid->show(std::move(rows));
    if (index == page::om_turnover && window_.state().language == "D") {
        page.grid->set_title("crepflx", "Hum.aufb[kgC/ha/a]");
        page.grid->set_title("csomloss", "Hum.abb[kgC/ha/a]");
        page.grid->set_title("saldo", "Saldo[kgC/ha/a]");
        page.grid->set_title("c2atm", "CO2-Prod. [kgC/ha/a]");
        page.grid->set_title("soilcarbon", "C im Boden [t/ha]");
    }
    page.choice->setCurrentIndex(0);
    choose(page, 0);
}

void ResultPages::choose(SelectionPage& page, int entry) {
    if (entry < 0 || entry >= static_cast<int>(page.columns.size())) return;
    const std::optional<ColumnRange> range =
        show_column(*page.chart->chart(), page.grid->data(), page.x_field,
                    page.columns[static_cast<std::size_t>(entry)], page.choice->itemText(entry));
    if (!page.range) return;
    page.range->clear();
    if (!range) return;
    page.range->addItem("Mean=" + qs(db::format_cstr(range->mean)));
    page.range->addItem("Min=" + qs(db::format_cstr(range->min)));
    page.range->addItem("Max=" + qs(db::format_cstr(range->max)));
}

void ResultPages::show_reproduction(std::int64_t plot) {
    const app::ProgramState& s = window_.state();
    ReproductionPage& r = reproduction_;
    QChart& chart = *r.chart->chart();
    r.supply->clear();
    r.level->clear();
    chart.removeAllSeries();
    r.grid->clear();
    const stats::ReproductionQueries queries =
        stats::reproduction_queries(s.methode, s.modus, s.language, plot);
    if (queries.tsm_assessment) {
        db::Dataset mean = open_or_empty(stats::reproduction_assessment_statement(plot));
        if (!mean.empty()) {
            WorkbenchFields& f = window_.fields();
            f.rep_flx = mean["rep_flx"].as_double();
            f.rep_ix = mean["rep_ix"].as_double();
            const ReproductionTexts t = reproduction_texts(s.language, f.rep_flx, f.rep_ix);
            r.supply->setText(qs(t.supply));
            r.level->setText(qs(t.level));
            db::Dataset yearly = open_or_empty(stats::reproduction_chart_statement(plot));
            const bool german = s.language == "D";
            show_column(chart, yearly, "yr", "rep_ix",
                        german ? "C-Reproduktionsindex" : "C reproduction index");
            if (!chart.series().isEmpty()) {
                add_level_line(chart, f.rep_ix); // series 1: the plot's mean index
                for (QAbstractAxis* axis : chart.axes(Qt::Horizontal))
                    axis->setTitleText(german ? "Jahr" : "year");
            }
        }
    }
    if (!queries.grid.empty()) r.grid->show(open_or_empty(queries.grid));
    const bool korvex = s.modus == "KORVEX";
    r.level->setVisible(!korvex);
    if (korvex) r.supply->setText("KORVEX");
    r.grid->set_visible(!r.grid->data().empty() || s.modus == "ORV" || korvex);
    // The page has no tab of its own in the designed window; it is reachable whenever
    // there is an assessment to show.
    const bool content = !r.level->text().isEmpty() || !r.grid->data().empty();
    window_.pages()->setTabVisible(page::salca, content);
}

ResultPages& install_result_pages(Trange_select& window) {
    auto* pages = new ResultPages(window); // owned by the window
    window.set_evaluation([pages](Trange_select&, const workbench::Tsrb_item& item, int phase) {
        pages->evaluate(item, phase);
    });
    return *pages;
}

} // namespace ui

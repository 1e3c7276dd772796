// report_actions.cpp --- the report buttons of the workbench.
#include "ui/report_actions.h"

#include "app/desktop_open.h"
#include "app/settings_store.h"
#include "stats/management_report.h"
#include "stats/result_report.h"
#include "stats/site_report.h"
#include "ui/busy_cursor.h"
#include "ui/guarded.h"
#include "ui/report_printing.h"
#include "ui/result_pages.h"
#include "ui/workbench_window.h"
#include "workbench/experiment_tree.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QPushButton>
#include <QTabWidget>
#include <exception>

namespace ui {

namespace {

struct ButtonText {
    const char* name;
    const char* english;
    const char* german;
};

constexpr ButtonText site_button{"print_site_desc", "print site desc.", "Ausgabe Standortdaten"};
constexpr ButtonText management_button{"print_management", "print management", "Ausgabe"};
constexpr ButtonText reproduction_button{"print_reproduction", "print", "print"};

const char* result_button_name(stats::ReportKind kind) {
    return kind == stats::ReportKind::carbon     ? "carbon_report"
           : kind == stats::ReportKind::nitrogen ? "nitrogen_report"
                                                 : "biomass_report";
}

void default_open(app::SettingsStore& settings, const std::filesystem::path& file) {
    const std::string reader = settings.read_string("pdf_reader");
    if (reader.empty() || !app::open_with_program(reader, file)) app::open_with_desktop(file);
}

} // namespace

ReportActions::ReportActions(Trange_select& window, ResultPages& pages,
                             app::SettingsStore& settings, ReportOutput output)
    : QObject(&window), window_(window), pages_(pages), settings_(settings),
      output_(std::move(output)) {
    if (!output_.preview)
        output_.preview = [this](const stats::Report& r) { preview_report(r, &window_); };
    if (!output_.open)
        output_.open = [this](const std::filesystem::path& f) { default_open(settings_, f); };
    add_buttons();
}

void ReportActions::add_buttons() {
    const bool german = window_.state().language == "D";
    const auto button = [&](const ButtonText& t, int page) {
        auto* b = new QPushButton(german ? QString::fromUtf8(t.german) : t.english);
        b->setObjectName(t.name);
        QWidget* content = window_.pages()->widget(page);
        if (auto* form = qobject_cast<QFormLayout*>(content->layout()))
            form->addRow(b);
        else if (auto* box = qobject_cast<QBoxLayout*>(content->layout()))
            box->addWidget(b, 0, Qt::AlignLeft);
        return b;
    };
    connect(button(site_button, page::basic_info), &QPushButton::clicked, this,
            [this] { print_site_description(); });
    connect(button(management_button, page::management), &QPushButton::clicked, this,
            [this] { print_management(); });
    for (auto [kind, index] : {std::pair{stats::ReportKind::carbon, page::c_dynamics},
                               {stats::ReportKind::nitrogen, page::n_dynamics},
                               {stats::ReportKind::microbial, page::micr_bm}}) {
        const ButtonText t{result_button_name(kind), "create report", "Ausgabe"};
        connect(button(t, index), &QPushButton::clicked, this,
                [this, kind = kind] { create_result_report(kind); });
    }
    connect(button(reproduction_button, page::salca), &QPushButton::clicked, this,
            [this] { print_reproduction(); });
}

template <class F> void ReportActions::guarded(const std::string& caption, F&& f) {
    ui::guarded(window_.dialogs(), caption, f);
}

std::optional<std::int64_t> ReportActions::active_plot() {
    if (const workbench::Tsrb_item* item = window_.fields().a_srb_item) return item->snr;
    window_.dialogs().show_message("report", "no plot selected");
    return std::nullopt;
}

void ReportActions::print_site_description() {
    const std::optional<std::int64_t> plot = active_plot();
    if (!plot) return;
    guarded(site_button.english,
            [&] { output_.preview(stats::site_report(window_.conn(), *plot)); });
}

void ReportActions::print_management() {
    const std::optional<std::int64_t> plot = active_plot();
    if (!plot) return;
    guarded(management_button.english, [&] {
        output_.preview(
            stats::management_report(window_.conn(), *plot, window_.state().regional_mode));
    });
}

void ReportActions::create_result_report(stats::ReportKind kind) {
    const std::optional<std::int64_t> plot = active_plot();
    if (!plot) return;
    guarded("create report", [&] {
        const ComparisonPage& page = kind == stats::ReportKind::carbon     ? pages_.carbon()
                                     : kind == stats::ReportKind::nitrogen ? pages_.nitrogen()
                                                                           : pages_.biomass();
        const stats::StatView& view = kind == stats::ReportKind::carbon ? pages_.views().carbon
                                      : kind == stats::ReportKind::nitrogen
                                          ? pages_.views().nitrogen
                                          : pages_.views().biomass;
        // The page shows the plot of the last evaluation; another plot has no results here.
        if (view.plot() != *plot) throw stats::NoResults(*plot);
        write_pdf(stats::result_report(window_.conn(), *plot, kind,
                                       {page.grid->data(), view.lines(), view.chart()}));
    });
}

void ReportActions::print_reproduction() {
    const std::optional<std::int64_t> plot = active_plot();
    if (!plot) return;
    guarded(reproduction_button.english,
            [&] { write_pdf(stats::reproduction_report(window_.conn(), *plot)); });
}

void ReportActions::write_pdf(const stats::Report& report) {
    const std::filesystem::path file =
        stats::report_file(settings_.read_string("pdf_dir"), report.fl_id, report.kind);
    std::error_code ec;
    if (std::filesystem::exists(file, ec) &&
        !window_.dialogs().ask_yes_no("create report",
                                      "The file " + file.string() + " exists. Replace it?"))
        return;
    {
        BusyCursor busy;
        write_report_pdf(report, file);
    }
    output_.open(file);
}

ReportActions& install_report_actions(Trange_select& window, ResultPages& pages,
                                      app::SettingsStore& settings, ReportOutput output) {
    auto* actions = new ReportActions(window, pages, settings, std::move(output)); // owned by
    return *actions;                                                               // the window
}

} // namespace ui

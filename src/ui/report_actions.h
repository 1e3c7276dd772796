// report_actions.h --- the report buttons of the workbench: "print site desc." (Basic-Info)
// and "print management" (Management) open the print preview; "create report" on
// C-dynamics, N-dynamics and micr.BM and "print" on SOM-Reproduction write the PDF file
// <FL_ID>_<kind>.pdf into the folder pdf_dir and open it.
#pragma once

#include "stats/report.h"

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace app {
class SettingsStore;
}

namespace ui {

class ResultPages;
class Trange_select;

// Where the reports go; tests replace both.
struct ReportOutput {
    // Shows the report in the print preview (default: the preview dialog).
    std::function<void(const stats::Report&)> preview;
    // Opens a written PDF file (default: the program pdf_reader when set, else the
    // desktop's application for PDF files).
    std::function<void(const std::filesystem::path&)> open;
};

class ReportActions : public QObject {
public:
    ReportActions(Trange_select& window, ResultPages& pages, app::SettingsStore& settings,
                  ReportOutput output);

    // The buttons' actions, on the active plot. Failures and plots without results are
    // shown as messages; nothing is written then.
    void print_site_description();
    void print_management();
    void create_result_report(stats::ReportKind kind);
    void print_reproduction();

private:
    void add_buttons();
    std::optional<std::int64_t> active_plot();
    // Writes the report's PDF file, asking before a file of that name is replaced, and opens it.
    void write_pdf(const stats::Report& report);
    template <class F> void guarded(const std::string& caption, F&& f);

    Trange_select& window_;
    ResultPages& pages_;
    app::SettingsStore& settings_;
    ReportOutput output_;
};

// Adds the report buttons to the workbench's pages; the actions live as long as the window.
ReportActions& install_report_actions(Trange_select& window, ResultPages& pages,
                                      app::SettingsStore& settings, ReportOutput output = {});

} // namespace ui

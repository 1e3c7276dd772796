// report_printing.h --- a report on paged devices: the page painter with the page header,
// the A4 PDF file, and the print preview with its printer.
#pragma once

#include "stats/report.h"

#include <QString>
#include <filesystem>

class QPagedPaintDevice;
class QTextDocument;
class QWidget;

namespace ui {

// What heads every page: the program and the date on the first line, the report's title
// and plot and "page n of m" on the second.
struct PageHeader {
    QString program = QStringLiteral("TSM workbench");
    QString printed; // date and time of printing
    QString title;
    QString plot;
};

// The header of a report printed now.
PageHeader page_header(const stats::Report& report);

// Paints the document, paginated for the A4 body (report_document), page by page onto the
// device, each page with its header; sizes come out the same at any device resolution.
// Throws std::runtime_error when the device cannot be painted on.
void paint_report(QTextDocument& document, const PageHeader& header, QPagedPaintDevice& device);

// Lays the report out with its chart (drawn in memory) and writes it as an A4 PDF file,
// replacing a file of that name only once the new one is complete. Throws
// std::runtime_error naming the file when it cannot be written.
void write_report_pdf(const stats::Report& report, const std::filesystem::path& file);

// Shows the report in the print preview, from which the user prints it.
void preview_report(const stats::Report& report, QWidget* parent);

} // namespace ui

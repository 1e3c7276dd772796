// report_document.h --- a report laid out as a text document for A4 pages: title, plot,
// facts, text lines, chart and the table whose header row repeats on every page.
#pragma once

#include "stats/report.h"

#include <QImage>
#include <QSizeF>
#include <memory>

class QTextDocument;

namespace ui {

// The page of every report: A4 portrait with its margins, in millimetres. The header of the
// page (program, date, plot, page n of m) lies in the top margin.
namespace report_page {
inline constexpr double width_mm = 210, height_mm = 297;
inline constexpr double left_mm = 18, right_mm = 18, top_mm = 24, bottom_mm = 15;
inline constexpr double header_mm = 10; // top of the page header
// The document is laid out at this resolution (screen pixels per inch); printing scales it
// to the device's resolution.
inline constexpr double layout_dpi = 96;
// The body of a page in layout pixels.
QSizeF body_size();
} // namespace report_page

// The report as a document paginated for the body of an A4 page. The chart image, when
// given, is placed over the full width below the text lines.
std::unique_ptr<QTextDocument> report_document(const stats::Report& report,
                                               const QImage& chart = {});

} // namespace ui

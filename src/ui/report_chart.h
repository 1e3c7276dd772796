// report_chart.h --- the chart of a report, drawn by the workbench's chart code into an
// image in memory, sharp at print resolution.
#pragma once

#include "stats/report.h"

#include <QImage>

namespace ui {

// The chart on a white ground: the comparison (simulated line, observed circles, outlier
// triangles, with a legend) or the yearly reproduction index with its mean as a level
// line. The chart is laid out at 800 x 420 screen pixels and drawn three times as fine.
QImage report_chart_image(const stats::ReportChart& chart);

} // namespace ui

// stat_chart.h --- the charts of the result pages: the comparison of simulated with
// observed values, and one column of a result grid drawn over the years.
#pragma once

#include "db/dataset.h"
#include "stats/stat_view.h"

#include <QString>
#include <optional>
#include <string>

class QChart;
class QChartView;

namespace ui {

// A chart view with an empty chart, legend hidden, named for lookup.
QChartView* make_chart_view(const QString& name);

// Replaces the chart's series by the comparison's three: 0 the simulated values as a line
// without markers, 1 the observed values as circles, 2 the observed outliers as triangles.
void show_comparison(QChart& chart, const stats::StatChart& series, const QString& x_title,
                     const QString& y_title);

// Mean, lowest and highest value of a column drawn over the years.
struct ColumnRange {
    double mean = 0;
    double min = 99999999;
    double max = -9999999;
};

// Replaces the chart's series by one line of the column over the x field, one point per
// row with both values present. Nothing when the grid has no such column or no rows.
std::optional<ColumnRange> show_column(QChart& chart, db::Dataset& grid, const std::string& x_field,
                                       const std::string& y_field, const QString& title);

// Adds a line at the level over the x values of the chart's first series, on its axes.
// Nothing when the chart has no series.
void add_level_line(QChart& chart, double level);

} // namespace ui

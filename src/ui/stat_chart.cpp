// stat_chart.cpp --- the charts of the result pages.
#include "ui/stat_chart.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <vector>

namespace ui {

namespace {

void clear_chart(QChart& chart) {
    chart.removeAllSeries();
    for (QAbstractAxis* axis : chart.axes()) {
        chart.removeAxis(axis);
        axis->deleteLater();
    }
}

template <class Series> void fill(Series& series, const std::vector<stats::ChartPoint>& points) {
    for (const stats::ChartPoint& p : points) series.append(p.x, p.y);
}

// Value axes at the bottom and left, fitted to the points with a small margin; without
// points they show their titles only.
void add_axes(QChart& chart, const QString& x_title, const QString& y_title) {
    auto* x = new QValueAxis(&chart);
    auto* y = new QValueAxis(&chart);
    x->setTitleText(x_title);
    x->setLabelFormat("%.0f");
    y->setTitleText(y_title);
    chart.addAxis(x, Qt::AlignBottom);
    chart.addAxis(y, Qt::AlignLeft);
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    bool any = false;
    for (QAbstractSeries* s : chart.series()) {
        s->attachAxis(x);
        s->attachAxis(y);
        for (const QPointF& p : static_cast<QXYSeries*>(s)->points()) {
            x0 = any ? std::min(x0, p.x()) : p.x();
            x1 = any ? std::max(x1, p.x()) : p.x();
            y0 = any ? std::min(y0, p.y()) : p.y();
            y1 = any ? std::max(y1, p.y()) : p.y();
            any = true;
        }
    }
    if (!any) {
        // Nothing to show yet (no run): numbers on an empty axis would only mislead.
        x->setLabelsVisible(false);
        y->setLabelsVisible(false);
        return;
    }
    const double dy = y1 > y0 ? (y1 - y0) * 0.05 : std::max(1e-3, std::abs(y0) * 0.05);
    x->setRange(x0 - 1, x1 + 1);
    y->setRange(y0 - dy, y1 + dy);
}

} // namespace

QChartView* make_chart_view(const QString& name) {
    auto* view = new QChartView;
    view->setObjectName(name);
    view->chart()->legend()->hide();
    view->setMinimumHeight(200);
    return view;
}

void show_comparison(QChart& chart, const stats::StatChart& series, const QString& x_title,
                     const QString& y_title) {
    clear_chart(chart);
    auto* simulated = new QLineSeries(&chart);
    simulated->setName("simulated");
    simulated->setPointsVisible(false);
    fill(*simulated, series.simulated);
    auto* observed = new QScatterSeries(&chart);
    observed->setName("observed");
    observed->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    observed->setMarkerSize(8);
    fill(*observed, series.observed);
    auto* outliers = new QScatterSeries(&chart);
    outliers->setName("outlier");
    outliers->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    outliers->setMarkerSize(10);
    fill(*outliers, series.outliers);
    for (QAbstractSeries* s :
         std::initializer_list<QAbstractSeries*>{simulated, observed, outliers})
        chart.addSeries(s);
    add_axes(chart, x_title, y_title);
}

std::optional<ColumnRange> show_column(QChart& chart, db::Dataset& grid, const std::string& x_field,
                                       const std::string& y_field, const QString& title) {
    clear_chart(chart);
    chart.setTitle(title);
    if (!grid.has_field(x_field) || !grid.has_field(y_field) || grid.empty()) return std::nullopt;
    auto* line = new QLineSeries(&chart);
    line->setName(title);
    ColumnRange range;
    double sum = 0;
    int n = 0;
    for (grid.first(); !grid.eof(); grid.next()) {
        const db::Value &x = grid.field(x_field), &y = grid.field(y_field);
        if (x.is_null() || y.is_null()) continue;
        const double v = y.as_double();
        line->append(x.as_double(), v);
        sum += v;
        ++n;
        range.min = std::min(range.min, v);
        range.max = std::max(range.max, v);
    }
    grid.first();
    chart.addSeries(line);
    add_axes(chart, QString::fromStdString(x_field), title);
    if (n == 0) return std::nullopt;
    range.mean = sum / n;
    return range;
}

void add_level_line(QChart& chart, double level) {
    if (chart.series().isEmpty()) return;
    auto* line = new QLineSeries(&chart);
    for (const QPointF& p : static_cast<QXYSeries*>(chart.series().front())->points())
        line->append(p.x(), level);
    chart.addSeries(line);
    for (QAbstractAxis* axis : chart.axes()) line->attachAxis(axis);
}

} // namespace ui

// report_chart.cpp --- a report's chart drawn in memory.
#include "ui/report_chart.h"

#include "ui/stat_chart.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegendMarker>
#include <QPainter>
#include <QXYSeries>

namespace ui {

namespace {

constexpr QSizeF chart_size(800, 420);
constexpr int fineness = 3;

// A legend of the series that have points.
void show_legend(QChart& chart) {
    chart.legend()->setAlignment(Qt::AlignBottom);
    chart.legend()->show();
    for (QAbstractSeries* s : chart.series()) {
        const bool empty = static_cast<QXYSeries*>(s)->count() == 0;
        for (QLegendMarker* m : chart.legend()->markers(s)) m->setVisible(!empty);
    }
}

} // namespace

QImage report_chart_image(const stats::ReportChart& data) {
    QGraphicsScene scene;
    auto* chart = new QChart; // owned by the scene
    scene.addItem(chart);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->resize(chart_size);
    show_comparison(*chart, data.series, QString::fromStdString(data.x_title),
                    QString::fromStdString(data.y_title));
    if (data.kind == stats::ReportChart::Kind::reproduction) {
        add_level_line(*chart, data.level);
        chart->legend()->hide();
    } else {
        show_legend(*chart);
    }
    // The chart lays out its axes and legend when its layout is activated, which the event
    // loop would do for a shown chart.
    chart->layout()->activate();
    QImage image((chart_size * fineness).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    scene.render(&painter, QRectF(image.rect()), QRectF(QPointF(0, 0), chart_size));
    return image;
}

} // namespace ui

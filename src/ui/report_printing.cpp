// report_printing.cpp --- reports on paged devices.
#include "ui/report_printing.h"

#include "ui/report_chart.h"
#include "ui/report_document.h"

#include <QAbstractTextDocumentLayout>
#include <QDateTime>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>
#include <memory>
#include <stdexcept>

namespace ui {

namespace {

QImage chart_of(const stats::Report& report) {
    return report.chart ? report_chart_image(*report.chart) : QImage();
}

// Device pixels of a length in millimetres.
double device_px(const QPagedPaintDevice& device, double mm) {
    return mm / 25.4 * device.logicalDpiY();
}

void draw_header(QPainter& p, const PageHeader& h, int page, int pages,
                 const QPagedPaintDevice& device) {
    using namespace report_page;
    const double left = device_px(device, left_mm);
    const double width = device_px(device, width_mm - left_mm - right_mm);
    const double line = device_px(device, 4.2);
    const double top = device_px(device, header_mm);
    QFont font = p.font();
    font.setPointSizeF(8);
    p.setFont(font);
    p.setPen(Qt::black);
    const QRectF first(left, top, width, line), second(left, top + line, width, line);
    p.drawText(first, Qt::AlignLeft | Qt::AlignVCenter, h.program);
    p.drawText(first, Qt::AlignRight | Qt::AlignVCenter, h.printed);
    p.drawText(second, Qt::AlignLeft | Qt::AlignVCenter, h.title + "   " + h.plot);
    p.drawText(second, Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("page %1 of %2").arg(page).arg(pages));
    p.setPen(QPen(Qt::gray, device_px(device, 0.2)));
    const double rule = top + 2 * line + device_px(device, 1);
    p.drawLine(QPointF(left, rule), QPointF(left + width, rule));
}

} // namespace

PageHeader page_header(const stats::Report& report) {
    PageHeader h;
    h.printed = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    h.title = QString::fromStdString(report.title);
    h.plot = QString::fromStdString(report.plot_line);
    return h;
}

void paint_report(QTextDocument& document, const PageHeader& header, QPagedPaintDevice& device) {
    using namespace report_page;
    QPainter painter;
    if (!painter.begin(&device)) throw std::runtime_error("the report cannot be printed");
    const double scale = device.logicalDpiY() / layout_dpi;
    const QSizeF body = document.pageSize();
    const int pages = document.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0) device.newPage();
        draw_header(painter, header, page + 1, pages, device);
        painter.save();
        painter.translate(device_px(device, left_mm), device_px(device, top_mm));
        painter.scale(scale, scale);
        const QRectF clip(0, page * body.height(), body.width(), body.height());
        painter.translate(0, -clip.top());
        painter.setClipRect(clip);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
}

void write_report_pdf(const stats::Report& report, const std::filesystem::path& file) {
    const QString name = QString::fromStdString(file.string());
    QSaveFile out(name);
    if (!out.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + file.string() + ": " +
                                 out.errorString().toStdString());
    const std::unique_ptr<QTextDocument> document = report_document(report, chart_of(report));
    {
        QPdfWriter pdf(&out);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageOrientation(QPageLayout::Portrait);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(300);
        pdf.setTitle(QString::fromStdString(report.title + " " + report.plot_line));
        pdf.setCreator(QStringLiteral("TSM workbench"));
        paint_report(*document, page_header(report), pdf);
    }
    if (!out.commit())
        throw std::runtime_error("cannot write " + file.string() + ": " +
                                 out.errorString().toStdString());
}

void preview_report(const stats::Report& report, QWidget* parent) {
    const std::unique_ptr<QTextDocument> document = report_document(report, chart_of(report));
    const PageHeader header = page_header(report);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QString::fromStdString(report.title));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* p) {
        try {
            paint_report(*document, header, *p);
        } catch (const std::exception&) {
            // a printer that cannot be painted on shows an empty preview
        }
    });
    dialog.exec();
}

} // namespace ui

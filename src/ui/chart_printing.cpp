#include "ui/chart_printing.h"

#include <QChartView>
#include <QEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace ui {
namespace {

// Watches the chart view's mouse presses; lives as a child of the view.
class ClickToPrint : public QObject {
public:
    explicit ClickToPrint(QChartView* view) : QObject(view), view_(view) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) print();
        return QObject::eventFilter(watched, event);
    }

private:
    void print() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Landscape);
        QPrintDialog dialog(&printer, view_);
        if (dialog.exec() != QDialog::Accepted) return;
        QPainter painter(&printer);
        view_->render(&painter);
    }

    QChartView* view_;
};

} // namespace

void print_on_click(QChartView* view) {
    auto filter = std::make_unique<ClickToPrint>(view);
    view->viewport()->installEventFilter(filter.release()); // the view owns the filter
}

} // namespace ui

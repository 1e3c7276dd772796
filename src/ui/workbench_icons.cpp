// workbench_icons.cpp --- drawing the images of the experiment tree.
#include "ui/workbench_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace ui {
namespace {

constexpr int side = 16;
constexpr int image_count = 20;

QPixmap draw(const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return pixmap;
}

// A folder: closed, or open with its front flap tilted.
void folder(QPainter& p, bool open) {
    p.setPen(QColor(150, 110, 20));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    p.drawRect(QRectF(1.5, 2.5, 5, 2));
    if (open) {
        p.setBrush(QColor(255, 225, 130));
        QPainterPath flap;
        flap.moveTo(1.5, 13.5);
        flap.lineTo(4.5, 7.5);
        flap.lineTo(15.5, 7.5);
        flap.lineTo(14.5, 13.5);
        flap.closeSubpath();
        p.drawPath(flap);
    }
}

// An experiment: a field with rows of crops; expanded, the rows are lighter.
void experiment(QPainter& p, bool open) {
    p.setPen(QColor(100, 60, 20));
    p.setBrush(QColor(170, 120, 60));
    p.drawRect(QRectF(1.5, 3.5, 13, 10));
    p.setPen(QPen(open ? QColor(140, 220, 110) : QColor(40, 140, 40), 1.5));
    for (double x = 4; x < 14; x += 3) p.drawLine(QPointF(x, 5), QPointF(x, 12));
}

// Literature references: a small book over the corner.
void book(QPainter& p) {
    p.setPen(QColor(120, 0, 0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.5, 0.5, 7, 8));
    p.setBrush(QColor(200, 30, 30));
    p.drawRect(QRectF(8.5, 0.5, 2, 8));
}

// The database: a cylinder, its top lit when expanded.
void database(QPainter& p, bool open) {
    p.setPen(QColor(20, 60, 120));
    p.setBrush(QColor(70, 130, 200));
    p.drawRect(QRectF(2.5, 4, 11, 9));
    p.drawEllipse(QRectF(2.5, 10, 11, 5));
    p.setBrush(open ? QColor(190, 220, 255) : QColor(110, 170, 230));
    p.drawEllipse(QRectF(2.5, 1.5, 11, 5));
}

// The tables of an experiment: a grid.
void tables(QPainter& p, bool open) {
    p.setPen(QColor(60, 60, 60));
    p.setBrush(open ? QColor(220, 235, 255) : Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.drawLine(QPointF(1.5, 6), QPointF(14.5, 6));
    p.drawLine(QPointF(1.5, 10), QPointF(14.5, 10));
    p.drawLine(QPointF(6, 2.5), QPointF(6, 13.5));
    p.drawLine(QPointF(10.5, 2.5), QPointF(10.5, 13.5));
}

// A plot with results: a green square with a rising line.
void plot_with_results(QPainter& p) {
    p.setPen(QColor(30, 100, 30));
    p.setBrush(QColor(120, 200, 100));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(QColor(20, 20, 120), 1.5));
    p.drawPolyline(QPolygonF({QPointF(3, 12), QPointF(7, 8), QPointF(9, 10), QPointF(13, 4)}));
}

// A plot without results: an empty square.
void plot_without_results(QPainter& p) {
    p.setPen(QColor(110, 110, 110));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
}

void selected_plot(QPainter& p) {
    p.setPen(QColor(160, 80, 0));
    p.setBrush(QColor(255, 160, 40));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
}

// The mark of the clicked node: a red arrow pointing at it.
void state_mark(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 30, 30));
    p.drawPolygon(QPolygonF({QPointF(3, 3), QPointF(13, 8), QPointF(3, 13)}));
}

} // namespace

TreeImages::TreeImages() {
    images_.assign(image_count, draw([](QPainter&) {}));
    images_[0] = draw([](QPainter& p) { folder(p, false); });
    images_[1] = draw([](QPainter& p) { folder(p, true); });
    images_[2] = draw([](QPainter& p) { experiment(p, false); });
    images_[3] = draw([](QPainter& p) { experiment(p, true); });
    images_[5] = draw(selected_plot);
    images_[6] = draw([](QPainter& p) { database(p, false); });
    images_[7] = draw([](QPainter& p) { database(p, true); });
    images_[8] = draw([](QPainter& p) { tables(p, false); });
    images_[9] = draw([](QPainter& p) { tables(p, true); });
    images_[10] = draw(plot_with_results);
    images_[11] = draw(plot_without_results);
    images_[18] = draw([](QPainter& p) {
        experiment(p, false);
        book(p);
    });
    images_[19] = draw([](QPainter& p) {
        experiment(p, true);
        book(p);
    });
    state_mark_ = draw(state_mark);
    no_mark_ = draw([](QPainter&) {});
}

const QPixmap& TreeImages::image(int index) const {
    if (index < 0 || index >= image_count) return no_mark_;
    return images_[static_cast<std::size_t>(index)];
}

const QIcon& TreeImages::icon(int image_index, int selected_image, int state_image) const {
    const auto key = std::make_tuple(image_index, selected_image, state_image);
    if (auto it = icons_.find(key); it != icons_.end()) return it->second;
    auto compose = [&](int index) {
        QPixmap both(2 * side, side);
        both.fill(Qt::transparent);
        QPainter p(&both);
        p.drawPixmap(0, 0, state_image >= 0 ? state_mark_ : no_mark_);
        p.drawPixmap(side, 0, image(index));
        return both;
    };
    QIcon icon;
    icon.addPixmap(compose(image_index), QIcon::Normal);
    icon.addPixmap(compose(selected_image), QIcon::Selected);
    return icons_.emplace(key, icon).first->second;
}

} // namespace ui

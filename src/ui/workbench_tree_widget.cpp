// workbench_tree_widget.cpp --- presses, drags and drops on the experiment tree.
#include "ui/workbench_tree_widget.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

namespace ui {
namespace {

constexpr int scroll_margin = 5;

} // namespace

const char* const WorkbenchTree::drag_format = "application/x-tsm-plot";

WorkbenchTree::WorkbenchTree(TreeEvents events, QWidget* parent)
    : QTreeWidget(parent), events_(std::move(events)) {
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::NoSelection); // the state mark shows the clicked node
    setIconSize(QSize(32, 16));
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setMouseTracking(true);
}

int WorkbenchTree::drag_scroll(int y, int viewport_height) {
    if (y < scroll_margin) return -1;
    if (y > viewport_height - scroll_margin) return 1;
    return 0;
}

void WorkbenchTree::mousePressEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    pressed_ = false;
    if (item && events_.press)
        events_.press(item, event->button(), event->modifiers(), event->globalPosition().toPoint());
    if (event->button() != Qt::LeftButton) return;
    pressed_ = item != nullptr;
    press_pos_ = event->position().toPoint();
    QTreeWidget::mousePressEvent(event); // the branch marks expand and collapse
}

void WorkbenchTree::mouseMoveEvent(QMouseEvent* event) {
    if (events_.mouse_moved) events_.mouse_moved();
    if (pressed_ && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - press_pos_).manhattanLength() >=
            QApplication::startDragDistance()) {
        pressed_ = false;
        start_drag();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void WorkbenchTree::mouseReleaseEvent(QMouseEvent* event) {
    pressed_ = false;
    QTreeWidget::mouseReleaseEvent(event);
}

// The keyboard opens what the mouse opens: the arrows move the current node, Enter or
// Space clicks it, the menu key opens its menu.
void WorkbenchTree::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* item = currentItem();
    const int key = event->key();
    const bool click = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (!item || !events_.press || (!click && key != Qt::Key_Menu)) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    const QPoint at = viewport()->mapToGlobal(visualItemRect(item).center());
    events_.press(item, click ? Qt::LeftButton : Qt::RightButton, event->modifiers(), at);
    event->accept();
}

void WorkbenchTree::start_drag() {
    if (!events_.drag_started || !events_.drag_started()) return;
    auto* drag = new QDrag(this); // deleted by Qt when the drag ends
    auto* data = new QMimeData;   // owned by the drag
    data->setData(drag_format, QByteArray());
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
    if (events_.drag_ended) events_.drag_ended();
}

void WorkbenchTree::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(drag_format))
        event->acceptProposedAction();
    else
        event->ignore();
}

void WorkbenchTree::dragMoveEvent(QDragMoveEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (const int step = drag_scroll(pos.y(), viewport()->height()); step != 0)
        verticalScrollBar()->setValue(verticalScrollBar()->value() + step);
    QTreeWidgetItem* target = itemAt(pos);
    if (event->mimeData()->hasFormat(drag_format) && events_.drop_accepted &&
        events_.drop_accepted(target))
        event->acceptProposedAction();
    else
        event->ignore();
}

void WorkbenchTree::dropEvent(QDropEvent* event) {
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    if (!event->mimeData()->hasFormat(drag_format) || !events_.drop_accepted ||
        !events_.drop_accepted(target)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (events_.dropped) events_.dropped(target);
}

} // namespace ui

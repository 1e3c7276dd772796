// workbench_tree_widget.h --- the experiment tree TreeView1 of the workbench: presses go to
// the window, the selection never changes, and the active plot can be dragged onto
// another plot node.
#pragma once

#include <QPoint>
#include <QTreeWidget>
#include <functional>

namespace ui {

// What the tree reports to its window.
struct TreeEvents {
    // A mouse press on a node (never on empty space), with the global pointer position;
    // Enter or Space on the current node is a left press, the menu key a right press.
    std::function<void(QTreeWidgetItem*, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)> press;
    std::function<void()> mouse_moved;
    // A drag is about to start; false refuses it.
    std::function<bool()> drag_started;
    std::function<bool(QTreeWidgetItem*)> drop_accepted;
    std::function<void(QTreeWidgetItem*)> dropped;
    std::function<void()> drag_ended;
};

class WorkbenchTree : public QTreeWidget {
public:
    explicit WorkbenchTree(TreeEvents events, QWidget* parent = nullptr);

    // The mime type of a dragged plot.
    static const char* const drag_format;

    // The line scroll of a drag at the pointer's height in the viewport: -1 one line up
    // (near the top), +1 one line down (within 5 pixels of the bottom), 0 none.
    static int drag_scroll(int y, int viewport_height);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void start_drag();

    TreeEvents events_;
    QPoint press_pos_;
    bool pressed_ = false;
};

} // namespace ui

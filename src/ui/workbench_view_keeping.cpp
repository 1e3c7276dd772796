// workbench_view_keeping.cpp --- the workbench's tree rebuilt without losing the user's
// place in it, and the status line that says what an entry did.
#include "ui/workbench_tree_widget.h"
#include "ui/workbench_window.h"

#include <QLabel>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <set>

namespace ui {
namespace {

// A node by the labels from the root down to it.
using NodePath = std::vector<QString>;

NodePath path_of(const QTreeWidgetItem* item) {
    NodePath path;
    for (; item; item = item->parent()) path.insert(path.begin(), item->text(0));
    return path;
}

QTreeWidgetItem* find_path(QTreeWidget* tree, const NodePath& path) {
    if (path.empty()) return nullptr;
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; i < tree->topLevelItemCount() && !node; ++i)
        if (tree->topLevelItem(i)->text(0) == path[0]) node = tree->topLevelItem(i);
    for (std::size_t depth = 1; node && depth < path.size(); ++depth) {
        QTreeWidgetItem* child = nullptr;
        for (int i = 0; i < node->childCount() && !child; ++i)
            if (node->child(i)->text(0) == path[depth]) child = node->child(i);
        node = child;
    }
    return node;
}

} // namespace

void Trange_select::rebuild_keeping_view(int mode) {
    std::set<NodePath> expanded;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->isExpanded()) expanded.insert(path_of(*it));
    const NodePath pointed = path_of(f_.a_item);
    const NodePath shown =
        f_.active_item && !pages_->isHidden() ? path_of(f_.active_item) : NodePath();
    rebuilt_treeview(mode);
    for (const NodePath& path : expanded)
        if (QTreeWidgetItem* node = find_path(tree_, path)) node->setExpanded(true);
    if (QTreeWidgetItem* plot = find_path(tree_, shown)) {
        f_.a_item = plot;
        item_click();
    }
    if (QTreeWidgetItem* node = find_path(tree_, pointed)) {
        f_.a_item = node;
        tree_->setCurrentItem(node);
    }
}

void Trange_select::tell(const std::string& text) {
    status_line_->setText(QString::fromStdString(text));
}

} // namespace ui

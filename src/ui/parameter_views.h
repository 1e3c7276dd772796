// parameter_views.h --- the read-only parameter views of one amendment (TFOM_parm,
// "FOM_parm") and of one crop with its residue and by-product (TCROP_parm, "CROP_parm"), and
// the opener the workbench's item list uses.
#pragma once

#include "db/connection.h"

#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

class QTreeWidget;

namespace ui {

class TFOM_parm : public QWidget {
    Q_OBJECT
public:
    explicit TFOM_parm(QWidget* parent = nullptr);
    // Fills the tree anew with the amendment's row of srbopspa and shows the view.
    void show_item(db::Connection& conn, std::int64_t item_ix);
    QTreeWidget* tree() const { return tree_; }

private:
    QTreeWidget* tree_ = nullptr;
};

class TCROP_parm : public QWidget {
    Q_OBJECT
public:
    explicit TCROP_parm(QWidget* parent = nullptr);
    // Fills the three trees anew with the crop's row of srbpflan, its residue and its
    // by-product (empty where the crop has none) and shows the view.
    void show_item(db::Connection& conn, std::int64_t item_ix);
    QTreeWidget* crop_tree() const { return crop_; }
    QTreeWidget* residue_tree() const { return residue_; }
    QTreeWidget* by_product_tree() const { return by_product_; }

private:
    QTreeWidget *crop_ = nullptr, *residue_ = nullptr, *by_product_ = nullptr;
};

// Fills a tree: the root node `title`, an expanded child "parameters", one line below it each.
void fill_parameter_tree(QTreeWidget& tree, const QString& title,
                         const std::vector<std::string>& lines);

// The two views, created once and reused.
struct ItemParameterViews {
    TFOM_parm amendment;
    TCROP_parm crop;
};

// A right click on the management form's item list: the crop view for the action codes 2
// and 9, the amendment view for 3, nothing for other codes. `item_key` is the list's key
// (kind × 100000 + item_ix). Returns whether a view was opened.
bool open_item_parameters(ItemParameterViews& views, db::Connection& conn, int macode,
                          std::int64_t item_key);

} // namespace ui

// parameter_views.cpp --- the amendment and crop parameter views.
#include "ui/parameter_views.h"

#include "params/parameter_views.h"

#include <QHBoxLayout>
#include <QTreeWidget>

namespace ui {
namespace {

QTreeWidget* make_tree(const char* name) {
    auto* tree = new QTreeWidget; // owned by the view's layout
    tree->setObjectName(name);
    tree->setHeaderHidden(true);
    tree->setFont(QFont("Monospace"));
    return tree;
}

} // namespace

void fill_parameter_tree(QTreeWidget& tree, const QString& title,
                         const std::vector<std::string>& lines) {
    tree.clear();
    auto* root = new QTreeWidgetItem(&tree, QStringList{title}); // owned by the tree
    auto* parameters = new QTreeWidgetItem(root, QStringList{"parameters"});
    for (const std::string& line : lines)
        new QTreeWidgetItem(parameters, QStringList{QString::fromStdString(line)});
    root->setExpanded(true);
    parameters->setExpanded(true);
}

TFOM_parm::TFOM_parm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("TFOM_parm");
    setWindowTitle("FOM_parm");
    auto* layout = new QHBoxLayout(this);
    tree_ = make_tree("prmtree");
    layout->addWidget(tree_);
    resize(380, 420);
}

void TFOM_parm::show_item(db::Connection& conn, std::int64_t item_ix) {
    fill_parameter_tree(*tree_, "srbopspa",
                        params::parameter_lines(conn, "srbopspa", db::Value(item_ix)));
    show();
    raise();
}

TCROP_parm::TCROP_parm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("TCROP_parm");
    setWindowTitle("CROP_parm");
    auto* layout = new QHBoxLayout(this);
    crop_ = make_tree("prmtree");
    residue_ = make_tree("ewr_prm");
    by_product_ = make_tree("kp_prm");
    for (QTreeWidget* t : {crop_, residue_, by_product_}) layout->addWidget(t);
    resize(900, 420);
}

void TCROP_parm::show_item(db::Connection& conn, std::int64_t item_ix) {
    const params::CropParameters p = params::crop_parameters(conn, db::Value(item_ix));
    fill_parameter_tree(*crop_, "srbpflan", p.crop);
    fill_parameter_tree(*residue_, " root & crop residues", p.residue);
    fill_parameter_tree(*by_product_, " side product", p.by_product);
    show();
    raise();
}

bool open_item_parameters(ItemParameterViews& views, db::Connection& conn, int macode,
                          std::int64_t item_key) {
    if (macode == 2 || macode == 9) {
        views.crop.show_item(conn, item_key - 1 * 100000);
        return true;
    }
    if (macode == 3) {
        views.amendment.show_item(conn, item_key - 3 * 100000);
        return true;
    }
    return false;
}

} // namespace ui

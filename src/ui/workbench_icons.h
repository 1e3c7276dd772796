// workbench_icons.h --- the images of the experiment tree, drawn at start: folder pairs
// (collapsed, expanded) for the database, experiments, tables and plots folders, the plot
// images with and without results, the selected plot, and the mark of the clicked node.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <map>
#include <tuple>
#include <vector>

namespace ui {

class TreeImages {
public:
    // Draws every image once.
    TreeImages();

    // The image of an index (a blank one for indices without a picture).
    const QPixmap& image(int index) const;
    // The icon of a node: its state mark (none for a negative state) beside its image, and
    // the selected image for the selected state.
    const QIcon& icon(int image, int selected_image, int state_image) const;

private:
    std::vector<QPixmap> images_;
    QPixmap state_mark_, no_mark_;
    mutable std::map<std::tuple<int, int, int>, QIcon> icons_;
};

} // namespace ui

// experiment_tree.h --- the workbench's tree of experiments and plots as data: the database
// node, one node per experiment (location and experiment code) with its tables node and
// its plots folder, and one node per plot carrying the plot's record.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace workbench {

// The record a plot node carries. Fields the workbench does not set keep their defaults;
// the simulator reads i_con of the active plot's record.
struct Tsrb_item {
    int first_st = 0, last_st = 0, utlg = 0;
    std::int64_t snr = 0; // FL_ID
    std::string i_con;    // "null", "obsval" or the FL_ID of the plot whose saved state starts it
    std::string herkunft;
    std::string vcode;   // experiment code (versuch_code)
    std::string db_name; // location of the plot
    std::string soil_id, wett_id, plot_id;
    double first_day = 0, last_day = 0; // date-times, as days
};

enum class NodeKind { database, experiment, tables, plots_folder, plot };

// Image indices of the tree. Folders come in pairs: the even index collapsed, the odd one
// expanded. The state image marked_state marks the clicked node; no_state clears it.
namespace image {
inline constexpr int plots_folder = 0;
inline constexpr int experiment = 2;
inline constexpr int selected_plot = 5;
inline constexpr int database = 6;
inline constexpr int tables = 8;
inline constexpr int plot_with_results = 10;
inline constexpr int plot_without_results = 11;
inline constexpr int experiment_with_literature = 18;
inline constexpr int marked_state = 1;
inline constexpr int no_state = -1;
} // namespace image

// The kind of node an image index stands for (either image of a pair); nothing for an
// index that names no kind.
std::optional<NodeKind> kind_of_image(int image_index);

// The image of a node after it was expanded (an even index gains 1) or collapsed (the
// odd index of a folder pair loses 1); other indices stay.
int expanded_image(int image_index);
int collapsed_image(int image_index);

struct TreeNode {
    NodeKind kind = NodeKind::database;
    std::string label;
    int image = 0;                 // collapsed image
    int selected_image = 0;        // image shown while selected (plots: 5)
    std::optional<Tsrb_item> item; // plot nodes only
    std::vector<TreeNode> children;
};

struct ExperimentTree {
    TreeNode root;
    int plot_rows = 0; // rows of the plot query (the window keeps the largest seen)
};

// Label of the database node: the file name, and for a name of more than 35 characters
// its first 16 characters, "..." and its last 16 characters.
std::string root_label(const std::string& db_f_name);

struct TreeOptions {
    std::string db_f_name;
    bool power = true;          // adds the tables node of each experiment
    std::string language = "E"; // of the tables and plots folder labels
    // Called for every plot with results of a positive mean (the statistics rebuild).
    std::function<void(const Tsrb_item&)> evaluate_plot;
    // Called after each experiment, to keep a window alive.
    std::function<void()> process_events;
};

// Builds the tree from the database: one query for the experiments, one for the plots with
// the count and mean of their simulation results, one for the experiment codes with
// literature references. Every experiment node of a location lists all plots of that
// location. Throws db::Error when a query fails.
ExperimentTree build_experiment_tree(db::Connection& conn, const TreeOptions& options);

// The experiment query of the tree and the plot query (one row per plot with nres, the
// number of its sim_result rows, and pk, their mean sim_value).
const std::string& experiments_statement();
const std::string& plots_statement();

} // namespace workbench

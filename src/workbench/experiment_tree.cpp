// experiment_tree.cpp --- building the experiment tree from the database.
#include "workbench/experiment_tree.h"

#include "db/connection.h"
#include "db/jet_functions.h"
#include "db/text.h"
#include "workbench/node_labels.h"
#include "workbench/workbench_texts.h"

#include <map>
#include <set>

namespace workbench {
namespace {

constexpr std::size_t longest_whole_root_label = 35;
constexpr std::size_t root_label_part = 16;

// Byte offsets of the characters of a UTF-8 text, so labels are never cut inside one.
std::vector<std::size_t> character_starts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    return starts;
}

// Texts ordered as the database compares them: without regard to case.
struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return db::compare_text_nocase(a, b) < 0;
    }
};

struct PlotRow {
    std::string name, location, vcode, i_con, herkunft;
    std::int64_t fl_id = 0;
    std::int64_t nres = 0;
    double pk = 0;
};

std::vector<PlotRow> read_plots(db::Connection& conn) {
    db::Dataset d = conn.open(plots_statement());
    std::vector<PlotRow> plots;
    plots.reserve(static_cast<std::size_t>(d.record_count()));
    for (d.first(); !d.eof(); d.next())
        plots.push_back({d["site_description"].as_text(), d["Location"].as_text(),
                         d["versuch_code"].as_text(), db::trim(d["i_con"].as_text()),
                         d["Herkunft"].as_text(), d["FL_ID"].as_int(), d["nres"].as_int(),
                         d["pk"].as_double()});
    return plots;
}

// Experiment codes with literature references.
std::set<std::string, NoCase> referenced_codes(db::Connection& conn) {
    std::set<std::string, NoCase> codes;
    db::Dataset d = conn.open("select distinct versuchs_code from ref2vcode");
    for (d.first(); !d.eof(); d.next()) codes.insert(d.field(0).as_text());
    return codes;
}

TreeNode folder(NodeKind kind, std::string label, int image) {
    TreeNode n;
    n.kind = kind;
    n.label = std::move(label);
    n.image = n.selected_image = image;
    return n;
}

TreeNode plot_node(const PlotRow& p) {
    TreeNode n;
    n.kind = NodeKind::plot;
    n.label = p.name;
    const bool results = p.nres >= 1 && p.pk > 0;
    n.image = results ? image::plot_with_results : image::plot_without_results;
    n.selected_image = image::selected_plot;
    Tsrb_item item;
    item.snr = p.fl_id;
    item.vcode = p.vcode;
    item.i_con = p.i_con;
    item.herkunft = p.herkunft;
    item.db_name = p.location;
    n.item = std::move(item);
    return n;
}

} // namespace

std::optional<NodeKind> kind_of_image(int image_index) {
    switch (image_index) {
    case 0:
    case 1:
        return NodeKind::plots_folder;
    case 2:
    case 3:
    case 18:
    case 19:
        return NodeKind::experiment;
    case 6:
    case 7:
        return NodeKind::database;
    case 8:
    case 9:
        return NodeKind::tables;
    case 10:
    case 11:
        return NodeKind::plot;
    default:
        return std::nullopt;
    }
}

int expanded_image(int image_index) {
    return image_index % 2 == 0 ? image_index + 1 : image_index;
}

int collapsed_image(int image_index) {
    const auto kind = kind_of_image(image_index);
    const bool folder_pair = kind && *kind != NodeKind::plot;
    return folder_pair && image_index % 2 == 1 ? image_index - 1 : image_index;
}

std::string root_label(const std::string& db_f_name) {
    const std::vector<std::size_t> starts = character_starts(db_f_name);
    if (starts.size() <= longest_whole_root_label) return db_f_name;
    return db_f_name.substr(0, starts[root_label_part]) + "..." +
           db_f_name.substr(starts[starts.size() - root_label_part]);
}

const std::string& experiments_statement() {
    static const std::string s =
        "SELECT distinct  Location as site , versuch_code FROM field_description";
    return s;
}

const std::string& plots_statement() {
    static const std::string s =
        "SELECT field_description.site_description, field_description.Location, "
        "field_description.versuch_code, field_description.FL_ID, field_description.i_con, "
        "field_description.Herkunft, Count(sim_result.fl_id) AS nres, "
        "Avg(sim_result.sim_value) AS pk "
        "FROM field_description LEFT JOIN sim_result ON field_description.FL_ID = "
        "sim_result.fl_id "
        "GROUP BY field_description.site_description, field_description.Location, "
        "field_description.versuch_code, field_description.FL_ID, field_description.i_con, "
        "field_description.Herkunft "
        "ORDER BY field_description.site_description, field_description.Location, "
        "field_description.versuch_code, field_description.FL_ID";
    return s;
}

ExperimentTree build_experiment_tree(db::Connection& conn, const TreeOptions& options) {
    const std::vector<PlotRow> plots = read_plots(conn);
    const std::set<std::string, NoCase> literature = referenced_codes(conn);
    // The plots of each location, in query order.
    std::map<std::string, std::vector<const PlotRow*>, NoCase> by_location;
    for (const PlotRow& p : plots) by_location[p.location].push_back(&p);

    ExperimentTree tree;
    tree.plot_rows = static_cast<int>(plots.size());
    tree.root = folder(NodeKind::database, root_label(options.db_f_name), image::database);
    db::Dataset sites = conn.open(experiments_statement());
    for (sites.first(); !sites.eof(); sites.next()) {
        const std::string location = sites["site"].as_text();
        const std::string code = sites["versuch_code"].as_text();
        const bool refs = literature.count(code) > 0;
        TreeNode experiment = folder(NodeKind::experiment, experiment_label(location, code),
                                     refs ? image::experiment_with_literature : image::experiment);
        if (options.power)
            experiment.children.push_back(
                folder(NodeKind::tables, ui_text(14, options.language), image::tables));
        TreeNode plots_folder =
            folder(NodeKind::plots_folder, ui_text(15, options.language), image::plots_folder);
        // The location itself, not the one read back from the label: a location holding
        // "<" or surrounding blanks still finds its plots.
        if (auto it = by_location.find(location); it != by_location.end())
            for (const PlotRow* p : it->second) {
                plots_folder.children.push_back(plot_node(*p));
                if (options.evaluate_plot &&
                    plots_folder.children.back().image == image::plot_with_results)
                    options.evaluate_plot(*plots_folder.children.back().item);
            }
        experiment.children.push_back(std::move(plots_folder));
        tree.root.children.push_back(std::move(experiment));
        if (options.process_events) options.process_events();
    }
    return tree;
}

} // namespace workbench

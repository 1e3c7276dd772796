// The experiment tree built from the demo database, its labels and images, the node labels,
// the workbench texts, the station and soil lists and the regional mode.
#include "app/settings_store.h"
#include "demo_fixture.h"
#include "workbench/choice_lists.h"
#include "workbench/experiment_tree.h"
#include "workbench/node_labels.h"
#include "workbench/regional_mode.h"
#include "workbench/workbench_texts.h"

#include <vector>

namespace {

using namespace workbench;

class ExperimentTreeTest : public test::DemoDatabase {
protected:
    ExperimentTree build(bool power = true, const std::string& language = "E") {
        TreeOptions o;
        o.db_f_name = "demo.db";
        o.power = power;
        o.language = language;
        o.evaluate_plot = [this](const Tsrb_item& item) { evaluated.push_back(item.snr); };
        return build_experiment_tree(c, o);
    }

    static const TreeNode& experiment(const ExperimentTree& t, const std::string& label) {
        for (const TreeNode& n : t.root.children)
            if (n.label == label) return n;
        throw std::runtime_error("no experiment node " + label);
    }
    static const TreeNode& plots_of(const TreeNode& experiment) {
        return experiment.children.back();
    }
    static std::vector<std::int64_t> plot_ids(const TreeNode& experiment) {
        std::vector<std::int64_t> ids;
        for (const TreeNode& p : plots_of(experiment).children) ids.push_back(p.item->snr);
        return ids;
    }
    static int image_of(const ExperimentTree& t, std::int64_t fl_id) {
        for (const TreeNode& e : t.root.children)
            for (const TreeNode& p : plots_of(e).children)
                if (p.item->snr == fl_id) return p.image;
        return -1;
    }

    std::vector<std::int64_t> evaluated;
};

TEST_F(ExperimentTreeTest, DemoTreeHasDatabaseExperimentsFoldersAndPlots) {
    const ExperimentTree t = build();
    EXPECT_EQ(t.root.kind, NodeKind::database);
    EXPECT_EQ(t.root.label, "demo.db");
    EXPECT_EQ(t.root.image, image::database);
    EXPECT_EQ(t.plot_rows, 11);
    ASSERT_EQ(t.root.children.size(), 2u);

    const TreeNode& e = experiment(t, "Static fertilisation trial   <1>");
    EXPECT_EQ(e.kind, NodeKind::experiment);
    EXPECT_EQ(e.image, image::experiment);
    ASSERT_EQ(e.children.size(), 2u);
    EXPECT_EQ(e.children[0].kind, NodeKind::tables);
    EXPECT_EQ(e.children[0].label, "files");
    EXPECT_EQ(e.children[0].image, image::tables);
    EXPECT_EQ(e.children[1].kind, NodeKind::plots_folder);
    EXPECT_EQ(e.children[1].label, "plots");
    EXPECT_EQ(e.children[1].image, image::plots_folder);
    EXPECT_EQ(plot_ids(e), (std::vector<std::int64_t>{101, 102, 103, 104, 105}));
    EXPECT_EQ(plot_ids(experiment(t, "Crop rotation trial   <2>")),
              (std::vector<std::int64_t>{201, 202, 203, 204, 205, 206}));

    const TreeNode& plot = plots_of(e).children.front();
    EXPECT_EQ(plot.kind, NodeKind::plot);
    EXPECT_EQ(plot.label, "101 no fertiliser");
    EXPECT_EQ(plot.image, image::plot_without_results);
    EXPECT_EQ(plot.selected_image, image::selected_plot);
    EXPECT_TRUE(plot.children.empty());
    ASSERT_TRUE(plot.item);
    EXPECT_EQ(plot.item->vcode, "1");
    EXPECT_EQ(plot.item->i_con, "obsval");
    EXPECT_EQ(plot.item->herkunft, "demo data (synthetic)");
    EXPECT_EQ(plot.item->db_name, "Static fertilisation trial");
    EXPECT_TRUE(evaluated.empty());
}

TEST_F(ExperimentTreeTest, TablesNodeOnlyWithThePowerFlagAndFolderLabelsInGerman) {
    const ExperimentTree t = build(false, "D");
    const TreeNode& e = experiment(t, "Crop rotation trial   <2>");
    ASSERT_EQ(e.children.size(), 1u);
    EXPECT_EQ(e.children[0].label, "Schläge");
    const ExperimentTree power = build(true, "D");
    EXPECT_EQ(experiment(power, "Crop rotation trial   <2>").children[0].label, "Tabellen");
}

TEST_F(ExperimentTreeTest, PlotImageShowsResultsOfPositiveMeanOnly) {
    auto result = [&](int plot, double value) {
        c.prepare("insert into sim_result (fl_id, m_ix, year_, year_num, sim_value) "
                  "values (?, 7, 1980, 11, ?)")
            .execute({plot, value});
    };
    result(101, 1.8);
    result(102, 1.0); // mean 0: no usable results
    result(102, -1.0);
    result(103, -0.5);
    c.execute("insert into sim_result (fl_id, m_ix, year_) values (104, 7, 1980)"); // no value
    const ExperimentTree t = build();
    EXPECT_EQ(image_of(t, 101), image::plot_with_results);
    for (int plot : {102, 103, 104, 105}) EXPECT_EQ(image_of(t, plot), 11) << plot;
    EXPECT_EQ(evaluated, std::vector<std::int64_t>{101});
}

TEST_F(ExperimentTreeTest, LiteratureReferencesMarkTheExperiment) {
    c.execute("insert into ref2vcode (lit_id, versuchs_code) values (1, '2')");
    const ExperimentTree t = build();
    EXPECT_EQ(experiment(t, "Crop rotation trial   <2>").image, image::experiment_with_literature);
    EXPECT_EQ(experiment(t, "Static fertilisation trial   <1>").image, image::experiment);
}

TEST_F(ExperimentTreeTest, EveryExperimentOfALocationListsAllItsPlots) {
    c.execute("update field_description set versuch_code='7' where fl_id=105");
    // A location that holds "<" and one whose case differs between plots.
    c.execute("update field_description set location='Rotation <north>' where fl_id>=201");
    c.execute("update field_description set location='ROTATION <NORTH>' where fl_id=206");
    const ExperimentTree t = build();
    const std::vector<std::int64_t> all = {101, 102, 103, 104, 105};
    EXPECT_EQ(plot_ids(experiment(t, "Static fertilisation trial   <1>")), all);
    EXPECT_EQ(plot_ids(experiment(t, "Static fertilisation trial   <7>")), all);
    int rotation_nodes = 0;
    for (const TreeNode& e : t.root.children) {
        if (e.label.find("north") == std::string::npos &&
            e.label.find("NORTH") == std::string::npos)
            continue;
        ++rotation_nodes;
        EXPECT_EQ(plot_ids(e).size(), 6u) << e.label;
    }
    EXPECT_GE(rotation_nodes, 1);
}

TEST(RootLabel, NamesOfMoreThan35CharactersAreShortened) {
    const std::string n35(35, 'a');
    EXPECT_EQ(root_label(n35), n35);
    EXPECT_EQ(root_label(""), "");
    const std::string n36 = "0123456789abcdefXXXXghijklmnopqrstuv";
    ASSERT_EQ(n36.size(), 36u);
    EXPECT_EQ(root_label(n36), "0123456789abcdef...ghijklmnopqrstuv");
    // Characters, not bytes: a name of 35 characters with umlauts stays whole, and a long
    // one is never cut inside a character.
    const std::string umlauts = "/home/müller/Düngeversuche/ökö.db12";
    EXPECT_EQ(root_label(umlauts), umlauts);
    EXPECT_EQ(root_label("/home/ü/ä/ö/experimente/düngung/versuch_2020.db"),
              "/home/ü/ä/ö/expe.../versuch_2020.db");
}

TEST(TreeImages, KindsAndExpansion) {
    struct Case {
        int image;
        std::optional<NodeKind> kind;
        int expanded, collapsed;
    };
    const std::vector<Case> cases = {
        {0, NodeKind::plots_folder, 1, 0},
        {1, NodeKind::plots_folder, 1, 0},
        {2, NodeKind::experiment, 3, 2},
        {3, NodeKind::experiment, 3, 2},
        {6, NodeKind::database, 7, 6},
        {7, NodeKind::database, 7, 6},
        {8, NodeKind::tables, 9, 8},
        {9, NodeKind::tables, 9, 8},
        {10, NodeKind::plot, 11, 10},
        {11, NodeKind::plot, 11, 11},
        {18, NodeKind::experiment, 19, 18},
        {19, NodeKind::experiment, 19, 18},
        {4, std::nullopt, 5, 4},
        {5, std::nullopt, 5, 5},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(kind_of_image(k.image), k.kind) << k.image;
        EXPECT_EQ(expanded_image(k.image), k.expanded) << k.image;
        EXPECT_EQ(collapsed_image(k.image), k.collapsed) << k.image;
    }
}

TEST(NodeLabels, LocationAndCodeOfLabels) {
    struct Case {
        std::string label, location, vcode;
    };
    const std::vector<Case> cases = {
        {experiment_label("Static trial", "12"), "Static trial", "12"},
        {experiment_label("", "3"), "", "3"},
        {experiment_label("  padded  ", ""), "padded", ""},
        {"plain", "plain", "?"},
        {"a <b> <c>", "a", "b> <c"},
        {"open <12", "open", "1"},
        {"<", "", ""},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(get_location(k.label), k.location) << k.label;
        EXPECT_EQ(get_vcode(k.label), k.vcode) << k.label;
    }
    EXPECT_EQ(experiment_label("Static trial", "12"), "Static trial   <12>");
}

TEST(WorkbenchTexts, BothLanguages) {
    struct Case {
        int entry;
        std::string english, german;
    };
    const std::vector<Case> cases = {
        {14, "files", "Tabellen"},
        {15, "plots", "Schläge"},
        {20, ": The Folder will be deleted!", ": Der Betrieb wird mit allen Daten gelöscht !"},
        {24, "transfer of management data               ", "Transfer von Bewirtschaftungsdaten"},
        {25, "transfer of measurement data              ", "Transfer von Messwerten"},
        {28, "you are about to copy measurement data into plot ",
         "Sie kopieren Messergebnisse nach Fläche "},
        {30, " records copied ", " Sätze kopiert "},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(ui_text(k.entry, "E"), k.english) << k.entry;
        EXPECT_EQ(ui_text(k.entry, "D"), k.german) << k.entry;
    }
    for (int entry = 14; entry <= 30; ++entry) {
        EXPECT_FALSE(ui_text(entry, "E").empty()) << entry;
        EXPECT_NE(ui_text(entry, "E"), ui_text(entry, "D")) << entry;
    }
    EXPECT_THROW(ui_text(13, "E"), std::out_of_range);
    EXPECT_THROW(ui_text(31, "D"), std::out_of_range);
}

TEST_F(ExperimentTreeTest, StationAndSoilListsStartWithUnknown) {
    const ChoiceList stations = refresh_stat_list(c);
    const ChoiceList expected = {
        {"-?-", -99}, {"Central German dry region (demo)", 1}, {"Lower Rhine region (demo)", 2}};
    EXPECT_EQ(stations, expected);
    const ChoiceList soils = refresh_soil_list(c);
    ASSERT_EQ(soils.size(), 4u);
    EXPECT_EQ(soils[3], (ChoiceEntry{"Haplic Luvisol, boulder clay", 3}));

    EXPECT_EQ(choice_position(stations, stations, 2), 2);
    EXPECT_EQ(choice_position(stations, stations, -99), 0);
    EXPECT_EQ(choice_position(stations, stations, 42), 0);
    // A shorter list is searched by the station's name.
    const ChoiceList linked = {{"-?-", -99}, {"Lower Rhine region (demo)", 2}};
    EXPECT_EQ(choice_position(linked, stations, 2), 1);
    EXPECT_EQ(choice_position(linked, stations, 1), 0);
}

TEST_F(ExperimentTreeTest, RegionalModeFollowsTheShareColumn) {
    EXPECT_FALSE(detect_regional_mode(c));
    EXPECT_EQ(workbench_caption("demo.db", false), "demo.db; regional mode NOT enabled");
    EXPECT_FALSE(change_regional_structure(c, false));

    EXPECT_TRUE(change_regional_structure(c, true));
    EXPECT_TRUE(detect_regional_mode(c));
    EXPECT_EQ(count("cultivation", "part=100"), count("cultivation", "1=1"));
    EXPECT_EQ(workbench_caption("demo.db", true), "demo.db; regional mode enabled");
    EXPECT_FALSE(change_regional_structure(c, true));

    EXPECT_TRUE(change_regional_structure(c, false));
    EXPECT_FALSE(detect_regional_mode(c));
    EXPECT_EQ(count("cultivation", "fl_id=101"), "46\n");
}

TEST(CheckRegistry, RegModeOrLocal) {
    app::MemorySettingsStore store;
    EXPECT_EQ(check_registry(store), "LOC");
    store.create_key();
    EXPECT_EQ(check_registry(store), "LOC");
    store.write_string("regmode", "REG");
    EXPECT_EQ(check_registry(store), "REG");
}

} // namespace

// workbench_window.h --- the workbench Trange_select ("DATABASE"): the tree of experiments
// and plots on the left, on the right the pages of the clicked plot, the plot selection
// panel, the raw table panel and the cover panel. A thin view over the experiment tree
// and plot loading of workbench/; plot and experiment management, the evaluation pages
// and the run hand-over are connected through hooks.
#pragma once

#include "app/dialogs.h"
#include "app/program_state.h"
#include "app/settings_store.h"
#include "db/connection.h"
#include "ui/parameter_views.h"
#include "ui/workbench_icons.h"
#include "workbench/action_list.h"
#include "workbench/choice_lists.h"
#include "workbench/experiment_tree.h"
#include "workbench/item_lists.h"
#include "workbench/plot_loading.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTreeWidgetItem;

namespace ui {

class ManagementEntryPanel;
class ObservationEntryPanel;
class RawTablePanel;
class RegioModeDialog;
class Tfrm_nbalance;
class WorkbenchTree;

// What the workbench shares with the rest of the program.
struct WorkbenchEnvironment {
    app::ProgramState& state; // language, power, modus, methode, appmode, regional mode, ...
    std::optional<db::Connection>& connection; // the shared connection
    app::SettingsStore& settings;
    app::Dialogs& dialogs;
};

// The window's own fields (the tree nodes point into the tree widget; a rebuild clears
// the active ones).
struct WorkbenchFields {
    QTreeWidgetItem *r_node = nullptr, *a_node = nullptr, *p_node = nullptr, *f_node = nullptr,
                    *s_node = nullptr;          // last created of each kind
    QTreeWidgetItem* a_item = nullptr;          // node under the last mouse press
    QTreeWidgetItem* active_item = nullptr;     // last clicked plot node
    workbench::Tsrb_item* a_srb_item = nullptr; // its record
    std::string srb_db;                         // location of the experiment in use
    std::string snr_, plot;                     // FL_ID of the active plot
    int recs = 0;                               // largest plot count seen
    int phase_select = 0;                       // evaluation phase of a statistics rebuild
    std::string reg_state = "regional mode NOT enabled";
    std::string r_mode = "LOC";
    std::string simulation_mode = "group"; // "group" or "scenario"
    bool draging = false, just_expanded = false;
    std::string s_snr, d_snr; // source and target FL_ID of a drag
    std::string help_filter;  // filter of the raw table grid
    double rep_flx = 0, rep_ix = 0;
    bool wert2changed = false;
};

// Page indices of PageControl1 (hidden pages keep theirs).
namespace page {
inline constexpr int basic_info = 0, management = 1, observation = 2, scenario = 3, c_dynamics = 4,
                     n_dynamics = 5, micr_bm = 6, om_turnover = 7, misc_results = 8, n_balance = 9,
                     soil_physics = 10, salca = 11;
inline constexpr int count = 12;
} // namespace page

class Trange_select : public QWidget {
    Q_OBJECT
public:
    // Work of other parts of the program, given the window. Menu entries and buttons are
    // named by their English caption: "delete experiment", "experiment simulation",
    // "shift plots  FL_ID", "shift experiment ID", "create a new experiment", "database
    // simulation", "Update-Statistics", "add a new plot", "delete active plot", "move
    // active plot", "copy plot", "delete plot", "update changes", "model run (plot)",
    // "model run for selection"; "soil label" (a double click on the label "soil"), "soil
    // list" (a right press on the soil list) and "weather" (a double click on the label
    // "weather"). A menu entry or button without a hook is disabled, its tool tip saying
    // that it is not part of this version yet; a double click or right press without one
    // says so in a message.
    using Hook = std::function<void(Trange_select&)>;
    // The evaluation of one plot in a phase (a click: phase 0; a statistics rebuild:
    // phase_select).
    using Evaluation = std::function<void(Trange_select&, const workbench::Tsrb_item&, int)>;

    explicit Trange_select(WorkbenchEnvironment env, QWidget* parent = nullptr);
    ~Trange_select() override;

    void set_hook(const std::string& name, Hook hook);
    void set_evaluation(Evaluation evaluation) { evaluation_ = std::move(evaluation); }
    // What ends the program after the database structure was changed (default: quit).
    void set_quit(std::function<void()> quit) { quit_ = std::move(quit); }

    // The life cycle; public for tests and the program.
    void show_sequence();
    void activate();
    void rebuilt_treeview(int mode);
    void detect_regional_mode();
    void check_registry();
    void refresh_stat_list();
    void refresh_soil_list();

    // The tree: a press on a node (what a mouse press does), a click on a_item, a click by
    // program, and the drag of the active plot onto another plot node.
    void press_item(QTreeWidgetItem* item, Qt::MouseButton button,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier, QPoint global = {});
    void item_click(Qt::KeyboardModifiers shift = Qt::NoModifier);
    // rebuilt_treeview(mode) that keeps the expanded nodes, the node under the pointer and
    // the plot shown (shown again), where they still exist.
    void rebuild_keeping_view(int mode = 0);
    // The status line below the tree and pages: what the last entry did.
    void tell(const std::string& text);
    QLabel* status_line() const { return status_line_; }
    // The Basic-Info page as loaded or last saved: edits made since then are asked about
    // before another click reloads the pages.
    void basic_info_saved() { basic_info_saved_ = basic_info_state(); }
    void click_on_item(const std::string& db_name, const std::string& text, bool exact_match);
    bool begin_drag();
    bool drop_accepted(QTreeWidgetItem* target) const;
    bool drop_on(QTreeWidgetItem* target);
    void end_drag();

    // Menus and entries (by English caption), the menu a right press opened last.
    QMenu* menu(const std::string& name) const; // "experiment", "database", "plot", "plot node"
    QAction* menu_action(const std::string& caption) const;
    QMenu* shown_menu() const { return shown_menu_; }
    RegioModeDialog* regio_dialog();
    Tfrm_nbalance* nbalance_window() const { return nbalance_.get(); }

    // What the window shows.
    WorkbenchFields& fields() { return f_; }
    app::ProgramState& state() { return env_.state; }
    app::Dialogs& dialogs() { return env_.dialogs; }
    // The experiment database; when it could not be opened again after a run, each call
    // tries that file once more and refuses with a message naming it while it fails.
    db::Connection& conn();
    void database_lost(const std::filesystem::path& file) { lost_database_ = file; }
    const TreeImages& images() const { return images_; }
    WorkbenchTree* tree() const { return tree_; }
    static int image_of(const QTreeWidgetItem* item);
    static int state_image_of(const QTreeWidgetItem* item);
    static workbench::Tsrb_item* record_of(const QTreeWidgetItem* item);
    QTabWidget* pages() const { return pages_; }
    QWidget* cover_panel() const { return cover_; }
    QWidget* selection_panel() const { return selection_panel_; }
    QWidget* table_panel() const { return table_panel_; }
    // The panel on top of the right side among the visible ones; nullptr when none is.
    QWidget* front_panel() const;
    QTableWidget* management_grid() const { return management_grid_; }
    QTableWidget* measurement_grid() const { return measurement_grid_; }
    QTableWidget* raw_grid() const { return raw_grid_; }
    ManagementEntryPanel* management_entry() const { return management_entry_; }
    ObservationEntryPanel* observation_entry() const { return observation_entry_; }
    RawTablePanel* raw_rows() const { return raw_rows_; }
    QLabel* title_label(int page_index) const;
    QLabel* label(const std::string& english) const; // a caption label of the Basic-Info page
    QLineEdit* field(const std::string& name) const; // Edit2, Edit4, Edit6 ... fda_comment
    QComboBox* weather_list() const { return weather_; }
    QComboBox* soil_list() const { return soil_; }
    QComboBox* initial_conditions() const { return initial_; }
    QComboBox* tillage_options() const { return tillage_; }
    QLabel* plot_id_label() const { return plot_id_; }
    QPushButton* button(const std::string& english) const;
    QWidget* run_panel() const { return run_panel_; }
    QWidget* site_panel() const { return site_panel_; }
    QListWidget* selection_list() const { return selection_list_; }
    QLabel* selection_caption() const { return selection_caption_; }
    const workbench::ChoiceList& stations() const { return stations_; }
    const workbench::ChoiceList& soils() const { return soils_; }
    // Brings the plot selection panel to the front.
    void show_selection_panel();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Construction (workbench_window_layout.cpp).
    void make_layout();
    QWidget* make_basic_info();
    QWidget* make_list_page(int page_index, QTableWidget*& grid);
    QWidget* make_selection_panel();
    QWidget* make_table_panel();
    void make_menus();
    QAction* add_entry(QMenu* menu, const std::string& english, const std::string& german);
    void create();
    void apply_language();

    // Behaviour (workbench_window.cpp).
    void fill_tree(workbench::ExperimentTree tree);
    void expand_changed(QTreeWidgetItem* item, bool expanded);
    QTreeWidgetItem* add_node(QTreeWidgetItem* parent, workbench::TreeNode& node);
    void set_image(QTreeWidgetItem* item, int image);
    void set_state_image(QTreeWidgetItem* item, int state);
    void mark(QTreeWidgetItem* item);
    std::string basic_info_state() const;
    bool unsaved_basic_info_settled();
    void click_plot(QTreeWidgetItem* item, Qt::KeyboardModifiers shift, int remembered);
    void show_plot(const workbench::PlotLoad& load);
    void show_lists(const workbench::PlotLoad& load);
    void reload_plot();
    void open_tables(const std::string& location);
    void set_page_visible(int index, bool visible);
    void apply_mode_pages();
    void apply_regional_mode();
    void fill_choice(QComboBox* box, const workbench::ChoiceList& list);
    void reconnect();
    void run_hook(const std::string& name);
    void await_hook(const std::string& name); // enables the controls of a connected hook
    std::vector<QObject*> hooked_controls(const std::string& name) const;
    void change_regio_mode();
    void refresh_outliers();
    void open_nbalance();
    void open_context_menu(QTreeWidgetItem* item, QPoint global);
    template <class F> void guarded(F&& f);
    // The crop or amendment view of an item of the management form's list.
    void open_item_view(std::int64_t kind, std::int64_t item_ix);

    WorkbenchEnvironment env_;
    WorkbenchFields f_;
    TreeImages images_;
    std::map<std::string, Hook> hooks_;
    Evaluation evaluation_;
    std::function<void()> quit_;
    workbench::ExperimentTree tree_data_;
    workbench::ActionList actions_;
    workbench::ItemList items_;
    workbench::ChoiceList stations_, soils_, shown_stations_;
    QTreeWidgetItem* marked_ = nullptr;
    bool activating_ = false, returning_ = false;
    // The page in front before and after the last press on a plot, until a drag starts.
    std::optional<std::pair<int, int>> press_pages_;
    std::string basic_info_saved_;        // basic_info_state() as loaded or saved
    std::filesystem::path lost_database_; // not opened again after a run; empty: none
    QLabel* status_line_ = nullptr;

    WorkbenchTree* tree_ = nullptr;
    QWidget* right_ = nullptr;
    QWidget* cover_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QWidget* selection_panel_ = nullptr;
    QWidget* table_panel_ = nullptr;
    QTableWidget* management_grid_ = nullptr;
    QTableWidget* measurement_grid_ = nullptr;
    QTableWidget* raw_grid_ = nullptr;
    ManagementEntryPanel* management_entry_ = nullptr;
    ObservationEntryPanel* observation_entry_ = nullptr;
    RawTablePanel* raw_rows_ = nullptr;
    std::unique_ptr<ItemParameterViews> item_views_; // crop and amendment views, made on first use
    std::map<int, QLabel*> titles_;
    std::map<std::string, QLabel*> labels_;
    std::map<std::string, QLineEdit*> fields_;
    std::map<std::string, QPushButton*> buttons_;
    std::map<std::string, QMenu*> menus_;
    std::map<std::string, QAction*> actions_by_caption_;
    QMenu* shown_menu_ = nullptr;
    QComboBox* weather_ = nullptr;
    QComboBox* soil_ = nullptr;
    QComboBox* initial_ = nullptr;
    QComboBox* tillage_ = nullptr;
    QLabel* plot_id_ = nullptr;
    QLabel* share_label_ = nullptr;
    QWidget* run_panel_ = nullptr;
    QWidget* site_panel_ = nullptr;
    QListWidget* selection_list_ = nullptr;
    QLabel* selection_caption_ = nullptr;
    RegioModeDialog* regio_dialog_ = nullptr;
    std::unique_ptr<Tfrm_nbalance> nbalance_;
};

} // namespace ui

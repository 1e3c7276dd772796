// workbench_window.cpp --- the workbench's life cycle, its tree, what a click on a node
// shows, the drag of plot data, the menus and the regional mode.
#include "ui/workbench_window.h"

#include "db/text.h"
#include "stats/outlier_indication.h"
#include "ui/busy_cursor.h"
#include "ui/close_on_escape.h"
#include "ui/guarded.h"
#include "ui/management_entry_panel.h"
#include "ui/nbalance_window.h"
#include "ui/observation_entry_panel.h"
#include "ui/query_grid.h"
#include "ui/raw_table_panel.h"
#include "ui/regio_mode_dialog.h"
#include "ui/workbench_tree_widget.h"
#include "workbench/drag_copy.h"
#include "workbench/node_labels.h"
#include "workbench/regional_mode.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableWidget>

namespace ui {
namespace {

constexpr int node_role = Qt::UserRole;      // the node of the tree data
constexpr int image_role = Qt::UserRole + 1; // the image index shown
constexpr int state_role = Qt::UserRole + 2; // the state image index

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The node of the tree data an item shows (the window's copy of the tree owns it).
workbench::TreeNode* node_of(const QTreeWidgetItem* item) {
    return item ? reinterpret_cast<workbench::TreeNode*>(item->data(0, node_role).value<quintptr>())
                : nullptr;
}

std::optional<workbench::NodeKind> kind_of(const QTreeWidgetItem* item) {
    return item ? workbench::kind_of_image(Trange_select::image_of(item)) : std::nullopt;
}

void fill_grid(QTableWidget* grid, const QStringList& header,
               const std::vector<std::vector<std::string>>& rows) {
    grid->clear();
    grid->setColumnCount(static_cast<int>(header.size()));
    grid->setHorizontalHeaderLabels(header);
    grid->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            grid->setItem(static_cast<int>(r), static_cast<int>(c),
                          new QTableWidgetItem(qs(rows[r][c]))); // owned by the grid
}

} // namespace

Trange_select::Trange_select(WorkbenchEnvironment env, QWidget* parent)
    : QWidget(parent), env_(env), quit_([] { QCoreApplication::quit(); }) {
    make_layout();
    create();
    close_on_escape(this);
}

Trange_select::~Trange_select() = default;

void Trange_select::set_hook(const std::string& name, Hook hook) {
    hooks_[name] = std::move(hook);
    await_hook(name);
}

db::Connection& Trange_select::conn() {
    if (env_.connection) return *env_.connection;
    if (lost_database_.empty()) throw std::runtime_error("No experiment database is open.");
    try {
        env_.connection.emplace(lost_database_);
    } catch (const std::exception& e) {
        throw std::runtime_error("The experiment database " + lost_database_.string() +
                                 " is not open: " + e.what() +
                                 " Put the file back (or end the program that locks it) and "
                                 "try again.");
    }
    lost_database_.clear();
    return *env_.connection;
}

// Errors of a step are shown with their message; the window stays usable.
template <class F> void Trange_select::guarded(F&& f) {
    ui::guarded(env_.dialogs, "error", f);
}

void Trange_select::open_item_view(std::int64_t kind, std::int64_t item_ix) {
    guarded([&] {
        if (!item_views_) item_views_ = std::make_unique<ItemParameterViews>();
        if (kind == workbench::crop_kind)
            item_views_->crop.show_item(conn(), item_ix);
        else
            item_views_->amendment.show_item(conn(), item_ix);
    });
}

// ---- life cycle -------------------------------------------------------------------------

void Trange_select::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return; // a window brought back from the task bar
    show_sequence();
    returning_ = true; // the first activation follows the show
}

// Activated when the user returns from another window of the program, not when one of
// its own message boxes or dialogs lets go of it.
bool Trange_select::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        QWidget* next = QApplication::activeWindow();
        returning_ = next && next != this && !qobject_cast<QDialog*>(next);
    } else if (event->type() == QEvent::WindowActivate && returning_) {
        returning_ = false;
        activate();
    }
    return QWidget::event(event);
}

void Trange_select::show_sequence() {
    cover_->show();
    cover_->raise();
    f_.wert2changed = false;
    guarded([&] {
        refresh_stat_list();
        refresh_soil_list();
    });
    pages_->hide();
    rebuilt_treeview(0);
    guarded([&] { detect_regional_mode(); });
}

void Trange_select::activate() {
    if (activating_) return;
    activating_ = true;
    app::ProgramState& s = env_.state;
    check_registry();
    set_page_visible(page::scenario, false);
    setWindowTitle(qs(workbench::workbench_caption(s.db_f_name, s.regional_mode)));
    if (s.modus == "ORV") {
        initial_->setEnabled(false);
        labels_.at("plot")->setText("Feldstück");
    }
    const bool regio = s.appmode == "REGIO";
    run_panel_->setVisible(!regio);
    site_panel_->setVisible(!regio);
    if (regio) {
        s.regional_mode = true;
        guarded([&] { apply_regional_mode(); });
    }
    if (s.regional_mode) {
        if (tillage_->count() < 3)
            tillage_->addItem(s.language == "D" ? "manuelle Eingabe" : "manual input");
        tillage_->setCurrentIndex(2);
    }
    tillage_->setVisible(s.till_eff);
    labels_.at("tillage")->setVisible(s.till_eff);
    activating_ = false;
}

void Trange_select::check_registry() {
    f_.r_mode = workbench::check_registry(env_.settings);
}

void Trange_select::refresh_stat_list() {
    stations_ = workbench::refresh_stat_list(conn());
    fill_choice(weather_, stations_);
    shown_stations_ = stations_;
}

void Trange_select::refresh_soil_list() {
    soils_ = workbench::refresh_soil_list(conn());
    fill_choice(soil_, soils_);
}

void Trange_select::fill_choice(QComboBox* box, const workbench::ChoiceList& list) {
    box->clear();
    for (const workbench::ChoiceEntry& e : list)
        box->addItem(qs(e.text), QVariant::fromValue<qlonglong>(e.object));
}

void Trange_select::detect_regional_mode() {
    env_.state.regional_mode = workbench::detect_regional_mode(conn());
    apply_regional_mode();
}

void Trange_select::apply_regional_mode() {
    const bool regional = env_.state.regional_mode;
    f_.reg_state = workbench::regional_state_text(regional);
    actions_ = workbench::load_actions(conn(), workbench::action_list_statement(regional));
    management_entry_->load_lists(conn(), actions_);
    fields_.at("Edit2")->setVisible(regional);
    share_label_->setVisible(regional);
    const int part = management_grid_->columnCount() - 1;
    if (part >= 0) management_grid_->setColumnHidden(part, !regional);
    setWindowTitle(qs(workbench::workbench_caption(env_.state.db_f_name, regional)));
}

void Trange_select::reconnect() {
    if (!env_.connection) return;
    const std::filesystem::path file = env_.connection->path();
    env_.connection.reset();
    env_.connection.emplace(file);
}

void Trange_select::set_page_visible(int index, bool visible) {
    pages_->setTabVisible(index, visible);
}

void Trange_select::apply_mode_pages() {
    if (env_.state.modus == "ORV")
        for (int i : {page::observation, page::c_dynamics, page::scenario, page::misc_results})
            set_page_visible(i, false);
    else if (env_.state.modus == "TSM")
        set_page_visible(page::observation, true);
}

// ---- the tree ---------------------------------------------------------------------------

void Trange_select::rebuilt_treeview(int mode) {
    BusyCursor busy;
    guarded([&] {
        reconnect();
        apply_mode_pages();
        if (mode == 0) f_.phase_select = 0;
        db::Connection& c = conn();
        actions_ =
            workbench::load_actions(c, workbench::action_list_statement(env_.state.regional_mode));
        items_ = workbench::load_items(c, workbench::all_items_statement());
        management_entry_->load_lists(c, actions_);
        observation_entry_->load_lists(c);
        workbench::TreeOptions options;
        options.db_f_name = env_.state.db_f_name;
        options.power = env_.state.power;
        options.language = env_.state.language;
        if (mode == 1 && evaluation_)
            options.evaluate_plot = [this](const workbench::Tsrb_item& item) {
                evaluation_(*this, item, f_.phase_select);
            };
        options.process_events = [] { QCoreApplication::processEvents(); };
        workbench::ExperimentTree tree = workbench::build_experiment_tree(c, options);
        f_.recs = std::max(f_.recs, tree.plot_rows);
        fill_tree(std::move(tree));
    });
}

void Trange_select::fill_tree(workbench::ExperimentTree tree) {
    tree_->clear();
    marked_ = nullptr;
    f_.active_item = nullptr;
    f_.a_srb_item = nullptr;
    tree_data_ = std::move(tree);
    f_.r_node = add_node(nullptr, tree_data_.root);
    f_.r_node->setExpanded(true);
    f_.a_item = tree_->topLevelItem(0);
}

// Adds the node with its children; records the last node of each kind.
QTreeWidgetItem* Trange_select::add_node(QTreeWidgetItem* parent, workbench::TreeNode& node) {
    auto* item =
        parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_); // owned by the tree
    item->setText(0, qs(node.label));
    item->setData(0, node_role, QVariant::fromValue(reinterpret_cast<quintptr>(&node)));
    item->setData(0, state_role, workbench::image::no_state);
    set_image(item, node.image);
    switch (node.kind) {
    case workbench::NodeKind::database:
        f_.r_node = item;
        break;
    case workbench::NodeKind::experiment:
        f_.a_node = item;
        break;
    case workbench::NodeKind::tables:
        f_.f_node = item;
        break;
    case workbench::NodeKind::plots_folder:
        f_.p_node = item;
        break;
    case workbench::NodeKind::plot:
        f_.s_node = item;
        break;
    }
    for (workbench::TreeNode& child : node.children) add_node(item, child);
    return item;
}

int Trange_select::image_of(const QTreeWidgetItem* item) {
    return item ? item->data(0, image_role).toInt() : -1;
}

int Trange_select::state_image_of(const QTreeWidgetItem* item) {
    return item ? item->data(0, state_role).toInt() : workbench::image::no_state;
}

workbench::Tsrb_item* Trange_select::record_of(const QTreeWidgetItem* item) {
    workbench::TreeNode* node = node_of(item);
    return node && node->item ? &*node->item : nullptr;
}

void Trange_select::set_image(QTreeWidgetItem* item, int image) {
    item->setData(0, image_role, image);
    const workbench::TreeNode* node = node_of(item);
    item->setIcon(0,
                  images_.icon(image, node ? node->selected_image : image, state_image_of(item)));
}

void Trange_select::expand_changed(QTreeWidgetItem* item, bool expanded) {
    const int image = image_of(item);
    set_image(item,
              expanded ? workbench::expanded_image(image) : workbench::collapsed_image(image));
    if (expanded) f_.just_expanded = true;
}

void Trange_select::set_state_image(QTreeWidgetItem* item, int state) {
    item->setData(0, state_role, state);
    set_image(item, image_of(item));
}

void Trange_select::mark(QTreeWidgetItem* item) {
    if (marked_ && marked_ != item) set_state_image(marked_, workbench::image::no_state);
    marked_ = item;
    set_state_image(item, workbench::image::marked_state);
}

void Trange_select::press_item(QTreeWidgetItem* item, Qt::MouseButton button,
                               Qt::KeyboardModifiers modifiers, QPoint global) {
    if (!item) return;
    f_.a_item = item;
    if (button == Qt::LeftButton)
        item_click(modifiers);
    else if (button == Qt::RightButton)
        open_context_menu(item, global);
}

void Trange_select::open_context_menu(QTreeWidgetItem* item, QPoint global) {
    const std::string label = item->text(0).toStdString();
    shown_menu_ = nullptr;
    switch (kind_of(item).value_or(workbench::NodeKind::tables)) {
    case workbench::NodeKind::experiment:
        f_.srb_db = workbench::get_location(label);
        shown_menu_ = menus_.at("experiment");
        break;
    case workbench::NodeKind::plots_folder:
        if (item->parent())
            f_.srb_db = workbench::get_location(item->parent()->text(0).toStdString());
        shown_menu_ = menus_.at("plot");
        break;
    case workbench::NodeKind::database:
        shown_menu_ = menus_.at("database");
        break;
    case workbench::NodeKind::plot:
        shown_menu_ = menus_.at("plot node");
        break;
    case workbench::NodeKind::tables:
        break;
    }
    if (shown_menu_) shown_menu_->popup(global);
}

void Trange_select::click_on_item(const std::string& db_name, const std::string& text,
                                  bool exact_match) {
    bool found_location = false;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
        QTreeWidgetItem* item = *it;
        const std::string label = item->text(0).toStdString();
        if (!found_location) {
            if (workbench::get_location(label) != db_name) continue;
            found_location = true;
            item->setExpanded(true);
        }
        const bool hit = exact_match ? label == text : label.find(text) != std::string::npos;
        if (!hit) continue;
        f_.a_item = item;
        item->setExpanded(true);
        item_click(Qt::NoModifier);
        return;
    }
}

// ---- a click on a node -----------------------------------------------------------------

// The Basic-Info fields as shown, to tell edits from what was loaded or saved.
std::string Trange_select::basic_info_state() const {
    std::string state;
    for (const char* name : {"fda_sbez", "fda_herkunft", "_plotarea", "fda_wmz", "Edit6",
                             "fda_comment", "Edit4", "Edit7"})
        state += fields_.at(name)->text().toStdString() + '\x1f';
    for (const QComboBox* box : {weather_, soil_, tillage_, initial_})
        state += std::to_string(box->currentIndex()) + '\x1f';
    return state;
}

// Edits of the Basic-Info page that a click would drop: the user saves them or lets them
// go. False when they could not be saved: the plot stays shown with its edits.
bool Trange_select::unsaved_basic_info_settled() {
    if (!f_.active_item || basic_info_saved_.empty() || basic_info_state() == basic_info_saved_)
        return true;
    const bool german = env_.state.language == "D";
    const std::string plot = plot_id_->text().toStdString();
    if (!env_.dialogs.ask_yes_no(german ? "Änderung Speichern" : "update changes",
                                 german ? "Die Änderungen auf Basic-Info der Fläche " + plot +
                                              " sind nicht gespeichert. Jetzt speichern?"
                                        : "The changes on Basic-Info of plot " + plot +
                                              " are not saved. Save them now?")) {
        basic_info_saved_.clear(); // let go
        return true;
    }
    const auto hook = hooks_.find("update changes");
    return hook != hooks_.end() && hook->second &&
           ui::guarded(env_.dialogs, "error", [&] { hook->second(*this); });
}

void Trange_select::item_click(Qt::KeyboardModifiers shift) {
    QTreeWidgetItem* item = f_.a_item;
    if (!item) return;
    if (!unsaved_basic_info_settled()) {
        f_.a_item = f_.active_item;
        return;
    }
    BusyCursor busy;
    mark(item);
    buttons_.at("model run (plot)")->hide();
    const int remembered = pages_->currentIndex();
    press_pages_.reset();
    for (auto& [index, title] : titles_) title->setText(item->text(0));
    raw_grid_->clear();
    table_panel_->hide();
    const workbench::NodeKind kind = kind_of(item).value_or(workbench::NodeKind::database);
    if (kind == workbench::NodeKind::plot) {
        pages_->raise();
    } else { // the pages show a plot: a folder shows none of them
        pages_->hide();
        cover_->raise();
    }
    tree_->scrollToItem(item);
    guarded([&] {
        switch (kind) {
        case workbench::NodeKind::experiment:
            f_.srb_db = workbench::get_location(item->text(0).toStdString());
            break;
        case workbench::NodeKind::tables:
            if (item->parent())
                f_.srb_db = workbench::get_location(item->parent()->text(0).toStdString());
            open_tables(f_.srb_db);
            break;
        case workbench::NodeKind::plot:
            click_plot(item, shift, remembered);
            break;
        default:
            break;
        }
    });
}

void Trange_select::open_tables(const std::string& location) {
    f_.help_filter = "location=" + db::quoted(location, '\'');
    show_query(*raw_grid_, conn(), "select * from field_description where " + f_.help_filter);
    raw_rows_->show_plot_rows();
    table_panel_->show();
    table_panel_->raise();
}

void Trange_select::click_plot(QTreeWidgetItem* item, Qt::KeyboardModifiers shift, int remembered) {
    workbench::Tsrb_item* record = record_of(item);
    if (!record) return;
    if (record != f_.a_srb_item) {
        set_page_visible(page::n_balance, false);
        set_page_visible(page::om_turnover, false);
        pages_->setCurrentIndex(page::basic_info);
    }
    f_.a_srb_item = record;
    f_.active_item = item;
    pages_->show();
    f_.snr_ = f_.plot = std::to_string(record->snr);
    plot_id_->setText(qs(f_.plot));
    f_.srb_db = record->db_name;
    buttons_.at("model run (plot)")->show();

    workbench::PlotLoadContext context{env_.state.modus,
                                       env_.state.methode,
                                       env_.state.regional_mode,
                                       &actions_,
                                       &items_,
                                       &stations_,
                                       &soils_,
                                       &shown_stations_};
    const workbench::PlotLoad load = workbench::load_plot(conn(), *record, context);
    show_plot(load);
    pages_->setTabEnabled(page::c_dynamics, false);
    if (evaluation_) evaluation_(*this, *record, 0);
    if (shift & Qt::ShiftModifier)
        pages_->setCurrentIndex(remembered);
    else if (!f_.draging)
        pages_->setCurrentIndex(page::basic_info);
    press_pages_.emplace(remembered, pages_->currentIndex());
    basic_info_saved();
}

void Trange_select::show_plot(const workbench::PlotLoad& load) {
    show_lists(load);
    buttons_.at("model run (plot)")
        ->setEnabled(load.run_enabled && hooks_.count("model run (plot)"));
    fields_.at("Edit4")->setText(qs(load.first_year_field));
    if (load.start_year_field) fields_.at("Edit7")->setText(qs(*load.start_year_field));
    if (load.selection_start_year) fields_.at("Edit9")->setText(qs(*load.selection_start_year));
    env_.state.modus = load.modus;
    if (load.null_start)
        for (int i : {page::observation, page::c_dynamics, page::misc_results, page::n_dynamics,
                      page::micr_bm, page::n_balance})
            set_page_visible(i, false);
    else
        set_page_visible(page::observation, true);
    initial_->clear();
    for (const std::string& e : load.initial_conditions.entries) initial_->addItem(qs(e));
    initial_->setCurrentIndex(load.initial_conditions.selected);
    initial_->setVisible(load.initial_conditions.visible);
    if (load.repeat_count) fields_.at("Edit6")->setText(qs(*load.repeat_count));
    fields_.at("fda_wmz")->setText(qs(load.mean_bat));
    fields_.at("_plotarea")->setText(qs(load.basic.area));
    tillage_->setCurrentIndex(load.basic.tillage_option);
    fields_.at("fda_sbez")->setText(qs(load.basic.name));
    fields_.at("fda_herkunft")->setText(qs(load.basic.origin));
    fields_.at("fda_comment")->setText(qs(load.basic.comment));
    if (load.weather_list != shown_stations_) {
        shown_stations_ = load.weather_list;
        fill_choice(weather_, shown_stations_);
    }
    weather_->setCurrentIndex(load.weather_position);
    soil_->setCurrentIndex(load.soil_position);
}

void Trange_select::show_lists(const workbench::PlotLoad& load) {
    std::vector<std::vector<std::string>> rows;
    for (const workbench::ManagementRow& r : load.management)
        rows.push_back({r.datum.as_text(), r.tag.as_text(), r.mon.as_text(), r.calculated.aktion,
                        r.calculated.subjekt, r.origwert.as_text(), r.calculated.unit,
                        r.part.as_text()});
    const bool german = env_.state.language == "D";
    fill_grid(management_grid_,
              german
                  ? QStringList{"Jahr", "Tag", "Monat", "Aktion", "Gegenstand", "Menge", "Einheit",
                                "Anteil"}
                  : QStringList{"year", "day", "month", "action", "item", "amount", "unit", "part"},
              rows);
    management_grid_->setColumnHidden(7, !env_.state.regional_mode);
    management_entry_->set_rows(load.fl_id, load.management);
    rows.clear();
    for (const workbench::MeasurementRow& m : load.measurements)
        rows.push_back({m.datum.as_text(), m.tag.as_text(), m.mon.as_text(),
                        std::to_string(m.year_number),
                        workbench::property_name(observation_entry_->properties(), m.m_ix),
                        m.m_wert.as_text(), m.vrnz.as_text()});
    fill_grid(
        measurement_grid_,
        german
            ? QStringList{"Jahr", "Tag", "Monat", "Jahresnummer", "Merkmal", "Wert", "Varianz"}
            : QStringList{"year", "day", "month", "year number", "property", "value", "variance"},
        rows);
    observation_entry_->set_rows(load.fl_id, load.measurements);
}

// After a write of the edit forms: the active plot is shown again on the same page.
void Trange_select::reload_plot() {
    if (!f_.active_item) return;
    f_.a_item = f_.active_item;
    item_click(Qt::ShiftModifier);
}

QWidget* Trange_select::front_panel() const {
    QWidget* front = nullptr;
    for (QObject* child : right_->children()) // in stacking order, the top one last
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isHidden()) front = w;
    return front;
}

void Trange_select::show_selection_panel() {
    selection_panel_->show();
    selection_panel_->raise();
}

// ---- dragging data between plots --------------------------------------------------------

bool Trange_select::begin_drag() {
    if (kind_of(f_.active_item) != workbench::NodeKind::plot || !f_.a_srb_item) return false;
    // The press that starts a drag loads the plot with its Basic-Info page; the page that
    // was in front before it says what the drag copies.
    if (press_pages_ && pages_->currentIndex() == press_pages_->second)
        pages_->setCurrentIndex(press_pages_->first);
    press_pages_.reset();
    f_.draging = true;
    f_.s_snr = std::to_string(f_.a_srb_item->snr);
    return true;
}

bool Trange_select::drop_accepted(QTreeWidgetItem* target) const {
    const workbench::Tsrb_item* record = record_of(target);
    return f_.draging && record &&
           workbench::drop_accepted(kind_of(target) == workbench::NodeKind::plot,
                                    std::stoll(f_.s_snr), record->snr, pages_->currentIndex());
}

bool Trange_select::drop_on(QTreeWidgetItem* target) {
    if (!drop_accepted(target)) return false;
    f_.d_snr = std::to_string(record_of(target)->snr);
    const auto kind = workbench::copy_kind_of_page(pages_->currentIndex());
    if (!kind) return true;
    const std::string& language = env_.state.language;
    const std::int64_t from = std::stoll(f_.s_snr), to = std::stoll(f_.d_snr);
    const std::string source = f_.active_item ? f_.active_item->text(0).toStdString() : f_.s_snr;
    guarded([&] {
        const int added = workbench::count_plot_data(conn(), *kind, from);
        const int existing = workbench::count_plot_data(conn(), *kind, to);
        const auto mode = workbench::ask_copy_mode(
            env_.dialogs, *kind, target->text(0).toStdString(), source, added, existing, language);
        if (!mode) return;
        BusyCursor busy;
        const int copied = workbench::copy_plot_data(conn(), *kind, from, to, *mode);
        env_.dialogs.show_message(workbench::copy_report_caption(*kind, language),
                                  *mode == workbench::CopyMode::replace
                                      ? workbench::replace_report(copied, existing, language)
                                      : workbench::copy_report(copied, language));
    });
    return true;
}

void Trange_select::end_drag() {
    f_.draging = false;
}

// ---- menu entries done here -------------------------------------------------------------

void Trange_select::run_hook(const std::string& name) {
    auto it = hooks_.find(name);
    if (it == hooks_.end() || !it->second) {
        env_.dialogs.show_message(name, "not part of this version yet");
        return;
    }
    guarded([&] { it->second(*this); });
}

// "regio mode": the database gets (or loses) the share column of the regional mode; the
// program then ends so that every part starts again in the new mode.
void Trange_select::change_regio_mode() {
    RegioModeDialog* dialog = regio_dialog();
    dialog->regio_box()->setChecked(env_.state.regional_mode);
    if (dialog->exec() != QDialog::Accepted) return;
    bool changed = false;
    guarded([&] {
        BusyCursor busy;
        changed = workbench::change_regional_structure(conn(), dialog->regio_box()->isChecked());
    });
    if (changed && quit_) quit_();
}

void Trange_select::refresh_outliers() {
    guarded([&] {
        BusyCursor busy;
        stats::prepare_outlier_indication(conn());
    });
    // The active plot is drawn again with its new outlier marks.
    if (f_.active_item) {
        f_.a_item = f_.active_item;
        item_click();
    }
}

void Trange_select::open_nbalance() {
    if (!nbalance_) nbalance_ = std::make_unique<Tfrm_nbalance>(env_.connection, env_.dialogs);
    nbalance_->show();
    nbalance_->raise();
}

} // namespace ui

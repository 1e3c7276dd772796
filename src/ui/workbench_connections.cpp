// workbench_connections.cpp --- the workbench's hooks: each entry reads what it needs from the
// window, does its work through workbench/ and stats/ and rebuilds the tree afterwards.
#include "ui/workbench_connections.h"

#include "app/dialogs.h"
#include "db/connection.h"
#include "sim/final_stage.h"
#include "stats/statistics_update.h"
#include "ui/busy_cursor.h"
#include "ui/simulator_window.h"
#include "ui/workbench_tree_widget.h"
#include "ui/workbench_window.h"
#include "workbench/experiment_folders.h"
#include "workbench/node_labels.h"
#include "workbench/plot_management.h"
#include "workbench/run_handover.h"
#include "workbench/site_saving.h"
#include "workbench/workbench_texts.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <filesystem>
#include <memory>

namespace ui {
namespace {

// Closes the shared connection for the simulator. reopen() opens it again after the run;
// when the file was moved or locked meanwhile, the window keeps trying that file on its next
// uses and the message names it. When the run failed, leaving the block does the same
// quietly, so that the run's own error is the one shown.
class ClosedConnection {
public:
    ClosedConnection(std::optional<db::Connection>& c, Trange_select& w) : c_(c), w_(w) {
        file_ = w_.conn().path();
        c_.reset();
        QCoreApplication::processEvents();
    }
    ~ClosedConnection() {
        if (done_) return;
        try {
            reopen();
        } catch (const std::exception&) {
            // the run's own error is on its way to the window
        }
    }
    ClosedConnection(const ClosedConnection&) = delete;
    ClosedConnection& operator=(const ClosedConnection&) = delete;

    void reopen() {
        done_ = true;
        c_.reset(); // whatever the simulator opened meanwhile
        w_.database_lost(file_);
        w_.conn();
    }

private:
    std::optional<db::Connection>& c_;
    Trange_select& w_;
    std::filesystem::path file_;
    bool done_ = false;
};

std::string text_of(const QLineEdit* e) {
    return e->text().toStdString();
}

std::optional<std::int64_t> whole_number(const std::string& text) {
    try {
        std::size_t used = 0;
        const long long v = std::stoll(text, &used);
        if (text.find_first_not_of(" ", used) != std::string::npos) return std::nullopt;
        return v;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// What the simulator's last run came to.
std::string run_outcome(const sim::Simulator& s) {
    if (s.assessment) return "finished with its report";
    if (s.messages.empty()) return "nothing was run";
    if (s.messages.back() == sim::run_stopped_line) return "stopped by STOP RUN";
    return "ended without a report (last message: " + s.messages.back() + ")";
}

class Hooks {
public:
    Hooks(Trange_select& w, TtsmadoForm1& s, WorkbenchActions a)
        : w_(w), sim_(s), a_(std::move(a)) {}

    // Sets the window's hooks; each holds a share of the hooks object.
    static void connect(const std::shared_ptr<Hooks>& self);

private:
    const std::string& language() { return w_.state().language; }
    std::string settings_method() {
        return a_.settings_method ? a_.settings_method() : w_.state().methode;
    }
    QTreeWidgetItem* pointed() const { return w_.fields().a_item; }
    std::optional<std::int64_t> pointed_plot() const {
        const auto* record = Trange_select::record_of(pointed());
        if (!record) return std::nullopt;
        return record->snr;
    }
    std::optional<std::int64_t> active_plot() const {
        return whole_number(w_.plot_id_label()->text().toStdString());
    }
    // The plot the entries of a plots folder's menu act on: the plot shown on the pages,
    // and only when it belongs to the experiment of the folder under the pointer. Without
    // one the user is told so and nothing happens.
    std::optional<std::int64_t> shown_plot_of_folder(const std::string& entry);
    void rebuild() { w_.rebuilt_treeview(0); }
    void to_top_node() { w_.fields().a_item = w_.tree()->topLevelItem(0); }

    void new_experiment();
    void delete_experiment();
    void shift_plot_ids();
    void shift_experiment_code();
    void new_plot();
    void delete_plot(std::optional<std::int64_t> id);
    void move_plot();
    void copy_plot();
    void save_site();
    void fill_selection(bool whole_database);
    void run_plot();
    void run_selection();
    void update_statistics();
    void after_run_pages(const std::string& method);

    Trange_select& w_;
    TtsmadoForm1& sim_;
    WorkbenchActions a_;
    stats::StatViews views_;
};

void Hooks::new_experiment() {
    const std::int64_t code = workbench::next_experiment_code(w_.conn());
    const auto name = a_.questions.folder_name("create new experiment folder", code);
    if (!name) return;
    workbench::create_experiment(w_.conn(), code, *name);
    w_.fields().active_item = nullptr;
    rebuild();
    to_top_node();
}

void Hooks::delete_experiment() {
    if (!pointed()) return;
    if (!workbench::delete_experiment(w_.conn(), a_.dialogs, language(),
                                      pointed()->text(0).toStdString()))
        return;
    w_.fields().active_item = w_.fields().a_item = nullptr;
    w_.pages()->hide();
    rebuild();
    to_top_node();
}

void Hooks::shift_plot_ids() {
    if (!pointed()) return;
    const std::string location = workbench::get_location(pointed()->text(0).toStdString());
    const auto range = workbench::plot_id_range(w_.conn(), location);
    if (!range) return; // an experiment without plots has nothing to renumber
    auto status = [this, range](const std::string& typed) {
        const std::int64_t shift = workbench::parse_plot_id_shift(typed);
        return workbench::destination_status(
            workbench::destination_count(w_.conn(), *range, shift));
    };
    const auto typed = a_.questions.plot_id_shift(location, *range, status);
    if (!typed) return;
    {
        BusyCursor busy;
        workbench::shift_plot_ids(w_.conn(), *range, workbench::parse_plot_id_shift(*typed));
    }
    rebuild();
}

void Hooks::shift_experiment_code() {
    if (!pointed()) return;
    const auto form = workbench::start_experiment_code_change(w_.conn(), a_.dialogs,
                                                              pointed()->text(0).toStdString());
    if (form) {
        auto free_code = [this] {
            return std::to_string(workbench::next_experiment_code(w_.conn()));
        };
        if (const auto changed = a_.questions.experiment_code(*form, free_code))
            workbench::change_experiment_code(w_.conn(), form->old_code, changed->first,
                                              changed->second);
    }
    rebuild();
}

// The plots folder under the pointer: the first plot's origin and code, the experiment's
// location.
void Hooks::new_plot() {
    QTreeWidgetItem* folder = pointed();
    if (!folder || !folder->parent()) return;
    workbench::PlotFolder plot_folder;
    plot_folder.location = workbench::get_location(folder->parent()->text(0).toStdString());
    if (folder->childCount() > 0)
        if (const auto* first = Trange_select::record_of(folder->child(0))) {
            plot_folder.herkunft = first->herkunft;
            plot_folder.vcode = first->vcode;
        }
    workbench::add_plot(w_.conn(), plot_folder, w_.state().modus);
    rebuild();
}

std::optional<std::int64_t> Hooks::shown_plot_of_folder(const std::string& entry) {
    const auto id = active_plot();
    const workbench::Tsrb_item* shown = w_.fields().a_srb_item;
    bool ours = id && shown && shown->snr == *id && !w_.pages()->isHidden();
    const QTreeWidgetItem* folder = pointed();
    if (ours && folder && folder->parent() &&
        workbench::kind_of_image(Trange_select::image_of(folder)) ==
            workbench::NodeKind::plots_folder)
        ours = shown->db_name == workbench::get_location(folder->parent()->text(0).toStdString());
    if (ours) return id;
    a_.dialogs.show_message(entry, language() == "D"
                                       ? "Keine Fläche dieses Betriebs ist angezeigt: bitte "
                                         "zuerst die Fläche anklicken."
                                       : "No plot of this experiment is shown: click the plot "
                                         "first.");
    return std::nullopt;
}

void Hooks::delete_plot(std::optional<std::int64_t> id) {
    if (!id) return;
    if (!workbench::delete_plot(w_.conn(), a_.dialogs, language(), *id)) return;
    if (w_.fields().a_srb_item && w_.fields().a_srb_item->snr == *id) {
        w_.fields().active_item = nullptr;
        w_.fields().a_srb_item = nullptr;
    }
    rebuild();
}

void Hooks::move_plot() {
    const auto id = shown_plot_of_folder("move active plot");
    if (!id) return;
    const auto name = a_.questions.folder_name("create new experiment folder",
                                               workbench::next_experiment_code(w_.conn()));
    if (!name) return;
    workbench::move_plot(w_.conn(), *id, *name);
    rebuild();
}

void Hooks::copy_plot() {
    const auto id = pointed_plot();
    if (!id) return;
    w_.fields().a_srb_item = Trange_select::record_of(pointed());
    const std::int64_t copy = workbench::copy_plot(w_.conn(), *id, w_.state().regional_mode);
    w_.rebuild_keeping_view();
    w_.tell("copy plot: plot " + std::to_string(*id) + " copied as plot " + std::to_string(copy) +
            " (without results)");
}

void Hooks::save_site() {
    const auto id = active_plot();
    if (!id) return;
    workbench::SiteForm form;
    form.fl_id = *id;
    form.name = text_of(w_.field("fda_sbez"));
    form.origin = text_of(w_.field("fda_herkunft"));
    form.area = text_of(w_.field("_plotarea"));
    form.climate_id = w_.weather_list()->currentData().toLongLong();
    form.soil_id = w_.soil_list()->currentData().toLongLong();
    if (w_.weather_list()->currentIndex() < 0) form.climate_id = -99;
    if (w_.soil_list()->currentIndex() < 0) form.soil_id = -99;
    form.mean_bat = text_of(w_.field("fda_wmz"));
    form.repeat_count = text_of(w_.field("Edit6"));
    form.comment = text_of(w_.field("fda_comment"));
    form.tillage_option = std::max(0, w_.tillage_options()->currentIndex());
    form.initial_condition = w_.initial_conditions()->currentText().toStdString();
    form.first_year = text_of(w_.field("Edit4"));
    form.start_year = text_of(w_.field("Edit7"));
    w_.fields().snr_ = std::to_string(*id);
    workbench::save_site(w_.conn(), form);
    w_.basic_info_saved();
    if (QTreeWidgetItem* node = w_.fields().active_item)
        node->setText(0, QString::fromStdString(workbench::renamed_plot_label(
                             node->text(0).toStdString(), form.name)));
}

void Hooks::fill_selection(bool whole_database) {
    auto& f = w_.fields();
    const auto entries = whole_database ? workbench::database_entries(w_.conn())
                                        : workbench::experiment_entries(w_.conn(), f.srb_db);
    f.simulation_mode = whole_database ? "scenario" : "group";
    w_.selection_caption()->setText(
        QString::fromStdString(whole_database ? workbench::ui_text(21, language()) : f.srb_db));
    QListWidget* list = w_.selection_list();
    list->clear();
    for (const std::string& e : entries) {
        auto* item = new QListWidgetItem(QString::fromStdString(e), list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    w_.show_selection_panel();
}

// A run of the active plot from the Basic-Info page: exactly that plot selected, the
// simulator run for it alone, then its mean BAT shown (and stored for the TSM method), the
// tree rebuilt and the plot shown again.
void Hooks::run_plot() {
    BusyCursor busy;
    save_site();
    auto& f = w_.fields();
    const auto id = active_plot();
    if (!id || !f.a_srb_item || !f.active_item) return; // no plot to run: nothing happens
    const std::string location = f.a_srb_item->db_name;
    const std::string label = f.active_item->text(0).toStdString();
    workbench::HandOver h;
    h.z_anf = workbench::start_year_field(text_of(w_.field("Edit7")));
    h.z_cnt = workbench::repeat_count_field(text_of(w_.field("Edit6")));
    h.power = w_.state().power;
    h.modus = w_.state().modus;
    h.methode = a_.run_method;
    h.single = true;
    workbench::select_single_plot(w_.conn(), static_cast<int>(*id));
    {
        ClosedConnection closed(a_.connection, w_);
        if (a_.before_run) a_.before_run(sim_.simulator());
        workbench::prepare_simulator(sim_.simulator(), h);
        sim_.hand_over(h.power);
        closed.reopen();
    }
    const std::string method = settings_method();
    const std::string mean_bat = workbench::mean_bat_after_run(w_.conn(), static_cast<int>(*id));
    w_.field("fda_wmz")->setText(QString::fromStdString(mean_bat));
    if (method == "TSM") workbench::store_mean_bat(w_.conn(), static_cast<int>(*id), mean_bat);
    rebuild();
    w_.item_click();
    w_.click_on_item(location, label, true);
    after_run_pages(method);
    w_.tell("model run (plot) " + std::to_string(*id) + ": " + run_outcome(sim_.simulator()));
}

// The pages after a single-plot run: misc.results for another method; for TSM the
// carbon dynamics, and with a measured start the organic matter turnover.
void Hooks::after_run_pages(const std::string& method) {
    QTabWidget* pages = w_.pages();
    if (method != "TSM") {
        pages->setCurrentIndex(page::misc_results);
        return;
    }
    pages->setCurrentIndex(page::c_dynamics);
    const auto* record = w_.fields().a_srb_item;
    const bool null_start = record && record->i_con == "null";
    if (!null_start) {
        pages->setTabVisible(page::c_dynamics, true);
        pages->setTabVisible(page::om_turnover, true);
        pages->setCurrentIndex(page::om_turnover);
    } else {
        for (int p : {page::c_dynamics, page::n_balance, page::om_turnover})
            pages->setTabVisible(p, false);
    }
}

// A run of the ticked entries of the plot selection panel.
void Hooks::run_selection() {
    std::vector<int> plots;
    const QListWidget* list = w_.selection_list();
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* entry = list->item(i);
        if (entry->checkState() != Qt::Checked) continue;
        if (const auto id = workbench::entry_plot(entry->text().toStdString()))
            plots.push_back(*id);
    }
    if (plots.empty()) {
        a_.dialogs.show_message("model run for selection",
                                language() == "D"
                                    ? "Keine Fläche ist angekreuzt: bitte zuerst die Flächen "
                                      "ankreuzen. Es wurde nichts gerechnet."
                                    : "No plot is ticked: tick the plots to run first. Nothing "
                                      "was run.");
        return;
    }
    workbench::HandOver h;
    h.z_anf = workbench::start_year_field(text_of(w_.field("Edit9")));
    h.z_cnt = workbench::repeat_count_field(text_of(w_.field("Edit8")));
    h.power = w_.state().power;
    h.modus = w_.state().modus;
    h.methode = "TSM";
    h.single = false;
    BusyCursor busy;
    workbench::select_plots_for_run(w_.conn(), plots);
    {
        ClosedConnection closed(a_.connection, w_);
        if (a_.before_run) a_.before_run(sim_.simulator());
        workbench::prepare_simulator(sim_.simulator(), h);
        // The activation waits while running is set before its automatic calculation, and
        // only that calculation clears it: left set, the hand-over would wait for a press
        // of "calculate" that never comes. The run itself keeps the flag while it works.
        sim_.simulator().running = false;
        sim_.hand_over(h.power);
        closed.reopen();
    }
    rebuild();
    w_.item_click();
    w_.tell("model run for selection, " + std::to_string(plots.size()) +
            (plots.size() == 1 ? " plot: " : " plots: ") + run_outcome(sim_.simulator()));
}

void Hooks::update_statistics() {
    const auto phase = a_.questions.phase();
    if (!phase) return;
    int plots = 0;
    {
        BusyCursor busy;
        stats::EvaluationOptions options;
        options.modus = w_.state().modus;
        plots = stats::update_statistics(
            w_.conn(), *phase, views_, options,
            [](int, int, std::int64_t) { QCoreApplication::processEvents(); });
        w_.rebuild_keeping_view();
    }
    w_.fields().phase_select = static_cast<int>(*phase);
    w_.tell("Update-Statistics (" + std::string(stats::phase_caption(*phase)) +
            "): the statistics of " + std::to_string(plots) + (plots == 1 ? " plot" : " plots") +
            " stored in tsm_stat_corg and tsm_stat_nt");
}

void Hooks::connect(const std::shared_ptr<Hooks>& self) {
    const std::pair<const char*, void (Hooks::*)()> plain[] = {
        {"create a new experiment", &Hooks::new_experiment},
        {"delete experiment", &Hooks::delete_experiment},
        {"shift plots  FL_ID", &Hooks::shift_plot_ids},
        {"shift experiment ID", &Hooks::shift_experiment_code},
        {"add a new plot", &Hooks::new_plot},
        {"move active plot", &Hooks::move_plot},
        {"copy plot", &Hooks::copy_plot},
        {"update changes", &Hooks::save_site},
        {"model run (plot)", &Hooks::run_plot},
        {"model run for selection", &Hooks::run_selection},
        {"Update-Statistics", &Hooks::update_statistics},
    };
    Trange_select& w = self->w_;
    for (const auto& [name, work] : plain)
        w.set_hook(name, [self, work = work](Trange_select&) { ((*self).*work)(); });
    w.set_hook("delete active plot", [self](Trange_select&) {
        self->delete_plot(self->shown_plot_of_folder("delete active plot"));
    });
    w.set_hook("delete plot", [self](Trange_select&) { self->delete_plot(self->pointed_plot()); });
    w.set_hook("experiment simulation", [self](Trange_select&) { self->fill_selection(false); });
    w.set_hook("database simulation", [self](Trange_select&) { self->fill_selection(true); });
}

} // namespace

void connect_workbench(Trange_select& window, TtsmadoForm1& simulator, WorkbenchActions actions) {
    Hooks::connect(std::make_shared<Hooks>(window, simulator, std::move(actions)));
}

} // namespace ui

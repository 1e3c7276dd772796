// parameter_editor_window.cpp --- the behaviour of the parameter editor.
#include "ui/parameter_editor_window.h"

#include "db/db_error.h"
#include "params/soil_profiles.h"
#include "ui/busy_cursor.h"
#include "ui/dataset_grid.h"
#include "ui/guarded.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace ui {
namespace {

// The fixed columns of the organic matter and crop grids (all columns in HUMOD mode).
const std::vector<std::string> om_columns = {
    "item_ix", "od", "name", "k", "eta", "cnr", "cnr_alt", "ts_gehalt", "c_geh_ts", "ros_ix"};
const std::vector<std::string> crop_columns = {"item_ix",  "name",   "CEWR",   "FEWR",
                                               "N_gehalt", "HI",     "ewr_ix", "grd_ix",
                                               "kop_ix",   "ros_ix", "kurzbez"};

// The fields of `wanted` the data set has (older databases may lack some).
std::vector<std::string> present(const db::Dataset& d, const std::vector<std::string>& wanted) {
    std::vector<std::string> fields;
    for (const std::string& f : wanted)
        if (d.has_field(f)) fields.push_back(f);
    return fields;
}

const char* grid_of(params::SelectionList list) {
    switch (list) {
    case params::SelectionList::crops:
        return "sel_crop";
    case params::SelectionList::amendments:
        return "sel_ops";
    case params::SelectionList::fertilisers:
        return "sel_frt";
    }
    return "";
}

std::string profile_text(const db::Value& v) {
    return v.is_null() ? std::string() : v.as_text();
}

} // namespace

Tsrb_parms::Tsrb_parms(ParameterEditorEnvironment env, QWidget* parent)
    : QDialog(parent), env_(env) {
    setObjectName("Tsrb_parms");
    make_layout();
}

Tsrb_parms::~Tsrb_parms() = default;

db::Connection& Tsrb_parms::conn() {
    if (!env_.connection) throw db::Error("There is no open database.");
    return *env_.connection;
}

template <class F> void Tsrb_parms::guarded(F&& f) {
    ui::guarded(env_.dialogs, "TSM-Parameter", f);
}

DatasetGrid* Tsrb_parms::selection_grid(params::SelectionList list) const {
    return grids_.at(grid_of(list));
}

void Tsrb_parms::set_table_list(const std::vector<std::string>& tables) {
    table_list_->clear();
    for (const std::string& t : tables) table_list_->addItem(QString::fromStdString(t));
}

int Tsrb_parms::open_from_launcher() {
    activate();
    pages_->setCurrentIndex(parameter_page::om_parm);
    return exec();
}

void Tsrb_parms::open_on_soil(std::int64_t soil_id) {
    activate();
    pages_->setCurrentIndex(parameter_page::soil_profiles);
    guarded([&] { show_profile(soil_id); });
    show();
    raise();
    activateWindow();
}

// The method decides which organic matter and crop tables are shown; it is read at every
// activation, so that a change of database switches them back.
void Tsrb_parms::activate() {
    humod_ = env_.state.methode == "HUMOD";
    om_table_ = humod_ ? "humod_fert_parm" : "SRBOPSPA";
    crop_table_ = humod_ ? "humod_crop_parm" : "SRBPFLAN";
    for (int i : {1, 2}) om_filters_[i]->setEnabled(!humod_);
    if (humod_) {
        om_filters_[0]->setChecked(true);
        om_filter_ = 0;
    }
    pages_->setTabVisible(parameter_page::references, false);
    pages_->setTabVisible(parameter_page::alternative_methods, false);
    guarded([&] { open_tables(); });
}

void Tsrb_parms::open_tables() {
    db::Connection& c = conn();
    grids_.at("cndmwml")->show_data(
        c.open("CND_MWML"),
        present(c.open("select * from CND_MWML where 0=1"), {"M_IX", "BEZEICHNUNG", "EINHEIT"}),
        {{"M_IX", "INDEX"}, {"BEZEICHNUNG", "NAME"}, {"EINHEIT", "UNIT"}});
    if (c.has_table("referenzen")) grids_.at("references")->show_data(c.open("referenzen"));
    grids_.at("aktion")->show_data(c.open("SRBAKTION"));
    grids_.at("fert")->show_data(c.open("SRBMINDG"));
    db::Dataset crops = c.open(crop_table_);
    const auto crop_fields = humod_ ? std::vector<std::string>{} : present(crops, crop_columns);
    grids_.at("crops")->show_data(std::move(crops), crop_fields);
    db::Dataset om = c.open(om_table_);
    const auto om_fields = humod_ ? std::vector<std::string>{} : present(om, om_columns);
    grids_.at("opspa")->show_data(std::move(om), om_fields);
    set_om_filter(om_filter_);
    for (auto list : {params::SelectionList::crops, params::SelectionList::amendments,
                      params::SelectionList::fertilisers})
        if (c.has_table(params::selection_table(list))) open_selection_list(list);
    load_profiles();
}

void Tsrb_parms::set_om_filter(int filter) {
    if (humod_) filter = 0;
    om_filter_ = filter;
    om_filters_[filter]->setChecked(true);
    DatasetGrid* grid = grids_.at("opspa");
    if (filter == 0) {
        grid->data().set_filter({});
    } else {
        const std::int64_t od = filter == 1 ? 0 : -1;
        grid->data().set_filter([od](const db::Dataset& d, const db::Dataset::Row& row) {
            return d.value_in(row, "od").as_int() == od;
        });
    }
    grid->refresh();
}

void Tsrb_parms::open_selection_list(params::SelectionList list) {
    DatasetGrid* grid = selection_grid(list);
    const int row = grid->currentRow();
    grid->set_check_fields({"select"});
    db::Dataset d = conn().open(params::selection_table(list));
    auto fields = present(d, {"select", "item_ix", "name"});
    grid->show_data(std::move(d), fields, {}, {"select", "item_ix", "name"});
    if (row >= 0 && row < grid->rowCount()) grid->setCurrentCell(row, 0);
}

void Tsrb_parms::press_list_button(params::SelectionList list, const std::string& caption) {
    guarded([&] {
        BusyCursor busy;
        if (caption == "use all")
            params::use_all(conn(), list);
        else if (caption == "use none")
            params::use_none(conn(), list);
        else if (caption == "invert")
            params::invert(conn(), list);
        else if (caption == "add non-org")
            params::add_crops_by_oeko_code(conn(), false);
        else if (caption == "add all org")
            params::add_crops_by_oeko_code(conn(), true);
        open_selection_list(list);
    });
}

void Tsrb_parms::double_click_selection(params::SelectionList list, int row) {
    guarded([&] {
        DatasetGrid* grid = selection_grid(list);
        if (!grid->to_row(row)) return;
        params::toggle(conn(), list, grid->data().field("item_ix").as_int());
        open_selection_list(list);
        grid->setCurrentCell(row, 0);
        QCoreApplication::processEvents();
    });
}

// ---- soil profiles ----

void Tsrb_parms::load_profiles() {
    grids_.at("profiles")
        ->show_data(conn().open("select soil_ID, profile from soilproperties order by soil_ID"), {},
                    {}, {"soil_ID", "profile"});
    std::optional<std::int64_t> keep = soil_id_;
    if (keep &&
        !conn()
             .scalar("select count(*) from soilproperties where soil_ID=" + std::to_string(*keep))
             .as_int())
        keep.reset();
    if (!keep && grids_.at("profiles")->rowCount() > 0)
        keep = grids_.at("profiles")->data().field("soil_ID").as_int();
    show_profile(keep);
}

void Tsrb_parms::show_profile(std::optional<std::int64_t> soil_id) {
    showing_profile_ = true;
    soil_id_.reset();
    for (auto& [column, edit] : soil_fields_) edit->clear();
    use_cif_->setChecked(false);
    used_by_->clear();
    DatasetGrid* grid = grids_.at("profiles");
    if (soil_id) {
        auto st = conn().prepare("select * from soilproperties where soil_ID = ?");
        st.bind(1, db::Value(*soil_id));
        if (st.step()) {
            soil_id_ = soil_id;
            for (auto& [column, edit] : soil_fields_) {
                const int i = st.column_index(column);
                if (i >= 0) edit->setText(QString::fromStdString(profile_text(st.column(i))));
            }
            const int cif = st.column_index("cif_org");
            use_cif_->setChecked(cif >= 0 && st.column(cif).as_bool());
            const auto plots = params::plots_using_soil(conn(), *soil_id);
            used_by_->setText(
                plots.empty()
                    ? QString("used by no plot")
                    : QString::fromStdString("used by the plots " + params::plot_list_text(plots)));
            for (int r = 0; r < grid->rowCount(); ++r)
                if (grid->to_row(r) && grid->data().field("soil_ID").as_int() == *soil_id) {
                    grid->setCurrentCell(r, 0);
                    break;
                }
        }
    }
    soil_modified_ = false;
    showing_profile_ = false;
}

void Tsrb_parms::type_soil_field(const std::string& column, const QString& text) {
    soil_fields_.at(column)->setText(text);
    soil_modified_ = true;
}

bool Tsrb_parms::post_profile() {
    if (!soil_id_) return true;
    try {
        params::ProfileValues v;
        v["profile"] = conn().scalar("select profile from soilproperties where soil_ID=" +
                                     std::to_string(*soil_id_));
        v["BA_RBS"] = db::Value(soil_fields_.at("BA_RBS")->text().trimmed().toStdString());
        for (const params::SoilField& f : params::soil_fields())
            v[f.column] =
                params::number_input(f.label, soil_fields_.at(f.column)->text().toStdString());
        v["cif_org"] = db::Value(use_cif_->isChecked());
        params::save_profile(conn(), *soil_id_, v);
    } catch (const std::exception& e) {
        env_.dialogs.show_error("soil profile not saved", e.what());
        return false;
    }
    show_profile(soil_id_);
    return true;
}

// Pending changes of the profile: save, discard or stay. True when the profile may be left.
bool Tsrb_parms::leave_profile() {
    if (!soil_modified_ || !soil_id_) return true;
    const std::string name = profile_text(conn().scalar(
        "select profile from soilproperties where soil_ID=" + std::to_string(*soil_id_)));
    if (env_.dialogs.ask_yes_no("TSM-Parameter",
                                "Save the changes of the soil profile \"" + name + "\" ?"))
        return post_profile();
    if (env_.dialogs.ask_yes_no("TSM-Parameter",
                                "Discard the changes of the soil profile \"" + name + "\" ?")) {
        show_profile(soil_id_);
        return true;
    }
    return false;
}

void Tsrb_parms::move_profile(int row) {
    guarded([&] {
        DatasetGrid* grid = grids_.at("profiles");
        if (!grid->to_row(row)) return;
        const std::int64_t target = grid->data().field("soil_ID").as_int();
        if (soil_id_ && target == *soil_id_) return;
        if (!leave_profile()) {
            show_profile(soil_id_); // back to the row of the unsaved profile, changes kept
            return;
        }
        show_profile(target);
    });
}

void Tsrb_parms::enter_profile(const QString& name) {
    name_field_->setText(name);
    guarded([&] {
        if (!leave_profile()) return;
        const auto id = params::enter_profile(conn(), name.toStdString(), env_.dialogs);
        enter_->setEnabled(false);
        if (!id) return;
        soil_id_ = id;
        load_profiles();
        show_profile(id);
        if (on_profiles_changed_) on_profiles_changed_();
    });
}

void Tsrb_parms::press_navigator(const std::string& caption) {
    guarded([&] {
        DatasetGrid* grid = grids_.at("profiles");
        const int n = grid->rowCount(), r = grid->currentRow();
        if (caption == "post") {
            post_profile();
        } else if (caption == "cancel") {
            show_profile(soil_id_);
        } else if (caption == "refresh") {
            if (leave_profile()) load_profiles();
        } else if (caption == "delete") {
            if (soil_id_ && params::delete_profile(conn(), *soil_id_, env_.dialogs)) {
                soil_id_.reset();
                load_profiles();
                if (on_profiles_changed_) on_profiles_changed_();
            }
        } else if (caption == "copy") {
            if (!soil_id_ || !leave_profile()) return;
            const std::string from = profile_text(conn().scalar(
                "select profile from soilproperties where soil_ID=" + std::to_string(*soil_id_)));
            const std::string name =
                name_field_->text().trimmed().isEmpty() || name_field_->text().toStdString() == from
                    ? from + " (copy)"
                    : name_field_->text().trimmed().toStdString();
            soil_id_ = params::copy_profile(conn(), *soil_id_, name);
            load_profiles();
            if (on_profiles_changed_) on_profiles_changed_();
        } else if (caption == "first") {
            move_profile(0);
        } else if (caption == "prior") {
            move_profile(std::max(0, r - 1));
        } else if (caption == "next") {
            move_profile(std::min(n - 1, r + 1));
        } else if (caption == "last") {
            move_profile(n - 1);
        }
        // "edit": the fields are always open for typing.
    });
}

// ---- tables by name ----

void Tsrb_parms::page_entered(int page) {
    if (page == parameter_page::results) grids_.at("results")->detach();
    if (page == parameter_page::access_database) grids_.at("access_table")->detach();
}

void Tsrb_parms::open_result_table(const QString& name) {
    guarded([&] { grids_.at("results")->show_data(conn().open(name.toStdString())); });
}

void Tsrb_parms::open_any_table(const QString& name) {
    selected_table_->setText(name);
    guarded([&] { grids_.at("access_table")->show_data(conn().open(name.toStdString())); });
}

void Tsrb_parms::export_shown(int page) {
    DatasetGrid* grid = grids_.at(page == parameter_page::results ? "results" : "access_table");
    if (!grid->attached()) {
        env_.dialogs.show_message("export to XLS", "No table is shown.");
        return;
    }
    grid->export_to_xlsx();
}

// ---- alternative methods ----

void Tsrb_parms::show_alternative_methods() {
    pages_->setTabVisible(parameter_page::alternative_methods, true);
    pages_->setCurrentIndex(parameter_page::alternative_methods);
}

void Tsrb_parms::press_method(const std::string& caption, bool create_new) {
    guarded([&] {
        BusyCursor busy;
        params::MethodMessages messages;
        std::string shown;
        if (caption == "HU-MOD: NUR-values") {
            if (create_new) params::build_humod_nur(conn(), messages);
            shown = "humod_nur";
        } else if (caption == "STAND: prepare") {
            params::prepare_stand(conn(), messages);
            buttons_.at("STAND: category")->setEnabled(true);
            shown = "vb_st_gr";
        } else if (caption == "STAND: category") {
            params::categorise_stand(conn(), messages);
            shown = "st_gruppe";
        } else if (caption == "SALCA: edit pH") {
            params::prepare_salca_ph(conn(), messages);
            shown = "salca_ph_value";
        }
        method_messages_->clear();
        for (const std::string& line : messages)
            method_messages_->addItem(QString::fromStdString(line));
        if (!shown.empty()) grids_.at("methods")->show_data(conn().open(shown));
    });
}

// ---- closing ----

void Tsrb_parms::press_end() {
    if (!leave_profile()) return;
    guarded([&] {
        if (env_.connection) {
            const auto path = env_.connection->path();
            env_.connection.reset();
            env_.connection.emplace(path);
        }
        if (on_end_) on_end_();
    });
    soil_modified_ = false;
    close();
}

void Tsrb_parms::closeEvent(QCloseEvent* event) {
    bool may_close = true;
    guarded([&] { may_close = leave_profile(); });
    if (!may_close) {
        event->ignore();
        return;
    }
    grids_.at("opspa")->data().set_filter({});
    QDialog::closeEvent(event);
}

void Tsrb_parms::reject() {
    bool may_close = true;
    guarded([&] { may_close = leave_profile(); });
    if (may_close) QDialog::reject();
}

} // namespace ui

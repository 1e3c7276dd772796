// parameter_editor_window.h --- the model parameter editor Tsrb_parms ("TSM-Parameter"):
// grids of the crop, organic matter, fertiliser, action and property tables, the soil
// profiles, the three selection lists, result tables and any table of the database, and the
// page that builds the input tables of the humus balance methods. A thin view over params/.
#pragma once

#include "app/dialogs.h"
#include "app/program_state.h"
#include "db/connection.h"
#include "params/method_inputs.h"
#include "params/preselection.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace ui {

class DatasetGrid;

// What the editor shares with the rest of the program.
struct ParameterEditorEnvironment {
    app::ProgramState& state; // language, methode
    std::optional<db::Connection>& connection;
    app::Dialogs& dialogs;
};

// Page indices of the editor (hidden pages keep theirs).
namespace parameter_page {
inline constexpr int crop_parm = 0, om_parm = 1, fertilizers = 2, actions = 3, properties = 4,
                     soil_profiles = 5, preselection = 6, results = 7, access_database = 8,
                     references = 9, alternative_methods = 10;
}

class Tsrb_parms : public QDialog {
    Q_OBJECT
public:
    explicit Tsrb_parms(ParameterEditorEnvironment env, QWidget* parent = nullptr);
    ~Tsrb_parms() override;

    // After a change of the profiles (a new one by name): the workbench refreshes its list.
    void set_on_profiles_changed(std::function<void()> f) { on_profiles_changed_ = std::move(f); }
    // "End": what else is reopened after the connection (the data entry's item list).
    void set_on_end(std::function<void()> f) { on_end_ = std::move(f); }

    // The launcher's "Parameters": the table list, the page "OM-Parm", modal.
    void set_table_list(const std::vector<std::string>& tables);
    int open_from_launcher();
    // The workbench: the page "Soil Profiles" on the profile, modeless.
    void open_on_soil(std::int64_t soil_id);
    // Every activation: the method's tables, the hidden pages, the tables opened again.
    void activate();

    // "OM-Parm": 0 all, 1 residues (od = 0), 2 substrates (od = -1).
    void set_om_filter(int filter);
    // "preselection": a list's button by caption ("use all", "use none", "invert",
    // "add non-org", "add all org"), and the double click on a row.
    void press_list_button(params::SelectionList list, const std::string& caption);
    void double_click_selection(params::SelectionList list, int row);
    // "Soil Profiles": the name field and "ENTER"; the navigator and "copy" by caption
    // ("first", "prior", "next", "last", "delete", "edit", "post", "cancel", "refresh",
    // "copy"); a field typed into as the user would.
    void enter_profile(const QString& name);
    void press_navigator(const std::string& caption);
    void type_soil_field(const std::string& column, const QString& text);
    bool soil_modified() const { return soil_modified_; }
    std::optional<std::int64_t> current_soil() const { return soil_id_; }
    // "Results" and "ACCESS-DATABASE": a double click on a table name; "export to XLS".
    void open_result_table(const QString& name);
    void open_any_table(const QString& name);
    void export_shown(int page);
    // The menu entry "alternative methods" and the page's commands by caption
    // ("HU-MOD: NUR-values", "STAND: prepare", "STAND: category", "SALCA: edit pH").
    void show_alternative_methods();
    void press_method(const std::string& caption, bool create_new = true);
    // "End".
    void press_end();

    QTabWidget* pages() const { return pages_; }
    DatasetGrid* grid(const std::string& name) const { return grids_.at(name); }
    DatasetGrid* selection_grid(params::SelectionList list) const;
    QRadioButton* om_filter_button(int filter) const { return om_filters_[filter]; }
    QLineEdit* soil_field(const std::string& column) const { return soil_fields_.at(column); }
    QLineEdit* name_field() const { return name_field_; }
    QPushButton* enter_button() const { return enter_; }
    QPushButton* button(const std::string& name) const { return buttons_.at(name); }
    QLabel* used_by_label() const { return used_by_; }
    QLabel* selected_table_label() const { return selected_table_; }
    QListWidget* method_messages() const { return method_messages_; }
    QAction* alternative_methods_action() const { return alternative_methods_; }
    const std::string& om_table() const { return om_table_; }
    const std::string& crop_table() const { return crop_table_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    // Construction (parameter_editor_layout.cpp).
    void make_layout();
    QWidget* make_grid_page(const std::string& name, QWidget* top = nullptr);
    QWidget* make_om_page();
    QWidget* make_soil_page();
    QWidget* make_soil_record();
    QWidget* make_preselection_page();
    QWidget* make_table_list_page(int page, QListWidget*& list);
    QWidget* make_methods_page();
    QPushButton* add_button(const std::string& name, const char* german);
    void apply_language();

    // Behaviour (parameter_editor_window.cpp).
    db::Connection& conn();
    void open_tables();
    void open_selection_list(params::SelectionList list);
    void load_profiles();
    void show_profile(std::optional<std::int64_t> soil_id);
    bool post_profile();
    bool leave_profile();
    void move_profile(int row);
    void page_entered(int page);
    template <class F> void guarded(F&& f);

    ParameterEditorEnvironment env_;
    std::function<void()> on_profiles_changed_, on_end_;
    std::string om_table_ = "SRBOPSPA", crop_table_ = "SRBPFLAN";
    int om_filter_ = 0;
    std::optional<std::int64_t> soil_id_;
    bool soil_modified_ = false;
    bool showing_profile_ = false;
    bool humod_ = false;

    QTabWidget* pages_ = nullptr;
    std::map<std::string, DatasetGrid*> grids_;
    std::map<std::string, QPushButton*> buttons_;
    QRadioButton* om_filters_[3] = {};
    std::map<std::string, QLineEdit*> soil_fields_;
    QCheckBox* use_cif_ = nullptr;
    QLineEdit* name_field_ = nullptr;
    QPushButton* enter_ = nullptr;
    QLabel* used_by_ = nullptr;
    QLabel* selected_table_ = nullptr;
    QListWidget* result_list_ = nullptr;
    QListWidget* table_list_ = nullptr;
    QListWidget* method_messages_ = nullptr;
    QRadioButton* create_new_ = nullptr;
    QAction* alternative_methods_ = nullptr;
};

} // namespace ui

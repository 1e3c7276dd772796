// climate_editor_window.h --- the climate editor Ttsm_clim ("TSM climate data"): the station
// overview with its navigator, the name field with "create new station" and "delete current
// station", and the pages of the current station (weather with CSV import and export,
// annual N deposition, historic N deposition) under a navigator of their own. A thin view
// over climate/.
#pragma once

#include "app/dialogs.h"
#include "climate/climate_stations.h"
#include "db/connection.h"

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace ui {

class Trange_select;

class Ttsm_clim : public QDialog {
    Q_OBJECT
public:
    // Pages, in the order of their tabs.
    enum Page { weather = 0, annual_deposition = 1, historic_deposition = 2 };

    // Captions in the language ("D": German, the historic page hidden). `connection` is
    // the shared connection, used while it is open.
    Ttsm_clim(std::optional<db::Connection>& connection, app::Dialogs& dialogs,
              const std::string& language, QWidget* parent = nullptr);

    // Reads the stations (only the station `only` when given; -99 lists none), puts the name
    // into the name field and activates the weather page. The name field and "create new
    // station" are enabled exactly when the name is "-?-".
    void open_tables(std::optional<std::int64_t> only, const std::string& name);
    // Called after a station was created, renamed or deleted.
    void set_stations_changed(std::function<void()> changed) { changed_ = std::move(changed); }

    // The user's actions; public for tests.
    void click_station(int row);
    void press_create();
    void press_delete();
    void press_import();
    void press_export();
    // Navigator buttons by name: "first", "last", "edit", "post", "cancel", "refresh", and
    // for the pages "append" and "delete".
    void press_overview(const std::string& button);
    void press_page(const std::string& button);

    std::string name() const;
    std::optional<std::int64_t> current_station() const;
    QLineEdit* name_field() const { return name_; }
    QPushButton*
    button(const std::string& name) const; // "create", "delete", "close", "import", "export"
    QPushButton* overview_button(const std::string& name) const { return overview_nav_.at(name); }
    QPushButton* page_button(const std::string& name) const { return page_nav_.at(name); }
    QTableWidget* overview() const { return overview_; }
    QTableWidget* grid(Page page) const { return grids_[page]; }
    QTabWidget* pages() const { return pages_; }
    QLabel* overview_label() const { return overview_label_; }

private:
    void make_layout(const std::string& language);
    QWidget* make_navigator(std::map<std::string, QPushButton*>& buttons, bool rows,
                            const std::function<void(const std::string&)>& press);
    db::Connection& conn();
    void show_stations(std::optional<std::int64_t> position);
    void show_details();
    void set_editing(QTableWidget* grid, bool editing);
    void post_overview();
    void post_page(Page page);
    void move_to(QTableWidget* grid, bool last);
    void stations_changed();
    void update_buttons();
    template <class F> void guarded(const std::string& title, F&& f);

    std::optional<db::Connection>& connection_;
    app::Dialogs& dialogs_;
    bool german_ = false;
    std::optional<std::int64_t> only_;
    std::vector<climate::Station> stations_;
    std::function<void()> changed_;
    std::map<std::string, bool> editing_; // by grid object name

    QLabel* overview_label_ = nullptr;
    QTableWidget* overview_ = nullptr;
    QLineEdit* name_ = nullptr;
    std::map<std::string, QPushButton*> buttons_;
    std::map<std::string, QPushButton*> overview_nav_;
    std::map<std::string, QPushButton*> page_nav_;
    QTabWidget* pages_ = nullptr;
    std::array<QTableWidget*, 3> grids_{};
};

// The launcher's way in: every station, the name field "-?-", shown without waiting.
void open_from_launcher(Ttsm_clim& editor);

// The workbench's way in (a double click on the weather label of the plot page): the
// editor modal on the plot's chosen station (none for "-?-"); afterwards the workbench
// refills its station list, chooses the station named in the name field (a station just
// created becomes the plot's) and saves the site of the active plot.
void edit_plot_station(Trange_select& workbench, Ttsm_clim& editor);

// Refills the workbench's station list and chooses the entry of that name ("-?-" when there
// is none).
void choose_station(Trange_select& workbench, const std::string& name);

} // namespace ui

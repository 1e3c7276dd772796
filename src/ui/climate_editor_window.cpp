// climate_editor_window.cpp --- the climate editor's layout, its navigators and the work
// of its buttons; its openers from the launcher and the workbench.
#include "ui/climate_editor_window.h"

#include "climate/weather_csv.h"
#include "ui/busy_cursor.h"
#include "ui/guarded.h"
#include "ui/workbench_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <fstream>

namespace ui {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The captions of the window in English and German.
struct Captions {
    const char *window, *overview, *create, *remove, *close, *import, *export_;
    const char *weather, *annual, *historic;
    QStringList overview_columns, weather_columns, annual_columns, historic_columns;
    const char *delete_title, *delete_question;
};

const Captions english{
    "TSM climate data",
    "Station Overview ",
    "create new station",
    "delete current station",
    "close",
    "import CSV",
    "export CSV",
    "weather",
    "annual N-deposition",
    "historic N-Deposition",
    {"climate_id", "station"},
    {"climate_id", "day", "month", "year", "temperature", "precipitation"},
    {"climate_id", "year", "N_dep_y"},
    {"climate_id", "station", "basic year", "N-dep(basic)", "", "final year", "N-dep(modern)"},
    "please confirm wipe off",
    "ALL data of the station will be deleted. proceed anyway ?"};

const Captions german{
    "TSM Klimadaten",
    "Stationsübersicht",
    "Neue Station",
    "aktuelle Station löschen",
    "Ende",
    "CSV importieren",
    "CSV exportieren",
    "Wetterdaten",
    "gemessene N-Deposition",
    "historische N-Deposition",
    {"ID", "Station"},
    {"ID", "Tag", "Monat", "Jahr", "Temperatur [°C]", "Niederschlag [mm]"},
    {"ID", "Jahr", "N-Dep. [kg/ha]"},
    {"ID", "Station", "NDEP Anf.Jahr", "NDEP Anf.Wert", "", "NDEP End.Jahr", "NDEP End.Wert"},
    "Löschbestätigung erforderlich",
    "ALLE Daten der gewählten Station werden gelöscht ! Wollen Sie das ?"};

// Navigator buttons: name, English and German caption, tool tip.
struct NavButton {
    const char *name, *caption, *german, *tip;
};
const NavButton navigator_buttons[] = {{"first", "|<", "|<", "first"},
                                       {"last", ">|", ">|", "last"},
                                       {"edit", "edit", "bearbeiten", "edit"},
                                       {"post", "post", "speichern", "post"},
                                       {"cancel", "cancel", "verwerfen", "cancel"},
                                       {"refresh", "refresh", "neu lesen", "refresh"},
                                       {"append", "+", "+", "append a row"},
                                       {"delete", "-", "-", "delete the row"}};

// The grid columns of the historic page that hold the four values, in historic_columns()
// order (column 4 is the empty one).
constexpr int historic_cells[] = {2, 3, 5, 6};

const char* const csv_filter = "CSV files|*.csv|all files|*";

QTableWidget* make_grid(const char* name) {
    auto grid = std::make_unique<QTableWidget>();
    grid->setObjectName(name);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setDefaultSectionSize(22);
    return grid.release(); // owned by the layout it goes into
}

void put_cell(QTableWidget* grid, int row, int column, const QString& text, bool editable) {
    auto item = std::make_unique<QTableWidgetItem>(text);
    if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    grid->setItem(row, column, item.release()); // the grid owns its items
}

std::string cell_of(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text().toStdString() : std::string();
}

void fill_rows(QTableWidget* grid, const climate::DetailTable& table, std::int64_t id,
               const std::vector<climate::DetailRow>& rows) {
    grid->setRowCount(0);
    grid->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < grid->rowCount(); ++r) {
        put_cell(grid, r, 0, QString::number(id), false);
        for (std::size_t c = 0; c < table.columns.size(); ++c)
            put_cell(grid, r, static_cast<int>(c) + 1,
                     qs(climate::cell_text(table.columns[c], rows[static_cast<std::size_t>(r)][c])),
                     true);
    }
}

// The rows of a page as typed; a cell that is no number throws naming its row.
std::vector<climate::DetailRow> typed_rows(const QTableWidget* grid,
                                           const climate::DetailTable& table) {
    std::vector<climate::DetailRow> rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        climate::DetailRow row;
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            try {
                row.push_back(climate::read_cell(table.columns[c],
                                                 cell_of(grid, r, static_cast<int>(c) + 1)));
            } catch (const climate::InputError& e) {
                throw climate::InputError("row " + std::to_string(r + 1) + ": " + e.what());
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

const climate::DetailTable& table_of(Ttsm_clim::Page page) {
    return page == Ttsm_clim::weather ? climate::weather_table() : climate::deposition_table();
}

} // namespace

Ttsm_clim::Ttsm_clim(std::optional<db::Connection>& connection, app::Dialogs& dialogs,
                     const std::string& language, QWidget* parent)
    : QDialog(parent), connection_(connection), dialogs_(dialogs), german_(language == "D") {
    setObjectName("Ttsm_clim");
    make_layout(language);
    resize(760, 580);
}

void Ttsm_clim::make_layout(const std::string& language) {
    const Captions& t = language == "D" ? german : english;
    setWindowTitle(t.window);
    auto* layout = new QVBoxLayout(this); // owned by the window, as every widget below
    auto* top = new QHBoxLayout;
    layout->addLayout(top, 2);

    auto* left = new QVBoxLayout;
    top->addLayout(left, 3);
    overview_label_ = new QLabel(t.overview);
    left->addWidget(overview_label_);
    left->addWidget(
        make_navigator(overview_nav_, false, [this](const std::string& b) { press_overview(b); }));
    overview_ = make_grid("overview");
    overview_->setColumnCount(2);
    overview_->setHorizontalHeaderLabels(t.overview_columns);
    overview_->horizontalHeader()->setStretchLastSection(true);
    left->addWidget(overview_);
    connect(overview_, &QTableWidget::cellClicked, this,
            [this](int row, int) { click_station(row); });
    connect(overview_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (row != previous) show_details();
            });

    auto* right = new QVBoxLayout;
    top->addLayout(right, 2);
    name_ = new QLineEdit;
    name_->setObjectName("Edit1");
    right->addWidget(name_);
    const auto add_button = [&](const char* key, const char* caption, auto action) {
        auto* b = new QPushButton(caption);
        b->setObjectName(key);
        connect(b, &QPushButton::clicked, this, action);
        buttons_[key] = b;
        return b;
    };
    right->addWidget(add_button("create", t.create, [this] { press_create(); }));
    right->addWidget(add_button("delete", t.remove, [this] { press_delete(); }));
    right->addStretch();
    right->addWidget(add_button("close", t.close, [this] { close(); }));

    layout->addWidget(
        make_navigator(page_nav_, true, [this](const std::string& b) { press_page(b); }));
    pages_ = new QTabWidget;
    layout->addWidget(pages_, 3);
    const std::pair<const char*, const QStringList*> page_defs[] = {
        {t.weather, &t.weather_columns},
        {t.annual, &t.annual_columns},
        {t.historic, &t.historic_columns}};
    const char* const grid_names[] = {"weather_grid", "annual_grid", "historic_grid"};
    for (int p = 0; p < 3; ++p) {
        auto* page = new QWidget;
        auto* page_layout = new QVBoxLayout(page);
        grids_[static_cast<std::size_t>(p)] = make_grid(grid_names[p]);
        QTableWidget* grid = grids_[static_cast<std::size_t>(p)];
        grid->setColumnCount(static_cast<int>(page_defs[p].second->size()));
        grid->setHorizontalHeaderLabels(*page_defs[p].second);
        page_layout->addWidget(grid);
        if (p == weather) {
            auto* files = new QHBoxLayout;
            files->addWidget(add_button("import", t.import, [this] { press_import(); }));
            files->addWidget(add_button("export", t.export_, [this] { press_export(); }));
            files->addStretch();
            page_layout->addLayout(files);
        }
        pages_->addTab(page, page_defs[p].first);
    }
    // In German the historic page is not offered.
    pages_->setTabVisible(historic_deposition, !german_);
    connect(pages_, &QTabWidget::currentChanged, this, [this] { update_buttons(); });
}

QWidget* Ttsm_clim::make_navigator(std::map<std::string, QPushButton*>& buttons, bool rows,
                                   const std::function<void(const std::string&)>& press) {
    auto bar = std::make_unique<QWidget>();
    auto* layout = new QHBoxLayout(bar.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (const NavButton& n : navigator_buttons) {
        const std::string name = n.name;
        if (!rows && (name == "append" || name == "delete")) continue;
        auto* b = new QPushButton(german_ ? n.german : n.caption);
        b->setObjectName(qs((rows ? "page_" : "overview_") + name));
        b->setToolTip(n.tip);
        b->setMaximumWidth(90);
        connect(b, &QPushButton::clicked, this, [press, name] { press(name); });
        layout->addWidget(b);
        buttons[name] = b;
    }
    layout->addStretch();
    return bar.release(); // owned by the layout it goes into
}

db::Connection& Ttsm_clim::conn() {
    if (!connection_) throw std::runtime_error("No experiment database is open.");
    return *connection_;
}

template <class F> void Ttsm_clim::guarded(const std::string& title, F&& f) {
    ui::guarded(dialogs_, title, f);
}

QPushButton* Ttsm_clim::button(const std::string& name) const {
    return buttons_.at(name);
}

std::string Ttsm_clim::name() const {
    return name_->text().toStdString();
}

std::optional<std::int64_t> Ttsm_clim::current_station() const {
    const int row = overview_->currentRow();
    if (row < 0 || row >= static_cast<int>(stations_.size())) return std::nullopt;
    return stations_[static_cast<std::size_t>(row)].climate_id;
}

// ---- opening and the overview ------------------------------------------------------------

void Ttsm_clim::open_tables(std::optional<std::int64_t> only, const std::string& name) {
    only_ = only;
    guarded(windowTitle().toStdString(), [&] { show_stations(std::nullopt); });
    name_->setText(qs(name));
    const bool unnamed = name == climate::no_station;
    name_->setEnabled(unnamed);
    buttons_.at("create")->setEnabled(unnamed);
    pages_->setCurrentIndex(weather);
}

// Reads the stations (of the filter) and moves to the given one, the first without.
void Ttsm_clim::show_stations(std::optional<std::int64_t> position) {
    editing_.clear();
    stations_ = climate::load_stations(conn(), only_);
    set_editing(overview_, false);
    overview_->setRowCount(0);
    overview_->setRowCount(static_cast<int>(stations_.size()));
    int current = stations_.empty() ? -1 : 0;
    for (int r = 0; r < overview_->rowCount(); ++r) {
        const climate::Station& s = stations_[static_cast<std::size_t>(r)];
        put_cell(overview_, r, 0, QString::number(s.climate_id), false);
        put_cell(overview_, r, 1, qs(s.name), true);
        if (position && s.climate_id == *position) current = r;
    }
    overview_->setCurrentCell(current, 1);
    show_details();
}

void Ttsm_clim::show_details() {
    for (QTableWidget* grid : grids_) {
        set_editing(grid, false);
        grid->setRowCount(0);
    }
    const auto id = current_station();
    if (id) {
        guarded(windowTitle().toStdString(), [&] {
            for (Page p : {weather, annual_deposition})
                fill_rows(grids_[p], table_of(p), *id,
                          climate::load_rows(conn(), table_of(p), *id));
            const climate::Station& s =
                stations_[static_cast<std::size_t>(overview_->currentRow())];
            QTableWidget* historic = grids_[historic_deposition];
            historic->setRowCount(1);
            put_cell(historic, 0, 0, QString::number(s.climate_id), false);
            put_cell(historic, 0, 1, qs(s.name), false);
            put_cell(historic, 0, 4, QString(), false);
            for (std::size_t c = 0; c < 4; ++c)
                put_cell(historic, 0, historic_cells[c],
                         qs(climate::cell_text(climate::historic_columns()[c], s.historic[c])),
                         true);
        });
    }
    for (QTableWidget* grid : grids_) grid->resizeColumnsToContents();
    update_buttons();
}

void Ttsm_clim::click_station(int row) {
    if (row < 0 || row >= static_cast<int>(stations_.size())) return;
    if (overview_->currentRow() != row) overview_->setCurrentCell(row, 1);
    name_->setText(qs(stations_[static_cast<std::size_t>(row)].name));
    name_->setEnabled(false);
    buttons_.at("create")->setEnabled(false);
}

void Ttsm_clim::set_editing(QTableWidget* grid, bool editing) {
    editing_[grid->objectName().toStdString()] = editing;
    grid->setEditTriggers(editing ? QAbstractItemView::AllEditTriggers
                                  : QAbstractItemView::NoEditTriggers);
    update_buttons();
}

void Ttsm_clim::update_buttons() {
    const bool station = current_station().has_value();
    buttons_.at("delete")->setEnabled(station);
    buttons_.at("import")->setEnabled(station);
    buttons_.at("export")->setEnabled(station);
    const auto editing = [this](QTableWidget* g) {
        return editing_[g->objectName().toStdString()];
    };
    for (const char* b : {"post", "cancel"}) overview_nav_.at(b)->setEnabled(editing(overview_));
    const auto page = static_cast<Page>(std::max(0, pages_->currentIndex()));
    const bool rows = station && page != historic_deposition;
    for (auto& [name, b] : page_nav_)
        b->setEnabled(name == "post" || name == "cancel"     ? station && editing(grids_[page])
                      : name == "append" || name == "delete" ? rows
                                                             : station);
}

void Ttsm_clim::move_to(QTableWidget* grid, bool last) {
    if (grid->rowCount() == 0) return;
    grid->setCurrentCell(last ? grid->rowCount() - 1 : 0, std::max(0, grid->currentColumn()));
}

void Ttsm_clim::press_overview(const std::string& b) {
    if (b == "first" || b == "last") {
        move_to(overview_, b == "last");
        click_station(overview_->currentRow());
    } else if (b == "edit") {
        set_editing(overview_, true);
    } else if (b == "post") {
        guarded(windowTitle().toStdString(), [&] { post_overview(); });
    } else {
        const auto position = current_station();
        guarded(windowTitle().toStdString(), [&] { show_stations(position); });
    }
}

// The names typed into the overview, all in one transaction; the keys stay read-only.
void Ttsm_clim::post_overview() {
    db::Connection& c = conn();
    {
        db::Transaction t(c);
        for (int r = 0; r < overview_->rowCount(); ++r) {
            const climate::Station& s = stations_[static_cast<std::size_t>(r)];
            const std::string typed = cell_of(overview_, r, 1);
            if (typed != s.name) climate::rename_station(c, s.climate_id, typed);
        }
        t.commit();
    }
    show_stations(current_station());
    stations_changed();
}

// ---- the pages ---------------------------------------------------------------------------

void Ttsm_clim::press_page(const std::string& b) {
    const auto page = static_cast<Page>(pages_->currentIndex());
    QTableWidget* grid = grids_[page];
    const auto id = current_station();
    if (!id) return;
    if (b == "first" || b == "last") {
        move_to(grid, b == "last");
    } else if (b == "edit") {
        set_editing(grid, true);
    } else if (b == "append" && page != historic_deposition) {
        set_editing(grid, true);
        const int row = grid->rowCount();
        grid->insertRow(row);
        put_cell(grid, row, 0, QString::number(*id), false);
        for (int c = 1; c < grid->columnCount(); ++c) put_cell(grid, row, c, QString(), true);
        grid->setCurrentCell(row, 1);
    } else if (b == "delete" && page != historic_deposition) {
        if (grid->currentRow() < 0) return;
        set_editing(grid, true);
        grid->removeRow(grid->currentRow());
    } else if (b == "post") {
        guarded(pages_->tabText(page).toStdString(), [&] { post_page(page); });
    } else if (b == "cancel" || b == "refresh") {
        show_details();
    }
}

// Writes the page as typed: checked first, one transaction, nothing written on a fault.
void Ttsm_clim::post_page(Page page) {
    const std::int64_t id = *current_station();
    QTableWidget* grid = grids_[page];
    if (page == historic_deposition) {
        climate::DetailRow values;
        for (std::size_t c = 0; c < 4; ++c)
            values.push_back(climate::read_cell(climate::historic_columns()[c],
                                                cell_of(grid, 0, historic_cells[c])));
        climate::save_historic(conn(), id, values);
        show_stations(id);
        return;
    }
    climate::save_rows(conn(), table_of(page), id, typed_rows(grid, table_of(page)));
    show_details();
}

void Ttsm_clim::press_import() {
    const auto id = current_station();
    if (!id) return;
    const std::string title = button("import")->text().toStdString();
    const auto file = dialogs_.choose_file(title, csv_filter);
    if (!file) return;
    guarded(title, [&] {
        std::ifstream in(*file, std::ios::binary);
        if (!in) throw std::runtime_error("The file '" + *file + "' cannot be read.");
        std::vector<climate::DetailRow> rows;
        try {
            rows = climate::read_weather_csv(in);
        } catch (const climate::InputError& e) {
            throw climate::InputError(*file + ", " + e.what() + "; nothing was imported.");
        }
        const auto present = climate::years_present(conn(), *id, rows);
        if (!present.empty() &&
            !dialogs_.ask_yes_no(title, "The station already has weather for " +
                                            std::to_string(present.size()) + " of these years (" +
                                            climate::year_list(present) + "). Replace them ?"))
            return;
        BusyCursor busy;
        const auto r = climate::import_weather(conn(), *id, rows, true);
        show_details();
        dialogs_.show_message(title, std::to_string(r.added) + " years added, " +
                                         std::to_string(r.replaced) + " years replaced.");
    });
}

void Ttsm_clim::press_export() {
    const auto id = current_station();
    if (!id) return;
    const std::string title = button("export")->text().toStdString();
    const auto file = dialogs_.choose_save_file(title, csv_filter);
    if (!file) return;
    guarded(title, [&] {
        const auto rows = climate::load_rows(conn(), climate::weather_table(), *id);
        std::ofstream out(*file, std::ios::binary);
        if (out) climate::write_weather_csv(out, rows);
        if (!out.flush()) throw std::runtime_error("The file '" + *file + "' cannot be written.");
    });
}

// ---- create and delete -------------------------------------------------------------------

void Ttsm_clim::press_create() {
    if (name() == climate::no_station) return;
    guarded(windowTitle().toStdString(), [&] {
        const std::int64_t key = climate::create_station(conn(), name());
        only_ = key; // the overview lists the new station alone
        show_stations(key);
        click_station(overview_->currentRow());
        stations_changed();
    });
}

void Ttsm_clim::press_delete() {
    const auto id = current_station();
    if (!id) return;
    const Captions& t = german_ ? german : english;
    if (!dialogs_.ask_yes_no(t.delete_title, t.delete_question)) return;
    guarded(windowTitle().toStdString(), [&] {
        climate::delete_station(conn(), *id);
        only_.reset();
        show_stations(std::nullopt);
        name_->setText(climate::no_station);
        name_->setEnabled(true);
        buttons_.at("create")->setEnabled(true);
        stations_changed();
    });
}

void Ttsm_clim::stations_changed() {
    if (changed_) changed_();
}

// ---- openers -----------------------------------------------------------------------------

void open_from_launcher(Ttsm_clim& editor) {
    editor.open_tables(std::nullopt, climate::no_station);
    editor.show();
    editor.raise();
    editor.activateWindow();
}

void choose_station(Trange_select& workbench, const std::string& name) {
    workbench.refresh_stat_list();
    QComboBox* list = workbench.weather_list();
    const int at = list->findText(qs(name), Qt::MatchFixedString);
    list->setCurrentIndex(at >= 0 ? at : 0);
}

void edit_plot_station(Trange_select& workbench, Ttsm_clim& editor) {
    QComboBox* list = workbench.weather_list();
    const bool chosen = list->currentIndex() > 0; // entry 0 is "-?-"
    editor.open_tables(chosen ? list->currentData().toLongLong() : workbench::unknown_choice,
                       chosen ? list->currentText().toStdString() : climate::no_station);
    editor.exec();
    choose_station(workbench, editor.name());
    if (workbench.fields().active_item) workbench.button("update changes")->click();
}

} // namespace ui

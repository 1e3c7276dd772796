// workbench_window_layout.cpp --- the controls of the workbench, their captions in both
// languages, its context menus, and what its creation hides.
#include "ui/management_entry_panel.h"
#include "ui/mouse_hook.h"
#include "ui/observation_entry_panel.h"
#include "ui/raw_table_panel.h"
#include "ui/regio_mode_dialog.h"
#include "ui/workbench_tree_widget.h"
#include "ui/workbench_window.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>

namespace ui {
namespace {

struct PageCaption {
    const char* name;
    const char* english;
    const char* german;
};

// The pages of PageControl1 in page order.
constexpr std::array<PageCaption, page::count> page_captions = {{
    {"TabSheet1", "Basic-Info", "Standortdaten"},
    {"TabSheet2", "Management", "Bewirtschaftung"},
    {"TabSheet3", "Observation", "Messwerte"},
    {"TabSheet15", "Scenario", "Scenario"},
    {"TabSheet4", "C-dynamics", "Ergebnisse: Corg"},
    {"TabSheet8", "N-dynamics", "Ergebnisse: Nt"},
    {"TabSheet9", "micr.BM", "Ergebnisse: Cmic"},
    {"TabSheet14", "OM-turnover", "Humusbilanz"},
    {"TabSheet7", "misc.results", "weitere Ergebnisse"},
    {"TabSheet13", "N-balance", "N-Bilanz"},
    {"TabSheet16", "soil physics", "soil physics"},
    {"salca_sheet", "SOM-Reproduction", "C-Reproduktionsindex"},
}};

const char* const german_caption = "german_caption";
const char* const not_built = "not part of this version yet";

// A caption that the German version replaces (an empty German caption keeps it).
template <class W> W* captioned(W* widget, const char* german) {
    if (german && *german) widget->setProperty(german_caption, QString::fromUtf8(german));
    return widget;
}

QTableWidget* make_grid(const char* name) {
    auto* grid = new QTableWidget; // owned by the page it is put on
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setVisible(false);
    return grid;
}

} // namespace

void Trange_select::make_layout() {
    auto* splitter = new QSplitter(this); // owned by the window, as every widget below
    auto* left = new QWidget;
    auto* left_layout = new QVBoxLayout(left);
    left_layout->setContentsMargins(0, 0, 0, 0);
    TreeEvents events;
    events.press = [this](QTreeWidgetItem* item, Qt::MouseButton button,
                          Qt::KeyboardModifiers modifiers,
                          QPoint global) { press_item(item, button, modifiers, global); };
    events.mouse_moved = [this] { f_.just_expanded = false; };
    events.drag_started = [this] { return begin_drag(); };
    events.drop_accepted = [this](QTreeWidgetItem* target) { return drop_accepted(target); };
    events.dropped = [this](QTreeWidgetItem* target) { drop_on(target); };
    events.drag_ended = [this] { end_drag(); };
    tree_ = new WorkbenchTree(std::move(events));
    tree_->setObjectName("TreeView1");
    connect(tree_, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { expand_changed(item, true); });
    connect(tree_, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { expand_changed(item, false); });
    left_layout->addWidget(tree_);
    auto* end = captioned(new QPushButton("End"), "&Ende");
    end->setObjectName("end_button");
    buttons_["End"] = end;
    connect(end, &QPushButton::clicked, this, &QWidget::close);
    left_layout->addWidget(end);
    splitter->addWidget(left);

    right_ = new QWidget;
    auto* stack = new QGridLayout(right_); // the panels lie on top of each other
    stack->setContentsMargins(0, 0, 0, 0);
    cover_ = new QFrame;
    cover_->setObjectName("Pagecontrol2");
    static_cast<QFrame*>(cover_)->setFrameShape(QFrame::StyledPanel);
    cover_->setAutoFillBackground(true);
    pages_ = new QTabWidget;
    pages_->setObjectName("PageControl1");
    for (int i = 0; i < page::count; ++i) {
        const PageCaption& c = page_captions[static_cast<std::size_t>(i)];
        QWidget* content = i == page::basic_info    ? make_basic_info()
                           : i == page::management  ? make_list_page(i, management_grid_)
                           : i == page::observation ? make_list_page(i, measurement_grid_)
                                                    : new QWidget;
        content->setObjectName(c.name);
        pages_->addTab(content, c.english);
    }
    selection_panel_ = make_selection_panel();
    table_panel_ = make_table_panel();
    // The panel in front covers the others wholly: none shows through its gaps.
    for (QWidget* panel : {selection_panel_, table_panel_, cover_, static_cast<QWidget*>(pages_)}) {
        panel->setAutoFillBackground(true);
        stack->addWidget(panel, 0, 0);
    }
    splitter->addWidget(right_);
    // The tree starts at about a quarter of the width; neither side can be pushed out of
    // sight, and the handle is wide enough to take hold of.
    splitter->setObjectName("splitter");
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(8);
    splitter->setSizes({320, 880});
    left->setMinimumWidth(180);
    right_->setMinimumWidth(400);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    status_line_ = new QLabel;
    status_line_->setObjectName("status_line");
    layout->addWidget(status_line_);
    make_menus();
}

QWidget* Trange_select::make_basic_info() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto row = [&](const char* english, const char* german, QWidget* w) {
        auto* l = captioned(new QLabel(english), german);
        labels_[english] = l;
        form->addRow(l, w);
    };
    auto edit = [&](const char* name) {
        auto* e = new QLineEdit;
        e->setObjectName(name);
        fields_[name] = e;
        return e;
    };
    plot_id_ = new QLabel;
    plot_id_->setObjectName("plot_id");
    row("FL_ID", nullptr, plot_id_);
    row("plot", "Schlagname", edit("fda_sbez"));
    row("source", "Schlagnummer", edit("fda_herkunft"));
    row("area [ha]", "Fläche [ha]", edit("_plotarea"));
    row("comment", "Bemerkung", edit("fda_comment"));
    tillage_ = new QComboBox;
    tillage_->setObjectName("till_option");
    row("tillage", "Bodenbearbeitung", tillage_);
    initial_ = new QComboBox;
    initial_->setObjectName("initialcond");
    row("state", "Feldblocknummer", initial_);
    row("first year", "erstes Jahr", edit("Edit4"));

    site_panel_ = new QWidget;
    site_panel_->setObjectName("site_panel");
    auto* site = new QFormLayout(site_panel_);
    site->setContentsMargins(0, 0, 0, 0);
    weather_ = new QComboBox;
    weather_->setObjectName("fda_wett");
    soil_ = new QComboBox;
    soil_->setObjectName("fda_soil");
    for (auto [english, german, w] :
         {std::tuple<const char*, const char*, QWidget*>{"weather", "Wetter", weather_},
          {"soil", "Boden", soil_},
          {"mean BAT", "mittlere BAT", edit("fda_wmz")}}) {
        auto* l = captioned(new QLabel(english), german);
        labels_[english] = l;
        site->addRow(l, w);
    }
    // The soil parameters: a double click on the label, a right press on the list.
    on_mouse(labels_.at("soil"), QEvent::MouseButtonDblClick, Qt::LeftButton,
             [this] { run_hook("soil label"); });
    on_mouse(soil_, QEvent::MouseButtonPress, Qt::RightButton, [this] { run_hook("soil list"); });
    on_mouse(labels_.at("weather"), QEvent::MouseButtonDblClick, Qt::LeftButton,
             [this] { run_hook("weather"); });
    form->addRow(site_panel_);

    run_panel_ = new QWidget;
    run_panel_->setObjectName("run_panel");
    auto* run = new QHBoxLayout(run_panel_);
    run->setContentsMargins(0, 0, 0, 0);
    auto* run_button = captioned(new QPushButton("model run (plot)"), "&Modell starten");
    run_button->setObjectName("run_button");
    buttons_["model run (plot)"] = run_button;
    connect(run_button, &QPushButton::clicked, this, [this] { run_hook("model run (plot)"); });
    await_hook("model run (plot)");
    run->addWidget(run_button);
    for (auto [english, german, name] :
         {std::tuple<const char*, const char*, const char*>{"repeat", "Wiederholungen", "Edit6"},
          {"start year", "Startjahr", "Edit7"}}) {
        auto* l = captioned(new QLabel(english), german);
        labels_[english] = l;
        run->addWidget(l);
        run->addWidget(edit(name));
    }
    form->addRow(run_panel_);

    auto* save = captioned(new QPushButton("update changes"), "Änderung &Speichern");
    buttons_["update changes"] = save;
    connect(save, &QPushButton::clicked, this, [this] { run_hook("update changes"); });
    await_hook("update changes");
    auto* literature = captioned(new QPushButton("literature"), "&Literatur");
    buttons_["literature"] = literature;
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(literature);
    form->addRow(buttons);
    return page;
}

QWidget* Trange_select::make_list_page(int page_index, QTableWidget*& grid) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* title = new QLabel;
    title->setObjectName(page_index == page::management ? "management_title" : "observation_title");
    titles_[page_index] = title;
    layout->addWidget(title);
    grid = make_grid(page_index == page::management ? "management_grid" : "measurement_grid");
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* body = new QHBoxLayout;
    body->addWidget(grid, 1);
    layout->addLayout(body);
    // The edit form beside the list writes through the shared connection and shows the
    // plot again afterwards.
    const EntryPanelEnvironment entry{[this]() -> db::Connection& { return conn(); }, env_.dialogs,
                                      env_.state, [this] { reload_plot(); }};
    if (page_index == page::management) {
        auto* share = new QHBoxLayout;
        share_label_ = new QLabel("FLA%=");
        share->addWidget(share_label_);
        auto* e = new QLineEdit;
        e->setObjectName("Edit2");
        fields_["Edit2"] = e;
        share->addWidget(e);
        share->addStretch();
        layout->addLayout(share);
        management_entry_ = new ManagementEntryPanel(entry, grid, e);
        management_entry_->set_item_view(
            [this](std::int64_t kind, std::int64_t item_ix) { open_item_view(kind, item_ix); });
        body->addWidget(management_entry_);
    } else {
        observation_entry_ = new ObservationEntryPanel(entry, grid);
        body->addWidget(observation_entry_);
    }
    return page;
}

QWidget* Trange_select::make_selection_panel() {
    auto* panel = new QWidget;
    panel->setObjectName("scenario_cntrl");
    auto* layout = new QVBoxLayout(panel);
    selection_caption_ = new QLabel;
    selection_caption_->setObjectName("selection_caption");
    layout->addWidget(selection_caption_);
    selection_list_ = new QListWidget;
    selection_list_->setObjectName("selection_list");
    layout->addWidget(selection_list_);
    auto* years = new QHBoxLayout;
    for (auto [english, german, name, value] :
         {std::tuple<const char*, const char*, const char*, const char*>{"start year", "Startjahr",
                                                                         "Edit9", "-99"},
          {"repeat", "Wiederholungen", "Edit8", "0"}}) {
        years->addWidget(captioned(new QLabel(english), german));
        auto* e = new QLineEdit(value);
        e->setObjectName(name);
        fields_[name] = e;
        years->addWidget(e);
    }
    layout->addLayout(years);
    auto* buttons = new QHBoxLayout;
    auto tick = [this](int how) {
        for (int i = 0; i < selection_list_->count(); ++i) {
            QListWidgetItem* entry = selection_list_->item(i);
            const bool ticked = how == 2 ? entry->checkState() != Qt::Checked : how == 1;
            entry->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
        }
    };
    for (auto [caption, german, how] : {std::tuple<const char*, const char*, int>{
                                            "model run for selection", "Auswahl &rechnen", -1},
                                        {"all", "&alle", 1},
                                        {"none", "&keine", 0},
                                        {"invert", "&umkehren", 2}}) {
        auto* b = captioned(new QPushButton(caption), german);
        buttons_[caption] = b;
        buttons->addWidget(b);
        if (how < 0) {
            connect(b, &QPushButton::clicked, this,
                    [this] { run_hook("model run for selection"); });
            await_hook("model run for selection");
        } else
            connect(b, &QPushButton::clicked, this, [tick, how] { tick(how); });
    }
    layout->addLayout(buttons);
    return panel;
}

QWidget* Trange_select::make_table_panel() {
    auto* panel = new QWidget;
    panel->setObjectName("Panel1");
    auto* layout = new QVBoxLayout(panel);
    raw_grid_ = make_grid("raw_grid");
    raw_grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(raw_grid_, 1);
    raw_rows_ = new RawTablePanel(
        {[this]() -> db::Connection& { return conn(); }, env_.dialogs, env_.state, [] {}},
        raw_grid_);
    layout->addWidget(raw_rows_, 1);
    return panel;
}

// A control whose work another part of the program does stays disabled, its tool tip
// saying so, until that part is connected (set_hook).
void Trange_select::await_hook(const std::string& name) {
    const auto hook = hooks_.find(name);
    const bool connected = hook != hooks_.end() && hook->second;
    for (QObject* control : hooked_controls(name)) {
        control->setProperty("enabled", connected);
        control->setProperty("toolTip", connected ? QString() : QString(not_built));
    }
}

std::vector<QObject*> Trange_select::hooked_controls(const std::string& name) const {
    std::vector<QObject*> controls;
    if (auto a = actions_by_caption_.find(name); a != actions_by_caption_.end())
        controls.push_back(a->second);
    if (auto b = buttons_.find(name); b != buttons_.end()) controls.push_back(b->second);
    return controls;
}

QAction* Trange_select::add_entry(QMenu* menu, const std::string& english,
                                  const std::string& german) {
    QAction* a = menu->addAction(QString::fromStdString(english));
    if (!german.empty()) a->setProperty(german_caption, QString::fromStdString(german));
    actions_by_caption_[english] = a;
    return a;
}

void Trange_select::make_menus() {
    for (const char* name : {"experiment", "database", "plot", "plot node"}) {
        menus_[name] = new QMenu(this);
        menus_[name]->setToolTipsVisible(true); // why an entry is disabled
    }
    // Entries whose work another part of the program does call its hook.
    auto hooked = [this](QMenu* m, const std::string& english, const std::string& german) {
        QAction* a = add_entry(m, english, german);
        connect(a, &QAction::triggered, this, [this, english] { run_hook(english); });
        await_hook(english);
    };
    QMenu* e = menus_["experiment"];
    hooked(e, "delete experiment", "Betrieb löschen");
    hooked(e, "experiment simulation", "Betrieb rechnen");
    e->addSeparator();
    hooked(e, "shift plots  FL_ID", "Flächen ID anpassen");
    hooked(e, "shift experiment ID", "Betrieb ID anpassen");

    QMenu* d = menus_["database"];
    connect(add_entry(d, "regio mode", "Regio-Modus"), &QAction::triggered, this,
            [this] { change_regio_mode(); });
    hooked(d, "create a new experiment", "neuer Betrieb");
    hooked(d, "database simulation", "Datenbank rechnen");
    connect(add_entry(d, "refresh outlier indication", "Ausreißer neu markieren"),
            &QAction::triggered, this, [this] { refresh_outliers(); });
    d->addSeparator();
    QAction* site_report = add_entry(d, "site condition report", "Bericht: Standorte");
    site_report->setEnabled(false);
    site_report->setToolTip(not_built);
    d->addSeparator();
    hooked(d, "Update-Statistics", "Statistik aktualisieren");
    connect(add_entry(d, "N-balance", "N-Bilanz"), &QAction::triggered, this,
            [this] { open_nbalance(); });

    QMenu* p = menus_["plot"];
    hooked(p, "add a new plot", "neue Fläche anlegen");
    hooked(p, "delete active plot", "akt. Fläche löschen");
    p->addSeparator();
    hooked(p, "move active plot", "akt. Fläche verschieben");

    QMenu* n = menus_["plot node"];
    hooked(n, "copy plot", "Fläche kopieren");
    hooked(n, "delete plot", "Fläche löschen");
}

// Creation, once: what every version hides, the tillage options, the German captions.
void Trange_select::create() {
    setObjectName("Trange_select");
    setWindowTitle("DATABASE");
    resize(1200, 800); // the first size; the program then fits it to the screen
    f_.recs = 0;
    set_page_visible(page::n_balance, false);
    set_page_visible(page::om_turnover, false);
    if (env_.state.modus == "ORV")
        for (int i : {page::observation, page::c_dynamics, page::scenario, page::misc_results})
            set_page_visible(i, false);
    if (env_.state.language == "D")
        tillage_->addItems({"immer", "nie"});
    else
        tillage_->addItems({"always", "never"});
    if (env_.state.language == "D") apply_language();
    set_page_visible(page::soil_physics, false);
    set_page_visible(page::salca, false);
    buttons_.at("literature")->hide();
    if (env_.state.language != "E") {
        set_page_visible(page::misc_results, false);
        for (const char* entry :
             {"shift plots  FL_ID", "shift experiment ID", "Update-Statistics", "N-balance"})
            actions_by_caption_.at(entry)->setVisible(false);
    }
    cover_->show();
    pages_->hide();
    selection_panel_->hide();
    table_panel_->hide();
    cover_->raise();
}

// The German version: no power flag, German captions of pages, labels, buttons and menus.
void Trange_select::apply_language() {
    env_.state.power = false;
    for (int i = 0; i < page::count; ++i)
        pages_->setTabText(i, QString::fromUtf8(page_captions[static_cast<std::size_t>(i)].german));
    for (QObject* o : findChildren<QObject*>()) {
        const QString german = o->property(german_caption).toString();
        if (german.isEmpty()) continue;
        if (auto* l = qobject_cast<QLabel*>(o)) l->setText(german);
        if (auto* b = qobject_cast<QAbstractButton*>(o)) b->setText(german);
        if (auto* a = qobject_cast<QAction*>(o)) a->setText(german);
    }
}

QMenu* Trange_select::menu(const std::string& name) const {
    return menus_.at(name);
}

QAction* Trange_select::menu_action(const std::string& caption) const {
    return actions_by_caption_.at(caption);
}

QLabel* Trange_select::title_label(int page_index) const {
    return titles_.at(page_index);
}

QLabel* Trange_select::label(const std::string& english) const {
    return labels_.at(english);
}

QLineEdit* Trange_select::field(const std::string& name) const {
    return fields_.at(name);
}

QPushButton* Trange_select::button(const std::string& english) const {
    return buttons_.at(english);
}

RegioModeDialog* Trange_select::regio_dialog() {
    if (!regio_dialog_) regio_dialog_ = new RegioModeDialog(env_.state.language, this);
    return regio_dialog_;
}

} // namespace ui

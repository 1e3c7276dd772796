// parameter_editor_layout.cpp --- the construction of the parameter editor's pages.
#include "params/soil_profiles.h"
#include "ui/dataset_grid.h"
#include "ui/parameter_editor_window.h"

#include <QAction>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace ui {
namespace {

const char* const german_caption = "german_caption";

// A caption that the German version replaces.
template <class W> W* captioned(W* widget, const char* german) {
    if (german && *german) widget->setProperty(german_caption, QString::fromUtf8(german));
    return widget;
}

struct PageCaption {
    const char* english;
    const char* german;
};
constexpr PageCaption page_captions[] = {
    {"Crop-Parm", "Pflanzen"},
    {"OM-Parm", "Org. Substanz"},
    {"Fertilizers", "Mineraldünger"},
    {"Actions", "Maßnahmen"},
    {"Properties", "Merkmale"},
    {"Soil Profiles", "Bodenprofile"},
    {"preselection", "Vorauswahl"},
    {"Results", "Ergebnisse"},
    {"ACCESS-DATABASE", "Datenbank"},
    {"references", "Literatur"},
    {"alternative methods", "alternative Methoden"},
};

// German captions of the soil record's labels.
const std::map<std::string, const char*> soil_german = {
    {"BD", "Trockenrohdichte"},
    {"PV", "Porenvolumen"},
    {"FC", "Feldkapazität"},
    {"PWP", "Permanenter Welkepunkt"},
    {"FAT", "Feinanteil"},
    {"silt", "Schluff"},
    {"clay", "Ton"},
    {"skelett", "Skelett"},
    {"CIF", "C-Inert-Faktor (CIF)"},
    {"fchw", "Fchw"},
    {"fbio", "Fbio"},
};

} // namespace

QPushButton* Tsrb_parms::add_button(const std::string& name, const char* german) {
    auto* b = captioned(new QPushButton(QString::fromStdString(name)), german);
    b->setObjectName(QString::fromStdString(name));
    buttons_[name] = b;
    return b;
}

void Tsrb_parms::make_layout() {
    setWindowTitle("TSM-Parameter");
    auto* layout = new QVBoxLayout(this); // owned by the window, as every widget below
    auto* menu_bar = new QMenuBar;
    QMenu* tools = menu_bar->addMenu(env_.state.language == "D" ? "Extras" : "Tools");
    alternative_methods_ = tools->addAction("alternative methods");
    alternative_methods_->setObjectName("alternative_methods");
    connect(alternative_methods_, &QAction::triggered, this,
            [this] { show_alternative_methods(); });
    layout->setMenuBar(menu_bar);

    pages_ = new QTabWidget;
    pages_->setObjectName("PageControl1");
    pages_->addTab(make_grid_page("crops"), page_captions[0].english);
    pages_->addTab(make_om_page(), page_captions[1].english);
    pages_->addTab(make_grid_page("fert"), page_captions[2].english);
    pages_->addTab(make_grid_page("aktion"), page_captions[3].english);
    pages_->addTab(make_grid_page("cndmwml"), page_captions[4].english);
    pages_->addTab(make_soil_page(), page_captions[5].english);
    pages_->addTab(make_preselection_page(), page_captions[6].english);
    pages_->addTab(make_table_list_page(parameter_page::results, result_list_),
                   page_captions[7].english);
    pages_->addTab(make_table_list_page(parameter_page::access_database, table_list_),
                   page_captions[8].english);
    pages_->addTab(make_grid_page("references"), page_captions[9].english);
    pages_->addTab(make_methods_page(), page_captions[10].english);
    layout->addWidget(pages_, 1);
    connect(pages_, &QTabWidget::currentChanged, this, [this](int page) { page_entered(page); });

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    QPushButton* end = add_button("End", "Ende");
    connect(end, &QPushButton::clicked, this, [this] { press_end(); });
    bottom->addWidget(end);
    layout->addLayout(bottom);
    for (const char* name : {"tsm_stat_corg", "tsm_stat_nt", "tsm_n_bilanz", "tsm_nsaldo"})
        result_list_->addItem(name);
    resize(980, 640);
    apply_language();
}

QWidget* Tsrb_parms::make_grid_page(const std::string& name, QWidget* top) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    if (top) layout->addWidget(top);
    auto* grid = new DatasetGrid(env_.dialogs, QString::fromStdString(name));
    grids_[name] = grid;
    layout->addWidget(grid, 1);
    return page;
}

QWidget* Tsrb_parms::make_om_page() {
    auto* box = new QGroupBox;
    auto* row = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    const std::pair<const char*, const char*> captions[] = {
        {"all", "alle"}, {"residues", "Ernterückstände"}, {"substrates", "Substrate"}};
    for (int i = 0; i < 3; ++i) {
        om_filters_[i] = captioned(new QRadioButton(captions[i].first), captions[i].second);
        om_filters_[i]->setObjectName(QString("om_filter_") + captions[i].first);
        group->addButton(om_filters_[i], i);
        row->addWidget(om_filters_[i]);
        connect(om_filters_[i], &QRadioButton::clicked, this, [this, i] { set_om_filter(i); });
    }
    om_filters_[0]->setChecked(true);
    row->addStretch(1);
    return make_grid_page("opspa", box);
}

QWidget* Tsrb_parms::make_soil_record() {
    auto* record = new QWidget;
    auto* layout = new QVBoxLayout(record);
    auto* heading = new QLabel("soil  parameters - underlined items are mandatory");
    heading->setObjectName("soil_heading");
    captioned(heading, "Bodenparameter - unterstrichene Angaben sind Pflicht");
    layout->addWidget(heading);
    auto* form = new QFormLayout;
    auto add_field = [&](const std::string& column, const QString& label, const char* unit,
                         const char* german, bool mandatory) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QString::fromStdString(column));
        soil_fields_[column] = edit;
        auto* l = captioned(new QLabel(label), german);
        if (mandatory) l->setText("<u>" + label + "</u>");
        l->setToolTip(unit);
        connect(edit, &QLineEdit::textEdited, this, [this] { soil_modified_ = true; });
        form->addRow(l, edit);
    };
    for (const params::SoilField& f : params::soil_fields()) {
        add_field(f.column,
                  QString::fromUtf8(f.label) +
                      (*f.unit ? QString(" [%1]").arg(QString::fromUtf8(f.unit)) : QString()),
                  f.unit, soil_german.at(f.column), f.mandatory);
        if (std::string(f.column) == "clay")
            add_field("BA_RBS", "soil type (ReichsBodenSchätzung)", "",
                      "Bodenart (Reichsbodenschätzung)", false);
    }
    use_cif_ = captioned(new QCheckBox("use this CIF"), "diesen CIF verwenden");
    use_cif_->setObjectName("cif_org");
    connect(use_cif_, &QCheckBox::clicked, this, [this] { soil_modified_ = true; });
    form->addRow(QString(), use_cif_);
    layout->addLayout(form);
    used_by_ = new QLabel;
    used_by_->setObjectName("used_by");
    used_by_->setWordWrap(true);
    layout->addWidget(used_by_);

    auto* navigator = new QHBoxLayout;
    for (const char* caption : {"first", "prior", "next", "last", "delete", "edit", "post",
                                "cancel", "refresh", "copy"}) {
        QPushButton* b = add_button(caption, nullptr);
        b->setMaximumWidth(64);
        connect(b, &QPushButton::clicked, this, [this, caption] { press_navigator(caption); });
        navigator->addWidget(b);
    }
    layout->addLayout(navigator);
    auto* by_name = new QHBoxLayout;
    name_field_ = new QLineEdit;
    name_field_->setObjectName("profile_name");
    name_field_->setPlaceholderText("profile name");
    enter_ = add_button("ENTER", nullptr);
    enter_->setEnabled(false);
    connect(name_field_, &QLineEdit::textEdited, this, [this] { enter_->setEnabled(true); });
    connect(name_field_, &QLineEdit::editingFinished, this, [this] {
        if (enter_->isEnabled()) enter_profile(name_field_->text());
    });
    connect(enter_, &QPushButton::clicked, this, [this] { enter_profile(name_field_->text()); });
    by_name->addWidget(name_field_, 1);
    by_name->addWidget(enter_);
    layout->addLayout(by_name);
    layout->addStretch(1);
    return record;
}

QWidget* Tsrb_parms::make_soil_page() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* grid = new DatasetGrid(env_.dialogs, "profiles");
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grids_["profiles"] = grid;
    connect(grid, &QTableWidget::cellClicked, this, [this](int row, int) { move_profile(row); });
    layout->addWidget(grid, 2);
    layout->addWidget(make_soil_record(), 3);
    return page;
}

QWidget* Tsrb_parms::make_preselection_page() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    struct Column {
        params::SelectionList list;
        const char* grid;
        const char* title;
        const char* german;
    };
    const Column columns[] = {
        {params::SelectionList::crops, "sel_crop", "crops", "Pflanzen"},
        {params::SelectionList::amendments, "sel_ops", "org. amendment", "org. Dünger"},
        {params::SelectionList::fertilisers, "sel_frt", "fertilizer", "Mineraldünger"},
    };
    for (const Column& c : columns) {
        auto* box = new QVBoxLayout;
        box->addWidget(captioned(new QLabel(c.title), c.german));
        auto* grid = new DatasetGrid(env_.dialogs, c.grid);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grids_[c.grid] = grid;
        const params::SelectionList list = c.list;
        connect(grid, &QTableWidget::cellDoubleClicked, this,
                [this, list](int row, int) { double_click_selection(list, row); });
        box->addWidget(grid, 1);
        auto* row = new QHBoxLayout;
        std::vector<std::pair<const char*, const char*>> captions = {
            {"use all", "alle"}, {"use none", "keine"}, {"invert", "umkehren"}};
        if (list == params::SelectionList::crops) {
            captions.push_back({"add non-org", nullptr});
            captions.push_back({"add all org", nullptr});
        }
        for (auto [caption, german] : captions) {
            QPushButton* b = add_button(std::string(c.grid) + ": " + caption, german);
            b->setText(caption);
            const std::string command = caption;
            connect(b, &QPushButton::clicked, this,
                    [this, list, command] { press_list_button(list, command); });
            if (command.rfind("add", 0) == 0) b->hide(); // kept for the organic farming codes
            row->addWidget(b);
        }
        box->addLayout(row);
        layout->addLayout(box, 1);
    }
    return page;
}

QWidget* Tsrb_parms::make_table_list_page(int page_index, QListWidget*& list) {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    list = new QListWidget;
    list->setMaximumWidth(220);
    const bool any = page_index == parameter_page::access_database;
    list->setObjectName(any ? "table_list" : "result_list");
    connect(list, &QListWidget::itemDoubleClicked, this, [this, any](QListWidgetItem* item) {
        if (any)
            open_any_table(item->text());
        else
            open_result_table(item->text());
    });
    layout->addWidget(list);
    auto* right = new QVBoxLayout;
    if (any) {
        selected_table_ = captioned(new QLabel("selected table"), "gewählte Tabelle");
        selected_table_->setObjectName("selected_table");
        right->addWidget(selected_table_);
    }
    const std::string name = any ? "access_table" : "results";
    auto* grid = new DatasetGrid(env_.dialogs, QString::fromStdString(name));
    grids_[name] = grid;
    right->addWidget(grid, 1);
    QPushButton* xls = add_button(name + ": export to XLS", "nach Excel");
    xls->setText("export to XLS");
    connect(xls, &QPushButton::clicked, this, [this, page_index] { export_shown(page_index); });
    right->addWidget(xls, 0, Qt::AlignLeft);
    layout->addLayout(right, 1);
    return page;
}

QWidget* Tsrb_parms::make_methods_page() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    auto* check = new QRadioButton("check data");
    create_new_ = new QRadioButton("create new");
    create_new_->setObjectName("create_new");
    create_new_->setChecked(true);
    auto* choice = new QButtonGroup(page);
    choice->addButton(check);
    choice->addButton(create_new_);
    row->addWidget(check);
    row->addWidget(create_new_);
    for (const char* caption :
         {"HU-MOD: NUR-values", "STAND: prepare", "STAND: category", "SALCA: edit pH"}) {
        QPushButton* b = add_button(caption, nullptr);
        connect(b, &QPushButton::clicked, this,
                [this, caption] { press_method(caption, create_new_->isChecked()); });
        row->addWidget(b);
    }
    buttons_.at("STAND: category")->setEnabled(false);
    row->addStretch(1);
    layout->addLayout(row);
    method_messages_ = new QListWidget;
    method_messages_->setObjectName("method_messages");
    method_messages_->setMaximumHeight(110);
    layout->addWidget(method_messages_);
    auto* grid = new DatasetGrid(env_.dialogs, "methods");
    grids_["methods"] = grid;
    layout->addWidget(grid, 1);
    return page;
}

void Tsrb_parms::apply_language() {
    if (env_.state.language != "D") return;
    for (int i = 0; i < pages_->count(); ++i)
        pages_->setTabText(i, QString::fromUtf8(page_captions[i].german));
    for (QWidget* w : findChildren<QWidget*>()) {
        const QVariant german = w->property(german_caption);
        if (!german.isValid()) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(german.toString());
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(l->text().startsWith("<u>") ? "<u>" + german.toString() + "</u>"
                                                   : german.toString());
    }
}

} // namespace ui

// parameter_dialogs_test.cpp --- the crop and amendment views, the simple soil dialog, and
// the workbench's soil openers on the offscreen platform.
#include "app/settings_store.h"
#include "db/new_database.h"
#include "params/simple_soil.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "ui/parameter_editor_window.h"
#include "ui/parameter_openers.h"
#include "ui/parameter_views.h"
#include "ui/simple_soil_dialog.h"
#include "ui/workbench_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// The lines under "parameters" of a tree.
std::vector<std::string> lines(const QTreeWidget* tree) {
    std::vector<std::string> out;
    const QTreeWidgetItem* parameters = tree->topLevelItem(0)->child(0);
    for (int i = 0; i < parameters->childCount(); ++i)
        out.push_back(parameters->child(i)->text(0).toStdString());
    return out;
}

class ParameterDialogs : public testing::Test {
protected:
    ParameterDialogs() {
        connection.emplace(db::create_experiment_database(dir / "demo.db", true));
        state.methode = "TSM";
        state.modus = "TSM";
        state.db_f_name = (dir / "demo.db").string();
    }
    db::Connection& c() { return *connection; }

    test::TempDir dir;
    std::optional<db::Connection> connection;
    app::ProgramState state;
    test::ScriptedDialogs dialogs;
};

TEST_F(ParameterDialogs, ItemListOpensTheCropAndAmendmentViews) {
    ui::ItemParameterViews views;
    EXPECT_TRUE(ui::open_item_parameters(views, c(), 2, 100000 + 1)); // winter wheat
    EXPECT_EQ(views.crop.windowTitle(), "CROP_parm");
    EXPECT_EQ(views.crop.crop_tree()->topLevelItem(0)->text(0), "srbpflan");
    EXPECT_EQ(views.crop.residue_tree()->topLevelItem(0)->text(0), " root & crop residues");
    EXPECT_EQ(views.crop.by_product_tree()->topLevelItem(0)->text(0), " side product");
    EXPECT_EQ(lines(views.crop.by_product_tree()).at(1), "NAME........: cereal straw");
    // Silage maize has no by-product: an empty tree, no failing query, the others renewed.
    EXPECT_TRUE(ui::open_item_parameters(views, c(), 9, 100000 + 7));
    EXPECT_EQ(lines(views.crop.crop_tree()).at(1), "NAME........: silage maize");
    EXPECT_EQ(lines(views.crop.residue_tree()).at(0), "ITEM_IX.....: 3");
    EXPECT_TRUE(lines(views.crop.by_product_tree()).empty());
    EXPECT_TRUE(dialogs.shown.empty());

    EXPECT_TRUE(ui::open_item_parameters(views, c(), 3, 300000 + 102));
    EXPECT_EQ(views.amendment.windowTitle(), "FOM_parm");
    EXPECT_EQ(lines(views.amendment.tree()).at(0), "ITEM_IX.....: 102");
    EXPECT_TRUE(views.amendment.tree()->topLevelItem(0)->child(0)->isExpanded());
    EXPECT_FALSE(ui::open_item_parameters(views, c(), 4, 400000 + 1));
}

TEST_F(ParameterDialogs, ANewSimpleSoilAndItsDuplicateName) {
    ui::Tsimplesoilfrm dialog(state, connection, dialogs);
    dialog.load(params::new_soil_name);
    EXPECT_EQ(dialog.windowTitle(), "simple soil description");
    EXPECT_TRUE(dialog.new_item());
    EXPECT_EQ(dialog.clay_field()->text(), "?");
    EXPECT_EQ(dialog.silt_field()->text(), "-99");
    EXPECT_EQ(dialog.gravel_field()->text(), "0");

    // Incomplete: the offending controls highlighted, nothing written.
    dialog.press_save();
    EXPECT_TRUE(ui::Tsimplesoilfrm::highlighted(dialog.name_field()));
    EXPECT_TRUE(ui::Tsimplesoilfrm::highlighted(dialog.clay_field()));
    EXPECT_TRUE(ui::Tsimplesoilfrm::highlighted(dialog.soil_type()));
    EXPECT_EQ(dialogs.shown.back(),
              "Satz kann nicht gespeichert werden: Bitte alle Pflicht-Daten eingeben !");

    dialog.name_field()->setText("Haplic Chernozem, loess");
    dialog.clay_field()->setText("12,5");
    dialog.soil_type()->setCurrentText("Sl");
    dialog.press_save();
    EXPECT_FALSE(ui::Tsimplesoilfrm::highlighted(dialog.clay_field()));
    EXPECT_EQ(dialog.name_field()->text(), "Haplic Chernozem, loess1");
    EXPECT_EQ(dialogs.shown.back(),
              "simple soil description: A soil named \"Haplic Chernozem, loess\" "
              "exists; the soil was saved as \"Haplic Chernozem, loess1\".");
    EXPECT_EQ(test::rows(c(), "select soil_ID, clay, BA_RBS from soilproperties where profile = "
                              "'Haplic Chernozem, loess1'"),
              "4|12.5|Sl\n");

    // An existing soil: the name is fixed; a cancelled new soil gives "-?-" back.
    dialog.load("Haplic Luvisol, boulder clay");
    EXPECT_FALSE(dialog.name_field()->isEnabled());
    EXPECT_EQ(dialog.soil_type()->currentText(), "LT");
    EXPECT_EQ(dialog.clay_field()->text(), "28");
    dialog.load(params::new_soil_name);
    dialog.name_field()->setText("typed");
    dialog.press_esc();
    EXPECT_EQ(dialog.name_field()->text(), "-?-");

    state.language = "D";
    dialog.load(params::new_soil_name);
    EXPECT_EQ(dialog.windowTitle(), "Bodendaten");
    EXPECT_EQ(dialog.button(0)->text(), "Satz Speichern");
}

TEST_F(ParameterDialogs, TheWorkbenchOpensTheSoilParameters) {
    app::MemorySettingsStore settings;
    state.language = "E";
    state.power = true;
    ui::Trange_select workbench({state, connection, settings, dialogs});
    ui::Tsrb_parms editor({state, connection, dialogs});
    ui::Tsimplesoilfrm simple_soil(state, connection, dialogs);
    ui::connect_soil_openers(workbench, editor, simple_soil);
    workbench.resize(900, 700);
    workbench.show();
    workbench.activate();
    workbench.soil_list()->setCurrentIndex(3); // the third profile

    // A double click on the label "soil": the editor on the profile.
    QLabel* label = workbench.label("soil");
    QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(2, 2), label->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label, &twice);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.pages()->currentIndex(), ui::parameter_page::soil_profiles);
    EXPECT_EQ(editor.current_soil(), 3);
    editor.close();

    // A right press on the list opens it too; a new profile there reaches the soil list.
    workbench.soil_list()->setCurrentIndex(1);
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(2, 2),
                      workbench.soil_list()->mapToGlobal(QPointF(2, 2)), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(workbench.soil_list(), &right);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.current_soil(), 1);
    dialogs.yes_no = {true};
    editor.enter_profile("sandy loam");
    EXPECT_EQ(workbench.soil_list()->count(), 5);
    EXPECT_EQ(workbench.soil_list()->currentIndex(), 1);
    editor.close();
    EXPECT_TRUE(dialogs.shown.size() == 1u) << dialogs.shown.back();

    // Without the power flag the simple soil dialog; a deleted soil leaves "-?-".
    state.power = false;
    workbench.soil_list()->setCurrentText("sandy loam");
    QTimer::singleShot(0, &simple_soil, [&] {
        dialogs.yes_no = {true};
        simple_soil.press_delete();
    });
    QApplication::sendEvent(label, &twice);
    EXPECT_EQ(workbench.soil_list()->count(), 4);
    EXPECT_EQ(workbench.soil_list()->currentText(), "-?-");
}

} // namespace

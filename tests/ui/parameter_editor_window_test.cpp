// parameter_editor_window_test.cpp --- the parameter editor on the offscreen platform.
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "test_support.h"
#include "ui/dataset_grid.h"
#include "ui/parameter_editor_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using params::SelectionList;

class ParameterEditor : public testing::Test {
protected:
    ParameterEditor() {
        connection.emplace(db::create_experiment_database(dir / "demo.db", true));
        state.methode = "TSM";
    }

    db::Connection& c() { return *connection; }
    std::string checks(SelectionList list) {
        std::string s;
        ui::DatasetGrid* g = editor.selection_grid(list);
        for (int r = 0; r < g->rowCount(); ++r)
            s += g->item(r, 0)->checkState() == Qt::Checked ? "x" : "-";
        return s;
    }

    test::TempDir dir;
    std::optional<db::Connection> connection;
    app::ProgramState state;
    test::ScriptedDialogs dialogs;
    ui::Tsrb_parms editor{{state, connection, dialogs}};
};

TEST_F(ParameterEditor, OpensOnOmParmWithTheResidueAndSubstrateFilters) {
    int page = -1;
    QTimer::singleShot(0, &editor, [&] {
        page = editor.pages()->currentIndex();
        editor.close();
    });
    editor.open_from_launcher();
    EXPECT_EQ(page, ui::parameter_page::om_parm);
    EXPECT_EQ(editor.windowTitle(), "TSM-Parameter");
    EXPECT_EQ(editor.pages()->tabText(page), "OM-Parm");
    EXPECT_FALSE(editor.pages()->isTabVisible(ui::parameter_page::alternative_methods));
    EXPECT_FALSE(editor.pages()->isTabVisible(ui::parameter_page::references));

    ui::DatasetGrid* om = editor.grid("opspa");
    EXPECT_EQ(om->columnCount(), 10);
    EXPECT_EQ(om->horizontalHeaderItem(2)->text(), "name");
    EXPECT_EQ(om->rowCount(), 27);
    editor.om_filter_button(1)->click();
    EXPECT_EQ(om->rowCount(), 21);
    editor.om_filter_button(2)->click();
    EXPECT_EQ(om->rowCount(), 6);
    editor.om_filter_button(0)->click();
    EXPECT_EQ(om->rowCount(), 27);
    EXPECT_EQ(editor.grid("crops")->columnCount(), 11);
    EXPECT_EQ(editor.grid("cndmwml")->horizontalHeaderItem(0)->text(), "INDEX");
}

TEST_F(ParameterEditor, HumodTablesFollowTheMethodAtEveryActivation) {
    state.methode = "HUMOD";
    editor.activate();
    EXPECT_EQ(editor.om_table(), "humod_fert_parm");
    EXPECT_EQ(editor.crop_table(), "humod_crop_parm");
    EXPECT_FALSE(editor.om_filter_button(1)->isEnabled());
    EXPECT_FALSE(editor.om_filter_button(2)->isEnabled());
    EXPECT_EQ(editor.grid("crops")->columnCount(),
              static_cast<int>(c().columns("humod_crop_parm").size()));
    // Another database with the TSM method: the parameter tables come back.
    state.methode = "TSM";
    editor.activate();
    EXPECT_EQ(editor.om_table(), "SRBOPSPA");
    EXPECT_TRUE(editor.om_filter_button(2)->isEnabled());
    EXPECT_EQ(editor.grid("opspa")->rowCount(), 27);
}

TEST_F(ParameterEditor, PreselectionCommandsAndTheDoubleClick) {
    c().execute("insert into srbsel_ops ([select], ITEM_IX, Name) values (-1, 1, 'residue')");
    editor.activate();
    EXPECT_EQ(editor.selection_grid(SelectionList::amendments)->rowCount(), 7);
    editor.press_list_button(SelectionList::amendments, "use all");
    EXPECT_EQ(checks(SelectionList::amendments), "xxxxxx");
    editor.button("sel_ops: use none")->click();
    EXPECT_EQ(checks(SelectionList::amendments), "------");
    editor.double_click_selection(SelectionList::amendments, 1);
    EXPECT_EQ(checks(SelectionList::amendments), "-x----");
    editor.press_list_button(SelectionList::amendments, "invert");
    EXPECT_EQ(checks(SelectionList::amendments), "x-xxxx");
    editor.double_click_selection(SelectionList::amendments, 0);
    editor.double_click_selection(SelectionList::amendments, 0);
    EXPECT_EQ(checks(SelectionList::amendments), "x-xxxx");
    EXPECT_EQ(test::rows(c(), "select count(*) from srbsel_ops where [select]"), "5\n");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ParameterEditor, ANewProfileByNameAndTheOriginCheckOnPost) {
    editor.open_on_soil(1);
    EXPECT_EQ(editor.pages()->currentIndex(), ui::parameter_page::soil_profiles);
    EXPECT_EQ(editor.soil_field("clay")->text(), "21");
    EXPECT_NE(editor.used_by_label()->text().indexOf("101 101 no fertiliser"), -1);

    int refreshed = 0;
    editor.set_on_profiles_changed([&] { ++refreshed; });
    dialogs.yes_no = {true};
    editor.name_field()->setText("new profile");
    editor.enter_profile("new profile");
    EXPECT_EQ(dialogs.shown.back(), "confirm append: create new profile ?");
    EXPECT_EQ(editor.current_soil(), 4);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(editor.grid("profiles")->rowCount(), 4);

    editor.type_soil_field("clay", "18,5");
    editor.type_soil_field("silt", "60");
    editor.type_soil_field("PV", "45");
    editor.type_soil_field("FC", "");
    editor.press_navigator("post");
    EXPECT_FALSE(editor.soil_modified());
    EXPECT_EQ(test::rows(c(), "select clay, silt, silt_org, PV, PV_org, FC, FC_org, BD, BD_org "
                              "from soilproperties where soil_ID=4"),
              "18.5|60|-1|45|-1|-99|0|-99|0\n");
    EXPECT_EQ(editor.soil_field("FC")->text(), "-99");
}

TEST_F(ParameterEditor, RefusalsNameTheFieldOrThePlotsAndWriteNothing) {
    editor.open_on_soil(1);
    const std::string before = test::rows(c(), "select * from soilproperties order by soil_ID");
    struct Case {
        const char* column;
        const char* text;
        const char* message;
    };
    for (const Case& k : {Case{"BD", "15", "Bulk Density: 15 is outside 0.5 to 2.2"},
                          Case{"FC", "50", "Field Capacity (50) must not exceed PoreVolume"},
                          Case{"silt", "85", "Clay + Silt (106 %) must not exceed 100 %"},
                          Case{"clay", "", "Clay is mandatory"},
                          Case{"PV", "4x", "PoreVolume: \"4x\" is no number"}}) {
        editor.press_navigator("cancel");
        editor.type_soil_field(k.column, k.text);
        dialogs.shown.clear();
        editor.press_navigator("post");
        ASSERT_EQ(dialogs.shown.size(), 1u) << k.column;
        EXPECT_NE(dialogs.shown[0].find(k.message), std::string::npos) << dialogs.shown[0];
        EXPECT_TRUE(editor.soil_modified());
    }
    EXPECT_EQ(test::rows(c(), "select * from soilproperties order by soil_ID"), before);

    // A profile in use is not deleted.
    editor.press_navigator("cancel");
    dialogs.shown.clear();
    dialogs.yes_no = {true};
    editor.press_navigator("delete");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].find("is used by the plots 101 "), std::string::npos);
    EXPECT_EQ(test::rows(c(), "select * from soilproperties order by soil_ID"), before);
}

TEST_F(ParameterEditor, ClosingWithUnsavedChangesAsksSaveDiscardOrStay) {
    editor.open_on_soil(2);
    editor.type_soil_field("skelett", "5");
    dialogs.yes_no = {false, false}; // neither save nor discard: stay
    editor.close();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0], "TSM-Parameter: Save the changes of the soil profile \"Haplic "
                                "Cambisol, glacial sand\" ?");
    dialogs.yes_no = {true}; // save
    editor.close();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(test::rows(c(), "select skelett from soilproperties where soil_ID=2"), "5\n");

    editor.open_on_soil(2);
    editor.type_soil_field("skelett", "7");
    dialogs.yes_no = {false, true}; // discard
    editor.close();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(test::rows(c(), "select skelett from soilproperties where soil_ID=2"), "5\n");
}

TEST_F(ParameterEditor, TheHiddenPageBuildsTheMethodInputs) {
    editor.activate();
    editor.alternative_methods_action()->trigger();
    EXPECT_TRUE(editor.pages()->isTabVisible(ui::parameter_page::alternative_methods));
    EXPECT_EQ(editor.pages()->currentIndex(), ui::parameter_page::alternative_methods);
    EXPECT_FALSE(editor.button("STAND: category")->isEnabled());
    c().execute("update soilproperties set clay=-99, FAT=-99 where soil_ID=2");
    editor.button("STAND: prepare")->click();
    EXPECT_TRUE(editor.button("STAND: category")->isEnabled());
    EXPECT_EQ(editor.grid("methods")->rowCount(), 9);
    EXPECT_NE(editor.method_messages()->item(0)->text().indexOf("STAND: FL_ID 205 ("), -1);
    editor.button("STAND: category")->click();
    EXPECT_EQ(test::rows(c(), "select distinct standortgr from st_gruppe"), "2\n");
    editor.press_method("SALCA: edit pH");
    EXPECT_EQ(editor.grid("methods")->rowCount(), 11);
    EXPECT_TRUE(editor.grid("methods")->write_cell(0, 2, "5,9"));
    editor.press_method("SALCA: edit pH");
    EXPECT_EQ(test::rows(c(), "select min(pH) from salca_ph_value"), "5.9\n");
    editor.press_method("HU-MOD: NUR-values");
    EXPECT_EQ(editor.grid("methods")->rowCount(), 9);
    // The activation hides the page again.
    editor.activate();
    EXPECT_FALSE(editor.pages()->isTabVisible(ui::parameter_page::alternative_methods));
}

TEST_F(ParameterEditor, AnyTableOpensByNameAndExports) {
    editor.set_table_list(c().tables());
    editor.activate();
    editor.pages()->setCurrentIndex(ui::parameter_page::access_database);
    editor.open_any_table("srbmindg");
    EXPECT_EQ(editor.selected_table_label()->text(), "srbmindg");
    EXPECT_EQ(editor.grid("access_table")->rowCount(), 4);
    // A typed number that is none is refused; a good one is stored.
    ui::DatasetGrid* g = editor.grid("access_table");
    const int n_column = g->data().field_index("N_GEHALT");
    ASSERT_GE(n_column, 0);
    EXPECT_FALSE(g->write_cell(0, n_column, "lots"));
    EXPECT_TRUE(g->write_cell(0, n_column, "27,5"));
    EXPECT_EQ(test::rows(c(), "select N_GEHALT from srbmindg where ITEM_IX=1"), "27.5\n");

    dialogs.save_files = {(dir / "fert").string()};
    editor.button("access_table: export to XLS")->click();
    EXPECT_TRUE(std::filesystem::exists(dir / "fert.xlsx"));
    // Entering the page again detaches the grid.
    editor.pages()->setCurrentIndex(0);
    editor.pages()->setCurrentIndex(ui::parameter_page::access_database);
    EXPECT_EQ(g->rowCount(), 0);
    // Result tables exist after the statistics were built; before, the database's message.
    dialogs.shown.clear();
    editor.open_result_table("tsm_stat_corg");
    EXPECT_FALSE(editor.grid("results")->attached());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].find("tsm_stat_corg"), std::string::npos) << dialogs.shown[0];
    c().execute("select 1 as fl_id, 0.5 as r into tsm_stat_corg");
    editor.open_result_table("tsm_stat_corg");
    EXPECT_EQ(editor.grid("results")->rowCount(), 1);
}

TEST_F(ParameterEditor, EndReopensTheConnection) {
    editor.open_on_soil(1);
    bool reopened = false;
    editor.set_on_end([&] { reopened = true; });
    editor.press_end();
    EXPECT_TRUE(reopened);
    EXPECT_TRUE(connection.has_value());
    EXPECT_EQ(test::rows(c(), "select count(*) from soilproperties"), "3\n");
    EXPECT_FALSE(editor.isVisible());
}

} // namespace

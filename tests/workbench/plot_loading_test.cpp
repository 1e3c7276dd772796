// What a click on a plot node loads: lists, run permission, first years, the site row,
// the initial conditions, the mean BAT and the station and soil positions.
#include "db/text.h"
#include "demo_fixture.h"
#include "workbench/choice_lists.h"
#include "workbench/plot_loading.h"

#include <stdexcept>

namespace {

using namespace workbench;

class PlotLoading : public test::DemoDatabase {
protected:
    PlotLoad load(std::int64_t fl_id, const std::string& modus = "TSM",
                  const std::string& methode = "TSM") {
        item = Tsrb_item{};
        item.snr = fl_id;
        item.i_con = db::trim(
            c.scalar("select i_con from field_description where fl_id=" + std::to_string(fl_id))
                .as_text());
        PlotLoadContext context;
        context.modus = modus;
        context.methode = methode;
        context.actions = &actions;
        context.items = &items;
        context.stations = &stations;
        context.soils = &soils;
        return load_plot(c, item, context);
    }

    ActionList actions = load_actions(c, action_list_statement(false));
    ItemList items = load_items(c, all_items_statement());
    ChoiceList stations = refresh_stat_list(c);
    ChoiceList soils = refresh_soil_list(c);
    Tsrb_item item;
};

TEST_F(PlotLoading, DemoPlotShowsItsListsAndSite) {
    const PlotLoad p = load(101);
    EXPECT_EQ(p.management_statement,
              "select \"*\" as s_bez, cultivation_id, fl_id as SNR, fl_id_alt as FLA, 0 as UTLG, "
              "day as tag, month as mon, year as datum, MACODE,item_ix as WERT1, sim_quantity as "
              "WERT2,quantity as ORIGWERT,  \"N\" as rein , 10*10/100 AS part  from cultivation "
              "where fl_id=101  order by year,MACODE");
    ASSERT_EQ(p.management.size(), 46u);
    EXPECT_EQ(p.management.front().datum.as_int(), 1970);
    EXPECT_FALSE(p.management.front().calculated.aktion.empty());
    EXPECT_EQ(p.first_year, 1970);
    ASSERT_FALSE(p.measurements.empty());
    EXPECT_EQ(p.measurements.front().year_number, 0);
    EXPECT_EQ(p.initial_value_count, 1);
    EXPECT_TRUE(p.run_enabled);
    // The initial measurement's year fills every first year field.
    EXPECT_EQ(p.first_year_field, "1970");
    EXPECT_EQ(p.start_year_field, "1970");
    EXPECT_EQ(p.selection_start_year, "1970");
    EXPECT_EQ(p.modus, "TSM");
    EXPECT_FALSE(p.null_start);

    EXPECT_EQ(p.basic.name, "101 no fertiliser");
    EXPECT_EQ(p.basic.origin, "demo data (synthetic)");
    EXPECT_EQ(p.basic.area, "0.0265");
    EXPECT_EQ(p.basic.comment, "no fertiliser since the start");
    EXPECT_EQ(p.basic.tillage_option, 0);
    EXPECT_EQ(p.repeat_count, "0");
    EXPECT_EQ(p.mean_bat, "?"); // stored -99, no yearly results
    EXPECT_EQ(p.initial_conditions.entries, (std::vector<std::string>{"null", "obsval"}));
    EXPECT_EQ(p.initial_conditions.selected, 1);
    EXPECT_TRUE(p.initial_conditions.visible);
    EXPECT_EQ(p.weather_list, stations);
    EXPECT_EQ(p.weather_position, 1);
    EXPECT_EQ(p.soil_position, 1);
    EXPECT_EQ(item.db_name, "Static fertilisation trial");
    EXPECT_EQ(item.vcode, "1");
}

TEST_F(PlotLoading, RegionalListTakesTheStoredShare) {
    c.execute("alter table cultivation add column part double");
    item.snr = 201;
    PlotLoadContext context;
    context.regional_mode = true;
    const PlotLoad p = load_plot(c, item, context);
    EXPECT_NE(p.management_statement.find(" ,part  from cultivation where fl_id=201"),
              std::string::npos)
        << p.management_statement;
    EXPECT_EQ(p.management.size(), 135u);
}

TEST_F(PlotLoading, NullStartRunsWithoutMeasurementsAndSwitchesToOrv) {
    c.execute("delete from measurements where fl_id=102");
    c.execute("update field_description set i_con=' null ' where fl_id=102");
    const PlotLoad p = load(102);
    EXPECT_TRUE(p.measurements.empty());
    EXPECT_TRUE(p.run_enabled);
    EXPECT_TRUE(p.null_start);
    EXPECT_EQ(p.modus, "ORV");
    EXPECT_EQ(item.i_con, "null");
    EXPECT_EQ(p.first_year_field, "1970");
    EXPECT_EQ(p.start_year_field, "1970");
    EXPECT_FALSE(p.selection_start_year);
    EXPECT_EQ(p.initial_conditions.selected, 0);
    // Mode "ORV" offers the stations linked to the experiment, "-?-" first.
    const ChoiceList linked = {{"-?-", -99}, {"Central German dry region (demo)", 1}};
    EXPECT_EQ(p.weather_list, linked);
    EXPECT_EQ(p.weather_position, 1);

    // Without measurements and with a measured start the plot cannot run.
    c.execute("update field_description set i_con='obsval' where fl_id=102");
    EXPECT_FALSE(load(102).run_enabled);
}

TEST_F(PlotLoading, OrvTakesTheFirstManagementYear) {
    c.execute("update measurements set year_number=1 where fl_id=201");
    const PlotLoad p = load(201, "ORV");
    EXPECT_EQ(p.first_year_field, "1972");
    EXPECT_EQ(p.start_year_field, "1972");
    const PlotLoad tsm = load(201, "TSM");
    EXPECT_EQ(tsm.first_year_field, "-99");
    EXPECT_FALSE(tsm.start_year_field);
}

TEST_F(PlotLoading, HumodNeedsAnInitialValueUnlessTheStartIsNull) {
    EXPECT_EQ(load(201, "TSM", "HUMOD").initial_value_count,
              std::stoi(count("measurements", "fl_id=201 and m_ix=0")));
    c.execute("delete from measurements where fl_id=201 and m_ix=0");
    const PlotLoad p = load(201, "TSM", "HUMOD");
    EXPECT_EQ(p.initial_value_count, 0);
    EXPECT_FALSE(p.run_enabled);
    EXPECT_TRUE(load(201, "TSM", "TSM").run_enabled);
    c.execute("update field_description set i_con='null' where fl_id=201");
    EXPECT_TRUE(load(201, "TSM", "HUMOD").run_enabled);
}

TEST_F(PlotLoading, InitialConditionsListPlotsWithASavedStateOfThePreviousYear) {
    c.execute("insert into som_state (fl_id, yr, c_am) values (102, 1969, 1)");
    c.execute("insert into som_state (fl_id, yr, c_am) values (103, 1975, 1)");
    c.execute("insert into som_state (fl_id, yr, c_am) values (101, 1969, 1)"); // itself
    c.execute("update field_description set i_con='102' where fl_id=101");
    PlotLoad p = load(101);
    EXPECT_EQ(p.initial_conditions.entries,
              (std::vector<std::string>{"null", "obsval", "102: 102 mineral N"}));
    EXPECT_EQ(p.initial_conditions.selected, 2);
    // A plot without a matching saved state shows "null".
    c.execute("update field_description set i_con='103' where fl_id=101");
    EXPECT_EQ(load(101).initial_conditions.selected, 0);
    // A database without saved states hides the list; the click completes.
    c.execute("drop table som_state");
    p = load(101);
    EXPECT_FALSE(p.initial_conditions.visible);
    EXPECT_EQ(p.management.size(), 46u);
}

TEST_F(PlotLoading, MeanBatFromYearlyResultsElseStored) {
    c.execute("insert into tsm_nresult (fl_id, [year], bat) values (101, 1970, 10.004)");
    c.execute("insert into tsm_nresult (fl_id, [year], bat) values (101, 1971, 11)");
    EXPECT_EQ(load(101).mean_bat, "10.5");
    c.execute("update field_description set mw_bat=27.5 where fl_id=102");
    EXPECT_EQ(load(102).mean_bat, "27.5");
    c.execute("drop table tsm_nresult");
    EXPECT_EQ(load(102).mean_bat, "27.5");
    EXPECT_EQ(load(103).mean_bat, "?");
}

TEST_F(PlotLoading, UnknownStationOrSoilShowsTheFirstEntry) {
    c.execute("update field_description set climate_id=42, soil_id=-99 where fl_id=203");
    const PlotLoad p = load(203);
    EXPECT_EQ(p.weather_position, 0);
    EXPECT_EQ(p.soil_position, 0);
}

TEST_F(PlotLoading, PlotWithoutSiteRowIsNamed) {
    try {
        load(999);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("999"), std::string::npos) << e.what();
    }
}

} // namespace

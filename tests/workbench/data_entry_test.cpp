// Management events and measurements entered through the forms: the rows written, the
// refusals that write nothing, the initial value that renumbers the plot, the filters.
#include "demo_fixture.h"
#include "workbench/management_entry.h"
#include "workbench/measurement_entry.h"
#include "workbench/raw_tables.h"

#include <functional>
#include <vector>

namespace {

using namespace workbench;
using test::rows;

class DataEntry : public test::DemoDatabase {
protected:
    ItemList items = load_items(c, selected_items_statement());

    EventForm slurry() const {
        EventForm f;
        f.fl_id = 101;
        f.date = {2021, 4, 15};
        f.action = 3;
        f.item_key = item_key(amendment_kind, 102); // cattle slurry
        f.amount = "12,5";
        return f;
    }
    MeasurementInput corg(const std::string& value, CalendarDate date = {2016, 9, 1}) const {
        MeasurementInput m;
        m.fl_id = 101;
        m.date = date;
        m.property = carbon_property;
        m.value = value;
        return m;
    }
    std::string event(std::int64_t id) {
        return rows(c, "select fl_id, year, month, day, macode, item_ix, quantity, sim_quantity "
                       "from cultivation where cultivation_id=" +
                           std::to_string(id));
    }
    std::string measurement(std::int64_t id) {
        return rows(c, "select fl_id, m_ix, meas_value, vrnz, year, month, day, year_number "
                       "from measurements where meas_id=" +
                           std::to_string(id));
    }
    // The refusal's field, with nothing written.
    void expect_refused(const std::function<void()>& save, const std::string& field) {
        const std::string before = snapshot();
        try {
            save();
            ADD_FAILURE() << "not refused: " << field;
        } catch (const EntryRefused& e) {
            EXPECT_EQ(e.field(), field) << e.what();
        }
        EXPECT_EQ(snapshot(), before) << field;
    }
};

TEST_F(DataEntry, EventIsWrittenWithBoundValuesAndVoidsTheResults) {
    add_results(101);
    add_results(102);
    const std::int64_t id = insert_event(c, slurry(), items, false);
    // 12.5 dt/ha x 0.075 dry matter x 0.4 C x 100 = 37.5 kg C/ha, rounded half to even.
    EXPECT_EQ(event(id), "101|2021|4|15|3|102|12.5|38\n");
    EXPECT_EQ(count("sim_result", "fl_id=101"), "0\n");
    EXPECT_EQ(count("sim_result", "fl_id=102"), "1\n");
    EXPECT_TRUE(same_event_exists(c, 101, check_event(c, slurry(), items, false)));
    EXPECT_FALSE(same_event_exists(c, 101, check_event(c, slurry(), items, false), id));

    EventForm changed = slurry();
    changed.amount = "20.0";
    changed.date = {2021, 5, 2};
    overwrite_event(c, changed, id, items, false);
    EXPECT_EQ(event(id), "101|2021|5|2|3|102|20|60\n");

    delete_event(c, 101, id);
    EXPECT_EQ(count("cultivation", "cultivation_id=" + std::to_string(id)), "0\n");
}

TEST_F(DataEntry, ItemKeysGiveTheItemOfTheirKind) {
    c.execute("insert into srbpflan (item_ix, name, n_gehalt) values (1234, 'test crop', 2)");
    items = load_items(c, all_items_statement());
    struct Case {
        std::int64_t action;
        std::int64_t key;
        std::string item_ix, sim_quantity;
    };
    const std::vector<Case> cases = {
        {2, item_key(crop_kind, 1234), "1234", "20"},  // 10 dt/ha x 2 kg N/dt
        {4, item_key(fertiliser_kind, 2), "2", "100"}, // the fertiliser's ammonium share
        {0, item_key(crop_kind, 17), "17", "1"},
        {7, 0, "-99", "10"}, // irrigation names no item
        {5, 0, "-99", "1"},
    };
    for (const Case& k : cases) {
        EventForm f = slurry();
        f.action = k.action;
        f.item_key = k.key;
        f.amount = "10";
        const EventValues v = check_event(c, f, items, false);
        EXPECT_EQ(std::to_string(v.item_ix), k.item_ix) << k.action;
        EXPECT_EQ(db::format_cstr(v.sim_quantity), k.sim_quantity) << k.action;
    }
    // The placeholder rows of the selection list carry item_ix -99.
    items = load_items(c, selected_items_statement());
    EventForm liming = slurry();
    liming.action = 6;
    liming.item_key = item_key(tillage_change_kind, -99);
    EXPECT_EQ(check_event(c, liming, items, false).item_ix, -99);
}

TEST_F(DataEntry, BadEventsAreRefusedNamingTheField) {
    struct Case {
        std::function<void(EventForm&)> change;
        std::string field;
    };
    const std::vector<Case> cases = {
        {[](EventForm& f) { f.amount = "1+1"; }, "amount"},
        {[](EventForm& f) { f.amount = ""; }, "amount"},
        {[](EventForm& f) { f.amount = "12,5 dt"; }, "amount"},
        {[](EventForm& f) { f.amount = "-3"; }, "amount"},
        {[](EventForm& f) { f.item_key.reset(); }, "item"},
        {[](EventForm& f) { f.item_key = item_key(crop_kind, 1); }, "item"},
        {[](EventForm& f) {
             f.date = {1500, 1, 1};
         },
         "date"},
        {[](EventForm& f) {
             f.date = {2021, 2, 30};
         },
         "date"},
        {[](EventForm& f) { f.action = 99; }, "action"},
        {[](EventForm& f) { f.fl_id = 999; }, "plot"},
    };
    for (const Case& k : cases) {
        EventForm f = slurry();
        k.change(f);
        expect_refused([&] { insert_event(c, f, items, false); }, k.field);
    }
    const std::int64_t id = c.scalar("select min(cultivation_id) from cultivation where "
                                     "fl_id=102")
                                .as_int();
    expect_refused([&] { overwrite_event(c, slurry(), id, items, false); }, "record");
    expect_refused([&] { delete_event(c, 101, id); }, "record");
}

TEST_F(DataEntry, RegionalModeStoresTheShare) {
    c.execute("alter table cultivation add part double");
    EventForm f = slurry();
    f.share = "50,5";
    const std::int64_t id = insert_event(c, f, items, true);
    EXPECT_EQ(rows(c, "select part from cultivation where cultivation_id=" + std::to_string(id)),
              "50.5\n");
    for (const char* share : {"", "101", "x"}) {
        f.share = share;
        expect_refused([&] { insert_event(c, f, items, true); }, "FLA%");
    }
}

TEST_F(DataEntry, FiltersOfTheManagementList) {
    struct Case {
        EventFilter filter;
        std::vector<std::int64_t> shown;
    };
    const std::vector<Case> cases = {
        {EventFilter::all, {0, 2, 3, 4, 5, 7, 9, 14}},
        {EventFilter::harvest, {2, 9}},
        {EventFilter::amendment, {3}},
        {EventFilter::fertiliser, {4}},
        {EventFilter::tillage, {5, 14}},
    };
    for (const Case& k : cases) {
        std::vector<std::int64_t> shown;
        for (std::int64_t code : {0, 2, 3, 4, 5, 7, 9, 14})
            if (passes(k.filter, code)) shown.push_back(code);
        EXPECT_EQ(shown, k.shown);
    }
}

TEST_F(DataEntry, MeasurementIsNumberedFromTheFirstYear) {
    add_results(101);
    const std::int64_t id = insert_measurement(c, corg("1,25"));
    EXPECT_EQ(measurement(id), "101|7|1.25|NULL|2016|9|1|47\n"); // first year 1970
    EXPECT_EQ(count("sim_result", "fl_id=101"), "0\n");
    EXPECT_TRUE(same_measurement_exists(c, 101, check_measurement(c, corg("1"))));

    MeasurementInput m = corg("1.3", {2017, 3, 2});
    m.property = 5;
    m.variance = "0,02";
    overwrite_measurement(c, m, id);
    EXPECT_EQ(measurement(id), "101|5|1.3|0.02|2017|3|2|48\n");
    EXPECT_FALSE(is_initial_value(c, id));
    delete_measurement(c, 101, id);
    EXPECT_EQ(count("measurements", "meas_id=" + std::to_string(id)), "0\n");
}

TEST_F(DataEntry, BadMeasurementsAreRefusedNamingTheField) {
    // A new plot without an initial value: no property can be numbered yet.
    c.execute("insert into field_description (fl_id, location) values (150, 'x')");
    struct Case {
        std::function<void(MeasurementInput&)> change;
        std::string field;
    };
    const std::vector<Case> cases = {
        {[](MeasurementInput& m) { m.value = ""; }, "value"},
        {[](MeasurementInput& m) { m.value = "1+1"; }, "value"},
        {[](MeasurementInput& m) { m.value = "150"; }, "value"},
        {[](MeasurementInput& m) { m.variance = "x"; }, "variance"},
        {[](MeasurementInput& m) {
             m.date = {1969, 5, 1};
         },
         "sampling date"},
        {[](MeasurementInput& m) { m.property = 42; }, "property"},
        {[](MeasurementInput& m) { m.fl_id = 150; }, "initial value"},
        {[](MeasurementInput& m) { m.fl_id = 150, m.property = 3; }, "initial value"},
        {[](MeasurementInput& m) { m.fl_id = 150, m.property = 0; }, "initial value"},
        {[](MeasurementInput& m) { m.fl_id = 150, m.property = 3, m.initial_value = true; },
         "initial value"},
    };
    for (const Case& k : cases) {
        MeasurementInput m = corg("1.2");
        k.change(m);
        expect_refused([&] { insert_measurement(c, m); }, k.field);
    }
    const std::int64_t other =
        c.scalar("select min(meas_id) from measurements where fl_id=102").as_int();
    expect_refused([&] { overwrite_measurement(c, corg("1"), other); }, "record");
    expect_refused([&] { delete_measurement(c, 101, other); }, "record");
}

TEST_F(DataEntry, InitialCarbonValueMovesTheFirstYearAndRenumbersThePlot) {
    c.execute("update field_description set i_con='null' where fl_id=101");
    MeasurementInput m = corg("1,1", {1975, 5, 1});
    m.initial_value = true;
    const std::int64_t id = insert_measurement(c, m);
    EXPECT_EQ(measurement(id), "101|7|1.1|NULL|1975|5|1|0\n");
    EXPECT_EQ(first_year(c, 101), 1975);
    // Every other row of the plot counts from 1975: the old carbon initial value and the
    // rows before 1975 step back to -99; the nitrogen initial value stays.
    EXPECT_EQ(rows(c, "select m_ix, year, year_number from measurements where fl_id=101 and "
                      "year<1983 order by m_ix, year, meas_id"),
              "0|1970|0\n0|1974|-99\n0|1978|4\n0|1982|8\n"
              "7|1970|-99\n7|1974|-99\n7|1975|0\n7|1978|4\n7|1982|8\n");
    EXPECT_EQ(rows(c, "select i_con from field_description where fl_id=101"), "obsval\n");
    EXPECT_EQ(count("measurements", "fl_id=102 and year_number=0"), "2\n");

    // A nitrogen initial value needs no first year and moves none.
    MeasurementInput n = corg("0,12", {1975, 5, 1});
    n.property = nitrogen_property;
    n.initial_value = true;
    insert_measurement(c, n);
    EXPECT_EQ(first_year(c, 101), 1975);
    EXPECT_EQ(rows(c, "select year from measurements where fl_id=101 and m_ix=0 and year_number=0"),
              "1975\n");
    EXPECT_EQ(count("measurements", "fl_id=101 and year_number=0"), "2\n");
}

TEST_F(DataEntry, FailingInitialValueLeavesTheOldOneInPlace) {
    c.execute_native("create trigger no_insert before insert on measurements begin "
                     "select raise(abort, 'disk full'); end");
    MeasurementInput m = corg("1,1", {1975, 5, 1});
    m.initial_value = true;
    const std::string before = snapshot();
    EXPECT_THROW(insert_measurement(c, m), std::exception);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(first_year(c, 101), 1970);
}

TEST_F(DataEntry, RawFilterConditionIsAddedToTheBaseFilterEachTime) {
    const std::string base = plot_rows_filter(101);
    const std::string once = checked_raw_filter(c, "cultivation", base, "macode=3 or macode=4");
    EXPECT_EQ(once, "(fl_id=101) and (macode=3 or macode=4)");
    EXPECT_EQ(checked_raw_filter(c, "cultivation", base, "macode=3 or macode=4"), once);
    EXPECT_EQ(raw_filter(base, " "), base);
    for (const char* bad : {"macode=", "1=1; delete from cultivation", "nosuchcolumn=1"})
        expect_refused([&] { checked_raw_filter(c, "cultivation", base, bad); },
                       "filter condition");
}

TEST_F(DataEntry, RawRowsGoToThePlotOfTheGrids) {
    add_results(101);
    const RawEvent start{2, 5, 8, 2001, 3};
    const std::int64_t first = add_raw_event(c, 101, start);
    const std::int64_t second = add_raw_event(c, 101, start);
    EXPECT_EQ(rows(c, "select fl_id, macode, day, month, year, item_ix from cultivation where "
                      "cultivation_id in (" +
                          std::to_string(first) + "," + std::to_string(second) + ")"),
              "101|2|5|8|2001|3\n101|2|5|8|2001|3\n");
    EXPECT_EQ(count("sim_result", "fl_id=101"), "0\n");
    const std::int64_t kept = add_raw_measurement(c, 105, RawMeasurement{7, 1, 9, 2001, 32});
    EXPECT_EQ(measurement(kept), "105|7|NULL|NULL|2001|9|1|32\n");
    EXPECT_EQ(rows(c, "select fl_id, m_ix from measurements where meas_id=" +
                          std::to_string(add_raw_measurement(c, 105, std::nullopt))),
              "105|NULL\n");
    expect_refused([&] { add_raw_event(c, 106, start); }, "plot");
    expect_refused([&] { add_raw_measurement(c, 106, std::nullopt); }, "plot");
}

} // namespace

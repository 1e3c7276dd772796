// plot_loading.cpp --- loading the pages of a clicked plot.
#include "workbench/plot_loading.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/text.h"
#include "workbench/measurement_entry.h"

#include <algorithm>
#include <stdexcept>

namespace workbench {
namespace {

std::vector<MeasurementRow> load_measurements(db::Connection& conn, const std::string& statement) {
    db::Dataset d = conn.open(statement);
    std::vector<MeasurementRow> rows;
    for (d.first(); !d.eof(); d.next()) rows.push_back(measurement_row(d));
    return rows;
}

// Whether the plot can be run, and the first year fields (before the site row is read).
void decide_run_and_years(PlotLoad& load, const Tsrb_item& item, const PlotLoadContext& context) {
    load.initial_value_count = 1;
    if (context.methode == "HUMOD") {
        load.initial_value_count = 0;
        for (const MeasurementRow& m : load.measurements)
            if (m.m_ix == 0) ++load.initial_value_count;
    }
    load.run_enabled =
        (!load.management.empty() && !load.measurements.empty() && load.initial_value_count > 0) ||
        item.i_con == "null";
    load.first_year_field = "-99";
    if (context.modus == "ORV") {
        load.first_year_field = std::to_string(load.first_year);
        load.start_year_field = load.first_year_field;
    }
    // The first year is that of the initial organic carbon value; the list is ordered by
    // year number, so demoted initial values (-99) come before it.
    auto initial = std::find_if(
        load.measurements.begin(), load.measurements.end(),
        [](const MeasurementRow& m) { return m.year_number == 0 && m.m_ix == carbon_property; });
    if (initial == load.measurements.end())
        initial = std::find_if(load.measurements.begin(), load.measurements.end(),
                               [](const MeasurementRow& m) { return m.year_number >= 0; });
    if (initial != load.measurements.end() && initial->year_number == 0) {
        const std::string year = initial->datum.as_text();
        load.first_year_field = year;
        load.start_year_field = year;
        load.selection_start_year = year;
    }
}

// The site row: the record's fields, the mode of a plot without a measured start, the
// repeat count, the Basic-Info fields. Returns the stored mean BAT.
db::Value read_site_row(db::Connection& conn, PlotLoad& load, Tsrb_item& item) {
    db::Dataset site = conn.open("select * from field_description " + std::string("where fl_id=") +
                                 std::to_string(load.fl_id));
    if (site.empty())
        throw std::runtime_error("Plot " + std::to_string(load.fl_id) +
                                 " has no row in field_description.");
    auto text = [&](const char* name) {
        return site.has_field(name) ? site[name].as_text() : std::string();
    };
    item.i_con = db::trim(text("i_con"));
    item.db_name = text("Location");
    item.vcode = text("versuch_code");
    item.herkunft = text("Herkunft");
    if (item.i_con == "null") {
        load.null_start = true;
        load.modus = "ORV";
        load.first_year_field = std::to_string(load.first_year);
        load.start_year_field = load.first_year_field;
    }
    if (site.has_field("rep_cnt")) load.repeat_count = site["rep_cnt"].as_text();
    load.basic = {
        text("area"),
        static_cast<int>(site.has_field("notill") ? site["notill"].as_int() : 0),
        text("site_description"),
        text("Herkunft"),
        text("comment"),
        site.has_field("climate_ID") ? site["climate_ID"].as_int(unknown_choice) : unknown_choice,
        site.has_field("soil_ID") ? site["soil_ID"].as_int(unknown_choice) : unknown_choice};
    return site.has_field("mw_BAT") ? site["mw_BAT"] : db::Value();
}

InitialConditions read_initial_conditions(db::Connection& conn, const PlotLoad& load,
                                          const std::string& i_con) {
    InitialConditions list;
    list.entries = {"null", "obsval"};
    try {
        db::Dataset d = conn.open(initial_condition_statement(load.fl_id, load.first_year));
        for (d.first(); !d.eof(); d.next())
            list.entries.push_back(d["FL_ID"].as_text() + ": " + d["site"].as_text());
    } catch (const db::Error&) {
        list.visible = false;
    }
    list.selected = initial_condition_position(list.entries, i_con);
    return list;
}

std::string read_mean_bat(db::Connection& conn, std::int64_t fl_id, const db::Value& stored) {
    try {
        db::Dataset d = conn.open(mean_bat_statement(fl_id));
        if (!d.empty() && !d["mw_bat"].is_null()) return d["mw_bat"].as_text();
    } catch (const db::Error&) {
        // no yearly results to average: the stored mean below
    }
    return stored.as_double() > 0 ? stored.as_text() : "?";
}

// In mode "ORV" the weather list offers the stations linked to the experiment; a failing
// query leaves the list as it was.
ChoiceList weather_list(db::Connection& conn, const PlotLoad& load,
                        const PlotLoadContext& context) {
    ChoiceList shown = context.shown_stations ? *context.shown_stations
                       : context.stations     ? *context.stations
                                              : ChoiceList{};
    if (load.modus != "ORV") return shown;
    try {
        db::Dataset d = conn.open(linked_stations_statement(load.fl_id));
        ChoiceList linked{{"-?-", unknown_choice}};
        for (d.first(); !d.eof(); d.next())
            linked.push_back({d["station"].as_text(), d["climate_ID"].as_int(unknown_choice)});
        return linked;
    } catch (const db::Error&) {
        return shown;
    }
}

} // namespace

std::string initial_condition_statement(std::int64_t fl_id, std::int64_t first_year) {
    return " select field_description.FL_ID, field_description.site_description as site from "
           "field_description inner join som_state on som_state.fl_id=field_description.fl_id "
           "where (som_state.yr+1)=" +
           std::to_string(first_year) + " and field_description.FL_ID<>" + std::to_string(fl_id);
}

std::string mean_bat_statement(std::int64_t fl_id) {
    return "select fl_id,round(100*avg(bat))/100 as mw_bat from tsm_nresult where fl_id=" +
           std::to_string(fl_id) + " group by fl_id";
}

std::string linked_stations_statement(std::int64_t fl_id) {
    return std::string(" SELECT  vc2cls.climate_ID,  climate_station.station ") +
           " FROM field_description, vc2cls INNER JOIN climate_station ON vc2cls.climate_ID = "
           "climate_station.climate_ID " +
           " WHERE Val([versuch_code])=[vc2cls].[exp_id] AND field_description.FL_ID=" +
           std::to_string(fl_id) + " order by vc2cls.climate_id ";
}

int initial_condition_position(const std::vector<std::string>& entries, const std::string& i_con) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& e = entries[i];
        const auto colon = e.find(':');
        const std::string key = colon == std::string::npos ? e : db::trim(e.substr(0, colon));
        if (key == i_con) return static_cast<int>(i);
    }
    return 0;
}

PlotLoad load_plot(db::Connection& conn, Tsrb_item& item, const PlotLoadContext& context) {
    static const ActionList no_actions;
    static const ItemList no_items;
    PlotLoad load;
    load.fl_id = item.snr;
    load.modus = context.modus;
    load.management_statement = management_list_statement(item.snr, context.regional_mode);
    load.management = load_management_list(conn, load.management_statement,
                                           context.actions ? *context.actions : no_actions,
                                           context.items ? *context.items : no_items);
    if (!load.management.empty()) load.first_year = load.management.front().datum.as_int(-99);
    load.measurement_statement = measurement_list_statement(item.snr);
    load.measurements = load_measurements(conn, load.measurement_statement);
    decide_run_and_years(load, item, context);
    const db::Value stored_bat = read_site_row(conn, load, item);
    load.initial_conditions = read_initial_conditions(conn, load, item.i_con);
    load.mean_bat = read_mean_bat(conn, load.fl_id, stored_bat);
    load.weather_list = weather_list(conn, load, context);
    static const ChoiceList none;
    load.weather_position = choice_position(
        load.weather_list, context.stations ? *context.stations : none, load.basic.climate_id);
    const ChoiceList& soils = context.soils ? *context.soils : none;
    load.soil_position = choice_position(soils, soils, load.basic.soil_id);
    return load;
}

} // namespace workbench

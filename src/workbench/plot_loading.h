// plot_loading.h --- what a click on a plot node loads for the workbench's pages: the
// management and measurement lists, whether the plot can be run, the first year, the
// site row with the Basic-Info fields, the initial condition list, the repeat count, the
// mean BAT and the positions of the weather and soil lists.
#pragma once

#include "workbench/action_list.h"
#include "workbench/choice_lists.h"
#include "workbench/experiment_tree.h"
#include "workbench/item_lists.h"
#include "workbench/management_list.h"
#include "workbench/row_change.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace workbench {

struct PlotLoadContext {
    std::string modus;   // application mode before the click: "TSM", "ORV" or "KORVEX"
    std::string methode; // balance method
    bool regional_mode = false;
    const ActionList* actions = nullptr; // for the calculated fields of the management list
    const ItemList* items = nullptr;
    const ChoiceList* stations = nullptr; // every station and soil, to name the plot's ones
    const ChoiceList* soils = nullptr;
    const ChoiceList* shown_stations = nullptr; // the weather list as it is before the click
};

struct InitialConditions {
    bool visible = true;              // false when the list could not be read
    std::vector<std::string> entries; // "null", "obsval", then "FL_ID: site" per plot
    int selected = 0;
};

// The Basic-Info fields of the site row.
struct BasicInfo {
    std::string area;       // _plotarea
    int tillage_option = 0; // notill
    std::string name;       // fda_sbez: site_description
    std::string origin;     // fda_herkunft: Herkunft
    std::string comment;    // fda_comment
    std::int64_t climate_id = unknown_choice, soil_id = unknown_choice;
};

struct PlotLoad {
    std::int64_t fl_id = 0;
    std::string management_statement;
    std::vector<ManagementRow> management;
    std::string measurement_statement;
    std::vector<MeasurementRow> measurements;
    std::int64_t first_year = -99;        // year of the first management row
    std::int64_t initial_value_count = 1; // with HUMOD: measurements of property 0
    bool run_enabled = false;
    std::string first_year_field;                    // Edit4
    std::optional<std::string> start_year_field;     // Edit7; nothing: unchanged
    std::optional<std::string> selection_start_year; // Edit9; nothing: unchanged
    std::string modus;                               // application mode after the click
    bool null_start = false; // i_con "null": the plot starts without a measured state
    InitialConditions initial_conditions;
    std::optional<std::string> repeat_count; // Edit6; nothing: unchanged
    std::string mean_bat;                    // fda_wmz
    BasicInfo basic;
    ChoiceList weather_list; // the weather list after the click (refilled in mode "ORV")
    int weather_position = 0, soil_position = 0;
};

// Loads everything a click on the plot shows and refreshes its record (i_con, db_name,
// vcode, herkunft) from the site row. Failures of the secondary queries (initial
// conditions, mean BAT, linked stations) are absorbed as the fields say. Throws
// std::runtime_error naming the plot when it has no site row, db::Error when the
// management or measurement list cannot be read.
PlotLoad load_plot(db::Connection& conn, Tsrb_item& item, const PlotLoadContext& context);

// The plots whose saved state can start a plot: plots other than fl_id with a som_state
// row of the year before first_year.
std::string initial_condition_statement(std::int64_t fl_id, std::int64_t first_year);

// The mean BAT of a plot from its yearly results.
std::string mean_bat_statement(std::int64_t fl_id);

// The climate stations linked to the plot's experiment.
std::string linked_stations_statement(std::int64_t fl_id);

// Position of the entry naming the initial condition: "null", "obsval" or, for plot
// entries, the FL_ID before the ":"; 0 when none does.
int initial_condition_position(const std::vector<std::string>& entries, const std::string& i_con);

} // namespace workbench

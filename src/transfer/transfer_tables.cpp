#include "transfer/transfer_tables.h"

#include <algorithm>
#include <stdexcept>

namespace transfer {

const char* kind_name(KeyKind kind) {
    switch (kind) {
    case KeyKind::plot:
        return "plot";
    case KeyKind::soil:
        return "soil";
    case KeyKind::station:
        return "climate station";
    case KeyKind::experiment:
        return "experiment";
    case KeyKind::experiment_code:
        return "experiment code";
    case KeyKind::reference:
        return "reference";
    case KeyKind::keyword:
        return "keyword";
    case KeyKind::saved_state:
        return "saved state";
    case KeyKind::initial_condition:
        return "initial condition";
    }
    return "key";
}

namespace {

using K = KeyKind;

// The tables of one plot. site_state is copied but does not make two plots different
// (it holds the selection for the next run).
std::vector<TableStep> plot_tables() {
    return {
        {"field_description",
         "FL_ID",
         K::plot,
         {{"soil_ID", K::soil},
          {"climate_ID", K::station},
          {"versuch_code", K::experiment_code},
          {"i_con", K::initial_condition}},
         {"mw_BAT"},
         true,
         true},
        {"site_state", "FL_ID", K::plot, {}, {}, false, true},
        {"measurements", "FL_ID", K::plot, {}, {}, true, true},
        {"cultivation", "FL_ID", K::plot, {}, {"Sim_Quantity"}, true, true},
        {"key2ref2fl", "fl_id", K::plot, {{"key_id", K::keyword}, {"ref_id", K::reference}}},
        {"som_state", "fl_id", K::plot},
        {"fom_state", "fl_id", K::plot},
        {"vb_st_gr", "FL_ID", K::plot},
        {"humod_nur", "fl_id", K::plot, {{"climate_ID", K::station}, {"soil_ID", K::soil}}},
        {"outlier_check", "FL_ID", K::plot},
        {"tmp_nloss", "fl_id", K::plot},
    };
}

std::vector<Entity> make_entities() {
    return {
        {K::station,
         {{"climate_station", "climate_ID", K::station, {}, {}, true, true},
          {"climate_data", "climate_ID", K::station, {}, {}, true, true},
          {"reg_ndeposit", "climate_id", K::station}},
         {{"climate_station", "climate_ID"}, {"climate_data", "climate_ID"}}},
        {K::soil,
         {{"soilproperties", "soil_ID", K::soil, {}, {}, true, true}},
         {{"soilproperties", "soil_ID"}}},
        {K::experiment,
         {{"experiments",
           "exp_id",
           K::experiment,
           {{"vcode", K::experiment_code}},
           {"vcode"},
           true,
           true}},
         {{"experiments", "exp_id"}}},
        {K::reference,
         {{"referenzen", "lit_id", K::reference, {}, {}, true, true}},
         {{"referenzen", "lit_id"}}},
        {K::keyword, {{"refkey_def", "key_id", K::keyword}}, {{"refkey_def", "key_id"}}},
        {K::saved_state,
         {{"som_state", "fl_id", K::saved_state}, {"fom_state", "fl_id", K::saved_state}},
         {{"som_state", "fl_id"}, {"field_description", "FL_ID"}}},
        {K::plot,
         plot_tables(),
         {{"field_description", "FL_ID"},
          {"site_state", "FL_ID"},
          {"measurements", "FL_ID"},
          {"cultivation", "FL_ID"},
          {"som_state", "fl_id"}}},
    };
}

} // namespace

const std::vector<Entity>& entities() {
    static const std::vector<Entity> all = make_entities();
    return all;
}

const Entity& entity(KeyKind kind) {
    const auto& all = entities();
    const auto e =
        std::find_if(all.begin(), all.end(), [&](const Entity& x) { return x.kind == kind; });
    if (e == all.end()) throw std::logic_error("no tables for this kind of key");
    return *e;
}

const std::vector<TableStep>& link_tables() {
    static const std::vector<TableStep> links = {
        {"ref2vcode",
         "versuchs_code",
         K::experiment_code,
         {{"lit_id", K::reference}},
         {},
         false,
         true},
        {"vc2cls", "exp_id", K::experiment, {{"climate_ID", K::station}}, {}, false},
    };
    return links;
}

} // namespace transfer

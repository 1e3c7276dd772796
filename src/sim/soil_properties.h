// soil_properties.h --- the soil work table of a run: one row per selected plot with the
// texture, densities, pore volume, water contents, carbon share and Hassink saturation of its
// soil, measured values kept and missing ones completed by pedotransfer functions.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace app {
class Dialogs;
}
namespace db {
class Connection;
}

namespace sim {

class RunObserver;

// What shapes the soil work table of a run.
struct SoilSettings {
    int hymode = 3;                  // water contents: 1 Brooks/Corey, 2 Vereecken, 3 Lieberoth,
                                     // 4 Zacharias (settings value "ptfmode")
    double h_fc = 63.09;             // suction at field capacity, cm (model parameter H_FC)
    double h_pwp = 50000;            // suction at the wilting point, cm (model parameter H_PWP)
    std::string soil_scheme = "RBS"; // texture classes for a missing silt content: "RBS", "KA4"
    int interpol = 0;                // silt of a class: -1 lower bound, 0 mean, 1 upper bound
    std::string app_mode = "TSM";    // application mode: "TSM", "KORVEX", "ORV"
    std::string chosen_i_con;        // i_con of the plot chosen in the workbench ("null", ...)
};

// The run stops: the message box (title, text) has been shown; the run driver ends the run
// without another message.
class SoilStop : public std::runtime_error {
public:
    SoilStop(std::string title, const std::string& text)
        : std::runtime_error(text), title_(std::move(title)) {}
    const std::string& title() const { return title_; }

private:
    std::string title_;
};

inline constexpr const char* unknown_scheme_text = "unrecognised soil classification scheme";

// Drops and rebuilds `tmp_soil_prop` for the plots with site_state.status = 1: one row per
// initial organic carbon measurement (M_IX 7, year_number 0), or in the mode "ORV" with the
// chosen plot's i_con "null" one row per plot with year 0 and corg 1. Then completes every
// row: measured values (X_org true and above 0) stay, the others are derived and written back
// with X_org false; hsnk_soc, hsnk_lts and soil_cat are always written. Writes "tmp soil :"
// with the row count and "checking soil properties" to the message list. Throws SoilStop
// after showing the message for an unknown soil scheme or a soil value no pedotransfer
// function accepts (naming the plot; for instance a bulk density of 2.684 g/cm³ or more);
// rows completed before stay written. A failing statement throws db::Error.
void build_soil_prop(db::Connection& c, const SoilSettings& settings, RunObserver& observer,
                     app::Dialogs& dialogs);

} // namespace sim

// climate_preparation.h --- the steps of a run that build the plots' time frame, their
// yearly tillage and irrigation record, their yearly climate and the yearly biologically
// active time (BAT) in `tmp_bat`.
#pragma once

#include "model/bat.h"
#include "sim/run_driver.h"

namespace sim {

// The BAT coefficient nodes in force for the whole program run: the built-in nodes until
// `wmzprm` replaces them. The run driver's hooks are bound through load_step() and
// climate_step(); the object must outlive the steps it hands out.
class BatCoefficients {
public:
    const WmzTable& nodes() const { return nodes_; }

    // Loads the rows of `wmzprm` over the nodes in force. A missing table changes
    // nothing; a table the BAT function cannot use (more than seven rows, a value that
    // is not a number, fine fractions not ascending) changes nothing and writes a line
    // to the message list.
    void load(RunContext& ctx);

    RunStep load_step() {
        return [this](RunContext& ctx) { load(ctx); };
    }
    RunStep climate_step() const;

private:
    WmzTable nodes_ = builtin_wmz_nodes;
};

// Time frame, tillage and irrigation of the selected plots: `tmp_time_int`,
// `tmp_time_scen` (one row per plot and year from its first to its last cultivation
// year), `tmp_tirgint`, `tmp_tirg_pattern` and `tmp_last_tillage`. In the regional mode
// the tillage and irrigation rows apply to their share of the plot. A failing statement
// throws db::Error.
void time_frame(RunContext& ctx);

// The table time_frame() empties and fills again rather than builds anew (the run driver
// creates it once).
inline constexpr const char* refilled_time_tables[] = {"tmp_time_scen"};

// How climate_bat() comes by the indexes of climate_data: it creates those that are missing,
// or they were created before (`created_before` of them by this run, each announced in its
// place in the message list).
struct ClimateDataIndexes {
    bool create_here = true;
    int created_before = 0;
};

// Climate and BAT of the selected plots: `tmp_bat` from the plots' stored mean BAT when
// the BAT is not recalculated; otherwise `beregnung_jsum`, `eff_climate` (with `z_cnt`
// scenario repetitions of each plot's years), `clim4sim`, the yearly BAT computed with
// `nodes` (built-in computation on) and the estimate `tmp_hlpcinit`. Needs the tables of
// time_frame() and `tmp_soil_prop`. Weather records with a Null temperature or
// precipitation count as missing. A plot whose station has no weather at all, two soil
// rows of one plot, or a year with a negative mean temperature (also a year without
// station data) show their message box and throw SoilStop; the rows computed before stay
// written. A failing statement throws db::Error. `indexes` says how it comes by the
// indexes of climate_data.
void climate_bat(RunContext& ctx, const WmzTable& nodes, ClimateDataIndexes indexes = {});

// The work tables climate_bat() builds when the BAT is recalculated, in the order it
// builds them (tmp_hlpcinit, kept from run to run, aside).
inline constexpr const char* yearly_climate_tables[] = {"beregnung_jsum", "eff_climate", "clim4sim",
                                                        "tmp_bat"};

// The part of climate_bat() with the BAT recalculated that reads the plots, the time frame,
// the weather and tmp_soil_prop and writes only its own tables (yearly_climate_tables): the
// station check, the yearly climate, clim4sim and the yearly BAT. Throws as climate_bat().
void yearly_climate_and_bat(RunContext& ctx, const WmzTable& nodes,
                            ClimateDataIndexes climate_data);
// The rest of climate_bat() with the BAT recalculated: the estimate tmp_hlpcinit from
// tmp_bat, when the database has none.
void initial_carbon_estimate_if_missing(RunContext& ctx);
// Creates the indexes of climate_data that climate_bat() gives it, where missing; returns
// how many it created.
int index_climate_data(db::Connection& c);

} // namespace sim

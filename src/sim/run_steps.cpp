#include "sim/run_steps.h"

#include "sim/balance_account.h"
#include "sim/climate_alongside.h"
#include "sim/climate_preparation.h"
#include "sim/final_stage.h"
#include "sim/humus_methods.h"
#include "sim/organic_inputs.h"
#include "sim/soil_properties.h"

#include <memory>

namespace sim {
namespace {

SoilSettings soil_settings(const RunContext& ctx) {
    SoilSettings s;
    s.hymode = ctx.sim.hymode;
    s.h_fc = ctx.sim.parms.hfc;
    s.h_pwp = ctx.sim.parms.hpwp;
    s.soil_scheme = ctx.sim.soil_scheme;
    s.interpol = ctx.sim.interpol;
    s.app_mode = ctx.state.modus;
    return s;
}

} // namespace

std::string final_stage_missing(const std::string& method) {
    return "the final stage of the method \"" + method +
           "\" is not part of this version: the preparation is done, no results were computed";
}

RunSteps standard_run_steps(app::SettingsStore* settings) {
    RunSteps steps;
    // The BAT coefficient nodes stay loaded from run to run, as long as the steps live.
    auto coefficients = std::make_shared<BatCoefficients>();
    steps.load_bat_coefficients = [coefficients](RunContext& ctx) { coefficients->load(ctx); };
    steps.climate_bat = [coefficients](RunContext& ctx) {
        climate_bat(ctx, coefficients->nodes());
    };
    steps.climate_alongside = [coefficients](RunContext& ctx, const RunSteps& own) {
        return prepare_climate_alongside(ctx, own, coefficients->nodes());
    };
    steps.time_frame = time_frame;
    steps.input_quantities = input_quantities;
    steps.organic_inputs = organic_inputs;
    steps.soil_properties = [](RunContext& ctx) {
        MessageListObserver list(ctx.sim, ctx.observer);
        build_soil_prop(ctx.conn, soil_settings(ctx), list, ctx.dialogs);
    };
    steps.stand = stand_chain;
    steps.n_deposition = n_deposition_step;
    steps.humod = humod_chain;
    steps.salca = salca_chain;
    steps.humus_balance = huba_chain;
    steps.final_stage = [settings](RunContext& ctx, const std::string& method) {
        if (method == "TSM" || balance_method(method))
            return run_final_stage(ctx, method, settings);
        ctx.message(final_stage_missing(method));
        throw FinalStageMissing(final_stage_missing(method));
    };
    return steps;
}

} // namespace sim

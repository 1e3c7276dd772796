// climate_alongside.h --- the time frame, the soil properties and the yearly climate and BAT
// of a run built on a second connection while the run's own connection prepares the input
// quantities and the organic inputs.
#pragma once

#include "model/bat.h"
#include "sim/run_driver.h"

namespace sim {

// Prepares a run with the BAT recalculated as the steps input_quantities, time_frame,
// organic_inputs, soil_properties and climate_bat() one after the other do: the same
// tables, the same message lines and message boxes in the same order, the same exception.
// The time frame, the soil properties and the yearly climate and BAT read none of the
// tables of the input quantities and organic inputs: they are built at the same time, on a
// second connection into a scratch file beside the database, and copied into the database
// once both sides are done. Until the copy is done, the second connection also finds out
// what the final stage asks first (Simulator::run_preview).
// The indexes of climate_data are made first, where missing.
//
// When a step fails alongside, it and the steps after it run again on the run's connection,
// where they fail as in the sequence (or go on, when only the scratch file failed them).
//
// Returns false, having done nothing, when this is not possible: the BAT is not
// recalculated, a step is missing, the database is not a file or keeps no write-ahead
// journal, or the indexes of climate_data cannot be made.
bool prepare_climate_alongside(RunContext& ctx, const RunSteps& steps, const WmzTable& nodes);

} // namespace sim

// climate_alongside.h --- the plots' yearly climate and BAT built on a second connection
// while the run's own connection prepares the organic inputs.
#pragma once

#include "model/bat.h"
#include "sim/run_driver.h"

namespace sim {

// Prepares a run's organic inputs, soil properties and yearly climate and BAT (with the
// BAT recalculated) as the steps organic_inputs, soil_properties and climate_bat() one
// after the other do: the same tables, the same message lines and message boxes in the
// same order, the same exception. The yearly climate and BAT, which read none of the
// organic inputs' tables, are built at the same time as the organic inputs, on a second
// connection into a scratch file beside the database, and copied into the database once
// both are done; the soil properties they need are built first, their messages passed on
// after those of the organic inputs.
//
// When building them alongside fails for any reason, climate_bat() runs afterwards on the
// run's connection as in the sequence, so that a failure shows its message, message box
// and exception as there.
//
// Returns false, having done nothing, when this is not possible: the BAT is not
// recalculated, the database is not a file, or climate_data lacks its indexes (the
// first run on a database creates them).
bool prepare_climate_alongside(RunContext& ctx, const RunSteps& steps, const WmzTable& nodes);

} // namespace sim

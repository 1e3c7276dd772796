// run_steps.h --- the preparation steps that exist, plugged into a run.
#pragma once

#include "sim/run_driver.h"

namespace app {
class SettingsStore;
}

namespace sim {

// The run's steps as far as this version has them. A method whose final stage is not
// part of this version ends the run with a message saying so (the run then counts as
// not completed). `settings` is where the final stage notes the program version when the
// user keeps an outdated result table (null: nowhere).
RunSteps standard_run_steps(app::SettingsStore* settings = nullptr);

// The text of that message.
std::string final_stage_missing(const std::string& method);

// Thrown by the missing final stage: the preparation is done, no results were computed.
class FinalStageMissing : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace sim

// method_inputs_command.h --- tsm-batch method-inputs: prepares a database's input tables of
// the humus balance methods STAND, SALCA and HUMOD without user action.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* method_inputs_usage = "method-inputs DATABASE";

// Builds humod_nur, vb_st_gr, st_gruppe and (when missing, or for new plots) salca_ph_value
// of the database named by the second argument, printing a line per step and per plot left
// out. Throws std::invalid_argument with the usage line for wrong arguments, db::Error when
// a step fails (the steps before it stay done, each in its own transaction).
int run_method_inputs_command(const std::vector<std::string>& args, std::ostream& out);

} // namespace app

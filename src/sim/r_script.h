// r_script.h --- "run r-script": the external statistics program started on the script
// and result file named in the settings, reading the database through the ODBC source.
#pragma once

#include "sim/app_exec.h"
#include "sim/simulator.h"

#include <string>
#include <vector>

namespace sim {

// The arguments of the statistics program for the working directory dir, one per word:
// "CMD", "BATCH", "--slave", the script and the result file in dir.
std::vector<std::string> r_script_arguments(const Simulator& sim, const std::string& dir);

// Points the ODBC source at the database of the path field (a missing source is not
// reported), fills the process starter with the program and its argument list and starts
// the program without waiting. A failed start leaves the system's error code in
// exec.ResultCode and throws std::runtime_error naming the program and the reason.
void run_r_script(const Simulator& sim, TsrbAppExec& exec, const std::string& dir);

} // namespace sim

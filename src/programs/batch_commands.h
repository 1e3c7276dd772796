// batch_commands.h --- the console program's commands.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace app {

// A command that needs more than the core libraries (the reports need the window
// libraries for layout and charts): the program that has them hands it to run_batch.
using BatchCommand =
    std::function<int(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)>;
using BatchCommands = std::map<std::string, BatchCommand>;

// Runs the console program with its arguments (without the program name); returns
// the exit code. Messages go to out, failures to err. A command of the list that the
// program does not hand over says so and returns 1.
int run_batch(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err, const BatchCommands& program_commands = {});

// The commands the program hands to run_batch (batch_gui_commands.cpp in the build with
// windows, batch_console_commands.cpp without).
BatchCommands program_commands();

} // namespace app

// batch_commands.h --- the console program's commands.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace sim {
struct RunContext;
struct Simulator;
} // namespace sim

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

// What a start-up with a run changes for one shard of a split run: the settings are
// read from the user's store but changed in memory only, the run keeps only the shard's
// plots in its snapshot of the selection, and its assessment is partial.
struct ShardStart {
    std::string shard;                                      // "i/k"
    std::function<void(sim::RunContext&)> narrow_selection; // once the snapshot exists
    std::function<void(const sim::Simulator&)> finished;    // after the run, however it ended
};

// The start-up of the windowed program without windows (tsm-batch without a command):
// a summary of the database, or the run with "go" or "GO". Returns the exit code.
int start_up(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const ShardStart* shard = nullptr);

// The commands the program hands to run_batch (batch_gui_commands.cpp in the build with
// windows, batch_console_commands.cpp without).
BatchCommands program_commands();

} // namespace app

// batch_commands.h --- the console program's commands.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

// Runs the console program with its arguments (without the program name); returns
// the exit code. Messages go to out, failures to err.
int run_batch(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err);

} // namespace app

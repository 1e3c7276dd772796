// batch_run.h --- a tsm-batch command run inside the test process: its exit code and what
// it printed.
#pragma once

#include "programs/batch_commands.h"

#include <sstream>
#include <string>
#include <vector>

namespace test {

struct BatchRun {
    int code;
    std::string out, err;
};

// Runs the console command `args` with `input` as its standard input.
inline BatchRun batch(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = app::run_batch(args, in, out, err);
    return {code, out.str(), err.str()};
}

} // namespace test

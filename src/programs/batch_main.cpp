// tsm-batch: the workbench without windows, for scripts and unattended runs.
#include "programs/batch_commands.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return app::run_batch(args, std::cin, std::cout, std::cerr, app::program_commands());
}

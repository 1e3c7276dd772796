// batch_console_commands.cpp --- the build without windows hands no further commands to the
// console program.
#include "programs/batch_commands.h"

namespace app {

BatchCommands program_commands() {
    return {};
}

} // namespace app

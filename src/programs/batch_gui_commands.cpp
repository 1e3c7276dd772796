// batch_gui_commands.cpp --- the console commands that need the window libraries, in the
// build with windows: the reports.
#include "programs/batch_commands.h"
#include "programs/report_command.h"

namespace app {

BatchCommands program_commands() {
    return {{"report", run_report_command}};
}

} // namespace app

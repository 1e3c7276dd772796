// method_inputs_command.cpp --- tsm-batch method-inputs.
#include "programs/method_inputs_command.h"

#include "db/connection.h"
#include "params/method_inputs.h"

#include <ostream>
#include <stdexcept>

namespace app {

int run_method_inputs_command(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 2) throw std::invalid_argument(method_inputs_usage);
    db::Connection conn(args[1]);
    params::MethodMessages messages;
    try {
        params::prepare_method_inputs(conn, messages);
    } catch (...) {
        for (const std::string& line : messages) out << line << '\n';
        throw;
    }
    for (const std::string& line : messages) out << line << '\n';
    return 0;
}

} // namespace app

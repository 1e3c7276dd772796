#include "sim/r_script.h"

#include "app/odbc_source.h"

#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace sim {

std::vector<std::string> r_script_arguments(const Simulator& sim, const std::string& dir) {
    const auto in_dir = [&](const std::string& name) {
        return (std::filesystem::path(dir) / name).string();
    };
    return {"CMD", "BATCH", "--slave", in_dir(sim.r_script), in_dir(sim.r_result)};
}

void run_r_script(const Simulator& sim, TsrbAppExec& exec, const std::string& dir) {
    app::point_odbc_source_at(sim.path_field);
    exec.ApplicationName = sim.r_call;
    exec.CurrentDir = dir;
    exec.Parameters.clear();
    exec.Arguments = r_script_arguments(sim, dir);
    exec.Execute();
    if (exec.ResultCode > 0)
        throw std::runtime_error(
            "The statistics program '" + sim.r_call +
            "' (settings value r_call) could not be started: " + std::strerror(exec.ResultCode));
}

} // namespace sim

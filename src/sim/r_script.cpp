#include "sim/r_script.h"

#include "app/odbc_source.h"

#include <filesystem>

namespace sim {

std::string r_script_parameters(const Simulator& sim, const std::string& dir) {
    const auto in_dir = [&](const std::string& name) {
        return (std::filesystem::path(dir) / name).string();
    };
    return "CMD BATCH --slave " + in_dir(sim.r_script) + " " + in_dir(sim.r_result);
}

void run_r_script(const Simulator& sim, TsrbAppExec& exec, const std::string& dir) {
    app::point_odbc_source_at(sim.path_field);
    exec.ApplicationName = sim.r_call;
    exec.CurrentDir = dir;
    exec.Parameters = r_script_parameters(sim, dir);
    exec.Execute();
}

} // namespace sim

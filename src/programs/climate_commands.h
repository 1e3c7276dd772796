// climate_commands.h --- the console program's weather import and export
// (tsm-batch climate-import, tsm-batch climate-export).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* climate_import_usage =
    "climate-import DATABASE STATION_NAME FILE.csv [--replace]";
inline constexpr const char* climate_export_usage = "climate-export DATABASE STATION_NAME FILE.csv";

// Runs "climate-import" or "climate-export" (the first argument); returns the exit code.
// Wrong arguments throw std::invalid_argument with the command's usage line; a refused
// file or station throws climate::InputError; other failures their own errors.
int run_climate_command(const std::vector<std::string>& args, std::ostream& out);

} // namespace app

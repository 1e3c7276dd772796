// report_command.h --- the console's reports (tsm-batch report): a plot's site description,
// management list, result or SOM reproduction report as an A4 PDF file.
#pragma once

#include "stats/report.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* report_usage =
    "report DATABASE KIND FL_ID [--pdf FILE]   (KIND: site, management, carbon, nitrogen, "
    "microbial, reproduction)";

struct ReportCommand {
    std::string database;
    stats::ReportKind kind = stats::ReportKind::site;
    std::int64_t fl_id = 0;
    std::optional<std::filesystem::path> pdf;
};

// The command's arguments, beginning with "report". Throws std::invalid_argument with the
// usage line and the argument at fault.
ReportCommand parse_report_command(const std::vector<std::string>& args);

// Writes the report: into the file of --pdf, else <pdf_dir>/<FL_ID>_<KIND>.pdf (the settings
// value pdf_dir, else the working folder), replacing a file of that name. Prints the file's
// path and returns 0; prints the message and returns 1 on a failure (no such database or
// plot, "no results for FL_ID n"), writing no file then. Makes the application object the
// layout needs when there is none (on the offscreen platform without a display).
int run_report_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace app

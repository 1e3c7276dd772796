// report.h --- the content of a printed report as plain text: title, the plot it is about,
// labelled facts, text lines, one table with its header row and the data of one chart.
// The windows lay it out for preview, printing and PDF; tests read it without them.
#pragma once

#include "db/value.h"
#include "stats/stat_view.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace stats {

// The reports of a plot: site description, management list, the result reports of organic
// carbon, total nitrogen and microbial biomass, and the SOM reproduction report.
enum class ReportKind { site, management, carbon, nitrogen, microbial, reproduction };

// The kind's name on the command line and in file names ("site", "management", "carbon",
// "nitrogen", "microbial", "reproduction").
std::string kind_name(ReportKind kind);
// Nothing when the text names no kind.
std::optional<ReportKind> parse_kind(const std::string& name);
// Every kind, in the order above.
const std::vector<ReportKind>& all_kinds();

// A report of a plot that has nothing to report ("no results for FL_ID 101").
class NoResults : public std::runtime_error {
public:
    explicit NoResults(std::int64_t fl_id);
};

// One line of labelled values under a heading ("TEXTURE:" with "clay:" "21", ...).
struct FactLine {
    std::string heading;
    std::vector<std::pair<std::string, std::string>> values; // label (may be empty), value
};

// A table of text cells; the header row repeats on every page.
struct ReportTable {
    std::string caption; // printed above the table ("References:"); may be empty
    std::vector<std::string> headers;
    std::vector<bool> numeric; // per column: right-aligned
    std::vector<int> widths;   // per column: percent of the page's width; empty: by content
    std::vector<std::vector<std::string>> rows;
};

// The data of the report's chart, drawn by the workbench's chart code.
struct ReportChart {
    enum class Kind {
        comparison,   // simulated line, observed circles, outlier triangles over the years
        reproduction, // the yearly reproduction index (in simulated) with its mean as a level
    };
    Kind kind = Kind::comparison;
    StatChart series;
    std::string x_title = "year", y_title;
    double level = 0; // reproduction: the mean index
};

struct Report {
    ReportKind kind = ReportKind::site;
    std::int64_t fl_id = 0;
    std::string title;     // "site-description", "Bewirtschaftung", "C-Dynamics", ...
    std::string plot_line; // the plot for the page header: "FL_ID=101  Location - site"
    std::vector<FactLine> facts;
    std::vector<std::string> text_lines; // the statistics lines of a result report
    std::optional<ReportChart> chart;
    ReportTable table;
};

// The report's file: <FL_ID>_<kind>.pdf in pdf_dir, in the working folder when pdf_dir is
// empty.
std::filesystem::path report_file(const std::string& pdf_dir, std::int64_t fl_id, ReportKind kind);

// A number as a report prints it: rounded to `decimals` places, without trailing zeros
// unless `fixed`; "" for Null and for the missing-value markers (-99, -99.9, -99.99, ...); a
// text as it is.
std::string report_number(const db::Value& v, int decimals = 4, bool fixed = false);

// Whether a value is one of the missing-value markers -99 ... -99.99999.
bool missing_marker(double v);

} // namespace stats

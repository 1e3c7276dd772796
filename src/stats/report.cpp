// report.cpp --- report kinds, file names and the numbers of a report.
#include "stats/report.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace stats {

namespace {

struct KindName {
    ReportKind kind;
    const char* name;
};

constexpr KindName kind_names[] = {
    {ReportKind::site, "site"},           {ReportKind::management, "management"},
    {ReportKind::carbon, "carbon"},       {ReportKind::nitrogen, "nitrogen"},
    {ReportKind::microbial, "microbial"}, {ReportKind::reproduction, "reproduction"},
};

} // namespace

std::string kind_name(ReportKind kind) {
    for (const KindName& k : kind_names)
        if (k.kind == kind) return k.name;
    return "report";
}

std::optional<ReportKind> parse_kind(const std::string& name) {
    for (const KindName& k : kind_names)
        if (name == k.name) return k.kind;
    return std::nullopt;
}

const std::vector<ReportKind>& all_kinds() {
    static const std::vector<ReportKind> kinds = [] {
        std::vector<ReportKind> v;
        for (const KindName& k : kind_names) v.push_back(k.kind);
        return v;
    }();
    return kinds;
}

NoResults::NoResults(std::int64_t fl_id)
    : std::runtime_error("no results for FL_ID " + std::to_string(fl_id)) {}

std::filesystem::path report_file(const std::string& pdf_dir, std::int64_t fl_id, ReportKind kind) {
    const std::string name = std::to_string(fl_id) + "_" + kind_name(kind) + ".pdf";
    if (pdf_dir.empty()) return std::filesystem::current_path() / name;
    return std::filesystem::path(pdf_dir) / name;
}

bool missing_marker(double v) {
    return v <= -99 && v > -100;
}

std::string report_number(const db::Value& v, int decimals, bool fixed) {
    if (v.is_null()) return "";
    if (v.is_text()) return v.as_text();
    const double d = v.as_double();
    if (missing_marker(d) || !std::isfinite(d)) return "";
    char buffer[400];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::fixed,
                                   std::clamp(decimals, 0, 10))
                         .ptr; // "." whatever the locale
    std::string s(buffer, end);
    if (!fixed && s.find('.') != std::string::npos) {
        s.erase(s.find_last_not_of('0') + 1);
        if (s.back() == '.') s.pop_back();
    }
    if (s == "-0") s = "0";
    return s;
}

} // namespace stats

// shard.cpp --- the plots of one shard of a run.
#include "sim/shard.h"

#include "db/connection.h"
#include "db/statement.h"

#include <charconv>
#include <stdexcept>
#include <unordered_set>

namespace sim {
namespace {

bool whole_number(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && last == end;
}

} // namespace

std::string Shard::text() const {
    return std::to_string(index) + "/" + std::to_string(count);
}

Shard parse_shard(const std::string& text) {
    const auto slash = text.find('/');
    Shard s;
    const std::string_view all(text);
    if (slash == std::string::npos || !whole_number(all.substr(0, slash), s.index) ||
        !whole_number(all.substr(slash + 1), s.count) || s.count < 1 || s.index < 1 ||
        s.index > s.count)
        throw std::invalid_argument("--shard " + text +
                                    ": give the shard as i/k with whole numbers 1 <= i <= k");
    return s;
}

std::vector<int> selected_plots(db::Connection& conn) {
    std::vector<int> plots;
    db::Statement st = conn.prepare_native(
        "SELECT DISTINCT FL_ID FROM site_state WHERE status = 1 AND FL_ID IS NOT NULL "
        "ORDER BY FL_ID");
    while (st.step()) plots.push_back(static_cast<int>(st.column(0).as_int()));
    return plots;
}

std::vector<int> shard_plots(const std::vector<int>& selected, const Shard& shard) {
    std::vector<int> plots;
    for (std::size_t i = static_cast<std::size_t>(shard.index - 1); i < selected.size();
         i += static_cast<std::size_t>(shard.count))
        plots.push_back(selected[i]);
    return plots;
}

std::string partial_assessment_line(const std::string& shard) {
    return " partial assessment: shard " + shard +
           " of the selected plots; merge the shards for the assessment of the run";
}

std::string run_report_file_name(const std::string& shard) {
    if (shard.empty()) return "tsm_report.txt";
    std::string name = shard;
    name.replace(name.find('/'), 1, "_of_");
    return "tsm_report_shard_" + name + ".txt";
}

std::vector<int> keep_shard_selection(db::Connection& conn, const Shard& shard) {
    if (!conn.prepare_native("SELECT 1 FROM temp.sqlite_master WHERE name = 'site_state'").step())
        throw std::logic_error("a shard narrows only the run's snapshot of the selection");
    const std::vector<int> selected = selected_plots(conn);
    const std::vector<int> mine = shard_plots(selected, shard);
    const std::unordered_set<int> kept(mine.begin(), mine.end());
    db::Transaction all_at_once(conn, true);
    db::Statement drop =
        conn.prepare_native("UPDATE temp.site_state SET status = 0 WHERE FL_ID = ?");
    for (int plot : selected) {
        if (kept.count(plot)) continue;
        drop.execute({plot});
    }
    all_at_once.commit();
    return mine;
}

void use_as_scratch_copy(db::Connection& conn) {
    conn.execute_native("PRAGMA synchronous=OFF");
    // Leaving the write-ahead log needs the only connection to the copy; with another one
    // open the mode stays as it is, which is as correct and only slower.
    conn.prepare_native("PRAGMA journal_mode=MEMORY").step();
}

} // namespace sim

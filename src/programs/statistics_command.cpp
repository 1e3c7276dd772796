// statistics_command.cpp --- tsm-batch statistics.
#include "programs/statistics_command.h"

#include "db/connection.h"
#include "db/text.h"
#include "stats/stat_view.h"
#include "stats/statistics_update.h"

#include <array>
#include <ostream>
#include <stdexcept>

namespace app {
namespace {

const std::array<const char*, 3> phase_captions{"all records", "early years", "late years"};

const char* phase_caption(stats::Phase phase) {
    return phase_captions[static_cast<std::size_t>(phase)];
}

} // namespace

stats::Phase parse_statistics_phase(const std::string& word) {
    const std::string given = db::trim(word);
    for (std::size_t i = 0; i < phase_captions.size(); ++i) {
        const std::string caption = phase_captions[i];
        if (given == std::to_string(i) || db::iequals(given, caption) ||
            db::iequals(given, caption.substr(0, caption.find(' '))))
            return static_cast<stats::Phase>(i);
    }
    throw std::invalid_argument(std::string(statistics_usage) + ": '" + word + "' is not a phase");
}

int run_statistics_command(const std::vector<std::string>& args,
                           const std::function<void(db::Dataset&)>& print, std::ostream& out) {
    if (args.size() < 2 || args.size() > 3) throw std::invalid_argument(statistics_usage);
    const stats::Phase phase =
        args.size() == 3 ? parse_statistics_phase(args[2]) : stats::Phase::all_records;
    db::Connection c(args[1]);
    stats::StatViews views;
    const int plots = stats::update_statistics(c, phase, views, stats::EvaluationOptions{});
    out << plots << " plots with results evaluated (" << phase_caption(phase) << ")\n";
    for (const char* table : {stats::corg_table, stats::nt_table, stats::mbmc_table}) {
        if (!c.has_table(table)) continue;
        out << '\n' << table << '\n';
        db::Dataset rows =
            c.open(std::string("select * from ") + table + " where n > 0 order by FL_ID");
        print(rows);
    }
    return 0;
}

} // namespace app

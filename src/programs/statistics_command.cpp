// statistics_command.cpp --- tsm-batch statistics.
#include "programs/statistics_command.h"

#include "db/connection.h"
#include "db/text.h"
#include "stats/stat_view.h"
#include "stats/statistics_update.h"

#include <ostream>
#include <stdexcept>

namespace app {
namespace {

constexpr int phase_count = 3;

} // namespace

stats::Phase parse_statistics_phase(const std::string& word) {
    const std::string given = db::trim(word);
    for (int i = 0; i < phase_count; ++i) {
        const std::string caption = stats::phase_caption(static_cast<stats::Phase>(i));
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
    out << plots << " plots with results evaluated (" << stats::phase_caption(phase) << ")\n";
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

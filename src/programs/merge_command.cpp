// merge_command.cpp --- merge and assess from the console.
#include "programs/merge_command.h"

#include "db/connection.h"
#include "sim/result_tables.h"
#include "sim/shard.h"
#include "sim/shard_merge.h"

#include <filesystem>
#include <ostream>
#include <stdexcept>

namespace app {

int run_merge_command(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() < 3) throw std::invalid_argument(merge_usage);
    db::Connection conn(args[1]);
    const std::vector<std::filesystem::path> shards(args.begin() + 2, args.end());
    const sim::MergeOutcome merged = sim::merge_shards(conn, shards);
    for (const std::string& line : merged.report) out << line << '\n';
    sim::write_run_report(std::filesystem::current_path() / sim::run_report_file_name(""),
                          merged.report);
    return 0;
}

int run_assess_command(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 2) throw std::invalid_argument(assess_usage);
    db::Connection conn(args[1]);
    for (const std::string& line : sim::assessment_report(conn)) out << line << '\n';
    return 0;
}

} // namespace app

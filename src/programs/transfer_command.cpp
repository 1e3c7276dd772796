// transfer_command.cpp --- arguments and run of tsm-batch transfer.
#include "programs/transfer_command.h"

#include "db/connection.h"
#include "db/value.h"
#include "transfer/attached_source.h"
#include "transfer/destination.h"
#include "transfer/key_check.h"
#include "transfer/plot_transfer.h"

#include <cmath>
#include <ostream>
#include <stdexcept>

namespace app {
namespace {

[[noreturn]] void bad_argument(const std::string& why) {
    throw std::invalid_argument(std::string(transfer_usage) + "\n  " + why);
}

// "crops missing in the destination: 10 potatoes, 12 rye" or nothing.
std::string missing_items(const std::vector<transfer::KeyItem>& items, const std::string& what) {
    std::string list;
    for (const transfer::KeyItem& i : items)
        if (i.missing())
            list += (list.empty() ? "" : ", ") + std::to_string(i.key) +
                    (i.source_name.empty() ? "" : " " + i.source_name);
    return list.empty() ? "" : "; " + what + " missing in the destination: " + list;
}

void print_key_checks(db::Connection& destination, const TransferCommand& command,
                      std::ostream& out) {
    transfer::AttachedSource attached(destination, command.source);
    db::Statement in_source =
        destination.prepare_native("SELECT 1 FROM src.field_description WHERE FL_ID = ?");
    for (std::int64_t plot : command.plots) {
        in_source.reset();
        in_source.bind(1, plot);
        if (!in_source.step()) continue; // reported with the plots
        const transfer::KeyCheck check = transfer::check_key_items(destination, plot);
        const std::string missing =
            missing_items(check.crops, "crops") + missing_items(check.amendments, "amendments");
        out << "key check FL_ID " << plot << ": "
            << (missing.empty() ? "every crop and amendment is in the destination"
                                : missing.substr(2) + " (copied with the plot)")
            << '\n';
    }
}

} // namespace

TransferCommand parse_transfer_command(const std::vector<std::string>& a) {
    if (a.size() < 3) bad_argument("the source and the destination database are needed");
    TransferCommand cmd;
    cmd.source = a[1];
    cmd.destination = a[2];
    for (std::size_t i = 3; i < a.size(); ++i) {
        if (a[i] == "--no-key-check") {
            cmd.key_check = false;
            continue;
        }
        const auto v = db::parse_number(a[i]);
        if (!v || *v != std::floor(*v) || std::fabs(*v) > 9e15)
            bad_argument("\"" + a[i] + "\" is no plot key (FL_ID)");
        cmd.plots.push_back(static_cast<std::int64_t>(*v));
    }
    if (cmd.plots.empty()) bad_argument("no plot (FL_ID) given");
    return cmd;
}

int run_transfer_command(const TransferCommand& command, std::ostream& out) {
    if (!std::filesystem::is_regular_file(command.source))
        throw std::runtime_error("The source database " + command.source + " does not exist.");
    transfer::Destination dest = transfer::open_destination(command.source, command.destination);
    out << "Backup of " << command.destination << ": " << dest.backup.string() << '\n';
    if (command.key_check) print_key_checks(dest.connection, command, out);
    const transfer::TransferReport report =
        transfer::transfer_plots(dest.connection, command.source, command.plots);
    std::size_t arrived = 0;
    for (const transfer::PlotOutcome& p : report.plots) {
        out << transfer::outcome_line(p) << '\n';
        arrived += p.arrived();
    }
    for (const std::string& note : report.notes) out << "note: " << note << '\n';
    out << arrived << " of " << report.plots.size() << " plots are in " << command.destination
        << (report.all_arrived() ? "" : "; the others were not moved") << '\n';
    return report.all_arrived() ? 0 : 1;
}

} // namespace app

// transfer_command.h --- the console program's transfer of plots into another experiment
// database (tsm-batch transfer).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* transfer_usage = "transfer SOURCE DEST FL_ID... [--no-key-check]";

struct TransferCommand {
    std::string source;
    std::string destination;
    std::vector<std::int64_t> plots;
    bool key_check = true; // list each plot's crops and amendments missing in DEST first
};

// The command's arguments, beginning with "transfer". Throws std::invalid_argument with
// the usage line and the argument at fault.
TransferCommand parse_transfer_command(const std::vector<std::string>& args);

// Backs DEST up, moves the plots and prints the key checks, one line per plot and a
// summary. Returns 0 when every plot arrived whole, 1 otherwise. Failures throw and
// leave DEST as it was.
int run_transfer_command(const TransferCommand& command, std::ostream& out);

} // namespace app

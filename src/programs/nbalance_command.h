// nbalance_command.h --- the console program's field N balance (tsm-batch nbalance).
#pragma once

#include "nbal/n_balance.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace db {
class Dataset;
}

namespace app {

inline constexpr const char* nbalance_usage =
    "nbalance DATABASE [FL_ID|*] [--observed-uptake] [--years Y0 Y1] [--fertiliser D0 D1] "
    "[--xlsx FILE]";

struct NBalanceCommand {
    std::string database;
    nbal::NBalanceOptions options; // the regional mode is the database's
    std::optional<std::string> xlsx;
};

// The command's arguments, beginning with "nbalance". Throws std::invalid_argument with
// the usage line and the argument at fault.
NBalanceCommand parse_nbalance_command(const std::vector<std::string>& args);

// Computes the balance, hands nmin_saldo to `print`, and writes it into the workbook when
// one is asked for. The parameter faults the balance worked around go to `warnings`.
// Failures throw (db::Error naming the step and statement, std::runtime_error the file).
void run_nbalance_command(const NBalanceCommand& command,
                          const std::function<void(db::Dataset&)>& print, std::ostream& warnings);

} // namespace app

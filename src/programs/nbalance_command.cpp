// nbalance_command.cpp --- arguments and run of tsm-batch nbalance.
#include "programs/nbalance_command.h"

#include "app/xlsx_export.h"
#include "db/connection.h"
#include "db/value.h"

#include <cmath>
#include <ostream>
#include <stdexcept>

namespace app {
namespace {

[[noreturn]] void bad_argument(const std::string& why) {
    throw std::invalid_argument(std::string(nbalance_usage) + "\n  " + why);
}

double number_argument(const std::vector<std::string>& a, std::size_t i, const std::string& opt) {
    if (i >= a.size()) bad_argument(opt + " needs two numbers");
    const auto v = db::parse_number(a[i]);
    if (!v || !std::isfinite(*v)) bad_argument(opt + ": \"" + a[i] + "\" is not a number");
    return *v;
}

int year_argument(const std::vector<std::string>& a, std::size_t i) {
    const double y = number_argument(a, i, "--years");
    if (y != std::floor(y) || std::fabs(y) > 1e6)
        bad_argument("--years: \"" + a[i] + "\" is not a year");
    return static_cast<int>(y);
}

} // namespace

NBalanceCommand parse_nbalance_command(const std::vector<std::string>& a) {
    if (a.size() < 2) bad_argument("the database is missing");
    NBalanceCommand cmd;
    cmd.database = a[1];
    bool plot_given = false;
    for (std::size_t i = 2; i < a.size(); ++i) {
        const std::string& arg = a[i];
        if (arg == "--observed-uptake") {
            cmd.options.observed_uptake = true;
        } else if (arg == "--years") {
            cmd.options.year_from = year_argument(a, ++i);
            cmd.options.year_to = year_argument(a, ++i);
        } else if (arg == "--fertiliser") {
            cmd.options.fertiliser_from = number_argument(a, ++i, arg);
            cmd.options.fertiliser_to = number_argument(a, ++i, arg);
        } else if (arg == "--xlsx") {
            if (++i >= a.size()) bad_argument("--xlsx needs a file name");
            cmd.xlsx = a[i];
        } else if (!plot_given && arg.rfind("--", 0) != 0) {
            try {
                cmd.options.plot = nbal::parse_plot_field(arg);
            } catch (const std::invalid_argument& e) {
                bad_argument(e.what());
            }
            plot_given = true;
        } else {
            bad_argument("unknown argument \"" + arg + "\"");
        }
    }
    return cmd;
}

void run_nbalance_command(const NBalanceCommand& command,
                          const std::function<void(db::Dataset&)>& print, std::ostream& warnings) {
    db::Connection conn(command.database);
    nbal::NBalanceOptions options = command.options;
    options.regional = nbal::regional_database(conn);
    const nbal::NBalanceResult result = nbal::run_n_balance(conn, options);
    for (const std::string& w : result.warnings) warnings << "tsm-batch: " << w << '\n';
    db::Dataset rows = conn.open("SELECT * from NMIN_SALDO");
    print(rows);
    if (command.xlsx) write_xlsx(*command.xlsx, rows);
}

} // namespace app

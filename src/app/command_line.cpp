// command_line.cpp --- the launcher's and the simulator's command-line rules.
#include "app/command_line.h"

#include "db/text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace app {

namespace {

bool starts_with(const std::string& arg, std::string_view prefix) {
    return arg.rfind(prefix, 0) == 0;
}

bool starts_with_any_case(const std::string& arg, std::string_view prefix) {
    return arg.size() >= prefix.size() && db::iequals(arg.substr(0, prefix.size()), prefix);
}

// Up to count characters from the zero-based position from; "" past the end.
std::string part(const std::string& arg, std::size_t from, std::size_t count) {
    return from < arg.size() ? arg.substr(from, count) : std::string();
}

int whole_number(const std::string& arg, const std::string& digits) {
    std::size_t i = (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) ? 1 : 0;
    const bool ok = i < digits.size() && std::all_of(digits.begin() + i, digits.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    int value = 0;
    const char* first = digits.data() + (digits[0] == '+' ? 1 : 0);
    if (!ok || std::from_chars(first, digits.data() + digits.size(), value).ec != std::errc())
        throw CommandLineError(arg + ": '" + digits + "' is not a whole number");
    return value;
}

// A number of the command line that lies outside what it may be.
int within(const std::string& arg, int value, int low, int high, const std::string& what) {
    if (value < low || value > high)
        throw CommandLineError(arg + ": " + what + " lies outside " + std::to_string(low) + " to " +
                               std::to_string(high));
    return value;
}

// "SQL=", "PPQ=", "POQ=": the three letters in any case, then "=".
bool is_file_rule(const std::string& arg, std::string_view name) {
    return arg.size() >= 4 && arg[3] == '=' && starts_with_any_case(arg, name);
}

std::string without_spaces(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

const std::array<std::pair<const char*, const char*>, 8> method_codes{{{"LUF", "LUFA"},
                                                                       {"TSM", "TSM"},
                                                                       {"STA", "STAND"},
                                                                       {"SAL", "SALCA"},
                                                                       {"HUM", "HUMOD"},
                                                                       {"HHE", "HUBAHE"},
                                                                       {"HUG", "HUBAUG"},
                                                                       {"HOG", "HUBAOG"}}};

} // namespace

void apply_database_rule(const std::vector<std::string>& args, std::string& database,
                         Dialogs& dialogs, const FileExists& file_exists) {
    for (const std::string& arg : args) {
        if (!starts_with(arg, "DB=")) continue;
        database = arg.substr(3);
        if (!file_exists(database)) {
            dialogs.show_error("DB error", "database not found, will try to use last DB");
            database = "?";
        }
    }
}

std::optional<std::string> named_database(const std::vector<std::string>& args) {
    std::optional<std::string> named;
    for (const std::string& arg : args)
        if (starts_with(arg, "DB=")) named = arg.substr(3);
    return named;
}

LauncherCommands parse_launcher_args(const std::vector<std::string>& args) {
    LauncherCommands c;
    std::string method; // chosen so far in this activation
    for (const std::string& arg : args) {
        if (starts_with_any_case(arg, "ORV")) c.modus = "ORV";
        if (starts_with_any_case(arg, "REGIO")) c.regional = true;
        if (starts_with(arg, "S+")) c.save_som_state = true;
        if (starts_with(arg, "S-")) c.save_som_state = false;
        if (starts_with(arg, "M=")) {
            c.modus = "KORVEX";
            c.restricted = true;
            const std::string code = part(arg, 2, 3);
            for (const auto& [given, name] : method_codes)
                if (code == given) method = name;
            c.method_field = method;
        }
        if (arg == "go") c.go = true;
    }
    return c;
}

SimulatorStart parse_simulator_args(const std::vector<std::string>& args,
                                    const FileExists& file_exists) {
    SimulatorStart s;
    for (const std::string& arg : args) {
        if (starts_with(arg, "ERR_P")) {
            s.sim_prot = true;
            s.run_id = arg.size() > 6 ? whole_number(arg, part(arg, 6, 6)) : -99;
        }
        if (db::iequals(arg, "GO")) s.auto_mode = true;
        if (starts_with_any_case(arg, "BAT")) s.recalc_bat = part(arg, 4, 1) == "1";
        if (arg == "new_bat") s.simple_version = false;
        if (starts_with(arg, "M=")) s.methode = without_spaces(part(arg, 2, 6));
        if (starts_with_any_case(arg, "RC="))
            s.z_cnt = within(arg, whole_number(arg, part(arg, 3, 4)), 0, 9999,
                             "the number of repetitions");
        if (starts_with_any_case(arg, "TC="))
            s.z_anf =
                within(arg, whole_number(arg, part(arg, 3, 4)), 0, 9999, "the scenario start year");
        if (starts_with(arg, "SC=")) s.soil_scheme = part(arg, 3, 3);
        if (starts_with(arg, "I="))
            s.interpol = within(arg, whole_number(arg, part(arg, 2, 2)), -1, 1,
                                "the silt rule (-1 min, 0 mean, 1 max)");
        if (db::iequals(arg, "nw")) s.nowait = true;
        if (is_file_rule(arg, "SQL")) s.pre_proc_query = arg.substr(4);
        if (is_file_rule(arg, "PPQ"))
            s.pre_proc_query = file_exists(arg.substr(4)) ? arg.substr(4) : "?";
        if (is_file_rule(arg, "POQ")) {
            if (file_exists(arg.substr(4))) {
                s.pst_proc_query = arg.substr(4);
                s.post_processing = true;
            } else {
                s.pst_proc_query = "?";
                s.post_processing = false; // never run the file "?"
            }
        }
        if (starts_with(arg, "UNCAS")) s.uncas_mode = true;
        if (starts_with(arg, "ID=")) s.sel_id = std::to_string(whole_number(arg, arg.substr(3)));
        if (is_threads_argument(arg)) s.threads = whole_number(arg, arg.substr(8));
        if (arg == "!") s.nowait = true;
    }
    return s;
}

bool is_startup_parameter(const std::string& arg) {
    static const std::array<const char*, 9> exact_prefixes{"DB=", "S+", "S-",  "M=",   "ERR_P",
                                                           "SC=", "I=", "ID=", "UNCAS"};
    static const std::array<const char*, 6> prefixes_any_case{"ORV", "REGIO", "BAT",
                                                              "RC=", "TC=",   "THREADS="};
    static const std::array<const char*, 3> file_rules{"SQL", "PPQ", "POQ"};
    const auto matches = [&](const auto& list, auto test) {
        return std::any_of(list.begin(), list.end(), [&](const char* p) { return test(arg, p); });
    };
    return arg == "go" || arg == "new_bat" || arg == "!" || db::iequals(arg, "GO") ||
           db::iequals(arg, "nw") || matches(exact_prefixes, starts_with) ||
           matches(prefixes_any_case, starts_with_any_case) || matches(file_rules, is_file_rule);
}

bool is_threads_argument(const std::string& arg) {
    return starts_with_any_case(arg, "THREADS=");
}

} // namespace app

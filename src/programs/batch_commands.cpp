#include "programs/batch_commands.h"

#include "app/command_line.h"
#include "app/console_dialogs.h"
#include "app/launcher.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/new_database.h"
#include "db/statement_file.h"
#include "db/text.h"
#include "programs/climate_commands.h"
#include "programs/entry_command.h"
#include "programs/import_command.h"
#include "programs/merge_command.h"
#include "programs/method_inputs_command.h"
#include "programs/nbalance_command.h"
#include "programs/shard_command.h"
#include "programs/statistics_command.h"
#include "programs/transfer_command.h"
#include "sim/run_observer.h"
#include "sim/run_steps.h"
#include "sim/simulator.h"
#include "stats/outlier_indication.h"
#include "workbench/entry_checks.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>

namespace app {
namespace {

const char* const usage =
    "usage: tsm-batch [PARAMETER ...]   start as the windowed program does, without windows\n"
    "       tsm-batch COMMAND ...\n"
    "\n"
    "Without a command, tsm-batch takes the command line of tsm (DB=file, ORV, REGIO,\n"
    "S+, S-, M=code, go, and the simulator's GO, RC=, TC=, SQL=, PPQ=, POQ=, ID=, ...),\n"
    "reads tsm.ini beside the program and the settings store (TSM_SETTINGS=file.ini\n"
    "replaces the user's store), opens and adapts the experiment database and prints\n"
    "a summary of it. With go or GO it runs the simulation and prints its messages.\n"
    "Message boxes are printed to standard error; questions are answered No, file\n"
    "choices and the connection-string editor are cancelled.\n"
    "\n"
    "Commands:\n"
    "  new DATABASE [--demo]   create a new experiment database from the template\n"
    "                          (with --demo: with the demo experiments); an existing\n"
    "                          file is never overwritten\n"
    "  sql DATABASE FILE       run a statement file (FILE '-' reads standard input) in\n"
    "                          one transaction: lines beginning with '#' or \"'\" are\n"
    "                          comments, a line 'go' ends a statement, a failing DROP\n"
    "                          statement is listed and skipped, any other failure rolls\n"
    "                          the whole file back; the rows of the last query are\n"
    "                          printed as tab-separated text with a header line\n"
    "  summary DATABASE        experiments, plots, years and measurements of a database\n"
    "  outliers DATABASE       mark the single outliers of every plot and property by\n"
    "                          Grubbs' test (weight 0, listed in tmp_outlist)\n"
    "  nbalance DATABASE [FL_ID|*] [--observed-uptake] [--years Y0 Y1]\n"
    "           [--fertiliser D0 D1] [--xlsx FILE]\n"
    "                          field N balance of the simulated plots (all: '*'); prints\n"
    "                          nmin_saldo (with --xlsx also into a workbook)\n"
    "  event DATABASE FL_ID DATE ACTION ITEM_IX AMOUNT [--share PERCENT]\n"
    "  measurement DATABASE FL_ID DATE PROPERTY VALUE [--variance V] [--initial]\n"
    "                          enter a management event or a measurement of a plot as\n"
    "                          the workbench's forms do (DATE 15.04.2021 or 2021-04-15,\n"
    "                          numbers with ',' or '.'); prints the new row's key\n"
    "  report DATABASE KIND FL_ID [--pdf FILE]\n"
    "                          a plot's report as an A4 PDF file, KIND one of site,\n"
    "                          management, carbon, nitrogen, microbial, reproduction;\n"
    "                          without --pdf the file is <pdf_dir>/<FL_ID>_<KIND>.pdf\n"
    "                          (settings value pdf_dir, else the working folder); an\n"
    "                          existing file is replaced; prints the file's path\n"
    "  method-inputs DATABASE  build the input tables of STAND, SALCA and HUMOD\n"
    "                          (humod_nur, vb_st_gr, st_gruppe, salca_ph_value)\n"
    "  climate-import DATABASE STATION_NAME FILE.csv [--replace]\n"
    "                          weather of a station (created when missing) from a CSV\n"
    "                          file with the columns year, temperature, precipitation\n"
    "                          (day, month optional); a bad line refuses the file; years\n"
    "                          the station has are replaced only with --replace\n"
    "  climate-export DATABASE STATION_NAME FILE.csv\n"
    "                          weather of a station into a CSV file\n"
    "  transfer SOURCE DEST FL_ID... [--no-key-check]\n"
    "                          move plots with their experiment, soil, station, weather,\n"
    "                          management and measurements into DEST (backed up first) in\n"
    "                          one transaction; a taken FL_ID gets the next free one, crop\n"
    "                          and amendment rows DEST lacks come along (listed first unless\n"
    "                          --no-key-check); exit 0 when every plot arrived whole\n"
    "  import SOURCE NEW.db    a new experiment database from an Access database (.mdb,\n"
    "                          .accdb) or an SQLite experiment database of an older\n"
    "                          layout: the schema's tables get the source's rows, other\n"
    "                          tables and columns are copied as they are, then the\n"
    "                          data model is adapted; prints per table the rows read and\n"
    "                          written and the columns left out; a row that cannot be\n"
    "                          converted is named and leaves no new file\n"
    "  DB=DATABASE go --shard i/k [--out FILE] [PARAMETER ...]\n"
    "                          run the i-th of every k selected plots (FL_ID order) without\n"
    "                          writing the selection or the settings; with --out the\n"
    "                          database is only read (the run works on a private copy in\n"
    "                          $TMPDIR) and FILE gets the shard's results for merge\n"
    "  merge DATABASE SHARD... put the shards' results into the database they were run\n"
    "                          from, in one transaction, as one run over all selected\n"
    "                          plots leaves them; then the assessment, tsm_report.txt and,\n"
    "                          with ERR_P, the protocol row; refused unless the shards come\n"
    "                          from this database unchanged, with the same parameters, and\n"
    "                          their plots are disjoint and cover the selection\n"
    "  assess DATABASE         the assessment of the selected plots' results against the\n"
    "                          measurements\n"
    "  statistics DATABASE [PHASE]\n"
    "                          Update-Statistics: rebuilds tsm_stat_corg and tsm_stat_nt and\n"
    "                          stores the goodness of fit of every plot with results for\n"
    "                          PHASE (\"all records\" (default), \"early years\", \"late\n"
    "                          years\"; also all, early, late or 0, 1, 2) in one transaction;\n"
    "                          prints the stored rows\n";

// Wrong arguments of a command: the command's usage line is shown.
struct UsageError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

void print_rows(db::Dataset& d, std::ostream& out) {
    for (int i = 0; i < d.field_count(); ++i)
        out << (i ? "\t" : "") << d.field_names()[static_cast<std::size_t>(i)];
    out << '\n';
    for (d.first(); !d.eof(); d.next()) {
        for (int i = 0; i < d.field_count(); ++i) out << (i ? "\t" : "") << d.field(i).as_text();
        out << '\n';
    }
}

int command_statistics(const std::vector<std::string>& a, std::ostream& out) {
    const auto print = [&](db::Dataset& rows) { print_rows(rows, out); };
    try {
        return run_statistics_command(a, print, out);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
}

int command_new(const std::vector<std::string>& a, std::ostream& out) {
    if (a.size() < 2 || a.size() > 3 || (a.size() == 3 && a[2] != "--demo"))
        throw UsageError("new DATABASE [--demo]");
    db::create_experiment_database(a[1], a.size() == 3);
    out << "Created " << (a.size() == 3 ? "demo" : "new") << " experiment database " << a[1]
        << '\n';
    return 0;
}

int command_sql(const std::vector<std::string>& a, std::istream& in, std::ostream& out,
                std::ostream& err) {
    if (a.size() != 3) throw UsageError("sql DATABASE FILE");
    std::stringstream script;
    if (a[2] == "-") {
        script << in.rdbuf();
    } else {
        std::error_code ec;
        if (std::filesystem::is_directory(a[2], ec))
            throw db::Error("The statement file '" + a[2] + "' is a folder, not a file.");
        std::ifstream f(a[2]);
        if (!f) throw db::Error("The statement file '" + a[2] + "' cannot be read.");
        script << f.rdbuf();
    }
    db::Connection c(a[1]);
    db::StatementScript runner(c);
    db::ScriptResult result = runner.run(script.str());
    for (const db::IgnoredFailure& f : result.ignored)
        err << "tsm-batch: line " << f.line << ": failure ignored: " << f.message << '\n';
    if (result.rows) print_rows(*result.rows, out);
    return 0;
}

void print_summary(db::Connection& c, const std::string& name, std::ostream& out) {
    out << "Experiment database " << name << "\n"
        << "  experiments:  " << c.scalar("select count(*) from experiments").as_text() << "\n"
        << "  plots:        " << c.scalar("select count(*) from field_description").as_text()
        << "\n"
        << "  soils:        " << c.scalar("select count(*) from soilproperties").as_text() << "\n"
        << "  stations:     " << c.scalar("select count(*) from climate_station").as_text() << "\n"
        << "  measurements: " << c.scalar("select count(*) from measurements").as_text() << "\n\n";
    db::Dataset d = c.open(
        "SELECT e.exp_id, e.location AS experiment, "
        "(select count(*) from field_description f where Val(f.versuch_code)=e.exp_id) AS plots, "
        "(select min(c.[year]) from cultivation c inner join field_description f on "
        "c.FL_ID=f.FL_ID where Val(f.versuch_code)=e.exp_id) AS first_year, "
        "(select max(c.[year]) from cultivation c inner join field_description f on "
        "c.FL_ID=f.FL_ID where Val(f.versuch_code)=e.exp_id) AS last_year, "
        "(select count(*) from measurements m inner join field_description f on "
        "m.FL_ID=f.FL_ID where Val(f.versuch_code)=e.exp_id) AS measurements "
        "FROM experiments e ORDER BY e.exp_id");
    print_rows(d, out);
}

int command_summary(const std::vector<std::string>& a, std::ostream& out) {
    if (a.size() != 2) throw UsageError("summary DATABASE");
    db::Connection c(a[1]);
    print_summary(c, a[1], out);
    return 0;
}

int command_nbalance(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    NBalanceCommand command;
    try {
        command = parse_nbalance_command(a);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    const auto print = [&](db::Dataset& rows) { print_rows(rows, out); };
    run_nbalance_command(command, print, err);
    return 0;
}

int command_climate(const std::vector<std::string>& a, std::ostream& out) {
    try {
        return run_climate_command(a, out);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
}

int command_entry(const std::vector<std::string>& a, std::ostream& out) {
    try {
        return run_entry_command(a, out);
    } catch (const workbench::EntryRefused&) {
        throw;
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
}

int command_transfer(const std::vector<std::string>& a, std::ostream& out) {
    TransferCommand command;
    try {
        command = parse_transfer_command(a);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    return run_transfer_command(command, out);
}

int command_outliers(const std::vector<std::string>& a, std::ostream& out) {
    if (a.size() != 2) throw UsageError("outliers DATABASE");
    db::Connection c(a[1]);
    out << stats::prepare_outlier_indication(c) << " measurements marked as outliers\n";
    return 0;
}

std::filesystem::path program_dir() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

// The simulator's message list on standard output. The opening lines of the activation
// are held back: a run writes them again, so they are printed once, after the line that
// names the database the run works on.
class PrintingObserver : public sim::RunObserver {
public:
    PrintingObserver(std::ostream& out, const std::optional<db::Connection>& connection)
        : out_(out), connection_(connection) {}
    void message(const std::string& line) override {
        if (held_) {
            held_lines_.push_back(line);
            return;
        }
        out_ << line << '\n' << std::flush;
    }
    void run_started() override {
        held_lines_.clear();
        release();
    }
    // Prints what is still held (an activation without a run).
    void release() {
        if (!held_) return;
        held_ = false;
        if (connection_) out_ << "database : " << connection_->path().string() << '\n';
        for (const std::string& line : held_lines_) message(line);
        held_lines_.clear();
    }
    void progress(int, int) override {}
    void process_events() override {}
    bool stop_requested() override { return false; }

private:
    std::ostream& out_;
    const std::optional<db::Connection>& connection_;
    bool held_ = true;
    std::vector<std::string> held_lines_;
};

bool file_exists(const std::string& f) {
    std::error_code ec;
    return std::filesystem::is_regular_file(f, ec);
}

// The simulator without its window: activation with the command line ("go" is its "GO"),
// the run, and the exit code: 0 completed with its report, 1 stopped or ended before the report, 3
// prepared but the method's final stage is not part of this version.
int run_simulation(Launcher& launcher, SettingsStore& store, ConsoleDialogs& dialogs,
                   const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const ShardStart* shard) {
    sim::Simulator simulator;
    simulator.database = launcher.view.simulator_database;
    simulator.methode = launcher.state.methode; // the database's method, unless "M=" says
    if (shard) simulator.shard = shard->shard;
    PrintingObserver observer(out, launcher.link.connection);
    sim::ActivationContext context{args,
                                   file_exists,
                                   store,
                                   launcher.settings,
                                   launcher.state,
                                   dialogs,
                                   observer,
                                   launcher.link.connection,
                                   std::filesystem::current_path().string()};
    sim::RunSteps steps = sim::standard_run_steps(&store);
    if (shard) steps.narrow_selection = shard->narrow_selection;
    sim::ActivationOutcome outcome;
    try {
        outcome = sim::activate_window(simulator, context, steps, [] { return true; });
    } catch (...) {
        observer.release();
        throw;
    }
    observer.release();
    if (shard && shard->finished) shard->finished(simulator);
    if (outcome.calculate == sim::CalculateOutcome::completed && simulator.assessment) return 0;
    const std::string last = simulator.messages.empty() ? "" : simulator.messages.back();
    if (last == sim::final_stage_missing(simulator.methode)) {
        err << "tsm-batch: " << last << '\n';
        return 3;
    }
    err << "tsm-batch: the run did not complete"
        << (last.empty() ? std::string() : " (last message: " + last + ")") << '\n';
    return 1;
}

// A console start works on the database it names or on none: the windowed program's
// fall-back to the last database is for a user who sees its warning.
void refuse_missing_database(const std::vector<std::string>& args) {
    const auto named = named_database(args);
    if (!named || file_exists(*named)) return;
    std::error_code ec;
    const std::string why = named->empty() ? "no database file is named"
                            : std::filesystem::is_directory(*named, ec)
                                ? "this is a folder, not a database file"
                                : "no such database file";
    throw std::invalid_argument("DB=" + *named + ": " + why + "; nothing was run or changed");
}

// The user's settings, for a shard's run to read and change in memory only.
std::unique_ptr<SettingsStore> settings_in_memory() {
    const auto user = open_user_settings();
    auto copy = std::make_unique<MemorySettingsStore>();
    if (user->key_exists()) copy->create_key();
    for (const std::string& name : user->value_names())
        copy->write_string(name, user->read_string(name));
    return copy;
}

} // namespace

// The start-up of the windowed program without windows, then a summary or the run.
int start_up(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const ShardStart* shard) {
    // The command line is checked before anything changes.
    refuse_missing_database(args);
    const SimulatorStart simulator = parse_simulator_args(args, file_exists);
    ConsoleDialogs dialogs(err);
    auto store = shard ? settings_in_memory() : open_user_settings();
    Launcher launcher(*store, dialogs, startup_context(args, program_dir()));
    launcher.create();
    if (!launcher.first_show()) {
        err << "tsm-batch: no experiment database could be opened (" << launcher.state.db_f_name
            << ")\n";
        return 1;
    }
    const bool go = launcher.activate();
    if (go || simulator.auto_mode)
        return run_simulation(launcher, *store, dialogs, args, out, err, shard);
    if (shard) {
        err << "tsm-batch: --shard needs a run (go or GO)\n";
        return 2;
    }
    db::Connection& c = launcher.connection();
    out << "Method: " << launcher.state.methode << "  (mode " << launcher.state.modus
        << ", language " << launcher.state.language << ")\n"
        << "Selected plots: "
        << c.scalar("select count(*) from site_state where status = 1").as_text() << "\n";
    print_summary(c, launcher.state.db_f_name, out);
    return 0;
}

namespace {

int command_shard(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    try {
        return run_shard_command(a, out, err);
    } catch (const std::invalid_argument& e) {
        throw UsageError(std::string(shard_usage) + " (" + e.what() + ")");
    }
}

int command_merge(const std::vector<std::string>& a, std::ostream& out) {
    try {
        return a[0] == "merge" ? run_merge_command(a, out) : run_assess_command(a, out);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
}

const std::vector<std::string> commands = {
    "new",           "sql",    "summary",        "outliers",       "nbalance", "transfer",
    "method-inputs", "report", "climate-import", "climate-export", "event",    "measurement",
    "import",        "merge",  "assess",         "statistics"};

// A word of a start without a command that no start-up rule knows: most likely a mistyped
// command. Names the word and lists the commands; nothing has been read or changed yet.
std::optional<std::string> unknown_word(const std::vector<std::string>& args) {
    const auto bad = std::find_if(args.begin(), args.end(),
                                  [](const std::string& a) { return !is_startup_parameter(a); });
    if (bad == args.end()) return std::nullopt;
    std::string list;
    for (const std::string& c : commands) list += (list.empty() ? "" : ", ") + c;
    return "'" + *bad +
           "' is neither a command nor a start-up parameter; the commands are: " + list +
           " (tsm-batch --help describes them and the start-up parameters)";
}

int program_command(const BatchCommands& program_commands, const std::vector<std::string>& args,
                    std::ostream& out, std::ostream& err) {
    const auto command = program_commands.find(args[0]);
    if (command == program_commands.end()) {
        err << "tsm-batch: " << args[0] << " is not part of this build (it needs the windows)\n";
        return 1;
    }
    return command->second(args, out, err);
}

} // namespace

int run_batch(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err, const BatchCommands& program_commands) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        out << usage;
        return 0;
    }
    try {
        if (args.empty() ||
            std::find(commands.begin(), commands.end(), args[0]) == commands.end()) {
            if (asks_for_shard(args)) return command_shard(args, out, err);
            if (const auto bad = unknown_word(args)) {
                err << "tsm-batch: " << *bad << '\n';
                return 2;
            }
            return start_up(args, out, err);
        }
        const std::string& cmd = args[0];
        if (cmd == "new") return command_new(args, out);
        if (cmd == "sql") return command_sql(args, in, out, err);
        if (cmd == "outliers") return command_outliers(args, out);
        if (cmd == "nbalance") return command_nbalance(args, out, err);
        if (cmd == "event" || cmd == "measurement") return command_entry(args, out);
        if (cmd.rfind("climate-", 0) == 0) return command_climate(args, out);
        if (cmd == "transfer") return command_transfer(args, out);
        if (cmd == "report") return program_command(program_commands, args, out, err);
        if (cmd == "method-inputs") return run_method_inputs_command(args, out);
        if (cmd == "import") return run_import_command(args, out);
        if (cmd == "merge" || cmd == "assess") return command_merge(args, out);
        if (cmd == "statistics") return command_statistics(args, out);
        return command_summary(args, out);
    } catch (const UsageError& e) {
        err << "usage: tsm-batch " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        err << "tsm-batch: " << e.what() << '\n';
        return 1;
    }
}

} // namespace app

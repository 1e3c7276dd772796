#include "app/batch_commands.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/new_database.h"
#include "db/statement_file.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace app {
namespace {

const char* const usage =
    "usage: tsm-batch COMMAND ...\n"
    "  new DATABASE [--demo]   create a new experiment database from the template\n"
    "                          (with --demo: with the demo experiments); an existing\n"
    "                          file is never overwritten\n"
    "  sql DATABASE FILE       run a statement file (FILE '-' reads standard input):\n"
    "                          lines with '#' and lines beginning with \"'\" are ignored,\n"
    "                          a line 'go' ends a statement, a statement containing\n"
    "                          'drop' ignores its failure; the rows of the last query\n"
    "                          are printed as tab-separated text with a header line\n"
    "  summary DATABASE        experiments, plots, years and measurements of a database\n";

void print_rows(db::Dataset& d, std::ostream& out) {
    for (int i = 0; i < d.field_count(); ++i)
        out << (i ? "\t" : "") << d.field_names()[static_cast<std::size_t>(i)];
    out << '\n';
    for (d.first(); !d.eof(); d.next()) {
        for (int i = 0; i < d.field_count(); ++i) out << (i ? "\t" : "") << d.field(i).as_text();
        out << '\n';
    }
}

int command_new(const std::vector<std::string>& a, std::ostream& out) {
    if (a.size() < 2 || a.size() > 3 || (a.size() == 3 && a[2] != "--demo"))
        throw std::invalid_argument("new DATABASE [--demo]");
    db::create_experiment_database(a[1], a.size() == 3);
    out << "Created " << (a.size() == 3 ? "demo" : "new") << " experiment database " << a[1]
        << '\n';
    return 0;
}

int command_sql(const std::vector<std::string>& a, std::istream& in, std::ostream& out) {
    if (a.size() != 3) throw std::invalid_argument("sql DATABASE FILE");
    std::stringstream script;
    if (a[2] == "-") {
        script << in.rdbuf();
    } else {
        std::ifstream f(a[2]);
        if (!f) throw db::Error("The statement file '" + a[2] + "' cannot be read.");
        script << f.rdbuf();
    }
    db::Connection c(a[1]);
    db::StatementScript runner(c);
    if (auto rows = runner.run(script.str())) print_rows(*rows, out);
    return 0;
}

int command_summary(const std::vector<std::string>& a, std::ostream& out) {
    if (a.size() != 2) throw std::invalid_argument("summary DATABASE");
    db::Connection c(a[1]);
    out << "Experiment database " << a[1] << "\n"
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
    return 0;
}

} // namespace

int run_batch(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
              std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? err : out) << usage;
        return args.empty() ? 2 : 0;
    }
    try {
        const std::string& cmd = args[0];
        if (cmd == "new") return command_new(args, out);
        if (cmd == "sql") return command_sql(args, in, out);
        if (cmd == "summary") return command_summary(args, out);
        err << "tsm-batch: unknown command '" << cmd << "'\n" << usage;
        return 2;
    } catch (const std::invalid_argument& e) {
        err << "usage: tsm-batch " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        err << "tsm-batch: " << e.what() << '\n';
        return 1;
    }
}

} // namespace app

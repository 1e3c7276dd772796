// import_command.cpp --- arguments and report of tsm-batch import.
#include "programs/import_command.h"

#include "import/database_import.h"

#include <ostream>
#include <stdexcept>

namespace app {

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
    return out.empty() ? "none" : out;
}

void print_table(const import::TableReport& t, std::ostream& out) {
    out << "  " << t.table << (t.in_schema ? "" : " (not in the schema, copied as it is)") << ": "
        << t.rows_read << " rows read, " << t.rows_written
        << " rows written, columns left out: " << joined(t.left_out);
    if (!t.not_in_source.empty())
        out << "; schema columns not in the source: " << joined(t.not_in_source);
    out << '\n';
}

} // namespace

int run_import_command(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 3)
        throw std::invalid_argument(std::string("usage: tsm-batch ") + import_usage);
    const import::ImportReport report = import::import_database(args[1], args[2]);
    out << "Imported " << report.source_kind << " database " << args[1] << " into " << args[2]
        << '\n';
    for (const import::TableReport& t : report.tables) print_table(t, out);
    out << "Data-model adaptation: " << report.adaptation.size() << " statements\n";
    return 0;
}

} // namespace app

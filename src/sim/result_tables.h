// result_tables.h --- the tables a simulation run writes its results into, the
// version check of tsm_zbv, the saved organic matter state and the run protocol.
#pragma once

#include "db/statement.h"
#include "model/model_types.h"

#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace app {
class Dialogs;
class SettingsStore;
} // namespace app

namespace db {
class Connection;
}

namespace sim {

// One column of a result table: its name as the readers spell it, the type it is
// created with, its unit ("" for keys and counts) and what it holds.
struct ResultColumn {
    const char* name;
    const char* type;
    const char* unit;
    const char* meaning;
};

struct ResultTable {
    const char* name;
    std::span<const ResultColumn> columns;
};

// The layouts, in column order. Stocks are kg/ha for the 0-30 cm layer, yearly flows
// kg/ha per year, contents percent by mass, bulk density g/cm3.
const ResultTable& zbv_layout();        // tsm_zbv: yearly pools and fluxes
const ResultTable& nresult_layout();    // tsm_nresult: yearly N and C results
const ResultTable& sim_result_layout(); // sim_result: simulated series beside measurements
const ResultTable& driver_layout();     // tsm_driver: one summary row per plot of the run
const ResultTable& protocol_layout();   // tsm_protokoll: one row per protocolled run
const ResultTable& som_state_layout();  // som_state: saved SOM pools, one row per plot
const ResultTable& fom_state_layout();  // fom_state: saved FOM classes of a plot

// " create table <name> (<col> <type>, ...) " for a layout.
std::string create_statement(const ResultTable& table);

// Columns of the layout that the table lacks (compared without regard to case); all of
// them when the table does not exist.
std::vector<std::string> missing_columns(db::Connection& conn, const ResultTable& table);

// Creates the table when it is missing and appends the columns an older table lacks;
// a table that is current is left alone. Returns true when it changed anything.
bool ensure_result_table(db::Connection& conn, const ResultTable& table);

// A result that is not a finite number: the run stops, naming the plot and year.
class NonFiniteResult : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Appends rows to a result table through one prepared statement, each value going into
// the column of its name whatever the order of the table's columns. It writes the first
// `count` columns of the layout (all of them by default); the others stay empty, as in
// the shorter rows of the humus balance methods. The caller holds the run's transaction.
class ResultWriter {
public:
    ResultWriter(db::Connection& conn, const ResultTable& table, std::size_t count = 0);
    // One value per written column, in layout order; throws std::invalid_argument on a
    // wrong number of values, NonFiniteResult on an infinite or undefined number (naming
    // the plot, the year when the row has one, and the column) and db::Error when the
    // insert fails.
    void append(std::span<const db::Value> values);
    void append(std::initializer_list<db::Value> values) {
        append(std::span<const db::Value>(values.begin(), values.size()));
    }
    std::size_t column_count() const { return count_; }

private:
    const ResultTable& table_;
    std::size_t count_;
    db::Statement insert_;
};

// Outcome of the version check of tsm_zbv at the start of a final stage.
enum class ZbvStatus {
    ready,       // current, or re-created with the user's consent: rows can be written
    unavailable, // could not be created: the run goes on without tsm_zbv rows
    refused,     // the user kept the old table: the final stage ends before any result
};

// Checks tsm_zbv against its layout. A missing table is created; an out-of-date one is
// dropped and re-created only after the user says Yes; on No the settings value "version" gets
// last_version (so the next start notices the new version again) and the user is told
// how to proceed.
ZbvStatus check_zbv_version(db::Connection& conn, app::Dialogs& dialogs,
                            app::SettingsStore& settings, const std::string& last_version);

// Stores state under the plot and year, replacing the plot's earlier saved state. A row
// that cannot be stored does not stop the run: the lines returned name each one with the
// database's message, for the message list. The FOM classes are replaced only when there
// are some.
std::vector<std::string> save_om_state(db::Connection& conn, int plot, int yr,
                                       const OmState& state);

// The plot and year under which the simulator's "save OM state" button stores the state.
inline constexpr int button_state_plot = 0;
inline constexpr int button_state_year = 2;

// One row of the run protocol; the statistics come from the assessment of the run.
struct ProtocolRow {
    int fl_id = 0;    // last plot of the run
    int run_id = -99; // from the protocol option, -99 when it carries none
    double mean_error = 0, rmsd = 0, s = 0, smw = 0;
    int n = 0;
    bool bias = false;
    std::string datum; // date of the run, YYYY-MM-DD
};

// Whether the protocol table can be written (opening it failing means: no protocol).
bool protocol_table_available(db::Connection& conn);
// Appends the row; false (nothing written) when the table is not available.
bool append_protocol_row(db::Connection& conn, const ProtocolRow& row);

// Today's date as YYYY-MM-DD, the local time of day as HH:MM:SS.
std::string today_iso();
std::string time_of_day();
// "job finished: " and the time of day, the last line of a run's message list.
std::string job_finished_line();

// Writes the message list to the report file, one line per entry, replacing the file.
// Throws std::runtime_error naming the file when it cannot be written.
void write_run_report(const std::filesystem::path& file, const std::vector<std::string>& lines);

// The report's file name, in the current working directory.
inline constexpr const char* run_report_name = "tsm_report.txt";

} // namespace sim

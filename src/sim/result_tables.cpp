// result_tables.cpp --- result tables of a run, tsm_zbv version check, saved state, protocol.
#include "sim/result_tables.h"

#include "app/dialogs.h"
#include "app/settings_store.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/text.h"

#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace sim {

namespace {

// Units of the columns below.
constexpr const char* kg_c = "kg C/ha";
constexpr const char* kg_c_yr = "kg C/ha per year";
constexpr const char* kg_n = "kg N/ha";
constexpr const char* kg_n_yr = "kg N/ha per year";
constexpr const char* mg_100g = "mg C/100 g soil";
constexpr const char* share = "share 0..1";
constexpr const char* none = "";

constexpr std::array zbv_columns{
    ResultColumn{"fl_id", "int", none, "plot"},
    ResultColumn{"year_", "int", none, "simulated year (SALCA, HUMOD: data year)"},
    ResultColumn{"c_min_total", "double", kg_c_yr, "C mineralised from SOM and FOM"},
    ResultColumn{"c_min_fom", "double", kg_c_yr, "C mineralised from FOM"},
    ResultColumn{"c_rep_flx", "double", kg_c_yr, "C passed from FOM to SOM"},
    ResultColumn{"c_fom", "double", kg_c, "C left in the FOM classes at year end"},
    ResultColumn{"c_fom_in", "double", kg_c_yr, "C input of the year"},
    ResultColumn{"c_som", "double", kg_c,
                 "total C stock: FOM share in Corg + active + stabilised + LTS "
                 "(SALCA, HUMOD: cumulated C)"},
    ResultColumn{"c_lts", "double", kg_c, "C of the LTS pool (SALCA, HUMOD: initial stock)"},
    ResultColumn{"c_hws", "double", "mg C/100 g soil / fchw", "hot-water-soluble C"},
    ResultColumn{"mkd_a", "double", share, "share of the active pool from marked FOM"},
    ResultColumn{"mkd_s", "double", share, "share of the stabilised pool from marked FOM"},
    ResultColumn{"int_A_mic", "double", none, "not computed (-99)"},
    ResultColumn{"int_A_mes", "double", none, "not computed (-99)"},
    ResultColumn{"int_A_ttl", "double", none, "not computed (-99)"},
};

// Columns 13 to 19 are only written by the TSM method; the others leave them empty.
constexpr std::array nresult_columns{
    ResultColumn{"FL_ID", "int", none, "plot"},
    ResultColumn{"year", "int", none, "simulated year"},
    ResultColumn{"n_m_om", "double", kg_n_yr,
                 "N mineralised from organic matter: SOM, net FOM, N_flush, LTS exchange "
                 "(HUMOD: son_dec)"},
    ResultColumn{"n_ops", "double", kg_n, "N in the FOM classes at year end"},
    ResultColumn{"C_ops", "double", kg_c, "C in the FOM classes at year end"},
    ResultColumn{"c_som", "double", kg_c, "total C stock, as in tsm_zbv"},
    ResultColumn{"c_lts", "double", kg_c, "C of the LTS pool"},
    ResultColumn{"n_org", "double", kg_n, "N stock of SOM and LTS"},
    ResultColumn{"n_SOM", "double", "% by mass", "N content of the soil"},
    ResultColumn{"c_mic", "double", mg_100g, "microbial C"},
    ResultColumn{"c_rep", "double", kg_c_yr, "C passed from FOM to SOM (others: balance)"},
    ResultColumn{"bat", "double", "BAT units", "BAT of the year"},
    ResultColumn{"N_flush", "double", kg_n_yr, "N set free at once from the year's inputs"},
    ResultColumn{"N_m_fom", "double", kg_n_yr, "net N mineralised from FOM"},
    ResultColumn{"BD", "double", "g/cm3", "bulk density at year end"},
    ResultColumn{"PWP", "double", "vol%", "wilting point of the year (dynamic LTS), else 0"},
    ResultColumn{"a_age", "double", "years", "mean age of the active pool"},
    ResultColumn{"s_age", "double", "years", "mean age of the stabilised pool"},
    ResultColumn{"l_age", "double", "years", "mean age of the LTS pool"},
};

constexpr std::array sim_result_columns{
    ResultColumn{"fl_id", "int", none, "plot"},
    ResultColumn{"m_ix", "int", none, "measurement index, 7 = Corg"},
    ResultColumn{"year_", "int", none, "simulated year"},
    ResultColumn{"year_num", "int", none, "number of the simulated year of the plot, from 1"},
    ResultColumn{"sim_value", "double", "% by mass", "simulated Corg, 4 decimals (TSM only)"},
};

constexpr std::array driver_columns{
    ResultColumn{"FL_ID", "int", none, "plot"},
    ResultColumn{"mean_rep", "double", kg_c_yr, "mean yearly balance"},
    ResultColumn{"init_value", "double", "kg C/ha (TSM) or %",
                 "TSM: initial decomposable SOM C; others: initial Corg"},
    ResultColumn{"corg_lts", "double", "% by mass", "initial Corg minus its decomposable part"},
    ResultColumn{"mean_bat", "double", "BAT units", "mean yearly BAT"},
    ResultColumn{"spare", "double", none, "always 0"},
    ResultColumn{"corg_end", "double", "% by mass", "simulated Corg of the last year"},
    ResultColumn{"n_years", "int", none, "number of simulated years"},
};

constexpr std::array protocol_columns{
    ResultColumn{"fl_id", "int", none, "last plot of the run"},
    ResultColumn{"run_id", "int", none, "run number of the protocol option, -99 when none"},
    ResultColumn{"mean_error", "double", "% Corg", "mean of experiment minus model"},
    ResultColumn{"RMSD", "double", "% Corg", "root mean square difference"},
    ResultColumn{"S", "double", "% Corg", "standard deviation of the differences"},
    ResultColumn{"smw", "double", "% Corg", "bias threshold of the assessment"},
    ResultColumn{"N_", "int", none, "number of compared values"},
    ResultColumn{"bias", "bit", none, "bias verdict (-1 true, 0 false)"},
    ResultColumn{"datum_", "text(10)", none, "date of the run, YYYY-MM-DD"},
};

constexpr std::array som_state_columns{
    ResultColumn{"fl_id", "integer", none, "plot"},
    ResultColumn{"yr", "integer", none, "year whose end state is held"},
    ResultColumn{"c_am", "float", kg_c, "active pool"},
    ResultColumn{"c_sm", "float", kg_c, "stabilised pool"},
    ResultColumn{"c_lts", "float", kg_c, "LTS pool"},
    ResultColumn{"cnr_am", "float", none, "C/N ratio of the active pool"},
    ResultColumn{"cnr_sm", "float", none, "C/N ratio of the stabilised pool"},
    ResultColumn{"cnr_lts", "float", none, "C/N ratio of the LTS pool"},
};

constexpr std::array fom_state_columns{
    ResultColumn{"fl_id", "integer", none, "plot"},
    ResultColumn{"yr", "integer", none, "year whose end state is held"},
    ResultColumn{"nr", "integer", none, "position in the FOM list, from 1"},
    ResultColumn{"fom_ix", "integer", none, "organic input item (older rows -999)"},
    ResultColumn{"fom_c", "float", kg_c, "C left in the class"},
    ResultColumn{"fom_crflx", "float", kg_c, "C passed to SOM so far (older rows -999.99)"},
    ResultColumn{"fom_cnr", "float", none, "C/N ratio"},
    ResultColumn{"fom_k", "float", none, "decomposition rate"},
    ResultColumn{"fom_eta", "float", share, "share of decomposed C reaching SOM"},
};

std::string format_local(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char buffer[32];
    std::strftime(buffer, sizeof buffer, format, &local);
    return buffer;
}

std::size_t written_columns(const ResultTable& table, std::size_t count) {
    if (count == 0) return table.columns.size();
    if (count > table.columns.size())
        throw std::invalid_argument(std::string("table ") + table.name + " has only " +
                                    std::to_string(table.columns.size()) + " columns");
    return count;
}

std::string insert_statement(const ResultTable& table, std::size_t count) {
    std::string names, marks;
    for (std::size_t i = 0; i < count; ++i) {
        names += std::string(i ? ", " : "") + "[" + table.columns[i].name + "]";
        marks += i ? ", ?" : "?";
    }
    return std::string("insert into ") + table.name + " (" + names + ") values (" + marks + ")";
}

} // namespace

const ResultTable& zbv_layout() {
    static const ResultTable t{"tsm_zbv", zbv_columns};
    return t;
}
const ResultTable& nresult_layout() {
    static const ResultTable t{"tsm_nresult", nresult_columns};
    return t;
}
const ResultTable& sim_result_layout() {
    static const ResultTable t{"sim_result", sim_result_columns};
    return t;
}
const ResultTable& driver_layout() {
    static const ResultTable t{"tsm_driver", driver_columns};
    return t;
}
const ResultTable& protocol_layout() {
    static const ResultTable t{"tsm_protokoll", protocol_columns};
    return t;
}
const ResultTable& som_state_layout() {
    static const ResultTable t{"som_state", som_state_columns};
    return t;
}
const ResultTable& fom_state_layout() {
    static const ResultTable t{"fom_state", fom_state_columns};
    return t;
}

std::string create_statement(const ResultTable& table) {
    std::string text = std::string(" create table ") + table.name + " (";
    const char* separator = "";
    for (const ResultColumn& c : table.columns) {
        text += std::string(separator) + "[" + c.name + "] " + c.type;
        separator = ", ";
    }
    return text + ") ";
}

std::vector<std::string> missing_columns(db::Connection& conn, const ResultTable& table) {
    std::vector<std::string> missing;
    const bool exists = conn.has_table(table.name);
    for (const ResultColumn& c : table.columns) {
        if (!exists || !conn.has_column(table.name, c.name)) missing.emplace_back(c.name);
    }
    return missing;
}

bool ensure_result_table(db::Connection& conn, const ResultTable& table) {
    if (!conn.has_table(table.name)) {
        conn.execute(create_statement(table));
        return true;
    }
    bool changed = false;
    for (const ResultColumn& c : table.columns) {
        if (conn.has_column(table.name, c.name)) continue;
        conn.execute(std::string("alter table ") + table.name + " add [" + c.name + "] " + c.type);
        changed = true;
    }
    return changed;
}

ResultWriter::ResultWriter(db::Connection& conn, const ResultTable& table, std::size_t count)
    : table_(table), count_(written_columns(table, count)),
      insert_(conn.prepare(insert_statement(table, count_))) {}

void ResultWriter::append(std::span<const db::Value> values) {
    if (values.size() != count_)
        throw std::invalid_argument("a result row needs " + std::to_string(count_) +
                                    " values, not " + std::to_string(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!values[i].is_real() || std::isfinite(values[i].as_double())) continue;
        // The first column is the plot; the second the year, in the yearly tables.
        const bool yearly = count_ > 1 && db::lower(table_.columns[1].name).find("year") == 0;
        throw NonFiniteResult("plot " + values[0].as_text() +
                              (yearly ? ", year " + values[1].as_text() : std::string()) + ": " +
                              table_.name + "." + table_.columns[i].name + " is " +
                              (std::isnan(values[i].as_double()) ? "undefined" : "infinite") +
                              "; the run stops");
    }
    insert_.execute(values);
}

ZbvStatus check_zbv_version(db::Connection& conn, app::Dialogs& dialogs,
                            app::SettingsStore& settings, const std::string& last_version) {
    const ResultTable& zbv = zbv_layout();
    // A table that does not exist holds no data to lose: it is created without asking.
    if (conn.has_table(zbv.name) && !missing_columns(conn, zbv).empty()) {
        if (!dialogs.ask_yes_no("new version detected",
                                "table tsm_zbv will be re-created and "
                                "its data will be lost, continue anyway ?")) {
            settings.write_string("version", last_version);
            dialogs.show_message(" How to proceed ? ", "please close all tsm-windows and save "
                                                       "your old tsm_zbv table if necessary");
            return ZbvStatus::refused;
        }
        db::drop_work_table(conn, "tsm_zbv");
    }
    if (conn.has_table(zbv.name)) return ZbvStatus::ready;
    conn.execute_ignoring_failure(create_statement(zbv));
    return conn.has_table(zbv.name) ? ZbvStatus::ready : ZbvStatus::unavailable;
}

std::vector<std::string> save_om_state(db::Connection& conn, int plot, int yr,
                                       const OmState& state) {
    std::vector<std::string> failures;
    const std::string where =
        "OM state of FL_ID " + std::to_string(plot) + ", year " + std::to_string(yr) + " not saved";
    db::Transaction bulk(conn, true);
    conn.prepare(" DELETE  * FROM som_state where fl_id=?").execute({plot});
    try {
        conn.prepare("insert into som_state (fl_id,yr,c_am,c_sm,c_lts,cnr_am,cnr_sm,cnr_lts) "
                     "values (?, ?, ?, ?, ?, ?, ?, ?)")
            .execute({plot, yr, state.c_am, state.c_sm, state.c_lts, state.cnr_am, state.cnr_sm,
                      state.cnr_lts});
    } catch (const db::Error& e) {
        failures.push_back(where + " (som_state): " + e.what());
    }
    if (!state.fom.empty()) {
        conn.prepare(" DELETE  * FROM fom_state where fl_id=?").execute({plot});
        try {
            db::Statement insert =
                conn.prepare(" insert into fom_state "
                             "(fl_id,yr,nr,fom_c,fom_crflx,fom_cnr,fom_k,fom_eta,fom_ix ) "
                             "values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
            int nr = 0;
            for (const FomClassState& f : state.fom) {
                ++nr;
                try {
                    insert.execute({plot, yr, nr, f.cops, f.repflx, f.cnr, f.k, f.eta, f.item_ix});
                } catch (const db::Error& e) {
                    failures.push_back(where + " (fom_state, class " + std::to_string(nr) +
                                       "): " + e.what());
                }
            }
        } catch (const db::Error& e) {
            failures.push_back(where + " (fom_state): " + e.what());
        }
    }
    bulk.commit();
    return failures;
}

bool protocol_table_available(db::Connection& conn) {
    return missing_columns(conn, protocol_layout()).empty();
}

bool append_protocol_row(db::Connection& conn, const ProtocolRow& row) {
    if (!protocol_table_available(conn)) return false;
    ResultWriter(conn, protocol_layout())
        .append({row.fl_id, row.run_id, row.mean_error, row.rmsd, row.s, row.smw, row.n, row.bias,
                 row.datum});
    return true;
}

std::string today_iso() {
    return format_local("%Y-%m-%d");
}

std::string time_of_day() {
    return format_local("%H:%M:%S");
}

std::string job_finished_line() {
    return "job finished: " + time_of_day();
}

void write_run_report(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) out << line << '\n';
    out.flush();
    if (!out) throw std::runtime_error("cannot write the run report " + file.string());
}

} // namespace sim

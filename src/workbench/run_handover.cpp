#include "workbench/run_handover.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/text.h"
#include "workbench/form_numbers.h"

#include <climits>
#include <cmath>
#include <sstream>
#include <stdexcept>

namespace workbench {

void select_single_plot(db::Connection& conn, int fl_id) {
    db::Transaction tx(conn, true);
    conn.execute("update site_state set status=0");
    conn.prepare("update site_state set status=1 where FL_id=?").execute({fl_id});
    tx.commit();
}

void select_plots_for_run(db::Connection& conn, const std::vector<int>& fl_ids) {
    db::Transaction tx(conn, true);
    conn.execute("update site_state set status=0, res_val=1");
    auto select = conn.prepare("update site_state set status=1 where FL_id=?");
    for (int id : fl_ids) select.execute({id});
    // The plots that start from "null" are marked, whether selected or not.
    conn.execute("UPDATE field_description INNER JOIN site_state ON field_description.FL_ID = "
                 "site_state.FL_ID   SET site_state.res_val = 0    WHERE "
                 "(((field_description.i_con)=\"null\"))");
    tx.commit();
}

void prepare_simulator(sim::Simulator& sim, const HandOver& h) {
    sim.autoclick = true;
    sim.z_anf = h.z_anf;
    sim.z_cnt = h.z_cnt;
    sim.nowait = !h.power || h.modus == "ORV";
    sim.singlemode = h.single;
    // `running` stays clear: the simulator's activation waits while it is set, before the
    // press of "calculate" that would clear it, so a set flag would never end the wait. The
    // run sets it itself while it works.
    sim.running = false;
    sim.methode = h.methode;
}

namespace {

int whole_number(const std::string& text, const char* field) {
    const auto v = read_whole_number(text);
    if (!v || *v < INT_MIN || *v > INT_MAX)
        throw std::invalid_argument(std::string(field) + " is not a whole number: \"" + text +
                                    "\"");
    return static_cast<int>(*v);
}

} // namespace

int start_year_field(const std::string& text) {
    return whole_number(text, "the start year");
}

int repeat_count_field(const std::string& text) {
    const int n = whole_number(text, "the repeat count");
    if (n < 0 || n > 99)
        throw std::invalid_argument("the repeat count must lie between 0 and 99: " + text);
    return n;
}

std::vector<std::string> experiment_entries(db::Connection& conn, const std::string& location) {
    auto q = conn.prepare("select FL_ID, site_description, Herkunft from field_description "
                          "where location=? order by FL_ID");
    q.bind(1, location);
    std::vector<std::string> entries;
    while (q.step())
        entries.push_back(q.column(0).as_text() + ": " + q.column(1).as_text() + "  ===>   " +
                          q.column(2).as_text());
    return entries;
}

std::vector<std::string> database_entries(db::Connection& conn) {
    std::vector<std::string> entries;
    db::Dataset d =
        conn.open("select fl_id, location, site_description from field_description order by fl_id");
    for (d.first(); !d.eof(); d.next())
        entries.push_back(" " + d["fl_id"].as_text() + ": " + d["location"].as_text() + " - " +
                          d["site_description"].as_text());
    return entries;
}

std::optional<int> entry_plot(const std::string& entry) {
    const auto v = read_whole_number(entry.substr(0, entry.find(':')));
    if (!v || *v < INT_MIN || *v > INT_MAX) return std::nullopt;
    return static_cast<int>(*v);
}

std::string mean_bat_after_run(db::Connection& conn, int fl_id) {
    if (!conn.has_table("tmp_bat")) return "?";
    auto q = conn.prepare(" SELECT [FL_ID], sum([BAT])/count([BAT]) AS M_BAT  FROM tmp_bat "
                          " WHERE FL_ID=? GROUP BY [FL_ID] ");
    q.bind(1, fl_id);
    if (!q.step() || q.column(1).is_null()) return "?";
    std::ostringstream out;
    out << std::round(q.column(1).as_double() * 10) / 10;
    return out.str();
}

void store_mean_bat(db::Connection& conn, int fl_id, const std::string& shown) {
    const std::optional<double> v = read_decimal(shown); // "?" is none
    if (!v) return;
    conn.prepare("update  field_description   set   mw_bat=? where fl_id=?").execute({*v, fl_id});
}

} // namespace workbench

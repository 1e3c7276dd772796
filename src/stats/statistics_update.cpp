#include "stats/statistics_update.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/text.h"
#include "workbench/experiment_tree.h"

#include <set>

namespace stats {
namespace {

void rebuild_table(db::Connection& c, const std::string& table, const std::string& statement) {
    db::drop_work_table(c, table);
    try {
        c.execute(statement);
    } catch (const db::Error& e) {
        throw db::Error("The statistics table " + table + " cannot be built: " + e.engine_message(),
                        e.jet_text(), e.sqlite_text());
    }
}

} // namespace

const char* phase_caption(Phase phase) {
    switch (phase) {
    case Phase::early_years:
        return "early years";
    case Phase::late_years:
        return "late years";
    case Phase::all_records:
        break;
    }
    return "all records";
}

void rebuild_statistics_tables(db::Connection& c) {
    rebuild_table(c, corg_table, corg_statistics_table_statement());
    rebuild_table(c, nt_table, nt_statistics_table_statement());
}

std::vector<workbench::Tsrb_item> plots_with_results(db::Connection& c) {
    // The tree's plot query: the plots it shows with results are the ones evaluated.
    db::Dataset d = c.open(workbench::plots_statement());
    std::vector<workbench::Tsrb_item> plots;
    std::set<std::int64_t> seen;
    for (d.first(); !d.eof(); d.next()) {
        if (d["nres"].as_int() < 1 || !(d["pk"].as_double() > 0)) continue;
        workbench::Tsrb_item item;
        item.snr = d["FL_ID"].as_int();
        if (!seen.insert(item.snr).second) continue;
        item.i_con = db::trim(d["i_con"].as_text());
        item.vcode = d["versuch_code"].as_text();
        item.db_name = d["Location"].as_text();
        item.herkunft = d["Herkunft"].as_text();
        plots.push_back(std::move(item));
    }
    return plots;
}

int update_statistics(db::Connection& c, Phase phase, StatViews& views,
                      const EvaluationOptions& options, const StatisticsProgress& progress) {
    db::Transaction tx(c, true);
    rebuild_statistics_tables(c);
    const std::vector<workbench::Tsrb_item> plots = plots_with_results(c);
    const int total = static_cast<int>(plots.size());
    int done = 0;
    for (const workbench::Tsrb_item& item : plots) {
        if (progress) progress(done, total, item.snr);
        result_auswertung(c, item, true, phase, views, options);
        ++done;
    }
    tx.commit();
    return done;
}

} // namespace stats

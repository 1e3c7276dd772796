// statement_corpus_test.cpp --- the statements the program really sends, against the
// statement corpus (tests/db/corpus/statements.jet) that the translator tests read. The
// main flows run on the demo database with the connection traced: a TSM run, a humus
// balance method, the N balance, the outlier indication and the workbench's operations
// that need no window. Every traced statement whose shape (values taken out) the corpus
// lacks is listed with a sample of its text.
//
// Renewing the corpus after statements were added or changed: run
//     TSM_TRACE_MISSING=/tmp/missing.jet build/bin/stats_tests --gtest_filter=TracedFlows.*
// which writes the missing statements in the corpus format into that file, each with a
// drafted comment line and the values of the demo run. Review them (plausible literals,
// a comment that says where the statement is used) and add them to the corpus by hand.
#include "db/connection.h"
#include "db/new_database.h"
#include "db/statement_shape.h"
#include "db/text.h"
#include "nbal/n_balance.h"
#include "scripted_dialogs.h"
#include "sim/run_steps.h"
#include "statement_corpus.h"
#include "stats/outlier_indication.h"
#include "stats/result_evaluation.h"
#include "stats/statistics_update.h"
#include "test_support.h"
#include "workbench/action_list.h"
#include "workbench/choice_lists.h"
#include "workbench/drag_copy.h"
#include "workbench/experiment_tree.h"
#include "workbench/item_lists.h"
#include "workbench/management_entry.h"
#include "workbench/measurement_entry.h"
#include "workbench/plot_loading.h"
#include "workbench/plot_management.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

// The statements seen, by shape: the flow that sent one first, its text, and when.
class Tracer {
public:
    struct Sample {
        std::string flow, text;
        std::size_t order = 0;
    };
    void record(const std::string& flow, const std::string& text) {
        seen_.try_emplace(db::statement_shape(text), Sample{flow, text, seen_.size()});
    }
    const std::map<std::string, Sample>& seen() const { return seen_; }

private:
    std::map<std::string, Sample> seen_;
};

// The demo database with two plots selected for runs (few plots keep the flows fast).
class TracedFlows : public testing::Test {
protected:
    TracedFlows() {
        c.execute("update site_state set status=0");
        c.execute("update site_state set status=1 where fl_id in (101, 201)");
    }

    // Runs the flow with every statement it sends traced under its name.
    void traced(const std::string& flow, const std::function<void()>& run) {
        SCOPED_TRACE(flow);
        db::TraceScope scope(c, [&](const std::string& text) { tracer.record(flow, text); });
        run();
    }

    void calculate(const std::string& method) {
        test::WorkingFolder folder(dir.path());
        sim::Simulator simulator;
        simulator.methode = method;
        sim::RecordingObserver observer;
        test::ScriptedDialogs dialogs;
        app::ProgramState state;
        sim::RunContext ctx{c, simulator, observer, dialogs, state};
        ASSERT_EQ(sim::press_calculate(ctx, sim::standard_run_steps()),
                  sim::CalculateOutcome::completed)
            << (dialogs.shown.empty() ? std::string("no message") : dialogs.shown.back());
    }

    test::TempDir dir;
    db::Connection c = db::create_experiment_database(dir / "demo.db", true);
    Tracer tracer;
};

void plot_loading(db::Connection& c) {
    using namespace workbench;
    const ActionList actions = load_actions(c, action_list_statement(false));
    const ItemList items = load_items(c, all_items_statement());
    const ChoiceList stations = refresh_stat_list(c);
    const ChoiceList soils = refresh_soil_list(c);
    for (const std::int64_t plot : {101, 201}) {
        Tsrb_item item;
        item.snr = plot;
        item.i_con = "obsval";
        PlotLoadContext context{.modus = "TSM",
                                .methode = "TSM",
                                .actions = &actions,
                                .items = &items,
                                .stations = &stations,
                                .soils = &soils};
        load_plot(c, item, context);
    }
}

void data_entry(db::Connection& c) {
    using namespace workbench;
    const ItemList items = load_items(c, selected_items_statement());
    EventForm slurry;
    slurry.fl_id = 101;
    slurry.date = {2021, 4, 15};
    slurry.action = 3;
    slurry.item_key = item_key(amendment_kind, 102);
    slurry.amount = "12,5";
    same_event_exists(c, 101, check_event(c, slurry, items, false));
    const std::int64_t event = insert_event(c, slurry, items, false);
    slurry.amount = "20";
    overwrite_event(c, slurry, event, items, false);
    delete_event(c, 101, event);

    MeasurementInput corg;
    corg.fl_id = 101;
    corg.date = {2016, 9, 1};
    corg.property = carbon_property;
    corg.value = "1,2";
    same_measurement_exists(c, 101, check_measurement(c, corg));
    const std::int64_t measurement = insert_measurement(c, corg);
    corg.value = "1.3";
    overwrite_measurement(c, corg, measurement);
    is_initial_value(c, measurement);
    delete_measurement(c, 101, measurement);
}

void plot_copy_and_delete(db::Connection& c) {
    using namespace workbench;
    test::ScriptedDialogs dialogs;
    const std::int64_t copy = copy_plot(c, 101, false);
    for (const CopyKind kind : {CopyKind::management, CopyKind::measurements}) {
        count_plot_data(c, kind, copy);
        copy_plot_data(c, kind, 201, copy, CopyMode::add);
        copy_plot_data(c, kind, 201, copy, CopyMode::replace);
    }
    move_plot(c, copy, "Elsewhere");
    const std::int64_t added = add_plot(c, {"Halle", "", "1"}, "TSM");
    for (const std::int64_t plot : {copy, added}) {
        dialogs.yes_no.push_back(true);
        ASSERT_TRUE(delete_plot(c, dialogs, "E", plot));
    }
}

void statistics_and_evaluation(db::Connection& c) {
    stats::StatViews views;
    stats::update_statistics(c, stats::Phase::all_records, views, {});
    for (const auto& [plot, i_con] : {std::pair{101, "obsval"}, std::pair{201, "null"}}) {
        workbench::Tsrb_item item;
        item.snr = plot;
        item.i_con = i_con;
        stats::result_auswertung(c, item, false, stats::Phase::early_years, views, {});
    }
}

// A first draft of where a statement is used, from the flow and what it does to which
// table, for the comment line of a new corpus entry.
std::string draft_comment(const std::string& flow, const std::string& text) {
    static const std::pair<std::regex, const char*> forms[] = {
        {std::regex(R"(^\s*drop\s+table\s+(\[?\w+))", std::regex::icase),
         "remove the work table $1"},
        {std::regex(R"(^\s*create\s+(unique\s+)?index\s+\S+\s+on\s+(\[?\w+))", std::regex::icase),
         "index $2"},
        {std::regex(R"(^\s*select\s[\s\S]*?\binto\s+(\[?\w+))", std::regex::icase),
         "build the work table $1"},
        {std::regex(R"(^\s*insert\s+into\s+(\[?\w+))", std::regex::icase), "add rows to $1"},
        {std::regex(R"(^\s*update\s+\(*\s*(\[?\w+))", std::regex::icase), "update $1"},
        {std::regex(R"(^\s*delete\s+(\*\s+)?from\s+(\[?\w+))", std::regex::icase),
         "delete rows of $2"},
        {std::regex(R"(^\s*select\s[\s\S]*?\bfrom\s+\(*\s*(?!select\b)(\[?\w+))",
                    std::regex::icase),
         "read $1"},
    };
    for (const auto& [form, comment] : forms) {
        std::smatch m;
        if (std::regex_search(text, m, form)) return flow + ": " + m.format(comment);
    }
    return flow;
}

// Writes the missing statements in the corpus format, for review.
void write_missing(const std::string& file, const std::vector<Tracer::Sample>& missing) {
    std::ofstream out(file, std::ios::trunc);
    for (const auto& m : missing) out << test::corpus_entry(draft_comment(m.flow, m.text), m.text);
    if (!out.flush()) ADD_FAILURE() << "cannot write " << file;
}

TEST_F(TracedFlows, CorpusHoldsEveryStatementTheFlowsSend) {
    traced("humus balance, STAND method", [&] { calculate("STAND"); });
    traced("TSM run", [&] { calculate("TSM"); });
    traced("N balance", [&] {
        nbal::run_n_balance(c, {.plot = {}, .year_from = 1990, .year_to = 1999});
        nbal::run_n_balance(c, {.plot = 101});
    });
    traced("outlier indication", [&] { stats::prepare_outlier_indication(c); });
    traced("workbench tree", [&] {
        workbench::TreeOptions options;
        options.db_f_name = "demo.db";
        workbench::build_experiment_tree(c, options);
    });
    traced("workbench plot", [&] { plot_loading(c); });
    traced("data entry", [&] { data_entry(c); });
    traced("plot management", [&] { plot_copy_and_delete(c); });
    traced("evaluation statistics", [&] { statistics_and_evaluation(c); });

    std::set<std::string> corpus;
    for (const auto& s : test::read_corpus()) corpus.insert(db::statement_shape(s.text));
    ASSERT_FALSE(tracer.seen().empty());
    std::vector<Tracer::Sample> missing;
    for (const auto& [shape, sample] : tracer.seen())
        if (!corpus.count(shape)) missing.push_back(sample);
    std::sort(missing.begin(), missing.end(),
              [](const auto& a, const auto& b) { return a.order < b.order; });
    std::string report;
    for (const auto& m : missing)
        report += "\n" + m.flow + ":\n  shape:  " + db::statement_shape(m.text) +
                  "\n  sample: " + db::trim(m.text);
    if (const char* file = std::getenv("TSM_TRACE_MISSING")) write_missing(file, missing);
    EXPECT_TRUE(missing.empty()) << missing.size() << " of " << tracer.seen().size()
                                 << " statements sent are not in the corpus "
                                    "(TSM_TRACE_MISSING=FILE writes them out):"
                                 << report;
}

} // namespace

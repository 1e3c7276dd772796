// Result tables of a run: layouts, tsm_zbv version check, saved OM state, protocol, report.
#include "app/settings_store.h"
#include "db/connection.h"
#include "db/new_database.h"
#include "scripted_dialogs.h"
#include "sim/result_tables.h"
#include "test_support.h"

#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>

namespace {

// Whether a text has the shape of a pattern in which 9 stands for any digit.
bool has_shape(const std::string& text, const std::string& pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == '9' ? !digit : text[i] != pattern[i]) return false;
    }
    return true;
}

using sim::ResultTable;

std::vector<std::string> layout_names(const ResultTable& t) {
    std::vector<std::string> names;
    for (const auto& c : t.columns) names.emplace_back(c.name);
    return names;
}

const std::vector<const ResultTable*>& all_layouts() {
    static const std::vector<const ResultTable*> layouts{
        &sim::zbv_layout(),      &sim::nresult_layout(),  &sim::sim_result_layout(),
        &sim::driver_layout(),   &sim::protocol_layout(), &sim::som_state_layout(),
        &sim::fom_state_layout()};
    return layouts;
}

class ResultTablesTest : public ::testing::Test {
protected:
    test::TempDir dir;
    db::Connection conn = db::Connection::create(dir / "empty.db");
};

TEST_F(ResultTablesTest, MissingTablesAreCreatedWithTheirColumnsAndCurrentOnesLeftAlone) {
    for (const ResultTable* t : all_layouts()) {
        SCOPED_TRACE(t->name);
        EXPECT_TRUE(sim::ensure_result_table(conn, *t));
        EXPECT_EQ(conn.columns(t->name), layout_names(*t));
        conn.execute(std::string("insert into ") + t->name + " ([" + t->columns[0].name +
                     "]) values (5)");
        EXPECT_FALSE(sim::ensure_result_table(conn, *t));
        EXPECT_EQ(test::rows(conn, std::string("select count(*) from ") + t->name), "1\n");
    }
}

TEST_F(ResultTablesTest, AnOlderTableGetsTheMissingColumnsAndKeepsItsRows) {
    conn.execute("create table tsm_nresult (FL_ID int, [year] int, n_m_om double)");
    conn.execute("insert into tsm_nresult (FL_ID, [year], n_m_om) values (3, 1990, 12.5)");
    EXPECT_TRUE(sim::ensure_result_table(conn, sim::nresult_layout()));
    EXPECT_EQ(conn.columns("tsm_nresult"), layout_names(sim::nresult_layout()));
    EXPECT_EQ(test::rows(conn, "select FL_ID, [year], n_m_om, l_age from tsm_nresult"),
              "3|1990|12.5|NULL\n");
}

TEST_F(ResultTablesTest, WriterFillsColumnsByNameAndLeavesTheRestEmpty) {
    // An adapted table: the later columns were appended in an order of their own.
    conn.execute("create table tsm_nresult (l_age double, FL_ID int, [year] int, n_m_om double, "
                 "n_ops double, C_ops double, c_som double, c_lts double, n_org double, "
                 "n_SOM double, c_mic double, c_rep double, bat double, BD double, PWP double, "
                 "N_flush double, N_m_fom double, a_age double, s_age double)");
    sim::ResultWriter humus_balance(conn, sim::nresult_layout(), 12);
    const double x = sim::not_computed;
    humus_balance.append({21, 1995, x, x, x, 31000.5, x, x, x, x, 120.25, x});
    EXPECT_EQ(test::rows(conn, "select FL_ID, [year], c_som, c_rep, bat, N_flush, l_age "
                               "from tsm_nresult"),
              "21|1995|31000.5|120.25|-99|NULL|NULL\n");
    EXPECT_THROW(humus_balance.append({21, 1996}), std::invalid_argument);
    EXPECT_THROW(sim::ResultWriter(conn, sim::driver_layout(), 9), std::invalid_argument);
}

// A result that is no finite number stops the run, naming plot, year and column.
TEST_F(ResultTablesTest, NonFiniteResultIsRefusedNamingPlotAndYear) {
    ASSERT_TRUE(sim::ensure_result_table(conn, sim::nresult_layout()));
    sim::ResultWriter writer(conn, sim::nresult_layout(), 12);
    const double x = sim::not_computed, inf = std::numeric_limits<double>::infinity();
    try {
        writer.append({21, 1996, x, x, x, inf, x, x, x, x, x, x});
        ADD_FAILURE() << "accepted";
    } catch (const sim::NonFiniteResult& e) {
        EXPECT_EQ(std::string(e.what()),
                  "plot 21, year 1996: tsm_nresult.c_som is infinite; the run stops");
    }
    EXPECT_EQ(test::rows(conn, "select count(*) from tsm_nresult"), "0\n");
}

TEST(ResultTablesTemplate, TemplateHoldsTheResultTablesItShips) {
    test::TempDir dir;
    db::Connection conn = db::create_experiment_database(dir / "t.db", false);
    for (const ResultTable* t :
         {&sim::nresult_layout(), &sim::driver_layout(), &sim::protocol_layout(),
          &sim::som_state_layout(), &sim::fom_state_layout(), &sim::zbv_layout(),
          &sim::sim_result_layout()}) {
        EXPECT_EQ(sim::missing_columns(conn, *t), std::vector<std::string>{}) << t->name;
    }
}

// The version check of tsm_zbv, for each shape of the table and each answer.
struct ZbvCase {
    const char* name;
    const char* existing; // create statement of the table found, "" for none
    bool answer;
    bool asked;
    sim::ZbvStatus status;
    bool rows_kept;
};

class ZbvVersionTest : public ResultTablesTest, public ::testing::WithParamInterface<ZbvCase> {};

constexpr const char* lacks_int_a_ttl =
    "create table tsm_zbv (fl_id int, year_ int, c_min_total double, c_min_fom double, "
    "c_rep_flx double, c_fom double, c_fom_in double, C_som double, c_lts double, c_hws double, "
    "mkd_a double, mkd_s double, int_A_mic double, int_A_mes double)";
constexpr const char* current =
    "create table tsm_zbv (FL_ID int, year_ int, c_min_total double, c_min_fom double, "
    "c_rep_flx double, c_fom double, c_fom_in double, C_som double, c_lts double, c_hws double, "
    "mkd_a double, mkd_s double, int_A_mic double, int_A_mes double, INT_A_TTL double)";

TEST_P(ZbvVersionTest, AsksOnlyForAnOutdatedTableAndFollowsTheAnswer) {
    const ZbvCase& c = GetParam();
    if (*c.existing) {
        conn.execute(c.existing);
        conn.execute("insert into tsm_zbv (fl_id, year_) values (4, 2001)");
    }
    test::ScriptedDialogs dialogs;
    dialogs.yes_no.push_back(c.answer);
    app::MemorySettingsStore settings;
    settings.write_string("version", "9.9.9.9");

    EXPECT_EQ(sim::check_zbv_version(conn, dialogs, settings, "1.2.3.4"), c.status);

    const std::string question = "new version detected: table tsm_zbv will be re-created and its "
                                 "data will be lost, continue anyway ?";
    if (!c.asked) {
        EXPECT_TRUE(dialogs.shown.empty());
    } else if (c.answer) {
        EXPECT_EQ(dialogs.shown, std::vector<std::string>{question});
    } else {
        EXPECT_EQ(dialogs.shown,
                  (std::vector<std::string>{question,
                                            " How to proceed ? : please close all tsm-windows and "
                                            "save your old tsm_zbv table if necessary"}));
    }
    EXPECT_EQ(settings.read_string("version"), c.asked && !c.answer ? "1.2.3.4" : "9.9.9.9");
    if (c.status == sim::ZbvStatus::ready) {
        EXPECT_TRUE(sim::missing_columns(conn, sim::zbv_layout()).empty());
    }
    if (*c.existing) {
        EXPECT_EQ(test::rows(conn, "select count(*) from tsm_zbv"), c.rows_kept ? "1\n" : "0\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZbvVersionTest,
    ::testing::Values(
        ZbvCase{"CurrentLeftAlone", current, false, false, sim::ZbvStatus::ready, true},
        ZbvCase{"LacksIntATtlYes", lacks_int_a_ttl, true, true, sim::ZbvStatus::ready, false},
        ZbvCase{"LacksIntATtlNo", lacks_int_a_ttl, false, true, sim::ZbvStatus::refused, true},
        ZbvCase{"MissingIsCreatedWithoutAsking", "", false, false, sim::ZbvStatus::ready, false}),
    [](const auto& info) { return std::string(info.param.name); });

class OmStateTest : public ::testing::Test {
protected:
    test::TempDir dir;
    db::Connection conn = db::create_experiment_database(dir / "t.db", false);

    std::string som() { return test::rows(conn, "select * from som_state order by fl_id"); }
    std::string fom() {
        return test::rows(conn, "select fl_id, yr, nr, fom_c, fom_crflx, fom_cnr, fom_k, "
                                "fom_eta, fom_ix from fom_state order by fl_id, nr");
    }
};

TEST_F(OmStateTest, ButtonBeforeAnyRunStoresZerosUnderPlotZeroYearTwo) {
    sim::save_om_state(conn, sim::button_state_plot, sim::button_state_year, sim::OmState{});
    EXPECT_EQ(som(), "0|2|0|0|0|0|0|0\n");
    EXPECT_EQ(fom(), "");
}

TEST_F(OmStateTest, ASaveReplacesThePlotsEarlierStateAndLeavesOtherPlots) {
    sim::OmState old{1, 2, 3, 4, 5, 6, {}};
    for (int i = 0; i < 5; ++i) old.fom.push_back({100 + i, 1.0 * i, 0, 20, 0.5, 0.3});
    sim::save_om_state(conn, 7, 1999, old);
    sim::save_om_state(conn, 8, 1999, old);

    const sim::OmState now{1500.25,
                           42000.5,
                           18000,
                           8.5,
                           9.5,
                           10.5,
                           {{11, 300.5, 12.25, 25, 0.8, 0.35},
                            {12, 150, 0, 40, 0.2, 0.5},
                            {9998, 10, 1, 8, 0.05, 0.1}}};
    sim::save_om_state(conn, 7, 2005, now);

    EXPECT_EQ(som(), "7|2005|1500.25|42000.5|18000|8.5|9.5|10.5\n"
                     "8|1999|1|2|3|4|5|6\n");
    EXPECT_EQ(test::rows(conn, "select count(*) from fom_state where fl_id=8"), "5\n");
    EXPECT_EQ(test::rows(conn, "select fl_id, yr, nr, fom_c, fom_crflx, fom_cnr, fom_k, "
                               "fom_eta, fom_ix from fom_state where fl_id=7 order by nr"),
              "7|2005|1|300.5|12.25|25|0.8|0.35|11\n"
              "7|2005|2|150|0|40|0.2|0.5|12\n"
              "7|2005|3|10|1|8|0.05|0.1|9998\n");
}

TEST_F(OmStateTest, FailingInsertsAreIgnoredAndTheCallersTransactionIsKept) {
    conn.execute("drop table som_state");
    conn.execute("create table som_state (fl_id integer, yr integer)"); // an unusable table
    db::Transaction t(conn);
    EXPECT_NO_THROW(sim::save_om_state(conn, 3, 2000, {1, 2, 3, 4, 5, 6, {{1, 2, 3, 4, 5, 6}}}));
    EXPECT_TRUE(conn.in_transaction());
    t.commit();
    EXPECT_EQ(test::rows(conn, "select count(*) from som_state"), "0\n");
    EXPECT_EQ(fom(), "3|2000|1|2|3|4|5|6|1\n");
}

TEST(RunProtocol, AppendsARowOrNothingWithoutTheTable) {
    test::TempDir dir;
    db::Connection conn = db::create_experiment_database(dir / "t.db", false);
    const sim::ProtocolRow row{12, -99, 0.0125, 0.08, 0.075, 0.05, 14, true, "2026-12-10"};
    ASSERT_TRUE(sim::append_protocol_row(conn, row));
    ASSERT_TRUE(sim::append_protocol_row(conn, {13, 4, 0, 0, 0, 0, 0, false, "2026-12-11"}));
    EXPECT_EQ(test::rows(conn, "select * from tsm_protokoll"),
              "12|-99|0.0125|0.08|0.075|0.05|14|-1|2026-12-10\n"
              "13|4|0|0|0|0|0|0|2026-12-11\n");

    conn.execute("drop table tsm_protokoll");
    EXPECT_FALSE(sim::protocol_table_available(conn));
    EXPECT_FALSE(sim::append_protocol_row(conn, row));
    EXPECT_FALSE(conn.has_table("tsm_protokoll"));
}

std::string read_file(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(RunReport, WritesOneLinePerEntryAndReplacesTheFile) {
    test::TempDir dir;
    const auto file = dir / sim::run_report_name;
    sim::write_run_report(file, {"TSM run started: 10:00:00", "tmp bat :12", "", "last"});
    EXPECT_EQ(read_file(file), "TSM run started: 10:00:00\ntmp bat :12\n\nlast\n");
    sim::write_run_report(file, {sim::job_finished_line()});
    EXPECT_TRUE(has_shape(read_file(file), "job finished: 99:99:99\n")) << read_file(file);
    EXPECT_TRUE(has_shape(sim::today_iso(), "9999-99-99")) << sim::today_iso();
    EXPECT_THROW(sim::write_run_report(dir / "no" / "such" / "x.txt", {"a"}), std::runtime_error);
}

} // namespace

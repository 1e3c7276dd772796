// climate_alongside.cpp --- the yearly climate and BAT built on a second connection while
// the organic inputs are prepared.
#include "sim/climate_alongside.h"

#include "app/dialogs.h"
#include "db/connection.h"
#include "db/jet/translation.h"
#include "sim/climate_preparation.h"
#include "sim/shard_file.h"

#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <sqlite3.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace sim {
namespace {

// What a step said while it ran aside: its message lines and message boxes in order, passed
// on to the run later as if the step had run then. A question cannot wait for its answer,
// so a step that asks one fails.
class HeldOutput : public RunObserver, public app::Dialogs {
public:
    void message(const std::string& line) override { events_.push_back({Kind::line, "", line}); }
    void progress(int, int) override {}
    void process_events() override {}
    bool stop_requested() override { return false; }

    void show_message(const std::string& title, const std::string& text) override {
        events_.push_back({Kind::message_box, title, text});
    }
    void show_error(const std::string& title, const std::string& text) override {
        events_.push_back({Kind::error_box, title, text});
    }
    bool ask_yes_no(const std::string& title, const std::string&) override {
        unanswerable(title);
    }
    std::optional<std::string> choose_file(const std::string& title, const std::string&) override {
        unanswerable(title);
    }
    std::optional<std::string> choose_save_file(const std::string& title,
                                                const std::string&) override {
        unanswerable(title);
    }
    std::optional<std::string> edit_connection_string(const std::string&) override {
        unanswerable("connection string");
    }

    void pass_on(RunContext& ctx) const {
        for (const Event& e : events_) {
            if (e.kind == Kind::line) ctx.message(e.text);
            if (e.kind == Kind::message_box) ctx.dialogs.show_message(e.title, e.text);
            if (e.kind == Kind::error_box) ctx.dialogs.show_error(e.title, e.text);
        }
    }

private:
    enum class Kind { line, message_box, error_box };
    struct Event {
        Kind kind;
        std::string title, text;
    };
    [[noreturn]] static void unanswerable(const std::string& title) {
        throw std::logic_error("the question \"" + title + "\" cannot be asked aside");
    }
    std::vector<Event> events_;
};

// A step run aside: what it said, and its failure if it failed.
struct HeldStep {
    HeldOutput output;
    std::exception_ptr failure;
};

// Runs a step on `conn` with its own copy of the simulator state and output held back.
void run_held(HeldStep& held, Simulator sim, db::Connection& conn,
              const app::ProgramState& state, const RunStep& step) {
    RunContext aside{conn, sim, held.output, held.output, state};
    try {
        step(aside);
    } catch (...) {
        held.failure = std::current_exception();
    }
}

constexpr const char* run_schema = "run_db";
constexpr const char* scratch_schema = "climate_scratch";

// The run's database is only read by the second connection: any change of it is refused.
int read_only_run_database(void*, int action, const char* first, const char*,
                           const char* database, const char*) {
    const auto is_run = [](const char* name) {
        return name != nullptr && std::strcmp(name, run_schema) == 0;
    };
    switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_VIEW:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_VIEW:
    case SQLITE_REINDEX:
    case SQLITE_ANALYZE:
        return is_run(database) ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_ALTER_TABLE:
        return is_run(first) ? SQLITE_DENY : SQLITE_OK;
    default:
        return SQLITE_OK;
    }
}

void remove_file_and_journals(const std::filesystem::path& file) noexcept {
    std::error_code ignored;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        std::filesystem::remove(file.string() + suffix, ignored);
}

// The scratch database the yearly climate is built in, beside the run's database (a file of
// the run, as its lock file; one left by a run that crashed is replaced): the run's
// selection copied in, the run's database attached to be read. Its own tables are found
// before those of the run's database, so the climate steps build their tables in it.
class ClimateScratch {
public:
    explicit ClimateScratch(db::Connection& run)
        : file_(run.path().string() + ".run-climate"), conn_(fresh_file(file_)) {
        // A statement that fails is rolled back; the file itself need not survive a crash.
        conn_.execute_native("PRAGMA journal_mode=MEMORY; PRAGMA synchronous=OFF");
        {
            const AttachedDatabase scratch(run, file_, scratch_schema);
            // The run's selection as the run sees it (its snapshot, narrowed for a shard).
            run.execute_native(std::string("CREATE TABLE ") + scratch_schema +
                               ".site_state AS SELECT * FROM site_state; CREATE INDEX " +
                               scratch_schema + ".site_state_plot ON site_state (FL_ID)");
        }
        conn_.prepare_native(std::string("ATTACH DATABASE ? AS ") + run_schema)
            .execute({run.path().string()});
        sqlite3_set_authorizer(conn_.handle(), read_only_run_database, nullptr);
    }
    ~ClimateScratch() {
        conn_.close();
        remove_file_and_journals(file_);
    }
    ClimateScratch(const ClimateScratch&) = delete;
    ClimateScratch& operator=(const ClimateScratch&) = delete;

    db::Connection& connection() { return conn_; }

    // Replaces the run database's yearly climate tables by those built here, each with its
    // rows in their order and row ids and with its indexes, in one transaction.
    void copy_into(db::Connection& run) {
        const AttachedDatabase scratch(run, file_, scratch_schema);
        db::Transaction all(run);
        for (const char* table : yearly_climate_tables) db::drop_work_table(run, table);
        for (const auto& [table, definition] : built("table")) {
            run.execute_native(definition);
            std::string columns = "rowid";
            for (const std::string& column : scratch_columns(run, table))
                columns += ", " + db::jet::quote_name(column);
            run.execute_native("INSERT INTO main." + db::jet::quote_name(table) + " (" +
                               columns + ") SELECT " + columns + " FROM " + scratch_schema +
                               "." + db::jet::quote_name(table) + " ORDER BY rowid");
        }
        for (const auto& [index, definition] : built("index")) run.execute_native(definition);
        all.commit();
    }

private:
    static db::Connection fresh_file(const std::string& file) {
        remove_file_and_journals(file);
        return db::Connection::create(file);
    }

    // The tables or indexes the climate steps built, with their definitions, in the order
    // they were made.
    std::vector<std::pair<std::string, std::string>> built(const char* type) {
        db::Statement st = conn_.prepare_native(
            "SELECT name, sql FROM main.sqlite_master WHERE type = ? AND sql IS NOT NULL AND "
            "tbl_name <> 'site_state' ORDER BY rowid");
        st.bind(1, std::string(type));
        std::vector<std::pair<std::string, std::string>> rows;
        while (st.step()) rows.emplace_back(st.column(0).as_text(), st.column(1).as_text());
        return rows;
    }

    static std::vector<std::string> scratch_columns(db::Connection& run,
                                                    const std::string& table) {
        db::Statement st = run.prepare_native(std::string("SELECT name FROM pragma_table_info(?, '") +
                                              scratch_schema + "') ORDER BY cid");
        st.bind(1, table);
        std::vector<std::string> names;
        while (st.step()) names.push_back(st.column(0).as_text());
        return names;
    }

    std::string file_;
    db::Connection conn_;
};

bool on_file(const db::Connection& conn) {
    std::error_code ec;
    return !conn.path().empty() && std::filesystem::is_regular_file(conn.path(), ec);
}

void run_step(const RunStep& step, RunContext& ctx) {
    step(ctx);
    ctx.observer.process_events();
}

} // namespace

bool prepare_climate_alongside(RunContext& ctx, const RunSteps& steps, const WmzTable& nodes) {
    if (!ctx.sim.recalc_bat || !steps.input_quantities || !steps.time_frame ||
        !steps.organic_inputs || !steps.soil_properties || !on_file(ctx.conn))
        return false;
    // The weather is read alongside, where its indexes cannot be made: they are made first.
    ClimateDataIndexes indexes{false, 0};
    try {
        indexes.created_before = index_climate_data(ctx.conn);
    } catch (const std::exception&) {
        return false; // the sequence fails where it makes them
    }

    // The time frame and the soil properties, which the climate needs, come first; each
    // failure is shown where it comes in the sequence.
    HeldStep time_frame, soil;
    run_held(time_frame, ctx.sim, ctx.conn, ctx.state, steps.time_frame);
    if (time_frame.failure) {
        run_step(steps.input_quantities, ctx);
        time_frame.output.pass_on(ctx);
        std::rethrow_exception(time_frame.failure);
    }
    run_held(soil, ctx.sim, ctx.conn, ctx.state, steps.soil_properties);
    if (soil.failure) {
        run_step(steps.input_quantities, ctx);
        time_frame.output.pass_on(ctx);
        run_step(steps.organic_inputs, ctx);
        soil.output.pass_on(ctx);
        std::rethrow_exception(soil.failure);
    }

    std::optional<ClimateScratch> scratch;
    try {
        scratch.emplace(ctx.conn);
    } catch (const std::exception&) {
        // No scratch file (a folder without room or write permission): the sequence.
    }
    HeldStep climate;
    {
        std::jthread alongside;
        if (scratch) {
            const RunStep yearly = [&nodes, indexes](RunContext& aside) {
                yearly_climate_and_bat(aside, nodes, indexes);
            };
            alongside = std::jthread(run_held, std::ref(climate), ctx.sim,
                                     std::ref(scratch->connection()), std::cref(ctx.state),
                                     yearly);
        }
        run_step(steps.input_quantities, ctx);
        time_frame.output.pass_on(ctx);
        run_step(steps.organic_inputs, ctx);
    }
    soil.output.pass_on(ctx);
    if (scratch && !climate.failure) {
        climate.output.pass_on(ctx);
        scratch->copy_into(ctx.conn);
        scratch.reset();
        initial_carbon_estimate_if_missing(ctx);
    } else {
        scratch.reset();
        climate_bat(ctx, nodes, indexes);
    }
    ctx.observer.process_events();
    return true;
}

} // namespace sim

// climate_alongside.cpp --- the yearly climate and BAT built on a second connection while
// the organic inputs are prepared.
#include "sim/climate_alongside.h"

#include "app/dialogs.h"
#include "db/connection.h"
#include "db/jet/translation.h"
#include "sim/climate_preparation.h"
#include "sim/final_stage.h"
#include "sim/shard_file.h"

#include <atomic>
#include <exception>
#include <filesystem>
#include <functional>
#include <latch>
#include <malloc.h>
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
    bool ask_yes_no(const std::string& title, const std::string&) override { unanswerable(title); }
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
void run_held(HeldStep& held, Simulator sim, db::Connection& conn, const app::ProgramState& state,
              const RunStep& step) {
    RunContext aside{conn, sim, held.output, held.output, state};
    try {
        step(aside);
    } catch (...) {
        held.failure = std::current_exception();
    }
}

constexpr const char* run_schema = "run_db";
constexpr const char* scratch_schema = "climate_scratch";

// The run's database as a URI that opens it for reading only (the library here takes URI
// file names; where one does not, the attachment fails and the run keeps to the sequence).
std::string read_only_uri(const std::string& file) {
    std::string uri = "file:";
    for (const char c : file) {
        if (c == '%' || c == '?' || c == '#') {
            static const char hex[] = "0123456789abcdef";
            uri += '%';
            uri += hex[(c >> 4) & 0xf];
            uri += hex[c & 0xf];
        } else {
            uri += c;
        }
    }
    return uri + "?mode=ro";
}

// The file a connection has open, with its full path (whatever the working folder is now);
// "" for a database in memory.
std::string open_file(const db::Connection& conn) {
    const char* file = sqlite3_db_filename(conn.handle(), "main");
    return file != nullptr ? file : "";
}

void remove_file_and_journals(const std::filesystem::path& file) noexcept {
    std::error_code ignored;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        std::filesystem::remove(file.string() + suffix, ignored);
}

// The scratch database the time frame and the yearly climate are built in, beside the run's
// database (a file of the run, as its lock file; one left by a run that crashed is
// replaced): the run's selection copied in, the run's database attached to be read. Its own
// tables are found before those of the run's database, so the steps build their tables in
// it; the table the time frame refills starts here as an empty copy.
class ClimateScratch {
public:
    explicit ClimateScratch(db::Connection& run)
        : file_(database_file(run) + ".run-climate"), conn_(fresh_file(file_)) {
        // A statement that fails is rolled back; the file itself need not survive a crash.
        // Smaller caches than the run's own connection's: the two work at the same time, and
        // the run's memory stays within what the run's connection alone takes.
        conn_.execute_native("PRAGMA main.journal_mode=MEMORY; PRAGMA main.synchronous=OFF; "
                             "PRAGMA cache_size=-16384; PRAGMA temp.cache_size=-16384");
        {
            const AttachedDatabase scratch(run, file_, scratch_schema);
            // The run's selection as the run sees it (its snapshot, narrowed for a shard).
            run.execute_native(std::string("CREATE TABLE ") + scratch_schema +
                               ".site_state AS SELECT * FROM site_state; CREATE INDEX " +
                               scratch_schema + ".site_state_plot ON site_state (FL_ID)");
        }
        for (const char* table : refilled_time_tables)
            for (const std::string& definition : definitions(run, "main", table))
                conn_.execute_native(definition);
        // Read only: nothing here can change it, and a transaction here takes no lock of it
        // from the run's own connection.
        conn_.prepare_native(std::string("ATTACH DATABASE ? AS ") + run_schema)
            .execute({read_only_uri(database_file(run))});
        if (sqlite3_db_readonly(conn_.handle(), run_schema) != 1)
            throw std::runtime_error("the run's database is not attached for reading only");
    }
    ~ClimateScratch() {
        conn_.close();
        remove_file_and_journals(file_);
    }
    ClimateScratch(const ClimateScratch&) = delete;
    ClimateScratch& operator=(const ClimateScratch&) = delete;

    db::Connection& connection() { return conn_; }

    // Puts the tables built here into the run's database, in one transaction: each table
    // the steps made replaces the run's table of that name, with its indexes; a refilled
    // table gets the rows of this one in place of its own. The rows keep their order and
    // row ids. The yearly climate tables the run has are dropped also when the steps made
    // no new ones, as climate_bat() drops them.
    void copy_into(db::Connection& run) {
        const AttachedDatabase scratch(run, file_, scratch_schema);
        db::Transaction all(run);
        for (const char* table : yearly_climate_tables) db::drop_work_table(run, table);
        for (const char* table : refilled_time_tables) {
            run.execute_native("DELETE FROM main." + db::jet::quote_name(table));
            copy_rows(run, table);
        }
        for (const std::string& table : made_tables()) {
            db::drop_work_table(run, table);
            for (const std::string& definition : definitions(conn_, "main", table))
                run.execute_native(definition);
            copy_rows(run, table);
        }
        all.commit();
    }

private:
    static std::string database_file(db::Connection& run) {
        std::string file = open_file(run);
        if (file.empty()) throw std::runtime_error("the run's database is not a file");
        return file;
    }

    static db::Connection fresh_file(const std::string& file) {
        remove_file_and_journals(file);
        return db::Connection::create(file);
    }

    // The definitions of a table of `schema` and of its indexes.
    static std::vector<std::string> definitions(db::Connection& c, const std::string& schema,
                                                const std::string& table) {
        db::Statement st = c.prepare_native("SELECT sql FROM " + schema +
                                            ".sqlite_master WHERE tbl_name = ? COLLATE NOCASE "
                                            "AND sql IS NOT NULL ORDER BY type <> 'table', rowid");
        st.bind(1, table);
        std::vector<std::string> sql;
        while (st.step()) sql.push_back(st.column(0).as_text());
        return sql;
    }

    // The tables the steps made, in the order they made them: all but the selection and
    // the refilled tables.
    std::vector<std::string> made_tables() {
        std::string skipped = "'site_state'";
        for (const char* table : refilled_time_tables) skipped += ", " + db::jet::quote_text(table);
        db::Statement st = conn_.prepare_native(
            "SELECT name FROM main.sqlite_master WHERE type = 'table' AND lower(name) NOT IN (" +
            skipped + ") ORDER BY rowid");
        std::vector<std::string> tables;
        while (st.step()) tables.push_back(st.column(0).as_text());
        return tables;
    }

    // Fills the run's empty table of the same definition and indexes with the rows of the
    // table built here, with their row ids. The rows and index entries are copied as they
    // are stored, in one pass; where that gives row ids anew (a table without indexes) and
    // the ones built here do not run from 1 without a gap, the rows are copied again with
    // their own.
    void copy_rows(db::Connection& run, const std::string& table) {
        const std::string from = std::string(scratch_schema) + "." + db::jet::quote_name(table);
        const std::string to = "main." + db::jet::quote_name(table);
        run.execute_native("INSERT INTO " + to + " SELECT * FROM " + from);
        db::Statement same = run.prepare_native("SELECT (SELECT max(rowid) FROM " + to +
                                                ") IS (SELECT max(rowid) FROM " + from + ")");
        if (same.step() && same.column(0).as_int() == 1) return;
        run.execute_native("DELETE FROM " + to);
        db::Statement st =
            run.prepare_native(std::string("SELECT name FROM pragma_table_info(?, '") +
                               scratch_schema + "') ORDER BY cid");
        st.bind(1, table);
        std::string columns = "rowid";
        while (st.step()) columns += ", " + db::jet::quote_name(st.column(0).as_text());
        run.execute_native("INSERT INTO " + to + " (" + columns + ") SELECT " + columns + " FROM " +
                           from + " ORDER BY rowid");
    }

    std::string file_;
    db::Connection conn_;
};

// Runs a function when it goes out of scope.
class ScopeExit {
public:
    explicit ScopeExit(std::function<void()> f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    std::function<void()> f_;
};

void run_step(const RunStep& step, RunContext& ctx) {
    step(ctx);
    ctx.observer.process_events();
}

// The preparation of a run with the time frame, the soil properties and the yearly climate
// built alongside the input quantities and the organic inputs. Each step's message lines,
// message boxes and failure reach the run in the place the step has in the sequence: input
// quantities, time frame, organic inputs, soil properties, climate. When a step fails
// alongside, it and the steps after it run again here, where they fail as in the sequence
// (or go on, when only the scratch file failed them), on the steps before it made again.
class Alongside {
public:
    Alongside(RunContext& ctx, const RunSteps& steps, const WmzTable& nodes,
              ClimateDataIndexes indexes)
        : ctx_(ctx), steps_(steps), nodes_(nodes),
          indexes_(indexes), aside_steps_{steps.time_frame, steps.soil_properties,
                                          [this](RunContext& aside) {
                                              yearly_climate_and_bat(aside, nodes_, indexes_);
                                          }} {}

    void run() {
        std::optional<ClimateScratch> scratch;
        open_scratch(scratch);
        if (!scratch) {
            run_step(steps_.input_quantities, ctx_);
            return here_from(time_frame);
        }
        with_organic_inputs(*scratch);
        const int failed = first_failure();
        if (failed == time_frame) {
            close_scratch(scratch);
            return here_from(time_frame);
        }
        for (int i = soil; i < failed; ++i) held_[i].output.pass_on(ctx_);
        if (failed == none) {
            scratch->copy_into(ctx_.conn);
            close_scratch(scratch);
            ctx_.sim.run_preview = preview_;
            return initial_carbon_estimate_if_missing(ctx_);
        }
        close_scratch(scratch);
        for (int i = time_frame; i < failed; ++i) {
            HeldStep again; // its messages were heard already
            run_held(again, ctx_.sim, ctx_.conn, ctx_.state, aside_steps_[i]);
            if (again.failure) std::rethrow_exception(again.failure);
        }
        here_from(failed);
    }

private:
    enum { time_frame, soil, climate, none };

    int first_failure() const {
        for (int i = time_frame; i < none; ++i)
            if (held_[i].failure) return i;
        return none;
    }

    // The steps from `first` on, here; the organic inputs after the time frame.
    void here_from(int first) {
        if (first <= time_frame) run_step(steps_.time_frame, ctx_);
        if (first <= time_frame) run_step(steps_.organic_inputs, ctx_);
        if (first <= soil) run_step(steps_.soil_properties, ctx_);
        climate_bat(ctx_, nodes_, indexes_);
    }

    // The memory the work alongside took goes back to the system: freed in another
    // thread, it would otherwise stay with the program through the final stage.
    static void close_scratch(std::optional<ClimateScratch>& scratch) {
        scratch.reset();
        malloc_trim(0);
    }

    void open_scratch(std::optional<ClimateScratch>& scratch) {
        try {
            scratch.emplace(ctx_.conn);
        } catch (const std::exception&) {
            // No scratch file (a folder without room or write permission): the sequence.
        }
    }

    // The steps aside run one after the other on the scratch file, up to the first that
    // fails, while the input quantities and, once the time frame is there, the organic
    // inputs are prepared here. Returns when both sides are done.
    void with_organic_inputs(ClimateScratch& scratch) {
        std::latch time_frame_done(1), input_quantities_done(1);
        bool input_quantities_failed = false;
        std::atomic<bool> organic_inputs_done{false}, previewing{false};
        const Simulator aside_sim = ctx_.sim;
        const std::jthread alongside([&] {
            for (int i = time_frame; i < none; ++i) {
                run_held(held_[i], aside_sim, scratch.connection(), ctx_.state, aside_steps_[i]);
                if (i == time_frame) time_frame_done.count_down();
                if (held_[i].failure) return;
            }
            // What the final stage asks first, once the input quantities are there, and only
            // while the organic inputs are prepared here: the final stage waits for nothing.
            input_quantities_done.wait();
            if (input_quantities_failed) return;
            previewing = true;
            if (organic_inputs_done) return;
            try {
                preview_ = preview_tsm_run(scratch.connection());
            } catch (const std::exception&) {
                // The final stage asks itself.
            }
        });
        // However this side ends, a look ahead still at work alongside is given up.
        const ScopeExit give_up_preview([&] {
            organic_inputs_done = true;
            if (previewing) sqlite3_interrupt(scratch.connection().handle());
        });
        try {
            run_step(steps_.input_quantities, ctx_);
        } catch (...) {
            input_quantities_failed = true;
            input_quantities_done.count_down();
            throw;
        }
        input_quantities_done.count_down();
        time_frame_done.wait();
        if (held_[time_frame].failure) return;
        held_[time_frame].output.pass_on(ctx_);
        run_step(steps_.organic_inputs, ctx_);
    }

    RunContext& ctx_;
    const RunSteps& steps_;
    const WmzTable& nodes_;
    const ClimateDataIndexes indexes_;
    const RunStep aside_steps_[none];
    HeldStep held_[none];
    std::optional<Simulator::RunPreview> preview_;
};

} // namespace

bool prepare_climate_alongside(RunContext& ctx, const RunSteps& steps, const WmzTable& nodes) {
    if (!ctx.sim.recalc_bat || !steps.input_quantities || !steps.time_frame ||
        !steps.organic_inputs || !steps.soil_properties || open_file(ctx.conn).empty())
        return false;
    // The weather is read alongside, where its indexes cannot be made: they are made first.
    ClimateDataIndexes indexes{false, 0};
    try {
        indexes.created_before = index_climate_data(ctx.conn);
    } catch (const std::exception&) {
        return false; // the sequence fails where it makes them
    }
    Alongside(ctx, steps, nodes, indexes).run();
    ctx.observer.process_events();
    return true;
}

} // namespace sim
